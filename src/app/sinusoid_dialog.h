#pragma once
// The "Sin displacement" dialog: mass, amplitude, period, cycles and time step of one
// displacement-controlled sinusoid. Only Ok accepts; Cancel, Escape and closing reject.

#include <QDialog>

#include "experiments/generated_experiments.h"

class QFormLayout;
class QLineEdit;

namespace quarvel::app {

class SinusoidDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SinusoidDialog(QWidget* parent = nullptr);

  // The five texts as they stand.
  SinusoidDialogTexts Texts() const;

 protected:
  // Selects a box's text when it gets the focus and filters its key presses: a comma types a
  // full stop and a minus sign types nothing, so no negative value can be typed.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  QLineEdit* AddBox(QFormLayout* form, const char* objectName, const char* label,
                    const std::string& text);

  QLineEdit* mass_ = nullptr;
  QLineEdit* amplitude_ = nullptr;
  QLineEdit* period_ = nullptr;
  QLineEdit* cycles_ = nullptr;
  QLineEdit* timeStep_ = nullptr;
};

}  // namespace quarvel::app
