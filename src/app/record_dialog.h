#pragma once
// The "Record options" dialog: what a ground-motion record file leaves open, and only that.
// The data type (Acceleration by default), the units of an acceleration (g by default) and,
// for a file without times (one column, a CSV without a time column), the time step. A file
// whose header says what its values are (an AT2 file's third line) has it shown, and the type
// and units it names preselected; a velocity record cannot be loaded. A CSV file offers its
// columns of values, and every record a scale factor. Before the user accepts, the dialog reads
// the file with the answers as they stand and shows what it holds: the samples, the time step,
// the duration, the peak (for a ground acceleration the PGA and its time) and the units it will
// store, or why it cannot be read. Ok is enabled while the time step, when asked, is a number
// above 0 and the scale a number other than 0.

#include <QDialog>

#include "records/record_file.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace quarvel::app {

// The Load dialog's filter for ground-motion records, after "Quarvel files (*.quarvel)".
inline constexpr const char* kRecordFilesFilter =
    "Ground-motion records (*.at2 *.AT2 *.txt *.dat *.csv)";

class RecordDialog : public QDialog {
  Q_OBJECT

 public:
  // `fileName` (the path) is shown with the format and read for the preview; the time step box
  // exists only when asked, the column list only for CSV.
  RecordDialog(const QString& fileName, const RecordQuestions& questions,
               QWidget* parent = nullptr);

  // The answers as they stand (the time step only when asked and valid).
  RecordOptions Options() const;

 private:
  void UpdateState();
  // Reads the file with Options() and shows what it holds.
  void UpdatePreview();

  QString path_;
  RecordFormat format_;
  bool velocity_ = false;  // the header says the values are velocities
  QComboBox* type_ = nullptr;
  QComboBox* units_ = nullptr;
  QLineEdit* timeStep_ = nullptr;
  QComboBox* column_ = nullptr;
  QLineEdit* scale_ = nullptr;
  QLabel* read_ = nullptr;
  QLabel* peak_ = nullptr;
  QLabel* stored_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace quarvel::app
