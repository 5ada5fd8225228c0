// Playback in the main window and in the graph window that shows the same graph, driven by a
// clock that advances a fixed step per reading, with the user's clicks posted so that they run
// between two turns of the playback.

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QStatusBar>
#include <QTest>
#include <QTimer>

#include <cmath>
#include <functional>
#include <map>

#include "app/app_info.h"
#include "app/graph_box.h"
#include "app/graph_window.h"
#include "app_test_support.h"
#include "graph/recording_canvas.h"

namespace quarvel::app {
namespace {

// Reading n returns start + (n - 1) * step, back to 0 at midnight, and posts the action
// registered for n so that it runs in the event processing that follows.
class SteppingClock : public PlaybackClock {
 public:
  double SecondsSinceMidnight() override {
    if (const auto action = actions.find(++readings); action != actions.end()) {
      QTimer::singleShot(0, qApp, action->second);
    }
    const double now = next;
    next = std::fmod(next + step, kSecondsPerDay);
    return now;
  }
  double next = 1000.0;  // multiples of 1/4 s stay exact
  double step = 0.5;
  int readings = 0;
  std::map<int, std::function<void()>> actions;
};

// The first experiment of Create: 501 samples 0.02 s apart, so one 0.5 s clock step is 25
// samples at speed 1/1. Reading 1 is Play's own; reading n + 1 shows sample 25 n.
class PlaybackTest : public testing::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    auto owned = std::make_unique<SteppingClock>();
    clock = owned.get();
    form->SetPlaybackClock(std::move(owned));
  }
  std::string Progress() { return Text("lblProgressDataPoints").toStdString(); }
  int Scroll() { return Find<QScrollBar>("HScroll")->value(); }
  std::string Shows() { return Progress() + " " + std::to_string(Scroll()); }
  // Pause and Stop are enabled exactly while playing.
  bool Playing() { return Find<QPushButton>("cmdStop")->isEnabled(); }
  std::function<void()> Clicking(const char* button) { return [this, button] { Click(button); }; }
  // Plays with the actions keyed by the readings of this Play until playback has ended (or
  // stops it after 20 s); returns the readings taken.
  int Play(std::map<int, std::function<void()>> actions) {
    clock->actions = std::move(actions);
    clock->readings = 0;
    Click("cmdPlay");
    QElapsedTimer waited;
    waited.start();
    while (Playing() && waited.elapsed() < 20000) QCoreApplication::processEvents();
    if (Playing()) Click("cmdStop");
    EXPECT_FALSE(Find<QPushButton>("cmdPause")->isEnabled());
    return clock->readings;
  }
  void SetScroll(int position) { Find<QScrollBar>("HScroll")->setValue(position); }

  SteppingClock* clock = nullptr;
};

int Pixels(const QImage& image, QRgb colour) {
  const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
  const auto* bits = reinterpret_cast<const QRgb*>(rgb.constBits());
  return static_cast<int>(std::count(bits, bits + rgb.sizeInBytes() / 4, colour));
}
const QRgb kBlue = qRgb(0, 0, 255), kGreen = qRgb(0, 255, 0);

TEST_F(PlaybackTest, PlayRunsToTheEndRestartsAndFollowsTheScrollBarAndTheSlider) {
  EXPECT_EQ(Play({}), 0);  // no experiments: nothing happens
  Click("cmdCreateExperiment");
  // Samples 25, 50, ..., 500; the next reading would show 525 of 501. (Play waits while Stop is
  // enabled: were it not while playing, Play would return after its own reading.)
  EXPECT_EQ(Play({}), 22);
  EXPECT_EQ(Shows(), "500/501 998");
  // From 991 on, the next Play starts again from the beginning.
  SetScroll(991);
  Play({{2, Clicking("cmdPause")}});
  EXPECT_EQ(Shows(), "25/501 49");

  // From sample 0: after sample 50 the user drags to 600/1000 (sample 300.6 -> 301, shown at
  // once, the clock read at 1.5 s); after sample 326 (2 s) the pace becomes 2/1, so that one
  // step later the record is 1 s further (sample 376), not 4 s from its start (the end).
  SetScroll(0);
  Play({{3, [this] {
           SetScroll(600);
           EXPECT_EQ(Progress(), "301/501");
         }},
        {5, [this] { Find<QSlider>("Slider")->setValue(1); }}, {6, Clicking("cmdPause")}});
  EXPECT_EQ(Shows(), "376/501 750");
}

// Whatever draws the graph again after Pause (a resize of the window, another quantity, the
// graph window) shows the paused frame, with the reversal marks of the rule the data were solved
// with, until Stop shows the whole response, without marks. The graph window, opened by a
// double click, copies its picture, reads out the pointer within the plot area against its own
// picture (also after the graph was drawn elsewhere at another size), sets the plot size,
// follows Clear and hides on Escape.
TEST_F(PlaybackTest, EveryRedrawAfterPauseShowsThePausedFrame) {
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  auto* box = Find<GraphBox>("picBoucWen");
  Click("optReversalLastAndMax");
  Click("cmdCreateExperiment");
  Click("optALLREV");  // after the solve
  EXPECT_GT(Pixels(Picture(), kBlue), 100);
  // The "+" legend sample: as long across as down.
  const QImage plus = Find<QWidget>("lineReversalPlus")->grab().toImage();
  const int across = Pixels(plus.copy(0, plus.height() / 2, plus.width(), 1), kGreen);
  EXPECT_GT(across, 4);
  EXPECT_EQ(across, Pixels(plus.copy(plus.width() / 2, 0, 1, plus.height()), kGreen));
  Play({{5, Clicking("cmdPause")}});
  EXPECT_EQ(Shows(), "100/501 199");  // 99.7 -> 100
  form->resize(form->width() + 60, form->height());  // the width alone
  ASSERT_TRUE(QTest::qWaitFor([box] { return box->Image().size() == box->size(); }));
  form->resize(form->width(), form->height() - 40);  // then the height alone
  ASSERT_TRUE(QTest::qWaitFor([box] { return box->Image().size() == box->size(); }));
  const QImage resized = Picture();
  SetScroll(0);  // and back: the paused sample drawn afresh
  SetScroll(199);
  EXPECT_EQ(resized, Picture());
  List("cboGraphY")->setCurrentIndex(4);  // F against T
  const QImage force = Picture();
  SetScroll(0);
  SetScroll(199);
  EXPECT_EQ(force, Picture());

  GraphWindow& window = form->GraphForm();
  QTest::mouseDClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
  ASSERT_TRUE(window.isVisible());
  EXPECT_EQ(window.Picture(), Picture());
  window.resize(700, 520);
  auto* picture = window.findChild<GraphBox*>("Picture1");
  auto* status = window.findChild<QStatusBar*>("StatusBar1");
  EXPECT_GT(Pixels(window.Picture(), kGreen), 0);
  const auto plot = [&window] { return window.PictureLayout().value_or(GraphLayout{}).PlotRect; };
  const auto readOut = [&](QPoint at) {
    QMouseEvent move(QEvent::MouseMove, at, picture->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QCoreApplication::sendEvent(picture, &move);
    return status->currentMessage().toStdString();
  };
  const QPoint inside((plot().Left + plot().Right) / 2, (plot().Top + plot().Bottom) / 2);
  const std::string text = readOut(inside);
  EXPECT_EQ(text, window.GraphModel().FormatCoordinates(*window.PictureLayout(), inside.x(),
                                                        inside.y()));
  EXPECT_EQ(readOut(QPoint(plot().Left - 1, plot().Bottom)), "");
  RecordingCanvas elsewhere(300, 200);
  window.GraphModel().SetSurface(&elsewhere);
  window.GraphModel().DrawGraph();
  EXPECT_EQ(readOut(inside), text);

  // Ctrl+F12 and Ctrl+F11 ask for the plot area's size in pixels, read as far as it is a
  // number; Cancel, F11 without Ctrl and sizes out of range (0, as an empty answer would read)
  // change nothing.
  window.SetGraphWidth(400);
  window.SetGraphHeight(250);
  log.answers = {"420 px"};
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitFor([&window] { return QApplication::activeWindow() == &window; }));
  QTest::keyClick(&window, Qt::Key_F12, Qt::ControlModifier);
  EXPECT_EQ(plot().Right - plot().Left, 420);
  EXPECT_EQ(plot().Bottom - plot().Top, 250);
  EXPECT_EQ(window.SurfaceSize(), window.Picture().size());  // the window follows the picture
  const QImage sized = window.Picture();
  QTest::keyClick(&window, Qt::Key_F11, Qt::ControlModifier);
  QTest::keyClick(&window, Qt::Key_F11);
  window.SetGraphWidth(0);
  window.SetGraphWidth(GraphWindow::kMaxPlotExtent + 1);
  EXPECT_EQ(window.Picture(), sized);
  EXPECT_EQ(log.asked.join(", ").toStdString(),
            "input | Graph width | Graph width | 400, input | Graph height | Graph height | 250");

  // Resumes from 199/1000 of the record (sample 99.7), one step later: sample 124.7.
  Play({{2, Clicking("cmdPause")}});
  EXPECT_EQ(Progress(), "125/501");
  EXPECT_EQ(Play({{3, Clicking("cmdStop")}}), 3);
  EXPECT_EQ(Shows(), "175/501 0");  // the label keeps the last frame shown
  EXPECT_EQ(Pixels(Picture(), kGreen) + Pixels(window.Picture(), kGreen), 0);

  Click("cmdClearExperiments");  // the window follows the main graph while on screen
  EXPECT_EQ(Pixels(window.Picture(), kBlue), 0);
  EXPECT_TRUE(readOut(inside).empty());
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_FALSE(window.isVisible());
}

// A new set or a new response resets a paused playback: after Load (Create shows its set the
// same way) and a Loop the scroll bar is at 0 without a frame caption, and Play starts from the
// new record's beginning. (Clear: the stopped playback below.)
TEST_F(PlaybackTest, NewSetsAndResponsesPlayFromTheStart) {
  form->SetStudyFolder(folder.path());
  Box("txtTo")->setText("0.1");  // the Loop solves one value
  QByteArray longer = "1\nLonger\n1\n2.86\n0\n0\n0\nForce\nnone\n0.01\n200\n";
  for (int i = 0; i < 200; ++i) longer += "1\n";
  const std::pair<const char*, const char*> rows[] = {
      // command, what one step of Play shows then
      {"cmdLoadExperiments", "50/200 250"}, {"cmdLoop", "25/501 49"}};
  for (const auto& [command, played] : rows) {
    SCOPED_TRACE(command);
    Click("cmdCreateExperiment");
    Play({{5, Clicking("cmdPause")}});
    log.answers = {WriteFile("longer.quarvel", longer.constData())};
    Click(command);
    EXPECT_EQ(Shows(), " 0");
    Play({{2, Clicking("cmdPause")}});
    EXPECT_EQ(Shows(), played);
  }
}

// The graph window's menu lists the plot size commands with their keys. Save Picture writes the
// graph as shown, at the window's size, in the format the extension names, and refuses another;
// a plot size the window cannot take is refused with a word, and no size makes it taller than
// the screen.
TEST_F(PlaybackTest, GraphWindowMenuSavesPicturesAndRefusesSizesItCannotTake) {
  Click("cmdCreateExperiment");
  GraphWindow& window = form->GraphForm();
  window.ShowWithSurfaceSize(QSize(500, 400));
  const auto command = [&window](const char* name) { return window.findChild<QAction*>(name); };
  const QList<QAction*> menu = window.findChild<QMenu*>("mnuSettings")->actions();
  EXPECT_TRUE(menu.contains(command("mnuPlotWidth")));  // one helper adds every command
  // Ctrl+F12 is pressed in the paused frame test; there F11 alone would pass for Ctrl+F11.
  EXPECT_EQ(command("mnuPlotHeight")->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F11));

  // (The SVG, PNG and PDF files themselves: the figure file tests.)
  const std::pair<const char*, const char*> pictures[] = {
      {"graph.png", "\x89PNG"}, {"graph.jpg", "\xFF\xD8\xFF"}, {"graph.txt", nullptr}};
  for (const auto& [name, start] : pictures) {
    SCOPED_TRACE(name);
    log.answers = {folder.filePath(name)};
    command("mnuSavePicture")->trigger();
    QFile file(folder.filePath(name));
    const QByteArray head = file.open(QIODevice::ReadOnly) ? file.read(8) : QByteArray();
    if (start) {
      EXPECT_TRUE(head.startsWith(start));
    } else {
      EXPECT_TRUE(log.asked.last().contains("graph.txt: the extension names no picture format"));
    }
  }
  EXPECT_EQ(QImage(folder.filePath("graph.png")).size(), window.SurfaceSize());

  const QSize shown = window.size();
  const std::pair<const char*, const char*> refused[] = {
      {"mnuPlotWidth", "99999"}, {"mnuPlotWidth", "abc"}, {"mnuPlotWidth", "-5"},
      {"mnuPlotHeight", "4000"}};
  for (const auto& [name, answer] : refused) {
    SCOPED_TRACE(answer);
    log.answers = {answer};
    command(name)->trigger();
    EXPECT_TRUE(log.asked.last().contains(QString("\"%1\" is not a plot ").arg(answer)));
    EXPECT_EQ(window.size(), shown);
  }
  window.SetGraphHeight(4000);  // the window and the frame the window manager adds fit the screen
  EXPECT_LE(window.height() + kWindowFrameAllowance.height(),
            window.screen()->availableGeometry().height());
}

// Solve, Clear and closing the window stop a running playback first.
TEST_F(PlaybackTest, CommandsAndClosingStopPlayback) {
  form->show();
  Click("cmdCreateExperiment");
  const QImage whole = Picture();
  clock->step = 0.01;  // half a sample per step: the record would take a thousand turns
  StaleResults();
  EXPECT_EQ(Play({{3, Clicking("cmdSolve")}}), 3);
  EXPECT_TRUE(Solved());
  EXPECT_EQ(Picture(), whole);
  EXPECT_EQ(Scroll(), 0);
  EXPECT_EQ(Play({{3, Clicking("cmdClearExperiments")}}), 3);
  EXPECT_EQ(Shows(), " 0");

  // A record without a positive time step would never reach its end: playing ends at once.
  log.answers = {WriteFile("back.quarvel",
                           "1\nBack\n1\n2.86\n0\n0\n0\nForce\nnone\n-0.02\n4\n0\n5\n0\n-5\n")};
  Click("cmdLoadExperiments");
  EXPECT_EQ(Play({}), 2);
  Click("cmdCreateExperiment");
  EXPECT_EQ(Play({{3, [this] { form->close(); }}}), 3);
  EXPECT_EQ(Scroll(), 0);
  EXPECT_FALSE(form->isVisible());
}

}  // namespace
}  // namespace quarvel::app
