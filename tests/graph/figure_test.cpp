// Figures on the recording canvas (texts 7 units a byte, 14 high): where the legend and the
// end labels go, what is shortened, and what grows with the canvas.

#include "graph/figure.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graph/recording_canvas.h"

namespace quarvel {
namespace {

// A zig-zag from edge to edge and from bottom to top: each corner of the plot holds some of it.
PlotCurve ZigZag(std::string name, Colour colour) {
  PlotCurve curve{std::move(name), {}, {}, colour, 2};
  for (int i = 0; i <= 20; ++i) {
    curve.x.push_back(i);
    curve.y.push_back(i % 2);
  }
  return curve;
}

// The legend goes below the plot, not over it, and a name too long for it is shortened.
TEST(Figure, LegendBelowThePlotWhenEachCornerHoldsData) {
  CurvePlot plot;
  plot.curves = {ZigZag(std::string(200, 'n'), 0x0000FF)};
  RecordingCanvas canvas(800, 600);
  const FigureLayout layout = RenderFigure(plot, canvas).value();
  EXPECT_TRUE(layout.legendBelow);
  EXPECT_GT(layout.legend.Top, layout.plot.Bottom);
  const std::vector<CanvasCall> texts = canvas.Texts();
  const auto name = std::find_if(texts.begin(), texts.end(),
                                 [](const CanvasCall& t) { return t.text.starts_with("nnn"); });
  ASSERT_NE(name, texts.end());
  EXPECT_TRUE(name->text.ends_with("\u2026"));
  EXPECT_LE(canvas.MeasureText(name->text).Width, 0.4 * 800);
}

// Markers cover only the corner they are in (the lower right; a line runs up the left edge):
// the legend goes to the upper right.
TEST(Figure, MarkersInOneCornerLeaveTheOthersFree) {
  CurvePlot plot;
  plot.curves = {{"Marks", {10, 9.9}, {0, 0.1}, 0x00FF00, 2, kPenNone, 8},
                 {"", {0, 0}, {0, 10}, 0x0000FF}};
  RecordingCanvas canvas(800, 600);
  const FigureLayout layout = RenderFigure(plot, canvas).value();
  EXPECT_GT(layout.legend.Left, (layout.plot.Left + layout.plot.Right) / 2);
}

// Data symmetric about 0 on both axes is drawn symmetric about the plot's middle, and a point
// that is not finite breaks the line: the piece after it starts with a move, as the first does,
// instead of a line across the gap. (No legend, whose sample is a piece too.)
TEST(Figure, SymmetricDataIsDrawnAboutTheMiddleAndANonFinitePointBreaksTheLine) {
  CurvePlot plot;
  plot.legend = false;
  plot.curves = {{"", {-1, -0.5, 0, 0.5, 1}, {-1, -0.5, std::nan(""), 0.5, 1}, 0x0000FF}};
  RecordingCanvas canvas(640, 480);
  const FigureLayout layout = RenderFigure(plot, canvas).value();
  const std::vector<CanvasCall>& calls = canvas.Calls();
  std::vector<std::size_t> lines;  // the curve's
  for (std::size_t k = 1; k < calls.size(); ++k) {
    const CanvasCall& call = calls[k];
    if (call.kind == CanvasCall::Kind::LineTo && call.pen && call.pen->Colour == 0x0000FF) {
      lines.push_back(k);
    }
  }
  ASSERT_EQ(lines.size(), 2u);
  for (const std::size_t k : lines) EXPECT_EQ(calls[k - 1].kind, CanvasCall::Kind::MoveTo) << k;
  const CanvasCall& first = calls[lines[0] - 1];
  const CanvasCall& last = calls[lines[1]];
  EXPECT_NEAR(first.x + last.x, layout.plot.Left + layout.plot.Right, 1);
  EXPECT_NEAR(first.y + last.y, layout.plot.Top + layout.plot.Bottom, 1);
}

// At twice the size the texts are twice as high and the lines twice as wide.
TEST(Figure, TextsAndLinesGrowWithTheCanvas) {
  CurvePlot plot;
  plot.curves = {ZigZag("Curve", 0x0000FF)};
  std::vector<int32_t> fonts, pens;
  for (const int32_t k : {1, 2}) {
    RecordingCanvas canvas(640 * k, 480 * k);
    ASSERT_TRUE(RenderFigure(plot, canvas).has_value());
    for (const CanvasCall& call : canvas.Calls()) {
      if (call.kind == CanvasCall::Kind::TextOut) fonts.push_back(-call.font->Height);
      if (call.kind == CanvasCall::Kind::LineTo && call.pen->Colour == 0x0000FF) {
        pens.push_back(call.pen->Width);
      }
    }
  }
  EXPECT_EQ(fonts.back(), 2 * fonts.front());
  EXPECT_EQ(pens.back(), 2 * pens.front());
}

// Curves ending at the same point get their names one under the other, right of the plot.
TEST(Figure, EndLabelsBesideTheirCurvesDoNotOverlap) {
  CurvePlot plot;
  for (const char* name : {"First", "Second", "Third"}) {
    plot.curves.push_back({"", {0, 1, 2}, {0, 1, 3}, 0x999999, 1, kPenSolid, 0, name});
  }
  RecordingCanvas canvas(800, 600);
  const FigureLayout layout = RenderFigure(plot, canvas).value();
  std::vector<int32_t> rows;
  for (const CanvasCall& t : canvas.Texts()) {
    if (t.text != "First" && t.text != "Second" && t.text != "Third") continue;
    EXPECT_GT(t.x, layout.plot.Right) << t.text;
    rows.push_back(t.y);
  }
  ASSERT_EQ(rows.size(), 3u);
  std::sort(rows.begin(), rows.end());
  EXPECT_GE(rows[1] - rows[0], canvas.TextHeight);
  EXPECT_GE(rows[2] - rows[1], canvas.TextHeight);
}

}  // namespace
}  // namespace quarvel
