#include "app/study_summary.h"

#include <QStringList>

namespace quarvel::app {

namespace {

QString Plural(int64_t count, const char* one, const char* many) {
  return QString("%1 %2").arg(count).arg(count == 1 ? one : many);
}

}  // namespace

QString LoopSummary(const StudyOutcome& outcome, int32_t valueCount, bool cancelled) {
  if (outcome.status == StudyStatus::NothingToDo) {
    return "Loop: nothing to study (the step must be above 0 and From must not exceed To); "
           "no file written.";
  }
  if (outcome.filePath.empty()) return "Loop: no study file written.";
  QString how;
  switch (outcome.status) {
    case StudyStatus::Completed: how = "Loop done"; break;
    case StudyStatus::Aborted: how = cancelled ? "Loop cancelled" : "Loop ended by Esc"; break;
    default: how = "Loop stopped"; break;
  }
  return QString("%1: %2 of %3 solved, %4 written to %5.")
      .arg(how, QString::number(outcome.valuesSolved),
           Plural(valueCount, "value", "values"), Plural(outcome.linesWritten, "line", "lines"),
           QString::fromStdString(outcome.filePath));
}

QString AdvancedLoopSummary(const AdvancedStudyOutcome& outcome, const QString& folder,
                            bool cancelled) {
  if (!outcome.ran) {
    return "Advanced Loop: nothing to study (the step must be above 0 and From must not exceed "
           "To); no file written.";
  }
  int64_t studied = 0;
  int64_t values = 0;
  int64_t lines = 0;
  QStringList endedByEscape;
  for (std::size_t k = 0; k < outcome.files.size(); ++k) {
    const SeriesFileOutcome& file = outcome.files[k];
    studied += file.study.filePath.empty() ? 0 : 1;
    values += file.study.valuesSolved;
    lines += file.study.linesWritten;
    // Cancel ends the run in its last file.
    const bool endedByCancel = cancelled && k + 1 == outcome.files.size();
    if (file.study.status == StudyStatus::Aborted && !endedByCancel) {
      endedByEscape << QString::number(file.sequenceNumber);
    }
  }
  QString text = QString("Advanced Loop %1 in %2: %3 studied, %4 solved, %5 written to their "
                         "study files; %6 of the 4 envelope files written.")
                     .arg(cancelled ? "cancelled" : "done", folder,
                          Plural(studied, "file", "files"),
                          Plural(values, "value", "values"), Plural(lines, "line", "lines"))
                     .arg(outcome.envelopeFiles.size());
  if (outcome.files.empty()) {
    text += " No file of the series (\"1 name.quarvel\", \"2 name.quarvel\", ...) was found.";
  }
  if (!endedByEscape.isEmpty()) {
    text += QString(" Esc ended the study of %1 %2 early.")
                .arg(endedByEscape.size() == 1 ? "file" : "files", endedByEscape.join(", "));
  }
  return text;
}

}  // namespace quarvel::app
