// Playback in the main window, driven by a clock that advances a fixed step per reading, with
// the user's clicks posted so that the play loop delivers them between two of its turns.

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSlider>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <memory>

#include "app/graph_box.h"
#include "app/main_form.h"
#include "fake_dialogs.h"

namespace quarvel::app {
namespace {

using testing::DialogLog;
using testing::FakeDialogs;

// Reading n returns start + (n - 1) * step. An action registered for reading n is posted when
// the clock is read for the n-th time, so it runs in the event processing that follows.
// A loop still running after kRunaway readings is stopped, so that it fails its test instead of
// hanging it.
class SteppingClock : public PlaybackClock {
 public:
  static constexpr int kRunaway = 5000;

  double SecondsSinceMidnight() override {
    ++readings;
    if (auto action = actions.find(readings); action != actions.end()) {
      QTimer::singleShot(0, qApp, action->second);
    }
    if (readings == kRunaway && runaway) QTimer::singleShot(0, qApp, runaway);
    const double now = next;
    next += step;
    return now;
  }

  double next = 1000.0;  // multiples of 1/4 s stay exact
  double step = 0.5;
  int readings = 0;
  std::map<int, std::function<void()>> actions;
  std::function<void()> runaway;
};

// The first experiment of Create: 501 samples 0.02 s apart, so one 0.5 s clock step is 25
// samples at speed 1/1. Reading 1 is Play's own; reading n + 1 shows sample 25 n.
class PlaybackTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<MainForm>(std::make_unique<FakeDialogs>(log));
    auto owned = std::make_unique<SteppingClock>();
    clock = owned.get();
    clock->runaway = Clicking("cmdStop");
    form->SetPlaybackClock(std::move(owned));
  }

  template <typename T>
  T* Find(const char* name) {
    T* widget = form->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  void Click(const char* button) { Find<QAbstractButton>(button)->click(); }
  std::function<void()> Clicking(const char* button) {
    return [this, button] { Click(button); };
  }
  std::string Progress() { return Find<QLabel>("lblProgressDataPoints")->text().toStdString(); }
  int Scroll() { return Find<QScrollBar>("HScroll")->value(); }
  QImage Picture() { return Find<GraphBox>("picBoucWen")->Image(); }
  void ExpectIdle() {
    EXPECT_FALSE(form->IsPlaying());
    EXPECT_FALSE(Find<QPushButton>("cmdPause")->isEnabled());
    EXPECT_FALSE(Find<QPushButton>("cmdStop")->isEnabled());
  }
  // Plays from the start of the clock's readings.
  void Play() {
    clock->readings = 0;
    Click("cmdPlay");
  }

  DialogLog log;
  std::unique_ptr<MainForm> form;
  SteppingClock* clock = nullptr;
};

TEST_F(PlaybackTest, PlayWithoutExperimentsDoesNothing) {
  Play();
  EXPECT_EQ(clock->readings, 0);
  ExpectIdle();
}

TEST_F(PlaybackTest, PlayRunsToTheEndOfTheRecordAndKeepsTheLastFrame) {
  Click("cmdCreateExperiment");
  clock->actions[2] = [this] {
    EXPECT_TRUE(form->IsPlaying());
    EXPECT_TRUE(Find<QPushButton>("cmdPause")->isEnabled());
    EXPECT_TRUE(Find<QPushButton>("cmdStop")->isEnabled());
  };
  Play();

  // Samples 25, 50, ..., 500; the next reading would show 525 of 501.
  EXPECT_EQ(clock->readings, 22);
  ExpectIdle();
  EXPECT_EQ(Progress(), "500/501");
  EXPECT_EQ(Scroll(), 998);  // trunc(500 * 1000 / 501)

  // From 991 on, the next Play starts again from the beginning.
  clock->actions = {{2, Clicking("cmdPause")}};
  Play();
  EXPECT_EQ(Progress(), "25/501");
  EXPECT_EQ(Scroll(), 49);
}

TEST_F(PlaybackTest, PauseKeepsTheFrameAndPlayResumesFromThere) {
  Click("cmdCreateExperiment");
  const QImage whole = Picture();
  clock->actions[5] = Clicking("cmdPause");
  Play();

  ExpectIdle();
  EXPECT_EQ(Progress(), "100/501");
  EXPECT_EQ(Scroll(), 199);
  EXPECT_NE(Picture(), whole);  // the curves end at sample 100

  // Resumes from 199/1000 of the record (sample 99.7), one step later: sample 124.7.
  clock->actions = {{2, Clicking("cmdPause")}};
  Play();
  EXPECT_EQ(Progress(), "125/501");
}

TEST_F(PlaybackTest, StopShowsTheWholeResponseWithTheScrollBarAtZero) {
  Click("cmdCreateExperiment");
  const QImage whole = Picture();
  clock->actions[4] = Clicking("cmdStop");
  Play();

  ExpectIdle();
  EXPECT_EQ(clock->readings, 4);
  EXPECT_EQ(Scroll(), 0);
  EXPECT_EQ(Picture(), whole);
  EXPECT_EQ(Progress(), "75/501");  // the label keeps the last frame shown
}

TEST_F(PlaybackTest, MovingTheSliderKeepsTheSampleAndChangesThePace) {
  Click("cmdCreateExperiment");
  // After sample 50 the pace becomes 10/1: one step later the record is 0.5 s * 10 further
  // (sample 300), not 1.5 s * 10 from its start (beyond the end).
  clock->actions[3] = [this] { Find<QSlider>("Slider")->setValue(9); };
  clock->actions[4] = Clicking("cmdPause");
  Play();
  EXPECT_EQ(Progress(), "300/501");
}

TEST_F(PlaybackTest, ScrollingDuringPlaybackJumpsThereAndPlaysOn) {
  Click("cmdCreateExperiment");
  // After sample 50 the user drags to 600/1000 (sample 300.6 -> 301, shown at once); playback
  // goes on from there: 25 samples per step.
  clock->actions[3] = [this] {
    Find<QScrollBar>("HScroll")->setValue(600);
    EXPECT_EQ(Progress(), "301/501");
  };
  clock->actions[5] = Clicking("cmdPause");
  Play();
  EXPECT_EQ(Progress(), "326/501");
  EXPECT_EQ(Scroll(), 650);
}

TEST_F(PlaybackTest, ScrollingWhileIdleShowsThatSample) {
  Click("cmdCreateExperiment");
  const QImage whole = Picture();
  Find<QScrollBar>("HScroll")->setValue(500);
  EXPECT_EQ(Progress(), "250/501");  // 250.5 rounds to even
  EXPECT_NE(Picture(), whole);
  EXPECT_EQ(clock->readings, 0);
}

// With a negative time step no clock reading ever gets beyond the end of the record: the loop
// would spin until the user stopped it.
TEST_F(PlaybackTest, RecordWithoutAPositiveTimeStepEndsAtOnce) {
  QTemporaryDir folder;
  const QString path = folder.filePath("backwards.quarvel");
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1\nBackwards\n1\n2.86\n0\n0\n0\nForce\nnone\n-0.02\n3\n0\n5\n0\n");
  }
  log.openAnswers.push_back(path);
  Click("cmdLoadExperiments");
  ASSERT_EQ(form->Bench().experiments.Count(), 1);
  Play();
  EXPECT_EQ(clock->readings, 2);
  ExpectIdle();
}

TEST_F(PlaybackTest, ClearDuringPlaybackEndsTheLoop) {
  Click("cmdCreateExperiment");
  clock->step = 0.01;  // half a sample per step: the record would take a thousand turns
  clock->actions[3] = Clicking("cmdClearExperiments");
  Play();

  ExpectIdle();
  EXPECT_EQ(clock->readings, 3);
  EXPECT_EQ(form->Bench().experiments.Count(), 0);
  EXPECT_EQ(Scroll(), 0);
  EXPECT_TRUE(Picture().isNull());
}

TEST_F(PlaybackTest, SolveDuringPlaybackStopsItFirst) {
  Click("cmdCreateExperiment");
  const QImage whole = Picture();
  clock->step = 0.01;
  clock->actions[3] = Clicking("cmdSolve");
  Play();

  ExpectIdle();
  EXPECT_EQ(clock->readings, 3);
  EXPECT_EQ(form->SolveCount(), 2);
  EXPECT_EQ(Picture(), whole);
  EXPECT_EQ(Scroll(), 0);
}

TEST_F(PlaybackTest, ClosingDuringPlaybackStopsItThenCloses) {
  form->show();
  Click("cmdCreateExperiment");
  clock->step = 0.01;
  clock->actions[3] = [this] {
    form->close();
    EXPECT_TRUE(form->isVisible()) << "closed under the running play loop";
  };
  Play();

  ExpectIdle();
  EXPECT_EQ(clock->readings, 3);
  EXPECT_FALSE(form->isVisible());
}

QStringList FileLines(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return {};
  return QString::fromLatin1(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
}

TEST_F(PlaybackTest, ClosingDuringALoopEndsItAfterTheCurrentValue) {
  QTemporaryDir folder;
  form->SetStudyFolder(folder.path());
  form->show();
  Click("cmdCreateExperiment");
  Click("optVaryMass");
  Find<QLineEdit>("txtFrom")->setText("1");
  Find<QLineEdit>("txtTo")->setText("100");
  Find<QLineEdit>("txtStep")->setText("1");
  QTimer::singleShot(0, form.get(), [this] { form->close(); });
  Click("cmdLoop");

  EXPECT_EQ(FileLines(folder.filePath("lresults.out")).size(), 3);  // title, header, one value
  EXPECT_FALSE(form->isVisible());
}

// Leaks of widgets (lists refilled, pictures replaced, dialogs) would pile up over a session.
TEST_F(PlaybackTest, RepeatedCommandsAndPlaybackLeaveNoWidgetsBehind) {
  QTemporaryDir folder;
  const QString path = folder.filePath("short.quarvel");
  {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("1\nShort\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n4\n0\n5\n0\n-5\n");
  }
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
    clock->actions = {{4, Clicking("cmdStop")}};
    Play();
    ASSERT_FALSE(form->IsPlaying()) << i;
    ASSERT_EQ(Scroll(), 0) << i;
  }
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_EQ(QApplication::allWidgets().size(), widgets);
  EXPECT_TRUE(log.messages.empty());
}

}  // namespace
}  // namespace quarvel::app
