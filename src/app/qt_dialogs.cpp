#include "app/qt_dialogs.h"

#include <QDesktopServices>
#include <QFileDialog>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QUrl>

#include "app/about_dialog.h"
#include "app/app_info.h"
#include "app/record_dialog.h"
#include "app/sinusoid_dialog.h"

namespace quarvel::app {

namespace {

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Exclamation:
      return QMessageBox::Warning;
    case MessageIcon::Critical:
      return QMessageBox::Critical;
    case MessageIcon::Information:
      return QMessageBox::Information;
    case MessageIcon::None:
      break;
  }
  return QMessageBox::NoIcon;
}

enum class FileDialogKind { Open, Save, Folder };

// A Qt-drawn file dialog (never the platform's), so that it can be placed on the screen.
std::optional<ChosenFile> RunFileDialog(QWidget* parent, const FileDialogRequest& request,
                                        FileDialogKind kind) {
  QFileDialog dialog(parent, request.title, request.directory);
  dialog.setOption(QFileDialog::DontUseNativeDialog, true);
  dialog.setNameFilters(request.filters);
  if (!request.filters.isEmpty()) dialog.selectNameFilter(request.filters.first());
  if (kind == FileDialogKind::Save) {
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(request.defaultSuffix);
  } else {
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(kind == FileDialogKind::Folder ? QFileDialog::Directory
                       : request.several               ? QFileDialog::ExistingFiles
                                                       : QFileDialog::ExistingFile);
  }
  // Once shown, when its frame is known.
  QTimer::singleShot(0, &dialog, [&dialog] { CentreOnScreen(&dialog); });
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  const QStringList files = dialog.selectedFiles();
  if (files.isEmpty()) return std::nullopt;
  return ChosenFile{files.first(), dialog.selectedNameFilter(), files.mid(1)};
}

}  // namespace

void CentreOnScreen(QWidget* window) {
  QScreen* screen = window->screen();
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  if (screen == nullptr) return;
  const QRect area = screen->geometry();
  const QSize size = window->frameSize().isValid() && window->isVisible() ? window->frameSize()
                                                                           : window->size();
  window->move(area.x() + (area.width() - size.width()) / 2,
               area.y() + (area.height() - size.height()) / 2);
}

std::optional<ChosenFile> QtDialogs::OpenFile(QWidget* parent,
                                              const FileDialogRequest& request) {
  return RunFileDialog(parent, request, FileDialogKind::Open);
}

std::optional<QString> QtDialogs::SaveFile(QWidget* parent, const FileDialogRequest& request) {
  const std::optional<ChosenFile> chosen = RunFileDialog(parent, request, FileDialogKind::Save);
  if (!chosen) return std::nullopt;
  return chosen->path;
}

std::optional<QString> QtDialogs::ChooseFolder(QWidget* parent, const QString& title,
                                               const QString& folder) {
  FileDialogRequest request;
  request.title = title;
  request.directory = folder;
  const std::optional<ChosenFile> chosen =
      RunFileDialog(parent, request, FileDialogKind::Folder);
  if (!chosen) return std::nullopt;
  return chosen->path;
}

std::optional<QString> QtDialogs::InputText(QWidget* parent, const QString& title,
                                            const QString& prompt, const QString& defaultText) {
  QInputDialog dialog(parent);
  dialog.setWindowTitle(title);
  dialog.setLabelText(prompt);
  dialog.setTextValue(defaultText);
  dialog.setInputMode(QInputDialog::TextInput);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.textValue();
}

void QtDialogs::Message(QWidget* parent, const QString& text, MessageIcon icon,
                        const QString& detail) {
  QMessageBox box(ToQtIcon(icon), kApplicationTitle, text, QMessageBox::Ok, parent);
  if (!detail.isEmpty()) box.setDetailedText(detail);
  box.exec();
}

std::optional<SinusoidDialogTexts> QtDialogs::AskSinusoid(QWidget* parent) {
  SinusoidDialog dialog(parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Texts();
}

std::optional<RecordOptions> QtDialogs::AskRecordOptions(QWidget* parent, const QString& fileName,
                                                         const RecordQuestions& questions) {
  RecordDialog dialog(fileName, questions, parent);
  if (dialog.exec() != QDialog::Accepted) return std::nullopt;
  return dialog.Options();
}

void QtDialogs::ShowAbout(QWidget* parent) {
  AboutDialog dialog(parent);
  dialog.exec();
}

QString QtDialogs::OpenInTextEditor(const QString& path) {
  if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return {};
  return "No text editor could be started for this file.";
}

}  // namespace quarvel::app
