#pragma once
// The modal conversations of the main window (file dialogs, input box, message boxes, the
// sinusoid, record options and About dialogs) and the start of the text editor, behind one
// interface so that tests can answer them without showing anything.

#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <optional>

#include "experiments/generated_experiments.h"
#include "records/record_file.h"
#include "solve/user_interface.h"

class QWidget;

namespace quarvel::app {

// What a file dialog is asked to show.
struct FileDialogRequest {
  QString title;
  QStringList filters;    // "Description (*.ext)", the first one selected
  QString directory;      // folder shown first
  QString defaultSuffix;  // appended to a name typed without one (save only)
  bool several = false;   // an Open dialog lets several files be chosen at once
};

// The Save dialog of a picture: PNG (first), JPEG, SVG or PDF, starting in the pictures folder.
inline FileDialogRequest PictureSaveRequest() {
  FileDialogRequest request;
  request.title = "Save picture";
  request.filters = QStringList{"PNG picture (*.png)", "JPEG picture (*.jpg *.jpeg)",
                                "SVG picture (*.svg)", "PDF document (*.pdf)"};
  request.directory = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
  request.defaultSuffix = "png";
  return request;
}

// A file chosen in an Open dialog and the filter it was chosen under.
struct ChosenFile {
  QString path;
  QString filter;     // as in FileDialogRequest::filters
  QStringList more;   // the further files chosen with it, when several could be
};

class Dialogs {
 public:
  virtual ~Dialogs() = default;

  // Open dialog for an existing file: the file and its filter, or nullopt when cancelled.
  virtual std::optional<ChosenFile> OpenFile(QWidget* parent,
                                             const FileDialogRequest& request) = 0;
  // Save dialog (asks before overwriting): the chosen path, or nullopt when cancelled.
  virtual std::optional<QString> SaveFile(QWidget* parent, const FileDialogRequest& request) = 0;
  // Folder dialog starting at `folder`: the folder chosen, or nullopt when cancelled.
  virtual std::optional<QString> ChooseFolder(QWidget* parent, const QString& title,
                                              const QString& folder) = 0;
  // Input box with a title, a prompt and a default answer: the text, or nullopt when cancelled.
  virtual std::optional<QString> InputText(QWidget* parent, const QString& title,
                                           const QString& prompt, const QString& defaultText) = 0;
  // Modal message with the application's title; `detail` (may be empty) can be unfolded.
  virtual void Message(QWidget* parent, const QString& text, MessageIcon icon,
                       const QString& detail) = 0;
  // The sinusoid dialog: the five texts when closed with Ok, nullopt otherwise.
  virtual std::optional<SinusoidDialogTexts> AskSinusoid(QWidget* parent) = 0;
  // The record options dialog for a ground-motion record file: what the file leaves open
  // (`questions`), with the defaults; nullopt when cancelled.
  virtual std::optional<RecordOptions> AskRecordOptions(QWidget* parent, const QString& fileName,
                                                        const RecordQuestions& questions) = 0;
  // The About box, modal.
  virtual void ShowAbout(QWidget* parent) = 0;
  // Opens a written file in the desktop's text editor: empty on success, else why not.
  virtual QString OpenInTextEditor(const QString& path) = 0;
};

}  // namespace quarvel::app
