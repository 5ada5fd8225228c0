#pragma once
// The "Record options" dialog: what a ground-motion record file leaves open, and only that.
// The data type (Acceleration by default), the units of an acceleration (g by default) and,
// for a file without times (one column, a CSV without a time column), the time step. A file
// whose header says what its values are (an AT2 file's third line) has it shown, and the type
// and units it names preselected; a velocity record cannot be loaded. Ok is enabled while the
// time step, when asked, is a number above 0.

#include <QDialog>

#include "records/record_file.h"

class QComboBox;
class QLineEdit;
class QPushButton;

namespace quarvel::app {

// The Load dialog's filter for ground-motion records, after "Quarvel files (*.quarvel)".
inline constexpr const char* kRecordFilesFilter =
    "Ground-motion records (*.at2 *.AT2 *.txt *.dat *.csv)";

class RecordDialog : public QDialog {
  Q_OBJECT

 public:
  // `fileName` is shown with the format; the time step box exists only when asked.
  RecordDialog(const QString& fileName, const RecordQuestions& questions,
               QWidget* parent = nullptr);

  // The answers as they stand (the time step only when asked and valid).
  RecordOptions Options() const;

 private:
  void UpdateState();

  bool velocity_ = false;  // the header says the values are velocities
  QComboBox* type_ = nullptr;
  QComboBox* units_ = nullptr;
  QLineEdit* timeStep_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace quarvel::app
