#pragma once
// Reading back what the studies write, to draw it: a study file (the title line if any, the
// header, one TAB-separated line of nine numbers per swept value) and the four envelope files
// (one "x TAB value" line per entry). Lines end in CR LF or LF; numbers are read as the
// default number form writes them, "inf", "-inf" and "nan" included. Anything else is refused
// with the file, the line and the reason.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "io/file_result.h"

namespace quarvel {

// The columns of a study line, in the order of the header.
enum StudyColumn : std::size_t {
  kSweptValue,
  kOriginalPeakU,
  kModifiedPeakU,
  kAbsErrorU,
  kRelErrorU,
  kOriginalPeakEh,
  kModifiedPeakEh,
  kAbsErrorEh,
  kRelErrorEh,
  kStudyColumnCount,
};

struct StudyFileContents {
  std::string title;  // the title line ("Varying plastic period by changing mass"); empty: none
  std::vector<std::array<double, kStudyColumnCount>> lines;  // one per swept value written
};

// One envelope file: the swept values with a non-zero entry, and the entries.
struct EnvelopeCurve {
  std::vector<double> x;
  std::vector<double> value;
};

// Largest study or envelope file read, in bytes: far above the longest study a run may sweep.
inline constexpr std::uintmax_t kMaxStudyFileBytes = 256u << 20;

// A study file's text; `name` stands for the file in the result. A last line without its end
// and empty lines after the last one are accepted.
FileResult ReadStudyText(std::string_view text, StudyFileContents& study,
                         std::string_view name = "(text)");
FileResult ReadStudyFile(const std::string& path, StudyFileContents& study);

// An envelope file's text.
FileResult ReadEnvelopeText(std::string_view text, EnvelopeCurve& envelope,
                            std::string_view name = "(text)");

// The four envelope files of `folder`, in the order of kEnvelopeFileNames (U positive, U
// negative, Eh positive, Eh negative). The first file that cannot be read ends the reading.
FileResult ReadEnvelopeFiles(const std::string& folder, std::array<EnvelopeCurve, 4>& envelopes);

}  // namespace quarvel
