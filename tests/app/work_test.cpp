// Long work in the window: a displacement-controlled sinusoid of 400 000 samples, made through
// its dialog, is watched while it is solved away from the window's thread.

#include <QElapsedTimer>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "app_test_support.h"

namespace quarvel::app {
namespace {

using WorkTest = testing::FormTest;

// While the solve runs, the window answers within 100 ms, the status bar shows the samples done
// of the two passes with the time left and Cancel, and the commands that would conflict are
// disabled (not the text boxes). Cancel and closing the window end the solve at once and leave
// no results.
TEST_F(WorkTest, TheWindowAnswersWhileItSolvesAndCancelOrClosingEndTheSolve) {
  form->show();
  for (const bool closing : {false, true}) {
    SCOPED_TRACE(closing ? "closing" : "Cancel");
    QString progress;
    AnswerNextDialog([](QWidget& dialog) {
      dialog.findChild<QLineEdit*>("txtCycles")->setText("1000");
      dialog.findChild<QLineEdit*>("txtTimeStep")->setText("0.01");
      dialog.findChild<QPushButton*>("cmdOk")->click();
    });
    // Once the solve has begun:
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
      if (!form->Working()) return;
      watch.stop();
      const QProgressBar* bar = Find<QProgressBar>("progressWork");
      EXPECT_TRUE(QTest::qWaitFor([bar] { return bar->value() > 0; }));
      progress = bar->text();
      // For 500 ms another thread posts the window an event every 5 ms: each runs within 100 ms.
      std::vector<qint64> waits;
      QElapsedTimer clock;
      clock.start();
      std::atomic<bool> posting{true};
      std::thread poster([&] {
        while (posting) {
          const qint64 posted = clock.nsecsElapsed();
          QMetaObject::invokeMethod(
              form.get(), [&, posted] { waits.push_back(clock.nsecsElapsed() - posted); },
              Qt::QueuedConnection);
          std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
      });
      QTest::qWait(500);
      posting = false;
      poster.join();
      QCoreApplication::processEvents();  // the last ones posted
      EXPECT_GT(waits.size(), 10u);
      EXPECT_LT(*std::max_element(waits.begin(), waits.end()), 100'000'000);  // ns
      EXPECT_FALSE(Find<QWidget>("cmdSolve")->isEnabled());
      EXPECT_TRUE(Box("txtFy")->isEnabled());
      if (closing) {
        form->close();
      } else {
        Click("cmdCancelWork");
      }
    });
    watch.start(10);
    Click("cmdDCSinusoidal");
    EXPECT_TRUE(progress.contains(" of 800002 samples, about ")) << progress.toStdString();
    EXPECT_TRUE(Bench().results.Records().empty());
    EXPECT_TRUE(Find<QWidget>("cmdSolve")->isEnabled());
    EXPECT_EQ(form->isVisible(), !closing);
  }
}

}  // namespace
}  // namespace quarvel::app
