#include "app/by_period_window.h"

#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <optional>
#include <string>
#include <utility>

#include "spectra/engineering_inputs.h"
#include "text/number_text.h"

namespace quarvel::app {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// One box's value: unset when empty; false when its text is not a number within `valid`.
bool ReadBox(const QLineEdit* box, const char* name, bool (*valid)(double), const char* rule,
             std::optional<double>& value, QString& error) {
  const QString text = box->text().trimmed();
  if (text.isEmpty()) return true;
  const std::optional<double> number = ParseWholeNumber(text.toStdString());
  if (!number) {
    error = QString("%1: \"%2\" is not a number").arg(name, text);
    return false;
  }
  if (!valid(*number)) {
    error = QString("%1: %2 %3").arg(name, text, rule);
    return false;
  }
  value = number;
  return true;
}

const char* RawName(RawInput raw) {
  switch (raw) {
    case RawInput::Mass: return "Mass";
    case RawInput::Damping: return "c";
    case RawInput::Fy: return "Fy";
    case RawInput::Uy: return "Uy";
  }
  return "";
}

const char* RawUnit(RawInput raw) {
  switch (raw) {
    case RawInput::Mass: return "kg";
    case RawInput::Damping: return "N s/m";
    case RawInput::Fy: return "N";
    case RawInput::Uy: return "m";
  }
  return "";
}

const std::string& RawText(const MainWindowInputs& inputs, RawInput raw) {
  switch (raw) {
    case RawInput::Mass: return inputs.txtMass;
    case RawInput::Damping: return inputs.txtCharlieSmall;
    case RawInput::Fy: return inputs.txtFy;
    case RawInput::Uy: return inputs.txtUy;
  }
  return inputs.txtMass;
}

}  // namespace

ByPeriodWindow::ByPeriodWindow(Workbench& bench, std::function<void()> applied,
                               QWidget* parent)
    : QWidget(parent, Qt::Window), bench_(bench), applied_(std::move(applied)) {
  setObjectName("frmByPeriod");
  setWindowTitle("By period");
  auto* group = new QGroupBox("By period");
  group->setObjectName("frameByPeriod");
  auto* form = new QFormLayout(group);
  const auto box = [form](const char* name, const char* label, const char* tip) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setToolTip(tip);
    form->addRow(label, edit);
    return edit;
  };
  period_ = box("txtPeriod", "Period T (s) :",
                "Sets the mass, m = (T / 2 pi)^2 Fy / Uy; with the strength ratio, Uy");
  dampingRatio_ = box("txtDampingRatio", "Damping ratio :",
                      "Sets c = 2 zeta sqrt(k m), k = Fy / Uy (0.05 is 5 %)");
  strengthRatio_ = box("txtStrengthRatio", "Strength ratio Cy :",
                       "Sets Fy = Cy m g, g = 9.81 m/s^2");
  auto* apply = new QPushButton("Apply");
  apply->setObjectName("cmdApplyByPeriod");
  apply->setAutoDefault(false);
  connect(apply, &QPushButton::clicked, this, &ByPeriodWindow::Apply);
  derived_ = new QLabel("Empty boxes are not given. The mass is the Mass box's when above 0, "
                        "else the selected experiment's.");
  derived_->setObjectName("lblByPeriodDerived");
  derived_->setWordWrap(true);
  derived_->setMinimumWidth(360);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(apply);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(group);
  layout->addLayout(buttons);
  layout->addWidget(derived_);
  layout->addStretch();
}

void ByPeriodWindow::Apply() {
  EngineeringInputs given;
  QString error;
  const bool read =
      ReadBox(period_, "Period T", [](double v) { return v > 0.0; }, "must be above 0 s",
              given.period, error) &&
      ReadBox(dampingRatio_, "Damping ratio", [](double v) { return v >= 0.0; },
              "must not be negative", given.dampingRatio, error) &&
      ReadBox(strengthRatio_, "Strength ratio Cy", [](double v) { return v > 0.0; },
              "must be above 0", given.strengthRatio, error);
  if (!read) {
    derived_->setText(error);
    return;
  }
  if (!given.Any()) {
    derived_->setText("Give a period, a damping ratio or a strength ratio.");
    return;
  }
  const Experiment* selected = bench_.CurrentExperiment();
  const double experimentMass = selected != nullptr ? selected->mass : 0.0;
  const bool ownMass = NeedsExperimentMass(given, bench_.inputs);
  if (const std::string failed = ApplyEngineeringInputs(given, experimentMass, bench_.inputs);
      !failed.empty()) {
    QString text = "No oscillator: " + Q(failed);
    if (ownMass) {
      text += selected != nullptr
                  ? QString(" (with the selected experiment's mass, %1 kg; the Mass box gives "
                            "another)")
                        .arg(Q(FormatShortest(experimentMass)))
                  : QString(" (no experiment is selected: give the Mass above 0)");
    }
    derived_->setText(text + ". The boxes are as they were.");
    return;
  }
  QStringList parts;
  for (const DerivedInput& input : DerivedInputs(given)) {
    parts << QString("%1 = %2 %3")
                 .arg(RawName(input.raw), Q(RawText(bench_.inputs, input.raw)),
                      RawUnit(input.raw));
  }
  const double k = Val(bench_.inputs.txtFy) / Val(bench_.inputs.txtUy);
  derived_->setText("Derived: " + parts.join(", ") +
                    QString("; k = Fy / Uy = %1 N/m").arg(Q(FormatShortest(k))));
  if (applied_) applied_();
}

}  // namespace quarvel::app
