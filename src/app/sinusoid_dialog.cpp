#include "app/sinusoid_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace quarvel::app {

SinusoidDialog::SinusoidDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("frmSinusoidalDisplacement");
  setWindowTitle("Sin displacement");

  auto* form = new QFormLayout;
  const SinusoidDialogTexts defaults;
  mass_ = AddBox(form, "txtMass", "Mass :", defaults.mass);
  amplitude_ = AddBox(form, "txtAmplitude", "Amplitude :", defaults.amplitude);
  period_ = AddBox(form, "txtPeriod", "Period (s) :", defaults.period);
  cycles_ = AddBox(form, "txtCycles", "Number of cycles :", defaults.cycles);
  timeStep_ = AddBox(form, "txtTimeStep", "Time step (s) :", defaults.timeStep);

  auto* ok = new QPushButton("Ok");
  ok->setObjectName("cmdOk");
  ok->setDefault(true);
  auto* cancel = new QPushButton("Cancel");
  cancel->setObjectName("cmdCancel");
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addLayout(buttons);
  setFixedSize(sizeHint());
}

QLineEdit* SinusoidDialog::AddBox(QFormLayout* form, const char* objectName, const char* label,
                                  const std::string& text) {
  auto* box = new QLineEdit(QString::fromStdString(text));
  box->setObjectName(objectName);
  box->installEventFilter(this);
  form->addRow(label, box);
  return box;
}

SinusoidDialogTexts SinusoidDialog::Texts() const {
  SinusoidDialogTexts texts;
  texts.mass = mass_->text().toStdString();
  texts.amplitude = amplitude_->text().toStdString();
  texts.period = period_->text().toStdString();
  texts.cycles = cycles_->text().toStdString();
  texts.timeStep = timeStep_->text().toStdString();
  return texts;
}

bool SinusoidDialog::eventFilter(QObject* watched, QEvent* event) {
  auto* box = qobject_cast<QLineEdit*>(watched);
  if (box == nullptr) return QDialog::eventFilter(watched, event);

  if (event->type() == QEvent::FocusIn) {
    // After the focus change, so that the mouse press that gave the focus does not undo it.
    QTimer::singleShot(0, box, &QLineEdit::selectAll);
  } else if (event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const QString text = key->text();
    if (text.size() == 1 && text[0].unicode() < 128) {
      const char typed = static_cast<char>(text[0].unicode());
      // The character before what the key replaces or where it is inserted.
      const int at = box->hasSelectedText() ? box->selectionStart() : box->cursorPosition();
      const QChar previous = at > 0 ? box->text().at(at - 1) : QChar();
      const char before = previous.unicode() < 128 ? static_cast<char>(previous.unicode()) : '\0';
      const std::optional<char> kept = FilterSinusoidDialogKey(typed, before);
      if (!kept) return true;
      if (*kept != typed) {
        box->insert(QString(QChar(*kept)));
        return true;
      }
    }
  }
  return QDialog::eventFilter(watched, event);
}

}  // namespace quarvel::app
