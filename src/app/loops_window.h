#pragma once
// The Loops window: the closed loops of the selected experiment's last solve, both models side
// by side, each with its work and whether it breaks the postulate (in the model's colour), and
// the counts of each model. It stays open beside the main window and follows every solve.

#include <QWidget>

#include "solve/workbench.h"

class QLabel;
class QTableWidget;

namespace quarvel::app {

class LoopsWindow : public QWidget {
  Q_OBJECT

 public:
  // A hidden top-level window (over `parent`) that reads `bench`, which must outlive it.
  explicit LoopsWindow(const Workbench& bench, QWidget* parent = nullptr);

  // Shows the loops of the bench's selected experiment; an empty table without one.
  void Refresh();

 private:
  const Workbench& bench_;
  QLabel* summary_ = nullptr;      // lblLoopsSummary
  QTableWidget* table_ = nullptr;  // tblLoops
};

}  // namespace quarvel::app
