#pragma once
// The "By period" window: the oscillator as engineers describe it, by its elastic period T, its
// damping ratio and its strength ratio Cy. Apply turns the values given into the main window's
// Mass, c, Fy and Uy texts with the functions the command line uses for --period,
// --damping-ratio and --strength-ratio, and shows what it derived; the boxes of the main window
// stay the inputs that every solve and study reads.

#include <QWidget>

#include <functional>

#include "solve/workbench.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace quarvel::app {

class ByPeriodWindow : public QWidget {
  Q_OBJECT

 public:
  // A hidden top-level window (over `parent`) that rewrites the inputs of `bench`, which must
  // outlive it; `applied` runs after the inputs were rewritten (the main window shows them).
  ByPeriodWindow(Workbench& bench, std::function<void()> applied, QWidget* parent = nullptr);

 private:
  // Reads the three boxes, derives the raw inputs and says what it did or why not.
  void Apply();

  Workbench& bench_;
  std::function<void()> applied_;
  QLineEdit* period_ = nullptr;         // txtPeriod
  QLineEdit* dampingRatio_ = nullptr;   // txtDampingRatio
  QLineEdit* strengthRatio_ = nullptr;  // txtStrengthRatio
  QLabel* derived_ = nullptr;           // lblByPeriodDerived
};

}  // namespace quarvel::app
