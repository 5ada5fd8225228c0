// The graph window: brought on screen from the main window's graph, its plot-size commands,
// the pointer read-out and the clipboard copy.

#include <QAction>
#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

#include "app/graph_box.h"
#include "app/graph_window.h"
#include "app/main_form.h"
#include "fake_dialogs.h"

namespace quarvel::app {
namespace {

using testing::DialogLog;
using testing::FakeDialogs;

class GraphWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<MainForm>(std::make_unique<FakeDialogs>(log));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    form->findChild<QAbstractButton*>("cmdCreateExperiment")->click();
    box = form->findChild<GraphBox*>("picBoucWen");
    window = &form->GraphForm();
  }

  // Double-clicks the main window's graph.
  void OpenWindow() {
    QTest::mouseDClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
    ASSERT_TRUE(window->isVisible());
  }
  int PlotWidth() {
    const PixelRect plot = window->GraphModel().GetPlotRect();
    return plot.Right - plot.Left;
  }
  int PlotHeight() {
    const PixelRect plot = window->GraphModel().GetPlotRect();
    return plot.Bottom - plot.Top;
  }
  QString ReadOutAt(QPoint position) {
    auto* picture = window->findChild<GraphBox*>("Picture1");
    QMouseEvent move(QEvent::MouseMove, position, picture->mapToGlobal(position), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(picture, &move);
    return window->findChild<QStatusBar*>("StatusBar1")->currentMessage();
  }

  DialogLog log;
  std::unique_ptr<MainForm> form;
  GraphBox* box = nullptr;
  GraphWindow* window = nullptr;
};

TEST_F(GraphWindowTest, StartsHiddenAndOpensWithTheSameGraphAsTheBox) {
  EXPECT_FALSE(window->isVisible());
  OpenWindow();
  EXPECT_EQ(window->Picture().size(), box->size());
  EXPECT_EQ(window->Picture(), box->Image());

  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(GraphWindowTest, ResizingRedrawsAtTheNewSizeAboveTheStatusBar) {
  OpenWindow();
  window->resize(700, 520);
  const auto* picture = window->findChild<GraphBox*>("Picture1");
  const auto* status = window->findChild<QStatusBar*>("StatusBar1");
  EXPECT_EQ(window->Picture().size(), picture->size());
  EXPECT_EQ(picture->width(), 700);
  EXPECT_EQ(status->geometry().top(), picture->geometry().bottom() + 1);
  EXPECT_EQ(status->geometry().bottom(), window->height() - 1);
}

TEST_F(GraphWindowTest, SetGraphWidthAndHeightGiveThatPlotArea) {
  window->SetGraphWidth(400);
  EXPECT_EQ(PlotWidth(), 400);
  window->SetGraphHeight(250);
  EXPECT_EQ(PlotHeight(), 250);
  // The window takes the size of the picture.
  EXPECT_EQ(window->SurfaceSize(), window->Picture().size());

  const QImage before = window->Picture();
  window->SetGraphWidth(0);
  window->SetGraphWidth(GraphWindow::kMaxPlotExtent + 1);
  EXPECT_EQ(window->Picture(), before);
}

TEST_F(GraphWindowTest, ControlF12AndF11AskForThePlotSize) {
  OpenWindow();
  const QString width = QString::number(PlotWidth());
  log.inputAnswers.push_back("420 px");  // read as far as it is a number
  QTest::keyClick(window, Qt::Key_F12, Qt::ControlModifier);
  ASSERT_EQ(log.inputRequests.size(), 1u);
  EXPECT_EQ(log.inputRequests[0], (QStringList{"Graph width", "Graph width", width}));
  EXPECT_EQ(PlotWidth(), 420);

  // Cancel, an empty answer and F11 without Ctrl leave the graph as it is.
  const QImage before = window->Picture();
  QTest::keyClick(window, Qt::Key_F11, Qt::ControlModifier);  // no answer queued: cancel
  log.inputAnswers.push_back("");
  QTest::keyClick(window, Qt::Key_F11, Qt::ControlModifier);
  QTest::keyClick(window, Qt::Key_F11);
  ASSERT_EQ(log.inputRequests.size(), 3u);
  EXPECT_EQ(log.inputRequests[1][0], "Graph height");
  EXPECT_EQ(window->Picture(), before);
}

TEST_F(GraphWindowTest, ReadOutShowsDataCoordinatesInsideThePlotAreaOnly) {
  OpenWindow();
  const PixelRect plot = window->GraphModel().GetPlotRect();
  const QPoint inside((plot.Left + plot.Right) / 2, (plot.Top + plot.Bottom) / 2);
  const QString text = ReadOutAt(inside);
  EXPECT_EQ(text.toStdString(), window->GraphModel().FormatCoordinates(inside.x(), inside.y()));
  EXPECT_TRUE(text.startsWith("(") && text.endsWith(")") && text.contains(","))
      << text.toStdString();
  EXPECT_FALSE(ReadOutAt(QPoint(plot.Left, plot.Bottom)).isEmpty());  // the border is inside
  EXPECT_TRUE(ReadOutAt(QPoint(plot.Left - 1, plot.Bottom)).isEmpty());
  EXPECT_TRUE(ReadOutAt(QPoint(2, 2)).isEmpty());
}

TEST_F(GraphWindowTest, CopyToClipboardPutsThePictureThere) {
  OpenWindow();
  QGuiApplication::clipboard()->clear();
  auto* copy = window->findChild<QAction*>("mnuCopyToClipboard");
  ASSERT_NE(copy, nullptr);
  copy->trigger();
  const QImage copied = QGuiApplication::clipboard()->image();
  ASSERT_FALSE(copied.isNull());
  EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32),
            window->Picture().convertToFormat(QImage::Format_RGB32));
  EXPECT_EQ(copied.size(), box->size());
}

TEST_F(GraphWindowTest, FollowsTheMainGraphWhileOnScreen) {
  OpenWindow();
  const QImage whole = window->Picture();
  form->findChild<QAbstractButton*>("cmdClearExperiments")->click();
  EXPECT_NE(window->Picture(), whole);
  EXPECT_TRUE(ReadOutAt(QPoint(window->width() / 2, 100)).isEmpty());
}

}  // namespace
}  // namespace quarvel::app
