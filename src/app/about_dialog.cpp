#include "app/about_dialog.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/app_info.h"

namespace quarvel::app {

namespace {

QGroupBox* TextFrame(const char* objectName, const char* title, const QString& text) {
  auto* frame = new QGroupBox(title);
  frame->setObjectName(objectName);
  auto* label = new QLabel(text);
  label->setWordWrap(true);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  auto* layout = new QVBoxLayout(frame);
  layout->addWidget(label);
  return frame;
}

}  // namespace

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("frmAbout");
  setWindowTitle(QString("About ") + kApplicationTitle);

  auto* title = new QLabel(QString("%1 %2.%3.%4")
                               .arg(kApplicationTitle)
                               .arg(kVersionMajor)
                               .arg(kVersionMinor)
                               .arg(kVersionRevision));
  title->setObjectName("lblTitle");
  QFont titleFont = title->font();
  titleFont.setBold(true);
  titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
  title->setFont(titleFont);

  auto* comment = new QLabel(kApplicationComment);
  comment->setObjectName("lblComment");
  comment->setWordWrap(true);

  auto* notice = TextFrame(
      "frameNotice", "Distribution",
      "This program is distributed free of charge and may be copied and passed on freely, "
      "provided it is not sold and this notice is kept. It is provided \"as is\", without "
      "warranty of any kind. The authors accept no liability for any damage or loss, direct "
      "or indirect, arising from its use; every result should be checked independently "
      "before it is relied upon.");
  auto* institution = TextFrame(
      "frameInstitution", "Institution",
      "Made by the Quarvel project, which develops this tool in the open, in the Quarvel "
      "source repository, for the study of hysteresis in structural engineering.");
  auto* contact = TextFrame(
      "frameContact", "Contact",
      "Comments, questions and bug reports are welcome: please open an issue in the issue "
      "tracker of the Quarvel source repository.");

  auto* ok = new QPushButton("Ok");
  ok->setObjectName("cmdOk");
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(ok);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(title);
  layout->addWidget(comment);
  layout->addWidget(notice);
  layout->addWidget(institution);
  layout->addWidget(contact);
  layout->addLayout(buttons);
  setFixedWidth(420);
}

}  // namespace quarvel::app
