#pragma once
// Dialogs answered from prepared queues, and a fixture that drives the main window by object name.

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QString>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/dialogs.h"
#include "app/main_form.h"

namespace quarvel::app::testing {

struct RecordedMessage {
  QString text;
  MessageIcon icon;
  QString detail;
};

// Empty answer queues mean Cancel.
struct DialogLog {
  std::deque<std::optional<QString>> openAnswers, saveAnswers, inputAnswers;
  std::deque<std::optional<SinusoidDialogTexts>> sinusoidAnswers;
  QString editorError;  // what OpenInTextEditor reports

  std::vector<FileDialogRequest> openRequests, saveRequests;
  std::vector<QStringList> inputRequests;  // title, prompt, default
  std::vector<RecordedMessage> messages;
  QStringList editorPaths;
  int sinusoidAsked = 0;
};

class FakeDialogs : public Dialogs {
 public:
  explicit FakeDialogs(DialogLog& log) : log_(log) {}
  std::optional<QString> OpenFile(QWidget*, const FileDialogRequest& request) override {
    log_.openRequests.push_back(request);
    return Next(log_.openAnswers);
  }
  std::optional<QString> SaveFile(QWidget*, const FileDialogRequest& request) override {
    log_.saveRequests.push_back(request);
    return Next(log_.saveAnswers);
  }
  std::optional<QString> InputText(QWidget*, const QString& title, const QString& prompt,
                                   const QString& defaultText) override {
    log_.inputRequests.push_back({title, prompt, defaultText});
    return Next(log_.inputAnswers);
  }
  void Message(QWidget*, const QString& text, MessageIcon icon, const QString& detail) override {
    log_.messages.push_back({text, icon, detail});
  }
  std::optional<SinusoidDialogTexts> AskSinusoid(QWidget*) override {
    ++log_.sinusoidAsked;
    return Next(log_.sinusoidAnswers);
  }
  void ShowAbout(QWidget*) override {}
  QString OpenInTextEditor(const QString& path) override {
    log_.editorPaths.push_back(path);
    return log_.editorError;
  }

 private:
  template <typename T>
  static std::optional<T> Next(std::deque<std::optional<T>>& answers) {
    if (answers.empty()) return std::nullopt;
    std::optional<T> answer = answers.front();
    answers.pop_front();
    return answer;
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
  std::function<void()> Clicking(const char* button) {
    return [this, button] { Click(button); };
  }
  QString WriteFile(const char* name, const char* contents) {
    const QString path = folder.filePath(name);
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(contents);
    return path;
  }
  QStringList Entries(const char* list) {
    QStringList names;
    for (int i = 0; i < List(list)->count(); ++i) names << List(list)->itemText(i);
    return names;
  }
  void SetRange(const char* from, const char* to, const char* step) {
    Box("txtFrom")->setText(from);
    Box("txtTo")->setText(to);
    Box("txtStep")->setText(step);
  }
  // Every solve shown rewrites the error labels: StaleResults() marks them, Solved() says
  // whether a solve has run since.
  void StaleResults() { Find<QLabel>("lblError_1")->setText("stale"); }
  bool Solved() { return Text("lblError_1") != "stale"; }
  // The quantities selected on the two axes, as "X|Y".
  QString Axes() {
    return List("cboGraphX")->currentText() + "|" + List("cboGraphY")->currentText();
  }
  QStringList FileLines(const char* name) {
    QFile file(folder.filePath(name));
    if (!file.open(QIODevice::ReadOnly)) return {};
    return QString::fromLatin1(file.readAll()).split("\r\n", Qt::SkipEmptyParts);
  }

  QTemporaryDir folder;
  DialogLog log;
  std::unique_ptr<MainForm> form;
};

}  // namespace quarvel::app::testing
