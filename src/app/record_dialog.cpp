#include "app/record_dialog.h"

#include <QComboBox>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

#include "model/excitation_force.h"
#include "records/record_summary.h"
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

std::optional<double> ScaleFactor(const QString& text) {
  const std::optional<double> value = ParseWholeNumber(text.toStdString());
  if (!value || *value == 0.0) return std::nullopt;
  return value;
}

// Four significant digits: what a person checks, not what is solved.
QString Short(double value) { return QString::number(value, 'g', 4); }

QString Q(const std::string& text) { return QString::fromStdString(text); }

// "1560 samples, time step 0.02 s, duration 31.18 s"
QString ReadText(const Experiment& e, const RecordProvenance& p) {
  QString text = QString("%1 samples, time step %2 s, duration %3 s")
                     .arg(e.counter)
                     .arg(Short(e.timeStep))
                     .arg(Short(DurationOf(e)));
  if (!p.column.empty()) text += ", column \"" + Q(p.column) + "\"";
  return text;
}

// "PGA 0.3194 g = 3.133 m/s^2 at 2.12 s", or the peak of a force or displacement record.
QString PeakText(const Experiment& e) {
  if (const std::optional<GroundMotionMeasures> ground = GroundMotionOf(e)) {
    return QString("PGA %1 g = %2 m/s^2 at %3 s")
        .arg(Short(std::abs(ground->pga.value) / kGravity))
        .arg(Short(std::abs(ground->pga.value)))
        .arg(Short(ground->pga.time));
  }
  const RecordPeak peak = PeakOfRecord(e);
  return QString("peak %1 %2 at %3 s")
      .arg(Short(peak.value))
      .arg(Q(std::string(SampleUnit(e))))
      .arg(Short(peak.time));
}

// The units the experiment keeps its samples in, and what the solve makes of them.
QString StoredText(const Experiment& e, const RecordProvenance& p) {
  QString text;
  if (e.dataType != ExperimentDataType::Acceleration) {
    text = Q(std::string(SampleUnit(e)));
  } else if (e.unitsOfG == 1) {
    text = "g (\"Units of g\": the solve multiplies by 9.81 m/s^2)";
  } else {
    text = "m/s^2";
  }
  text += QString(", read from %1 (units from the %2)")
              .arg(Q(p.unitsWritten.empty() ? p.units : p.unitsWritten))
              .arg(Q(p.unitsSource == "default" ? "default" : p.unitsSource));
  if (p.scaleFactor != 1.0) {
    text += QString(", scaled by %1").arg(Q(FormatShortest(p.scaleFactor)));
  }
  return text;
}

}  // namespace

RecordDialog::RecordDialog(const QString& fileName, const RecordQuestions& questions,
                           QWidget* parent)
    : QDialog(parent), path_(fileName), format_(questions.format) {
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
  if (questions.format == RecordFormat::Csv) {
    column_ = new QComboBox;
    column_->setObjectName("cboRecordColumn");
    for (const auto& [number, name] : questions.columns) {
      column_->addItem(Q(name), QString::number(number));
    }
    form->addRow("Column :", column_);
    connect(column_, &QComboBox::currentIndexChanged, this, &RecordDialog::UpdateState);
  }
  scale_ = new QLineEdit("1");
  scale_->setObjectName("txtRecordScale");
  scale_->setToolTip("Every sample is multiplied by this factor");
  form->addRow("Scale factor :", scale_);
  connect(scale_, &QLineEdit::textChanged, this, &RecordDialog::UpdateState);
  connect(type_, &QComboBox::currentIndexChanged, this, &RecordDialog::UpdateState);
  connect(units_, &QComboBox::currentIndexChanged, this, &RecordDialog::UpdateState);
  const auto shown = [form](const char* name, const char* label) {
    auto* value = new QLabel;
    value->setObjectName(name);
    value->setWordWrap(true);
    form->addRow(label, value);
    return value;
  };
  read_ = shown("lblRecordRead", "Reads :");
  peak_ = shown("lblRecordPeak", "Peak :");
  stored_ = shown("lblRecordStored", "Stores :");

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
                  (timeStep_ == nullptr || PositiveNumber(timeStep_->text()).has_value()) &&
                  ScaleFactor(scale_->text()).has_value());
  UpdatePreview();
}

void RecordDialog::UpdatePreview() {
  for (QLabel* label : {read_, peak_, stored_}) label->clear();
  if (!ok_->isEnabled()) {
    read_->setText(velocity_ ? "a velocity record cannot be loaded"
                             : "give the answers above to read the file");
    return;
  }
  RecordOptions options = Options();
  options.format = format_;
  const RecordLoad load = LoadRecordFile(path_.toStdString(), options);
  if (!load.result) {
    read_->setText("cannot be read: " + Q(load.result.Describe()));
    return;
  }
  if (load.records.experiments.empty()) return;
  const Experiment& e = load.records.experiments.front();
  const RecordProvenance& p = load.records.provenance.front();
  QString type = Q(std::string(DataTypeName(e.dataType)));
  type[0] = type[0].toUpper();
  read_->setText(type + ", " + ReadText(e, p));
  peak_->setText(PeakText(e));
  stored_->setText(StoredText(e, p));
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
  if (column_ != nullptr && column_->currentIndex() >= 0) {
    options.column = column_->currentData().toString().toStdString();
  }
  if (const std::optional<double> scale = ScaleFactor(scale_->text()); scale && *scale != 1.0) {
    options.scale = scale;
  }
  return options;
}

}  // namespace quarvel::app
