#pragma once
// Dialogs answered from a prepared queue, and a fixture that drives the main window by object
// name.

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>

#include "app/dialogs.h"
#include "app/graph_box.h"
#include "app/main_form.h"
#include "app/qt_dialogs.h"
#include "support/scratch_folder.h"

namespace quarvel::app::testing {

// What the window asked, one line per conversation ("open | title | filters | folder | suffix",
// "input | title | prompt | default", "message critical: text | detail", "editor path", ...),
// and the answers to the file dialogs and input boxes in turn (none left means Cancel).
struct DialogLog {
  QStringList asked;
  QStringList answers;
  QString editorError;  // what OpenInTextEditor reports
  QString openFilter;   // the filter an Open dialog's answer is chosen under
  std::function<void()> onOpen;  // runs as an Open dialog is asked (a fault to inject)
};

// The sinusoid, record and About dialogs are the real ones, answered on screen by the tests.
class FakeDialogs : public QtDialogs {
 public:
  explicit FakeDialogs(DialogLog& log) : log_(log) {}
  std::optional<ChosenFile> OpenFile(QWidget*, const FileDialogRequest& r) override {
    if (log_.onOpen) log_.onOpen();
    const auto path = Ask({"open", r.title, r.filters.join(";"), r.directory, r.defaultSuffix});
    if (!path) return std::nullopt;
    // Several files chosen at once: one answer, the paths on lines of their own.
    const QStringList paths = path->split('\n');
    return ChosenFile{paths.first(), log_.openFilter, paths.mid(1)};
  }
  std::optional<QString> SaveFile(QWidget*, const FileDialogRequest& r) override {
    return Ask({"save", r.title, r.filters.join(";"), r.directory, r.defaultSuffix});
  }
  std::optional<QString> ChooseFolder(QWidget*, const QString& title,
                                      const QString& start) override {
    return Ask({"folder", title, start});
  }
  std::optional<QString> InputText(QWidget*, const QString& title, const QString& prompt,
                                   const QString& defaultText) override {
    return Ask({"input", title, prompt, defaultText});
  }
  void Message(QWidget*, const QString& text, MessageIcon icon, const QString& detail) override {
    const char* icons[] = {"none", "exclamation", "critical", "information"};
    log_.asked << QString("message %1: %2 | %3").arg(icons[static_cast<int>(icon)], text, detail);
  }
  QString OpenInTextEditor(const QString& path) override {
    log_.asked << "editor " + path;
    return log_.editorError;
  }

 private:
  std::optional<QString> Ask(const QStringList& request) {
    log_.asked << request.join(" | ");
    if (log_.answers.empty()) return std::nullopt;
    return log_.answers.takeFirst();
  }
  DialogLog& log_;
};

// Two force experiments, the second an acceleration record in units of g.
inline constexpr const char* kTwoExperiments =
    "2\n"
    "Pulse\n1\n2.86\n0\n0\n0\nForce\nnone\n0.02\n3\n0\n5\n0\n"
    "Ground\n1\n3.5\n0.01\n0\n0\nAcceleration\nUnits of g\n0.01\n4\n0\n0.1\n-0.1\n0\n";

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder.isValid());
    form = std::make_unique<MainForm>(std::make_unique<FakeDialogs>(log));
  }

  template <typename T>
  T* Find(const char* name) {
    T* widget = form->findChild<T*>(name);
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  QLineEdit* Box(const char* name) { return Find<QLineEdit>(name); }
  QComboBox* List(const char* name) { return Find<QComboBox>(name); }
  QString Text(const char* label) { return Find<QLabel>(label)->text(); }
  void Click(const char* button) { Find<QAbstractButton>(button)->click(); }
  QString WriteFile(const QString& name, const char* contents) {
    QFile file(folder.filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    EXPECT_GE(file.write(contents), 0) << name.toStdString();
    return file.fileName();
  }
  // The lines of the scratch folder's file `name` (none when it is missing).
  QStringList FileLines(const QString& name) {
    const std::string text = test::ReadWholeFile(folder.filePath(name).toStdString());
    return QString::fromStdString(text).split("\r\n", Qt::SkipEmptyParts);
  }
  // The experiment list's entries joined by "|".
  QString Entries() {
    QStringList names;
    QComboBox* list = List("cboExperiment");
    for (int i = 0; i < list->count(); ++i) names << list->itemText(i);
    return names.join("|");
  }
  // The quantities selected on the two axes, as "X|Y".
  QString Axes() {
    return List("cboGraphX")->currentText() + "|" + List("cboGraphY")->currentText();
  }
  // What the window shows, joined by " ": each word of `what` names a label, or is "Entries" or
  // "Axes".
  QString Shown(const QString& what) {
    QStringList texts;
    for (const QString& w : what.split(' ')) {
      texts << (w == "Entries" ? Entries() : w == "Axes" ? Axes() : Text(qPrintable(w)));
    }
    return texts.join(' ');
  }
  Workbench& Bench() { return form->Bench(); }
  // The main window's graph as shown.
  QImage Picture() { return Find<GraphBox>("picBoucWen")->Image(); }
  // Every solve shown rewrites the error labels: StaleResults() marks them, Solved() says
  // whether a solve has run since.
  void StaleResults() { Find<QLabel>("lblError_1")->setText("stale"); }
  bool Solved() { return Text("lblError_1") != "stale"; }
  // Runs `answer` on the next modal dialog once it is up, and counts it in `answered`.
  void AnswerNextDialog(std::function<void(QWidget&)> answer) {
    auto* timer = new QTimer(form.get());
    QObject::connect(timer, &QTimer::timeout, [this, timer, answer] {
      if (QWidget* dialog = QApplication::activeModalWidget()) {
        timer->stop();
        ++answered;
        answer(*dialog);
      }
    });
    timer->start(10);
  }

  // Loads the files of `paths` (one answer, a file a line), each record dialog answered by
  // `fill` and then closed by `button`.
  void LoadRecords(const QString& paths, std::function<void(QWidget&)> fill,
                   const char* button = "cmdOk") {
    log.answers = {paths};
    for (int i = 0; i < paths.count('\n') + 1; ++i) {
      AnswerNextDialog([fill, button](QWidget& dialog) {
        fill(dialog);
        dialog.findChild<QAbstractButton*>(button)->click();
      });
    }
    Click("cmdLoadExperiments");
  }

  QTemporaryDir folder;
  DialogLog log;
  std::unique_ptr<MainForm> form;
  int answered = 0;
};

}  // namespace quarvel::app::testing
