// Fuzz target: the readers of study files and envelope files, fed the bytes of a whole file.
//
// Beyond "no crash, no leak, no undefined behaviour": a refusal keeps nothing, names a line
// that exists (or 0 for the file as a whole) and says why; an acceptance holds no more lines
// than the text has, rows of the right width, and a title that is one line.

#include <cstdint>
#include <string_view>

#include "fuzz_check.h"
#include "studies/study_file_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace quarvel;
  using fuzz::CheckRefusal, fuzz::Fail;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const int64_t lines = fuzz::CountLines(text);  // LF, CR or CR LF ends a line

  StudyFileContents study;
  study.title = "left over";
  const FileResult read = ReadStudyText(text, study);
  if (!read) {
    CheckRefusal(read, lines);
    if (!study.title.empty() || !study.lines.empty()) Fail("a refused study kept contents");
  } else {
    const int64_t head = study.title.empty() ? 1 : 2;
    if (static_cast<int64_t>(study.lines.size()) + head > lines) Fail("more rows than lines");
    if (study.title.find_first_of("\r\n") != std::string::npos) Fail("a title of several lines");
  }

  EnvelopeCurve envelope;
  envelope.x = {1.0};
  const FileResult readEnvelope = ReadEnvelopeText(text, envelope);
  if (envelope.x.size() != envelope.value.size()) Fail("envelope columns of different lengths");
  if (!readEnvelope) {
    CheckRefusal(readEnvelope, lines);
    if (!envelope.x.empty()) Fail("a refused envelope kept entries");
  } else if (static_cast<int64_t>(envelope.x.size()) > lines) {
    Fail("more envelope entries than lines");
  }
  return 0;
}
