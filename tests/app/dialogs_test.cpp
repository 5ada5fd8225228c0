// The sinusoid dialog and the About box as widgets, and the Qt dialogs' modal wiring.

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include "app/about_dialog.h"
#include "app/qt_dialogs.h"
#include "app/sinusoid_dialog.h"

namespace quarvel::app {
namespace {

QLineEdit* Box(QWidget& dialog, const char* name) {
  auto* box = dialog.findChild<QLineEdit*>(name);
  EXPECT_NE(box, nullptr) << name;
  return box;
}

TEST(SinusoidDialogTest, OpensWithItsCaptionAndDefaults) {
  SinusoidDialog dialog;
  EXPECT_EQ(dialog.objectName(), "frmSinusoidalDisplacement");
  EXPECT_EQ(dialog.windowTitle(), "Sin displacement");
  EXPECT_EQ(Box(dialog, "txtMass")->text(), "2.86");
  EXPECT_EQ(Box(dialog, "txtAmplitude")->text(), "0.111");
  EXPECT_EQ(Box(dialog, "txtPeriod")->text(), "4");
  EXPECT_EQ(Box(dialog, "txtCycles")->text(), "3");
  EXPECT_EQ(Box(dialog, "txtTimeStep")->text(), "0.02");
  auto* ok = dialog.findChild<QPushButton*>("cmdOk");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "Ok");
  EXPECT_TRUE(ok->isDefault());
  EXPECT_EQ(dialog.findChild<QPushButton*>("cmdCancel")->text(), "Cancel");
}

TEST(SinusoidDialogTest, TypingTurnsCommasIntoPointsAndDropsMinusSigns) {
  SinusoidDialog dialog;
  QLineEdit* period = Box(dialog, "txtPeriod");
  period->clear();
  QTest::keyClicks(period, "-2,5");
  EXPECT_EQ(period->text(), "2.5");
  QTest::keyClick(period, Qt::Key_Minus);
  QTest::keyClick(period, Qt::Key_Comma);
  EXPECT_EQ(period->text(), "2.5.");
  EXPECT_EQ(dialog.Texts().period, "2.5.");
}

TEST(SinusoidDialogTest, FocusSelectsTheWholeText) {
  SinusoidDialog dialog;
  dialog.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
  QLineEdit* cycles = Box(dialog, "txtCycles");
  cycles->setFocus();
  QTRY_COMPARE(cycles->selectedText(), QString("3"));
  QTest::keyClicks(cycles, "7");
  EXPECT_EQ(cycles->text(), "7");
}

// Clicks `button` of the modal dialog as soon as it is up.
void ClickInModalDialog(const char* button, std::function<void(QWidget&)> edit = {}) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, button, edit] {
    QWidget* dialog = QApplication::activeModalWidget();
    if (dialog == nullptr) return;
    timer->stop();
    timer->deleteLater();
    if (edit) edit(*dialog);
    dialog->findChild<QPushButton*>(button)->click();
  });
  timer->start();
}

TEST(QtDialogsTest, SinusoidDialogReturnsTheTextsOnlyAfterOk) {
  QtDialogs dialogs;
  ClickInModalDialog("cmdOk", [](QWidget& dialog) { Box(dialog, "txtCycles")->setText("5"); });
  const std::optional<SinusoidDialogTexts> texts = dialogs.AskSinusoid(nullptr);
  ASSERT_TRUE(texts.has_value());
  EXPECT_EQ(texts->cycles, "5");
  EXPECT_EQ(texts->mass, "2.86");

  ClickInModalDialog("cmdCancel");
  EXPECT_FALSE(dialogs.AskSinusoid(nullptr).has_value());
}

TEST(AboutDialogTest, ShowsTitleVersionAndPurpose) {
  AboutDialog about;
  EXPECT_EQ(about.objectName(), "frmAbout");
  EXPECT_EQ(about.windowTitle(), "About Quarvel");
  EXPECT_EQ(about.findChild<QLabel*>("lblTitle")->text(), "Quarvel 1.0.0");
  EXPECT_EQ(about.findChild<QLabel*>("lblComment")->text(),
            "Bouc-Wen model modification for compliance with Drucker's and Il'iushin's "
            "postulates of plasticity.");
  auto* ok = about.findChild<QPushButton*>("cmdOk");
  ASSERT_NE(ok, nullptr);
  EXPECT_EQ(ok->text(), "Ok");
  about.show();
  ok->click();
  EXPECT_FALSE(about.isVisible());
}

}  // namespace
}  // namespace quarvel::app
