#include "io/file_result.h"

#include <utility>

namespace quarvel {

FileResult FileResult::Failure(std::string fileName, std::string reason, int64_t lineNumber) {
  FileResult result;
  result.ok = false;
  result.fileName = std::move(fileName);
  result.lineNumber = lineNumber;
  result.reason = std::move(reason);
  return result;
}

std::string FileResult::Describe() const {
  if (ok) return {};
  std::string text = fileName + ": ";
  if (lineNumber > 0) text += "line " + std::to_string(lineNumber) + ": ";
  return text + reason;
}

}  // namespace quarvel
