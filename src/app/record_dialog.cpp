#include "app/record_dialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "text/number_text.h"

namespace quarvel::app {
namespace {

const char* FormatTitle(RecordFormat format) {
  switch (format) {
    case RecordFormat::At2:
      return "PEER AT2 record";
    case RecordFormat::Csv:
      return "CSV with a header row";
    case RecordFormat::Columns:
      return "columns of numbers";
    default:
      return "Quarvel file";
  }
}

std::optional<double> PositiveNumber(const QString& text) {
  const std::optional<double> value = ParseWholeNumber(text.toStdString());
  if (!value || !(*value > 0.0)) return std::nullopt;
  return value;
}

}  // namespace

RecordDialog::RecordDialog(const QString& fileName, const RecordQuestions& questions,
                           QWidget* parent)
    : QDialog(parent) {
  setObjectName("frmRecordOptions");
  setWindowTitle("Record options");

  auto* file = new QLabel(QFileInfo(fileName).fileName() + " (" +
                          FormatTitle(questions.format) + ")");
  file->setObjectName("lblRecordFile");

  auto* form = new QFormLayout;
  const RecordHeader& header = questions.header;
  if (header.lineNumber > 0) {
    velocity_ = header.quantity == HeaderQuantity::Velocity;
    auto* says = new QLabel(QString::fromStdString(header.text) +
                            (velocity_ ? " (a velocity record cannot be loaded)" : ""));
    says->setObjectName("lblRecordHeader");
    form->addRow("Header :", says);
  }
  type_ = new QComboBox;
  type_->setObjectName("cboRecordType");
  type_->addItems({"Acceleration", "Force", "Displacement"});
  if (header.quantity == HeaderQuantity::Displacement) type_->setCurrentIndex(2);
  form->addRow("Data type :", type_);
  units_ = new QComboBox;
  units_->setObjectName("cboRecordUnits");
  units_->addItems({"g", "m/s^2", "cm/s^2 (divided by 100)", "mm/s^2 (divided by 1000)"});
  if (header.accelerationUnits) units_->setCurrentIndex(static_cast<int>(*header.accelerationUnits));
  form->addRow("Units :", units_);
  if (questions.needsTimeStep) {
    timeStep_ = new QLineEdit;
    timeStep_->setObjectName("txtRecordTimeStep");
    form->addRow("Time step (s) :", timeStep_);
    connect(timeStep_, &QLineEdit::textChanged, this, &RecordDialog::UpdateState);
  }
  connect(type_, &QComboBox::currentIndexChanged, this, &RecordDialog::UpdateState);

  ok_ = new QPushButton("Ok");
  ok_->setObjectName("cmdOk");
  ok_->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  cancel->setObjectName("cmdCancel");
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok_);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(file);
  layout->addLayout(form);
  layout->addLayout(buttons);
  UpdateState();
}

void RecordDialog::UpdateState() {
  units_->setEnabled(type_->currentIndex() == 0);
  ok_->setEnabled(!velocity_ &&
                  (timeStep_ == nullptr || PositiveNumber(timeStep_->text()).has_value()));
}

RecordOptions RecordDialog::Options() const {
  constexpr ExperimentDataType kTypes[] = {ExperimentDataType::Acceleration,
                                           ExperimentDataType::Force,
                                           ExperimentDataType::Displacement};
  RecordOptions options;
  options.type = kTypes[type_->currentIndex()];
  // The list is in the order of AccelerationUnits.
  options.units = static_cast<AccelerationUnits>(units_->currentIndex());
  if (timeStep_ != nullptr) options.timeStep = PositiveNumber(timeStep_->text());
  return options;
}

}  // namespace quarvel::app
