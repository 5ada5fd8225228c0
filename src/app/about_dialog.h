#pragma once
// The About box: title and version, what the tool is for, terms of use and a contact line.

#include <QDialog>

namespace quarvel::app {

class AboutDialog : public QDialog {
  Q_OBJECT

 public:
  explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace quarvel::app
