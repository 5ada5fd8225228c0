#pragma once
// Dialogs that answer from prepared queues and record what the window showed.

#include <QString>

#include <deque>
#include <optional>
#include <vector>

#include "app/dialogs.h"

namespace quarvel::app::testing {

struct RecordedMessage {
  QString text;
  MessageIcon icon;
  QString detail;
};

struct DialogLog {
  std::deque<std::optional<QString>> openAnswers;  // empty queue: cancel
  std::deque<std::optional<QString>> saveAnswers;
  std::deque<std::optional<QString>> inputAnswers;
  std::deque<std::optional<SinusoidDialogTexts>> sinusoidAnswers;
  QString editorError;  // what OpenInTextEditor reports

  std::vector<FileDialogRequest> openRequests;
  std::vector<FileDialogRequest> saveRequests;
  std::vector<QStringList> inputRequests;  // title, prompt, default
  std::vector<RecordedMessage> messages;
  QStringList editorPaths;
  int aboutShown = 0;
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
  void ShowAbout(QWidget*) override { ++log_.aboutShown; }
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

}  // namespace quarvel::app::testing
