#include "app/loops_window.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "display/response_graph.h"
#include "graph/qt/qt_painting.h"
#include "loops/energy_audit.h"
#include "text/number_text.h"

namespace quarvel::app {
namespace {

const QStringList kColumns = {"Loop",    "Cycle",      "Start",    "Turn",
                              "Start t", "Turn t",     "U range",  "W original",
                              "Original", "W modified", "Modified"};

QString Number(double value) { return QString::fromStdString(FormatDefault(value)); }

QString Counts(const char* model, const ModelAudit& audit) {
  QString text = QString("%1: %2 loop(s), %3 violation(s)")
                     .arg(model)
                     .arg(audit.loops)
                     .arg(audit.violations);
  if (audit.worstRow > 0) {
    text += QString(", the worst loop %1 (W = %2)")
                .arg(audit.worstRow)
                .arg(Number(audit.worstWork));
  }
  return text;
}

}  // namespace

LoopsWindow::LoopsWindow(const Workbench& bench, QWidget* parent)
    : QWidget(parent, Qt::Window), bench_(bench) {
  setObjectName("frmLoops");
  setWindowTitle("Loops");
  summary_ = new QLabel;
  summary_->setObjectName("lblLoopsSummary");
  summary_->setWordWrap(true);
  table_ = new QTableWidget(0, static_cast<int>(kColumns.size()));
  table_->setObjectName("tblLoops");
  table_->setHorizontalHeaderLabels(kColumns);
  table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  table_->verticalHeader()->hide();
  auto* note = new QLabel(
      "A loop whose work W is negative beyond what round-off and the sampling step can make of "
      "it breaks the postulate (a violation). The graph of U against F marks each violation "
      "with a + at the loop's turning point, in its model's colour.");
  note->setWordWrap(true);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(summary_);
  layout->addWidget(table_);
  layout->addWidget(note);
  resize(900, 320);
}

void LoopsWindow::Refresh() {
  table_->setRowCount(0);
  const Experiment* experiment = bench_.CurrentExperiment();
  const ExperimentResults* results = bench_.CurrentResults();
  if (experiment == nullptr || results == nullptr) {
    summary_->setText("No experiment is selected.");
    return;
  }
  const LoopAudit audit = AuditLoops(results->original, results->modified,
                                     AuditsForceCycles(experiment->dataType));
  summary_->setText(QString::fromStdString(experiment->name) + ": " +
                    Counts("original", audit.original) + "; " +
                    Counts("modified", audit.modified) + ".");
  table_->setRowCount(static_cast<int>(audit.rows.size()));
  for (int k = 0; k < table_->rowCount(); ++k) {
    const AuditRow& row = audit.rows[static_cast<std::size_t>(k)];
    const ClosedLoop& either = row.original ? *row.original : *row.modified;
    const QString texts[] = {QString::number(k + 1),
                             row.kind == CycleKind::Displacement ? "U" : "F",
                             QString::number(row.startSample),
                             QString::number(row.turnSample),
                             Number(row.startTime),
                             Number(row.turnTime),
                             Number(either.displacementRange)};
    for (int c = 0; c < 7; ++c) table_->setItem(k, c, new QTableWidgetItem(texts[c]));
    int column = 7;
    for (const auto& [loop, colour] : {std::pair{&row.original, kOriginalColour},
                                       std::pair{&row.modified, kModifiedColour}}) {
      const bool violation = *loop && (*loop)->violation;
      table_->setItem(k, column, new QTableWidgetItem(*loop ? Number((*loop)->work) : "-"));
      auto* verdict = new QTableWidgetItem(!*loop ? "-" : violation ? "violation" : "ok");
      if (violation) verdict->setForeground(ToQColor(colour));
      table_->setItem(k, column + 1, verdict);
      column += 2;
    }
  }
  table_->resizeColumnsToContents();
}

}  // namespace quarvel::app
