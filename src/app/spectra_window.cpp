#include "app/spectra_window.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <string>

#include "graph/qt/graph_file.h"
#include "io/file_reader.h"
#include "io/file_writer.h"
#include "plots/spectrum_plot.h"
#include "solve/model_settings.h"
#include "spectra/engineering_inputs.h"
#include "spectra/periods.h"
#include "text/number_check.h"
#include "text/number_text.h"

namespace quarvel::app {
namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The picture's size at 100 pixels per inch, shown and saved.
constexpr PictureSize kPictureSize{720, 450, kDefaultPictureDpi};

// The largest table copied by Save Tables.
constexpr std::uintmax_t kMaxTableBytes = std::uintmax_t{1} << 30;

// The kinds in the order of the list.
constexpr SpectrumKind kKinds[] = {SpectrumKind::Strength, SpectrumKind::Reduction,
                                   SpectrumKind::Ductility};

// The quantities of both models the picture offers, by their --plot-quantity names.
constexpr const char* kQuantities[] = {"U", "mu", "F", "Eh", "ratio-U", "ratio-Eh"};

QLineEdit* Box(const char* name, const char* text, int width = 70) {
  auto* box = new QLineEdit(text);
  box->setObjectName(name);
  box->setMaximumWidth(width);
  return box;
}

QPushButton* Button(const char* name, const char* caption) {
  auto* button = new QPushButton(caption);
  button->setObjectName(name);
  button->setAutoDefault(false);
  return button;
}

// A number typed into a box: the whole text, finite and obeying `valid`.
// The number in `box`, checked by the spectrum's rule for `input` (the command line's, named
// without its option) and for its physical meaning.
bool NumberOf(const QLineEdit* box, PhysicalInput input, double& value, QString& error) {
  const std::string text = box->text().trimmed().toStdString();
  const NumberInputRule rule = SpectrumInputRuleOf(PhysicalInputOption(input));
  if (const std::string fault = CheckNumberText(text, rule.rule, rule.reason); !fault.empty()) {
    error = Q(fault);
    return false;
  }
  value = Val(text);
  if (const InputCheck check = CheckPhysicalInput(input, value);
      check.verdict == InputVerdict::Refused) {
    error = Q(check.reason);
    return false;
  }
  return true;
}

}  // namespace

SpectraWindow::SpectraWindow(const Workbench& bench, LongWorkRunner& runner, Dialogs& dialogs,
                             QWidget* parent)
    : QWidget(parent, Qt::Window), bench_(bench), runner_(runner), dialogs_(dialogs) {
  setObjectName("frmSpectra");
  setWindowTitle("Spectra");

  records_ = new QListWidget;
  records_->setObjectName("lstSpectrumRecords");
  records_->setMaximumHeight(110);
  auto* recordFrame = new QGroupBox("Records");
  auto* recordLayout = new QVBoxLayout(recordFrame);
  recordLayout->addWidget(records_);

  auto* periodFrame = new QGroupBox("Periods (s)");
  auto* periods = new QGridLayout(periodFrame);
  from_ = Box("txtSpectrumFrom", "0.05");
  to_ = Box("txtSpectrumTo", "3");
  step_ = Box("txtSpectrumStep", "0.05");
  list_ = Box("txtSpectrumList", "", 220);
  list_->setToolTip(
      "Periods as a list (0.5,1,2), ranges FROM:TO:STEP or both; when given, "
      "From, To and Step are not used");
  periods->addWidget(new QLabel("From :"), 0, 0);
  periods->addWidget(from_, 0, 1);
  periods->addWidget(new QLabel("To :"), 0, 2);
  periods->addWidget(to_, 0, 3);
  periods->addWidget(new QLabel("Step :"), 0, 4);
  periods->addWidget(step_, 0, 5);
  periods->addWidget(new QLabel("or a list :"), 1, 0);
  periods->addWidget(list_, 1, 1, 1, 5);

  auto* strengthFrame = new QGroupBox("Strength");
  auto* strength = new QFormLayout(strengthFrame);
  kind_ = new QComboBox;
  kind_->setObjectName("cboSpectrumKind");
  kind_->addItems({"Strength ratio Cy (Fy = Cy m g)", "Reduction R (Fy = Fel / R)",
                   "Ductility (constant ductility)"});
  target_ = Box("txtSpectrumTarget", "0.2");
  damping_ = Box("txtSpectrumDamping", "0.05");
  strength->addRow("Kind :", kind_);
  strength->addRow("Value :", target_);
  strength->addRow("Damping ratio :", damping_);

  run_ = Button("cmdRunSpectrum", "Compute");
  cancel_ = Button("cmdCancelSpectrum", "Cancel");
  cancel_->setEnabled(false);
  progress_ = new QProgressBar;
  progress_->setObjectName("progressSpectrum");
  progress_->setRange(0, 1000);
  progress_->setValue(0);
  status_ = new QLabel(
      "The main window's model boxes apply; its Mass box, when above 0, is "
      "every record's mass.");
  status_->setObjectName("lblSpectrumStatus");
  status_->setWordWrap(true);
  auto* runRow = new QHBoxLayout;
  runRow->addWidget(run_);
  runRow->addWidget(cancel_);
  runRow->addWidget(progress_, 1);

  quantity_ = new QComboBox;
  quantity_->setObjectName("cboSpectrumQuantity");
  for (const char* name : kQuantities) {
    quantity_->addItem(SpectrumQuantityNamed(name)->title, name);
  }
  labelRecords_ = new QCheckBox("Name the records");
  labelRecords_->setObjectName("chkSpectrumLabelRecords");
  labelRecords_->setChecked(true);
  saveTables_ = Button("cmdSaveSpectrumTables", "Save Tables...");
  savePicture_ = Button("cmdSaveSpectrumPicture", "Save Picture...");
  auto* showRow = new QHBoxLayout;
  showRow->addWidget(new QLabel("Show :"));
  showRow->addWidget(quantity_, 1);
  showRow->addWidget(labelRecords_);
  showRow->addWidget(saveTables_);
  showRow->addWidget(savePicture_);

  view_ = new QLabel;
  view_->setObjectName("picSpectrum");
  view_->setFixedSize(kPictureSize.width, kPictureSize.height);
  view_->setAlignment(Qt::AlignCenter);
  view_->setStyleSheet("background: white");

  auto* inputs = new QHBoxLayout;
  inputs->addWidget(recordFrame, 1);
  auto* right = new QVBoxLayout;
  right->addWidget(periodFrame);
  right->addWidget(strengthFrame);
  inputs->addLayout(right);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(inputs);
  layout->addLayout(runRow);
  layout->addWidget(status_);
  layout->addLayout(showRow);
  layout->addWidget(view_, 0, Qt::AlignHCenter);

  connect(run_, &QPushButton::clicked, this, &SpectraWindow::Run);
  connect(cancel_, &QPushButton::clicked, this, [this] { runner_.CancelLongWork(); });
  connect(quantity_, &QComboBox::currentIndexChanged, this, &SpectraWindow::Draw);
  connect(labelRecords_, &QCheckBox::toggled, this, &SpectraWindow::Draw);
  connect(saveTables_, &QPushButton::clicked, this, &SpectraWindow::SaveTables);
  connect(savePicture_, &QPushButton::clicked, this, &SpectraWindow::SavePicture);
  ShowWorking(false);
}

void SpectraWindow::Refresh() {
  records_->clear();
  recordNumbers_.clear();
  const ExperimentSet& set = bench_.experiments;
  for (int32_t k = 1; k <= set.Count(); ++k) {
    const Experiment& e = set.At(k);
    // A prescribed displacement is the same at every period: no spectrum.
    if (e.dataType == ExperimentDataType::Displacement) continue;
    auto* item = new QListWidgetItem(QString("%1. %2").arg(k).arg(Q(e.name)), records_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Checked);
    recordNumbers_.push_back(k);
  }
  if (records_->count() == 0) {
    status_->setText(
        "The set holds no ground-acceleration or force record: load records in "
        "the main window.");
  }
}

bool SpectraWindow::MakePlan(SpectrumPlan& plan, QString& error) {
  runRecords_.clear();
  const double massSetting = Val(bench_.inputs.txtMass);
  for (int row = 0; row < records_->count(); ++row) {
    if (records_->item(row)->checkState() != Qt::Checked) continue;
    const int32_t k = recordNumbers_[static_cast<std::size_t>(row)];
    if (k > bench_.experiments.Count()) continue;
    const Experiment& e = bench_.experiments.At(k);
    if (!(EffectiveMass(massSetting, e.mass) > 0.0)) {
      error = QString(
                  "experiment %1 (%2) has a mass of %3 kg: give a Mass above 0 in the main "
                  "window")
                  .arg(k)
                  .arg(Q(e.name), Q(FormatShortest(e.mass)));
      return false;
    }
    runRecords_.push_back(e);
  }
  if (runRecords_.empty()) {
    error = "choose at least one record";
    return false;
  }
  const QString text =
      list_->text().trimmed().isEmpty()
          ? from_->text().trimmed() + ":" + to_->text().trimmed() + ":" + step_->text().trimmed()
          : list_->text().trimmed();
  std::string why;
  std::optional<std::vector<double>> periods = ParsePeriods(text.toStdString(), why);
  if (!periods) {
    error = "periods " + text + ": " + Q(why);
    return false;
  }
  plan.periods = std::move(*periods);
  plan.settings.kind = kKinds[std::max(kind_->currentIndex(), 0)];
  if (!NumberOf(target_, PhysicalInputOf(plan.settings.kind), plan.settings.target, error) ||
      !NumberOf(damping_, PhysicalInput::DampingRatio, plan.settings.dampingRatio, error)) {
    return false;
  }
  ReadModelParameters(bench_.inputs, plan.settings.model);
  plan.settings.model.mass = massSetting;
  plan.records = runRecords_;
  if (plan.PointCount() > kMaxSpectrumPoints) {
    error = QString("%1 records at %2 periods are too many points")
                .arg(runRecords_.size())
                .arg(plan.periods.size());
    return false;
  }
  return true;
}

void SpectraWindow::Run() {
  SpectrumPlan plan;
  QString error;
  if (!MakePlan(plan, error)) {
    status_->setText("Not computed: " + error + ".");
    return;
  }
  auto tables = std::make_unique<QTemporaryDir>();
  if (!tables->isValid()) {
    status_->setText("Not computed: no folder for the tables (" + tables->errorString() + ").");
    return;
  }
  SpectrumOutput output;
  output.rowsPath = tables->filePath("spectrum.csv").toStdString();
  output.statisticsPath = SpectrumStatisticsPath(output.rowsPath);
  std::vector<SpectrumPoint> points;
  SpectrumOutcome outcome;
  done_ = 0;
  count_ = plan.PointCount();
  ShowWorking(true);
  bool ran = false;
  try {
    ran = runner_.RunLongWork(
        [&](SolvePool& pool, const StopToken& stop) {
          output.pool = &pool;
          outcome = RunSpectrum(plan, output, stop,
                                [&](const SpectrumProgress& progress, const SpectrumPoint& point) {
                                  points.push_back(point);
                                  done_ = progress.done;
                                });
        },
        [this] {
          const int64_t count = count_;
          const double fraction =
              count > 0 ? static_cast<double>(done_) / static_cast<double>(count) : 0.0;
          progress_->setValue(static_cast<int>(fraction * 1000.0));
          return fraction;
        },
        [this] {
          return QString("spectrum: point %1 of %2").arg(done_.load()).arg(count_.load());
        });
  } catch (const std::exception& failure) {
    // Nothing of the run is kept (not enough memory for its points, say).
    ShowWorking(false);
    status_->setText(QString("Not computed: %1.").arg(failure.what()));
    return;
  }
  ShowWorking(false);
  // What was committed; a run ended before the progress was last shown shows it whole.
  progress_->setValue(count_ > 0 ? static_cast<int>(1000 * done_ / count_) : 0);
  if (!ran) {
    status_->setText("Not computed: other work runs in the main window.");
    return;
  }
  if (outcome.Failed()) {
    status_->setText("The tables were not written: " + Q(outcome.file.Describe()));
    return;
  }
  tables_ = std::move(tables);
  points_ = std::move(points);
  QString said = QString("%1 points, %2 periods of %3 record(s): %4")
                     .arg(outcome.pointsWritten)
                     .arg(outcome.periodsWritten)
                     .arg(plan.records.size())
                     .arg(Q(DescribeSpectrum(plan.settings)));
  if (outcome.interrupted) said = "Cancelled; kept " + said;
  if (outcome.pointsNotReached > 0) {
    said += QString("; at %1 point(s) the ductility was not reached").arg(outcome.pointsNotReached);
  }
  if (outcome.pointsRunFault > 0) {
    said += QString("; at %1 point(s) a model's run met a fault, whose rows say when")
                .arg(outcome.pointsRunFault);
  }
  if (outcome.pointsFaulted > 0) {
    said += QString(
                "; at %1 point(s) the modified model's all-reversal weight met an arithmetic "
                "fault")
                .arg(outcome.pointsFaulted);
  }
  status_->setText(said + ".");
  Draw();
}

void SpectraWindow::Draw() {
  picture_ = QImage();
  view_->clear();
  if (!points_.empty()) {
    const SpectrumQuantity* quantity =
        SpectrumQuantityNamed(quantity_->currentData().toString().toStdString());
    if (quantity != nullptr) {
      const std::optional<QByteArray> png = DrawFigurePicture(
          SpectrumPlot(points_, *quantity, labelRecords_->isChecked()), kPictureSize, "png");
      if (png) picture_.loadFromData(*png, "PNG");
    }
  }
  if (!picture_.isNull()) view_->setPixmap(QPixmap::fromImage(picture_));
  ShowWorking(false);
}

void SpectraWindow::SaveTables() {
  if (!tables_) return;
  FileDialogRequest request;
  request.title = "Save tables";
  request.filters = QStringList{"CSV table (*.csv)", "All files (*)"};
  request.directory = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
  request.defaultSuffix = "csv";
  const std::optional<QString> path = dialogs_.SaveFile(this, request);
  if (!path) return;
  const std::string rows = tables_->filePath("spectrum.csv").toStdString();
  const std::pair<std::string, std::string> copies[] = {
      {rows, path->toStdString()},
      {SpectrumStatisticsPath(rows), SpectrumStatisticsPath(path->toStdString())}};
  QStringList written;
  for (const auto& [from, to] : copies) {
    std::string bytes;
    FileResult done = ReadWholeFile(from, bytes, kMaxTableBytes, "a table");
    if (done) done = WriteFileBytes(to, bytes);
    if (!done) {
      dialogs_.Message(this, "The tables were not saved.\n\n" + Q(done.Describe()),
                       MessageIcon::Exclamation, {});
      return;
    }
    written << Q(to);
  }
  status_->setText("Tables written to " + written.join(" and ") + ".");
}

void SpectraWindow::SavePicture() {
  if (picture_.isNull()) return;
  const std::optional<QString> path = dialogs_.SaveFile(this, PictureSaveRequest());
  if (!path) return;
  const std::string file = path->toStdString();
  const SpectrumQuantity* quantity =
      SpectrumQuantityNamed(quantity_->currentData().toString().toStdString());
  const FileResult saved =
      SaveFigurePicture(SpectrumPlot(points_, *quantity, labelRecords_->isChecked()),
                        kPictureSize, file, PictureFormatOfPath(file));
  if (!saved) {
    dialogs_.Message(this, "The picture was not saved.\n\n" + Q(saved.Describe()),
                     MessageIcon::Exclamation, {});
  }
}

void SpectraWindow::ShowWorking(bool working) {
  run_->setEnabled(!working);
  cancel_->setEnabled(working);
  saveTables_->setEnabled(!working && tables_ != nullptr);
  savePicture_->setEnabled(!working && !picture_.isNull());
  if (working) progress_->setValue(0);
}

}  // namespace quarvel::app
