// The sinusoid dialog and the About box as widgets, and the Qt dialogs' modal wiring.

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
#include "app/sinusoid_dialog.h"

namespace quarvel::app {
namespace {

QLineEdit* Box(QWidget& dialog, const char* name) {
  auto* box = dialog.findChild<QLineEdit*>(name);
  EXPECT_NE(box, nullptr) << name;
  return box;
}

TEST(SinusoidDialogTest, DefaultsKeyFilteringAndSelectAllOnFocus) {
  SinusoidDialog dialog;
  EXPECT_EQ(dialog.objectName(), "frmSinusoidalDisplacement");
  EXPECT_EQ(dialog.windowTitle(), "Sin displacement");
  const std::pair<const char*, const char*> defaults[] = {
      {"txtMass", "2.86"}, {"txtAmplitude", "0.111"}, {"txtPeriod", "4"}, {"txtCycles", "3"},
      {"txtTimeStep", "0.02"}};
  for (const auto& [name, text] : defaults) EXPECT_EQ(Box(dialog, name)->text(), text);
  EXPECT_TRUE(dialog.findChild<QPushButton*>("cmdOk")->isDefault());

  QLineEdit* period = Box(dialog, "txtPeriod");
  period->clear();
  QTest::keyClicks(period, "-2,5");
  QTest::keyClick(period, Qt::Key_Minus);
  QTest::keyClick(period, Qt::Key_Comma);
  EXPECT_EQ(dialog.Texts().period, "2.5.");

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

// Title, purpose, and the frames of a free-distribution notice with its disclaimer, the
// institution and a contact that leads somewhere (the project, not a placeholder address).
TEST(AboutDialogTest, ShowsTitleVersionPurposeNoticeInstitutionAndContact) {
  AboutDialog about;
  EXPECT_EQ(about.objectName(), "frmAbout");
  EXPECT_EQ(about.windowTitle(), "About Quarvel");
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
