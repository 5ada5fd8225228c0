// The sinusoid dialog as the Qt dialogs show it, and the About box.

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/about_dialog.h"
#include "app/qt_dialogs.h"

namespace quarvel::app {
namespace {

// Once the modal dialog is up: `edit` it, then click `button` (none: `edit` closes it).
void AnswerModalDialog(std::function<void(QWidget&)> edit, const char* button = nullptr) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, button, edit] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return;
    timer->stop();
    timer->deleteLater();
    edit(*dialog);
    if (button) dialog->findChild<QPushButton*>(button)->click();
  });
  timer->start();
}

// The period box drops minus signs and reads a comma as the decimal point; a box selects its
// text when it gets the focus; Enter is Ok. Cancel returns nothing.
TEST(QtDialogsTest, SinusoidDialogFiltersKeysSelectsOnFocusAndAnswersOnlyOk) {
  QtDialogs dialogs;
  AnswerModalDialog([](QWidget& dialog) {
    EXPECT_EQ(dialog.objectName() + " " + dialog.windowTitle(),
              "frmSinusoidalDisplacement Sin displacement");
    auto* period = dialog.findChild<QLineEdit*>("txtPeriod");
    period->clear();
    QTest::keyClicks(period, "-2,5");
    QTest::keyClick(period, Qt::Key_Minus);
    QTest::keyClick(period, Qt::Key_Comma);
    auto* cycles = dialog.findChild<QLineEdit*>("txtCycles");
    cycles->setFocus();
    EXPECT_TRUE(QTest::qWaitFor([cycles] { return cycles->selectedText() == "3"; }));
    QTest::keyClicks(cycles, "7");
    QTest::keyClick(cycles, Qt::Key_Return);
  });
  const std::optional<SinusoidDialogTexts> texts = dialogs.AskSinusoid(nullptr);
  ASSERT_TRUE(texts.has_value());
  EXPECT_EQ(texts->mass + "|" + texts->amplitude + "|" + texts->period + "|" + texts->cycles + "|" +
                texts->timeStep,
            "2.86|0.111|2.5.|7|0.02");
  AnswerModalDialog([](QWidget&) {}, "cmdCancel");
  EXPECT_FALSE(dialogs.AskSinusoid(nullptr).has_value());
}

// Title, purpose, and the frames of a free-distribution notice with its disclaimer, the
// institution and a contact that leads somewhere (the project, not a placeholder address).
TEST(AboutDialogTest, ShowsTitleVersionPurposeNoticeInstitutionAndContact) {
  AboutDialog about;
  EXPECT_EQ(about.objectName() + " " + about.windowTitle(), "frmAbout About Quarvel");
  EXPECT_EQ(about.findChild<QLabel*>("lblTitle")->text(), "Quarvel 1.0.0");
  EXPECT_EQ(about.findChild<QLabel*>("lblComment")->text(),
            "Bouc-Wen model modification for compliance with Drucker's and Il'iushin's "
            "postulates of plasticity.");
  const std::pair<const char*, QStringList> frames[] = {
      {"frameNotice", {"free", "liability"}},
      {"frameInstitution", {"Quarvel project"}},
      {"frameContact", {"Quarvel source repository"}}};
  for (const auto& [name, words] : frames) {
    const auto* frame = about.findChild<QGroupBox*>(name);
    ASSERT_NE(frame, nullptr) << name;
    EXPECT_FALSE(frame->title().isEmpty()) << name;
    const QString text = frame->findChild<QLabel*>()->text();
    for (const QString& word : words) EXPECT_TRUE(text.contains(word)) << name;
    EXPECT_FALSE(text.contains("example.")) << name;
  }
  about.show();
  about.findChild<QPushButton*>("cmdOk")->click();
  EXPECT_FALSE(about.isVisible());
}

}  // namespace
}  // namespace quarvel::app
