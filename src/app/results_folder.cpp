#include "app/results_folder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <filesystem>
#include <memory>
#include <system_error>

#include "app/app_info.h"

namespace quarvel::app {

namespace {

constexpr const char* kFolderKey = "resultsFolder";

std::unique_ptr<QSettings> OpenSettings(const ResultsFolderPlaces& places) {
  if (places.settingsFile.isEmpty()) {
    return std::make_unique<QSettings>(kApplicationTitle, kApplicationTitle);
  }
  return std::make_unique<QSettings>(places.settingsFile, QSettings::IniFormat);
}

}  // namespace

ResultsFolderPlaces ResultsFolderPlaces::Default() {
  ResultsFolderPlaces places;
  places.programFolder = QCoreApplication::applicationDirPath();
  places.userFolder =
      QDir(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation))
          .filePath(kApplicationTitle);
  return places;
}

QString InitialResultsFolder(const ResultsFolderPlaces& places) {
  const QString remembered = OpenSettings(places)->value(kFolderKey).toString();
  if (!remembered.isEmpty() && QFileInfo(remembered).isDir()) return remembered;
  if (FolderWritable(places.programFolder)) return places.programFolder;
  return places.userFolder;
}

void RememberResultsFolder(const ResultsFolderPlaces& places, const QString& folder) {
  std::unique_ptr<QSettings> settings = OpenSettings(places);
  settings->setValue(kFolderKey, folder);
  settings->sync();
}

bool FolderWritable(const QString& folder) {
  if (!QFileInfo(folder).isDir()) return false;
  QTemporaryFile probe(QDir(folder).filePath("quarvel-probe-XXXXXX"));
  return probe.open();
}

QString MakeFolder(const QString& folder) {
  std::error_code error;
  std::filesystem::create_directories(folder.toStdString(), error);
  if (!error || QFileInfo(folder).isDir()) return {};
  return folder + ": " + QString::fromStdString(error.message());
}

}  // namespace quarvel::app
