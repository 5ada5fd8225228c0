// Playback in the main window, driven by a clock that advances a fixed step per reading, with
// the user's clicks posted so that they run between two turns of the playback.

#include <QApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include <map>
#include <string>

#include "app/graph_box.h"
#include "app/graph_window.h"
#include "app_test_support.h"

namespace quarvel::app {
namespace {

// Reading n returns start + (n - 1) * step, and posts the action registered for n so that it
// runs in the event processing that follows. A loop still running after kRunaway readings is
// stopped, so that it fails its test instead of hanging it.
class SteppingClock : public PlaybackClock {
 public:
  static constexpr int kRunaway = 5000;
  double SecondsSinceMidnight() override {
    ++readings;
    if (auto action = actions.find(readings); action != actions.end()) {
      QTimer::singleShot(0, qApp, action->second);
    }
    if (readings == kRunaway && runaway) QTimer::singleShot(0, qApp, runaway);
    next += step;
    return next - step;
  }
  double next = 1000.0;  // multiples of 1/4 s stay exact
  double step = 0.5;
  int readings = 0;
  std::map<int, std::function<void()>> actions;
  std::function<void()> runaway;
};

// The first experiment of Create: 501 samples 0.02 s apart, so one 0.5 s clock step is 25
// samples at speed 1/1. Reading 1 is Play's own; reading n + 1 shows sample 25 n.
class PlaybackTest : public testing::FormTest {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    auto owned = std::make_unique<SteppingClock>();
    clock = owned.get();
    clock->runaway = Clicking("cmdStop");
    form->SetPlaybackClock(std::move(owned));
  }
  std::string Progress() { return Text("lblProgressDataPoints").toStdString(); }
  int Scroll() { return Find<QScrollBar>("HScroll")->value(); }
  QImage Picture() { return Find<GraphBox>("picBoucWen")->Image(); }
  // Pause and Stop are enabled exactly while playing.
  bool Playing() { return Find<QPushButton>("cmdStop")->isEnabled(); }
  void ExpectIdle() {
    EXPECT_FALSE(Find<QPushButton>("cmdPause")->isEnabled());
    EXPECT_FALSE(Playing());
  }
  // Plays with the actions keyed by the readings of this Play, until playback has ended.
  // Returns whether the click on Play came back while playing (the window's events go on
  // between the turns).
  bool Play(std::map<int, std::function<void()>> actions) {
    clock->actions = std::move(actions);
    clock->readings = 0;
    Click("cmdPlay");
    const bool returnedWhilePlaying = Playing();
    QElapsedTimer waited;
    waited.start();
    while (Playing() && waited.elapsed() < 20000) QCoreApplication::processEvents();
    EXPECT_FALSE(Playing());
    return returnedWhilePlaying;
  }
  // Shows sample k afresh through the scroll bar.
  void ScrollToSample(int position) {
    Find<QScrollBar>("HScroll")->setValue(0);
    Find<QScrollBar>("HScroll")->setValue(position);
  }

  SteppingClock* clock = nullptr;
};

TEST_F(PlaybackTest, PlayRunsToTheEndOfTheRecordAndKeepsTheLastFrame) {
  Play({});  // no experiments: nothing happens
  EXPECT_EQ(clock->readings, 0);
  ExpectIdle();

  Click("cmdCreateExperiment");
  EXPECT_TRUE(Play({{2, [this] {
                      EXPECT_TRUE(Find<QPushButton>("cmdPause")->isEnabled());
                      EXPECT_TRUE(Playing());
                    }}}));
  // Samples 25, 50, ..., 500; the next reading would show 525 of 501.
  EXPECT_EQ(clock->readings, 22);
  ExpectIdle();
  EXPECT_EQ(Progress(), "500/501");
  EXPECT_EQ(Scroll(), 998);  // trunc(500 * 1000 / 501)

  // From 991 on, the next Play starts again from the beginning.
  Play({{2, Clicking("cmdPause")}});
  EXPECT_EQ(Progress(), "25/501");
  EXPECT_EQ(Scroll(), 49);
}

TEST_F(PlaybackTest, PauseKeepsTheFrameStopShowsTheWholeResponseAtScrollZero) {
  Click("cmdCreateExperiment");
  const QImage whole = Picture();
  Play({{5, Clicking("cmdPause")}});
  ExpectIdle();
  EXPECT_EQ(Progress(), "100/501");
  EXPECT_EQ(Scroll(), 199);
  EXPECT_NE(Picture(), whole);  // the curves end at sample 100

  // Resumes from 199/1000 of the record (sample 99.7), one step later: sample 124.7.
  Play({{2, Clicking("cmdPause")}});
  EXPECT_EQ(Progress(), "125/501");

  Play({{3, Clicking("cmdStop")}});
  ExpectIdle();
  EXPECT_EQ(clock->readings, 3);
  EXPECT_EQ(Scroll(), 0);
  EXPECT_EQ(Picture(), whole);
  EXPECT_EQ(Progress(), "175/501");  // the label keeps the last frame shown
}

// Whatever draws the graph again after Pause (a resize of the window, another quantity, the
// graph window) shows the paused frame, until Stop shows the whole response.
TEST_F(PlaybackTest, EveryRedrawAfterPauseShowsThePausedFrame) {
  form->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
  auto* box = Find<GraphBox>("picBoucWen");
  Click("cmdCreateExperiment");
  Play({{5, Clicking("cmdPause")}});
  ASSERT_EQ(Progress(), "100/501");
  ASSERT_EQ(Scroll(), 199);  // sample 99.7 -> 100

  form->resize(form->width() - 50, form->height() - 40);
  ASSERT_TRUE(QTest::qWaitFor([box] { return box->Image().size() == box->size(); }));
  const QImage resized = Picture();
  ScrollToSample(199);
  EXPECT_EQ(resized, Picture());

  List("cboGraphY")->setCurrentIndex(4);  // F against T
  const QImage force = Picture();
  ScrollToSample(199);
  EXPECT_EQ(force, Picture());

  QTest::mouseDClick(box, Qt::LeftButton, Qt::NoModifier, box->rect().center());
  GraphWindow& window = form->GraphForm();
  ASSERT_TRUE(window.isVisible());
  EXPECT_EQ(window.Picture(), Picture());
  window.resize(window.size() + QSize(30, 20));
  const QImage framed = window.Picture();
  Click("cmdPlay");
  Click("cmdStop");  // the whole response, in both
  EXPECT_NE(window.Picture(), framed);
  EXPECT_NE(Picture(), force);
  form->resize(form->width() + 20, form->height());
  ASSERT_TRUE(QTest::qWaitFor([box] { return box->Image().size() == box->size(); }));
  const QImage whole = Picture();
  Click("cmdPlay");
  Click("cmdStop");
  EXPECT_EQ(whole, Picture());
}

TEST_F(PlaybackTest, SliderKeepsTheSampleAndChangesThePace) {
  Click("cmdCreateExperiment");
  // After sample 50 the pace becomes 10/1: one step later the record is 0.5 s * 10 further
  // (sample 300), not 1.5 s * 10 from its start (beyond the end).
  Play({{3, [this] { Find<QSlider>("Slider")->setValue(9); }}, {4, Clicking("cmdPause")}});
  EXPECT_EQ(Progress(), "300/501");
}

TEST_F(PlaybackTest, ScrollingShowsThatSampleAndPlaybackGoesOnFromThere) {
  Click("cmdCreateExperiment");
  const QImage whole = Picture();
  Find<QScrollBar>("HScroll")->setValue(500);
  EXPECT_EQ(Progress(), "250/501");  // 250.5 rounds to even
  EXPECT_NE(Picture(), whole);
  EXPECT_EQ(clock->readings, 0);

  Find<QScrollBar>("HScroll")->setValue(0);
  // After sample 50 the user drags to 600/1000 (sample 300.6 -> 301, shown at once).
  Play({{3, [this] {
           Find<QScrollBar>("HScroll")->setValue(600);
           EXPECT_EQ(Progress(), "301/501");
         }},
        {5, Clicking("cmdPause")}});
  EXPECT_EQ(Progress(), "326/501");
  EXPECT_EQ(Scroll(), 650);
}

// With a negative time step no clock reading ever gets beyond the end of the record: the loop
// would spin until the user stopped it.
TEST_F(PlaybackTest, RecordWithoutAPositiveTimeStepEndsAtOnce) {
  log.openAnswers.push_back(WriteFile(
      "backwards.quarvel", "1\nBackwards\n1\n2.86\n0\n0\n0\nForce\nnone\n-0.02\n3\n0\n5\n0\n"));
  Click("cmdLoadExperiments");
  ASSERT_EQ(form->Bench().experiments.Count(), 1);
  Play({});
  EXPECT_EQ(clock->readings, 2);
  ExpectIdle();
}

TEST_F(PlaybackTest, SolveAndClearDuringPlaybackStopItFirst) {
  Click("cmdCreateExperiment");
  const QImage whole = Picture();
  clock->step = 0.01;  // half a sample per step: the record would take a thousand turns
  StaleResults();
  Play({{3, Clicking("cmdSolve")}});
  ExpectIdle();
  EXPECT_EQ(clock->readings, 3);
  EXPECT_TRUE(Solved());
  EXPECT_EQ(Picture(), whole);
  EXPECT_EQ(Scroll(), 0);

  Play({{3, Clicking("cmdClearExperiments")}});
  ExpectIdle();
  EXPECT_EQ(clock->readings, 3);
  EXPECT_EQ(form->Bench().experiments.Count(), 0);
  EXPECT_EQ(Scroll(), 0);
  EXPECT_TRUE(Picture().isNull());
}

TEST_F(PlaybackTest, ClosingDuringPlaybackStopsItAndCloses) {
  form->show();
  Click("cmdCreateExperiment");
  clock->step = 0.01;
  Play({{3, [this] { form->close(); }}});
  ExpectIdle();
  EXPECT_EQ(clock->readings, 3);
  EXPECT_EQ(Scroll(), 0);
  EXPECT_FALSE(form->isVisible());
}

// Leaks of widgets (lists refilled, pictures replaced, dialogs) would pile up over a session.
TEST_F(PlaybackTest, RepeatedCommandsAndPlaybackLeaveNoWidgetsBehind) {
  const QString path =
      WriteFile("short.quarvel", "1\nShort\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n4\n0\n5\n0\n-5\n");
  form->show();
  Click("cmdCreateExperiment");
  const qsizetype widgets = QApplication::allWidgets().size();
  clock->step = 0.01;  // half a sample per step
  for (int i = 0; i < 200; ++i) {
    if (i % 50 == 0) {
      Click("cmdCreateExperiment");
    } else {
      log.openAnswers.push_back(path);
      Click("cmdLoadExperiments");
    }
    Click("cmdSolve");
    Play({{4, Clicking("cmdStop")}});
    ASSERT_FALSE(Playing()) << i;
    ASSERT_EQ(Scroll(), 0) << i;
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(QApplication::allWidgets().size(), widgets);
  EXPECT_TRUE(log.messages.empty());
}

}  // namespace
}  // namespace quarvel::app
