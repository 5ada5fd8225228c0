// The graph window: brought on screen from the main window's graph, its plot-size commands,
// the pointer read-out and the clipboard copy.

#include <QAction>
#include <QClipboard>
#include <QGuiApplication>
#include <QMouseEvent>
#include <QStatusBar>
#include <QTest>

#include "app/graph_box.h"
#include "app/graph_window.h"
#include "app_test_support.h"
#include "graph/recording_canvas.h"

namespace quarvel::app {
namespace {

class GraphWindowTest : public testing::FormTest {
 protected:
  // Creates the experiments and double-clicks the main window's graph.
  void OpenWindow() {
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    Click("cmdCreateExperiment");
    box = Find<GraphBox>("picBoucWen");
    window = &form->GraphForm();
    EXPECT_FALSE(window->isVisible());
    QTest::mouseDClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
    ASSERT_TRUE(window->isVisible());
  }
  PixelRect Plot() { return window->PictureLayout().value_or(GraphLayout{}).PlotRect; }
  QString ReadOutAt(QPoint position) {
    auto* picture = window->findChild<GraphBox*>("Picture1");
    QMouseEvent move(QEvent::MouseMove, position, picture->mapToGlobal(position), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QCoreApplication::sendEvent(picture, &move);
    return window->findChild<QStatusBar*>("StatusBar1")->currentMessage();
  }

  GraphBox* box = nullptr;
  GraphWindow* window = nullptr;
};

TEST_F(GraphWindowTest, OpensWithTheBoxGraphResizesAboveTheStatusBarAndEscapeHides) {
  OpenWindow();
  EXPECT_EQ(window->Picture(), box->Image());
  window->resize(700, 520);
  const auto* picture = window->findChild<GraphBox*>("Picture1");
  const auto* status = window->findChild<QStatusBar*>("StatusBar1");
  EXPECT_EQ(window->Picture().size(), picture->size());
  EXPECT_EQ(picture->width(), 700);
  EXPECT_EQ(status->geometry().top(), picture->geometry().bottom() + 1);
  EXPECT_EQ(status->geometry().bottom(), window->height() - 1);
  QTest::keyClick(window, Qt::Key_Escape);
  EXPECT_FALSE(window->isVisible());
}

TEST_F(GraphWindowTest, PlotSizeCommandsAndControlF12F11) {
  OpenWindow();
  window->SetGraphWidth(400);
  window->SetGraphHeight(250);
  EXPECT_EQ(Plot().Right - Plot().Left, 400);
  EXPECT_EQ(Plot().Bottom - Plot().Top, 250);
  EXPECT_EQ(window->SurfaceSize(), window->Picture().size());  // the window follows the picture
  QImage before = window->Picture();
  window->SetGraphWidth(0);
  window->SetGraphWidth(GraphWindow::kMaxPlotExtent + 1);
  EXPECT_EQ(window->Picture(), before);

  log.inputAnswers.push_back("420 px");  // read as far as it is a number
  QTest::keyClick(window, Qt::Key_F12, Qt::ControlModifier);
  ASSERT_EQ(log.inputRequests.size(), 1u);
  EXPECT_EQ(log.inputRequests[0], (QStringList{"Graph width", "Graph width", "400"}));
  EXPECT_EQ(Plot().Right - Plot().Left, 420);
  // Cancel, an empty answer and F11 without Ctrl leave the graph as it is.
  before = window->Picture();
  QTest::keyClick(window, Qt::Key_F11, Qt::ControlModifier);  // no answer queued: cancel
  log.inputAnswers.push_back("");
  QTest::keyClick(window, Qt::Key_F11, Qt::ControlModifier);
  QTest::keyClick(window, Qt::Key_F11);
  ASSERT_EQ(log.inputRequests.size(), 3u);
  EXPECT_EQ(log.inputRequests[1][0], "Graph height");
  EXPECT_EQ(window->Picture(), before);
}

TEST_F(GraphWindowTest, ReadOutInsideThePlotAreaOnlyAndClearedWithTheGraph) {
  OpenWindow();
  const QPoint inside((Plot().Left + Plot().Right) / 2, (Plot().Top + Plot().Bottom) / 2);
  const QString text = ReadOutAt(inside);
  EXPECT_EQ(text.toStdString(), window->GraphModel().FormatCoordinates(
                                    *window->PictureLayout(), inside.x(), inside.y()));
  EXPECT_TRUE(text.startsWith("(") && text.endsWith(")")) << text.toStdString();
  EXPECT_TRUE(ReadOutAt(QPoint(Plot().Left - 1, Plot().Bottom)).isEmpty());

  const QImage whole = window->Picture();
  Click("cmdClearExperiments");  // the window follows the main graph while on screen
  EXPECT_NE(window->Picture(), whole);
  EXPECT_TRUE(ReadOutAt(inside).isEmpty());
}

// The read-out maps the pointer against the picture on this window's surface, also after the
// same graph was drawn on another surface at another size (the main window's box draws it too).
TEST_F(GraphWindowTest, ReadOutKeepsToThisWindowsPicture) {
  OpenWindow();
  window->resize(900, 700);
  const QPoint centre = window->findChild<GraphBox*>("Picture1")->rect().center();
  const QString before = ReadOutAt(centre);
  ASSERT_FALSE(before.isEmpty());
  RecordingCanvas elsewhere(300, 200);
  window->GraphModel().SetSurface(&elsewhere);
  window->GraphModel().DrawGraph();
  EXPECT_EQ(ReadOutAt(centre), before);
}

TEST_F(GraphWindowTest, CopyToClipboardPutsThePictureThere) {
  OpenWindow();
  QGuiApplication::clipboard()->clear();
  auto* copy = window->findChild<QAction*>("mnuCopyToClipboard");
  ASSERT_NE(copy, nullptr);
  copy->trigger();
  const QImage copied = QGuiApplication::clipboard()->image();
  EXPECT_EQ(copied.size(), box->size());
  EXPECT_EQ(copied.convertToFormat(QImage::Format_RGB32),
            window->Picture().convertToFormat(QImage::Format_RGB32));
}

}  // namespace
}  // namespace quarvel::app
