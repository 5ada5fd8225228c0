#include "graph/canvas.h"

#include <cmath>

#include "text/number_text.h"

namespace quarvel {
namespace {
// Face names longer than this do not fit a logical font description.
constexpr size_t kMaxFaceNameLength = 32;
}  // namespace

std::optional<LogicalFont> MakeFont(const TextStyle& style, int32_t escapement,
                                    double twipsPerPixel) {
  if (style.FontName.size() > kMaxFaceNameLength) return std::nullopt;
  if (!(twipsPerPixel > 0)) return std::nullopt;
  // 20 twips per point; halves round to even, whatever the floating-point rounding mode.
  const double pixels = RoundHalfEven(static_cast<double>(style.Size) * 20.0 / twipsPerPixel);
  if (!(std::fabs(pixels) < 1e6)) return std::nullopt;
  LogicalFont font;
  font.Height = -static_cast<int32_t>(pixels);
  font.Escapement = escapement;
  font.Weight = style.Bold ? 700 : 400;
  font.Italic = style.Italic;
  font.Underline = style.Underline;
  font.Strikeout = style.Strikeout;
  font.CharSet = style.CharSet;
  font.FaceName = style.FontName;
  return font;
}

}  // namespace quarvel
