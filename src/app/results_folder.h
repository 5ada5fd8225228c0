#pragma once
// The results folder: where the studies write their files and where the advanced loop finds its
// numbered series. The folder of the program while it can be written; otherwise (an installed
// program) a folder of the user's, made when a study needs it. A folder the user chooses is
// remembered across runs: the program's one stored setting.

#include <QString>

namespace quarvel::app {

// The places the choice is made from; tests put them in scratch folders.
struct ResultsFolderPlaces {
  QString programFolder;  // the folder of the executable
  QString userFolder;     // the per-user folder: "Quarvel" in the documents location
  QString settingsFile;   // where the choice is remembered; empty for the user's settings store

  static ResultsFolderPlaces Default();
};

// The folder studies start with: the one remembered while it still exists, else the program's
// folder where a file can be made in it, else the per-user folder.
QString InitialResultsFolder(const ResultsFolderPlaces& places);

// Remembers `folder` as the user's choice.
void RememberResultsFolder(const ResultsFolderPlaces& places, const QString& folder);

// True when a file can be made in `folder` (tried, so that read-only mounts, permissions and
// the privileges of the user all count).
bool FolderWritable(const QString& folder);

// Makes `folder` (and its parents) unless it exists; empty when done, else why not.
QString MakeFolder(const QString& folder);

}  // namespace quarvel::app
