#pragma once
// The dialogs of the main window shown with Qt; file dialogs are centred on the screen.

#include "app/dialogs.h"

namespace quarvel::app {

class QtDialogs : public Dialogs {
 public:
  std::optional<ChosenFile> OpenFile(QWidget* parent, const FileDialogRequest& request) override;
  std::optional<QString> SaveFile(QWidget* parent, const FileDialogRequest& request) override;
  std::optional<QString> ChooseFolder(QWidget* parent, const QString& title,
                                      const QString& folder) override;
  std::optional<QString> InputText(QWidget* parent, const QString& title, const QString& prompt,
                                   const QString& defaultText) override;
  void Message(QWidget* parent, const QString& text, MessageIcon icon,
               const QString& detail) override;
  std::optional<SinusoidDialogTexts> AskSinusoid(QWidget* parent) override;
  std::optional<RecordOptions> AskRecordOptions(QWidget* parent, const QString& fileName,
                                                const RecordQuestions& questions) override;
  void ShowAbout(QWidget* parent) override;
  QString OpenInTextEditor(const QString& path) override;
};

// Moves a top-level widget so that it sits in the middle of its screen (integer halves).
void CentreOnScreen(QWidget* window);

}  // namespace quarvel::app
