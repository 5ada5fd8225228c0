// Fuzz target: the reader of a spectrum's rows table that `plot --spectrum` draws, fed the bytes
// of a whole file through the same line splitting and parsing as a file on disk.
//
// Beyond "no crash, no leak, no undefined behaviour": a refusal names the file, a line that
// exists and a reason, and keeps no point; an acceptance holds one point per line after the
// header (an empty last line aside), each of a record numbered from 1, and each point written
// as a row reads back to a point written as the same row.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.h"
#include "spectra/spectrum_table.h"
#include "text/text_lines.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using quarvel::fuzz::Fail;
  using namespace quarvel;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const std::vector<std::string> lines = LinesOf(text);
  std::vector<SpectrumPoint> points;
  const FileResult read = ParseSpectrumRows(lines, "rows", points);
  if (!read) {
    fuzz::CheckRefusal(read, static_cast<int64_t>(lines.size()) + 1);
    if (read.fileName != "rows") Fail("a refusal that names another file");
    if (!points.empty()) Fail("a refusal that keeps points");
    return 0;
  }
  const bool endsEmpty = lines.size() > 1 && lines.back().empty();
  if (points.size() + 1 + (endsEmpty ? 1 : 0) != lines.size()) Fail("points and lines disagree");
  for (const SpectrumPoint& point : points) {
    if (point.record < 1) Fail("a record numbered below 1");
    const std::string row = SpectrumRowText(point);
    const std::optional<SpectrumPoint> again = ParseSpectrumRow(row);
    if (!again || SpectrumRowText(*again) != row) Fail("a row that does not read back");
  }
  return 0;
}
