// GUI tests run without a display unless a platform is chosen, on one screen of 1280 x 800
// pixels: the size the main window is laid out for.

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
  const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
  if (platform.isEmpty() || platform == "offscreen") {
    qputenv("QT_QPA_PLATFORM",
            "offscreen:configfile=" QUARVEL_SOURCE_DIR "/tests/app/offscreen_screen.json");
  }
  QApplication application(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
