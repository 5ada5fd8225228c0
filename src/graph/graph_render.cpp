// RenderGraph: every element of the graph, in a fixed order, onto the surface. Later elements
// cover earlier ones: grids lie under the axes, curves over everything but the invalidation.

#include <algorithm>

#include "graph/graph.h"
#include "graph/graph_internal.h"

namespace quarvel {
namespace {

using detail::UsedPointCount;

void Line(Canvas& canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

// A "+" with arms of `size` pixels; each line leaves out its end pixel as every line does.
void Plus(Canvas& canvas, int32_t x, int32_t y, int32_t size) {
  Line(canvas, x - size, y, x + size, y);
  Line(canvas, x, y - size, x, y + size);
}

int32_t Round(double x, int32_t fallback) { return RoundToInt32(x).value_or(fallback); }

}  // namespace

void Graph::RenderGraph(const GraphLayout& layout) const {
  if (surface_ == nullptr) return;
  Canvas& canvas = *surface_;
  const GraphSettings& s = settings_;
  const AxisScale& xs = xScale_;
  const AxisScale& ys = yScale_;
  const PixelRect& c = layout.CanvasRect;
  const PixelRect& p = layout.PlotRect;
  const double width = static_cast<double>(c.Right) - c.Left;
  const double height = static_cast<double>(c.Bottom) - c.Top;
  const auto px = [&layout](double v) { return layout.DataToPixelX(v); };
  const auto py = [&layout](double v) { return layout.DataToPixelY(v); };

  // 1. Background.
  canvas.FillRect(c, canvas.BackgroundColour());

  // 2, 3. Reference lines, only where their value lies on the axis.
  if (s.ShowHRef && ys.Min <= s.HRefValue && s.HRefValue <= ys.Max) {
    detail::SelectPen(canvas, s.HRefStyle, s.HRefWidth, s.HRefColour);
    if (const auto y = py(s.HRefValue - ys.Min)) Line(canvas, p.Left, *y, p.Right, *y);
    canvas.RestorePen();
  }
  if (s.ShowVRef && xs.Min <= s.VRefValue && s.VRefValue <= xs.Max) {
    detail::SelectPen(canvas, s.VRefStyle, s.VRefWidth, s.VRefColour);
    if (const auto x = px(s.VRefValue - xs.Min)) Line(canvas, *x, p.Top, *x, p.Bottom);
    canvas.RestorePen();
  }

  const std::vector<double> xMinor = RunningTickOffsets(xs.MinorStep, xs.Range());
  const std::vector<double> yMinor = RunningTickOffsets(ys.MinorStep, ys.Range());
  const std::vector<double> xMajor = RunningTickOffsets(xs.MajorStep, xs.Range());
  const std::vector<double> yMajor = RunningTickOffsets(ys.MajorStep, ys.Range());
  // Vertical lines at X offsets and horizontal lines at Y offsets, from..to across the axis.
  const auto columns = [&](const std::vector<double>& offsets, int32_t fromY, int32_t toY) {
    for (double v : offsets) {
      if (const auto x = px(v)) Line(canvas, *x, fromY, *x, toY);
    }
  };
  const auto rows = [&](const std::vector<double>& offsets, int32_t fromX, int32_t toX) {
    for (double v : offsets) {
      if (const auto y = py(v)) Line(canvas, fromX, *y, toX, *y);
    }
  };

  // 4. Minor ticks, pointing out of the plot area.
  detail::SelectPen(canvas, kPenSolid, s.MinorTickWidth, s.MinorTickColour);
  if (s.ShowXMinorTicks) columns(xMinor, p.Bottom, p.Bottom + s.XMinorTickLength);
  if (s.ShowYMinorTicks) rows(yMinor, p.Left, p.Left - s.YMinorTickLength);
  canvas.RestorePen();

  // 5, 6. Major ticks.
  if (s.ShowXMajorTicks) {
    detail::SelectPen(canvas, kPenSolid, s.XMajorTickWidth, s.MajorTickColour);
    columns(xMajor, p.Bottom, p.Bottom + s.XMajorTickLength);
    canvas.RestorePen();
  }
  if (s.ShowYMajorTicks) {
    detail::SelectPen(canvas, kPenSolid, s.YMajorTickWidth, s.MajorTickColour);
    rows(yMajor, p.Left, p.Left - s.YMajorTickLength);
    canvas.RestorePen();
  }

  // 7-10. Grids: minor under major.
  if (s.ShowYMinorGrid) {
    detail::SelectPen(canvas, s.YMinorGridStyle, s.YMinorGridWidth, s.YMinorGridColour);
    rows(yMinor, p.Left, p.Right);
    canvas.RestorePen();
  }
  if (s.ShowXMinorGrid) {
    detail::SelectPen(canvas, s.XMinorGridStyle, s.XMinorGridWidth, s.XMinorGridColour);
    columns(xMinor, p.Bottom, p.Top);
    canvas.RestorePen();
  }
  if (s.ShowYMajorGrid) {
    detail::SelectPen(canvas, s.YMajorGridStyle, s.YMajorGridWidth, s.YMajorGridColour);
    rows(yMajor, p.Left, p.Right);
    canvas.RestorePen();
  }
  if (s.ShowXMajorGrid) {
    detail::SelectPen(canvas, s.XMajorGridStyle, s.XMajorGridWidth, s.XMajorGridColour);
    columns(xMajor, p.Bottom, p.Top);
    canvas.RestorePen();
  }

  // 11. Axes on the bottom and left edges: the Y axis continues from the end of the X axis.
  detail::SelectPen(canvas, kPenSolid, s.XAxisWidth, s.XAxisColour);
  Line(canvas, p.Right, p.Bottom, p.Left, p.Bottom);
  canvas.RestorePen();
  detail::SelectPen(canvas, kPenSolid, s.YAxisWidth, s.YAxisColour);
  canvas.LineTo(p.Left, p.Top);
  canvas.RestorePen();

  // 12. X tick numbers, centred under their ticks.
  if (s.ShowXMajorTicks) {
    detail::SelectStyleFont(canvas, s.XNumberStyle, 0);
    canvas.SetTextColour(s.XNumberStyle.Colour);
    canvas.SetTextAlign(TextAlign::CentreTop);
    if (const auto last = TickTextLast(xs.Range(), xs.MajorStep)) {
      for (int32_t i = 0; i <= *last; ++i) {
        if (const auto x = px(i * xs.MajorStep)) {
          canvas.TextOut(*x, p.Bottom + s.XNumberGap, XTickText(i));
        }
      }
    }
    canvas.RestoreFont();
  }

  // 13. X point labels, each with a major tick.
  if (s.XPointLabels) {
    detail::SelectPen(canvas, kPenSolid, s.XMajorTickWidth, s.MajorTickColour);
    detail::SelectStyleFont(canvas, s.XNumberStyle, 0);
    canvas.SetTextColour(s.XNumberStyle.Colour);
    canvas.SetTextAlign(TextAlign::CentreTop);
    for (const GraphSeries& series : series_) {
      const size_t count = UsedPointCount(series);
      for (size_t j = 0; j < count; ++j) {
        const GraphPoint& point = series.Points[j];
        if (point.XLabel.empty()) continue;
        if (const auto x = px(point.X - xs.Min)) {
          canvas.TextOut(*x, p.Bottom + s.XNumberGap, point.XLabel);
          Line(canvas, *x, p.Bottom, *x, p.Bottom + s.XMajorTickLength);
        }
      }
    }
    canvas.RestoreFont();
    canvas.RestorePen();
  }

  // 14. Y tick numbers: right-aligned, the bottom half a text height below the tick so that the
  // text is centred on it.
  if (s.ShowYMajorTicks) {
    detail::SelectStyleFont(canvas, s.YNumberStyle, 0);
    canvas.SetTextColour(s.YNumberStyle.Colour);
    canvas.SetTextAlign(TextAlign::RightBottom);
    if (const auto last = TickTextLast(ys.Range(), ys.MajorStep)) {
      for (int32_t i = 0; i <= *last; ++i) {
        const std::string text = YTickText(i);
        const int32_t h = canvas.MeasureText(text).Height;
        if (const auto y = py(i * ys.MajorStep)) {
          canvas.TextOut(p.Left - s.YNumberGap, *y + h / 2, text);
        }
      }
    }
    canvas.RestoreFont();
  }

  // 15. Y point labels, each with a major tick.
  if (s.YPointLabels) {
    detail::SelectPen(canvas, kPenSolid, s.YMajorTickWidth, s.MajorTickColour);
    detail::SelectStyleFont(canvas, s.YNumberStyle, 0);
    canvas.SetTextColour(s.YNumberStyle.Colour);
    canvas.SetTextAlign(TextAlign::RightBottom);
    for (const GraphSeries& series : series_) {
      const size_t count = UsedPointCount(series);
      for (size_t j = 0; j < count; ++j) {
        const GraphPoint& point = series.Points[j];
        if (point.YLabel.empty()) continue;
        if (const auto y = py(point.Y - ys.Min)) {
          Line(canvas, p.Left, *y, p.Left - s.YMajorTickLength, *y);
          const int32_t h = canvas.MeasureText(point.YLabel).Height;
          canvas.TextOut(p.Left - s.YNumberGap, *y + h / 2, point.YLabel);
        }
      }
    }
    canvas.RestoreFont();
    canvas.RestorePen();
  }

  // 16-18. Titles, each in its own style's colour.
  if (!s.YTitle.empty() && s.ShowYTitle) {
    detail::SelectStyleFont(canvas, s.YTitleStyle, 900);
    canvas.SetTextColour(s.YTitleStyle.Colour);
    canvas.SetTextAlign(TextAlign::CentreTop);
    const double x = c.Left + layout.YTitle.Height * s.YTitleGapOfHeight + width * s.YTitleGapOfSize;
    canvas.TextOut(Round(x, c.Left), (p.Top + p.Bottom) / 2, s.YTitle);
    canvas.RestoreFont();
  }
  if (!s.XTitle.empty() && s.ShowXTitle) {
    detail::SelectStyleFont(canvas, s.XTitleStyle, 0);
    canvas.SetTextColour(s.XTitleStyle.Colour);
    canvas.SetTextAlign(TextAlign::CentreBottom);
    const double y =
        c.Bottom - layout.XTitle.Height * s.XTitleGapOfHeight - height * s.XTitleGapOfSize;
    canvas.TextOut((p.Left + p.Right) / 2, Round(y, c.Bottom), s.XTitle);
    canvas.RestoreFont();
  }
  if (!s.Title.empty() && s.ShowTitle) {
    detail::SelectStyleFont(canvas, s.TitleStyle, 0);
    canvas.SetTextColour(s.TitleStyle.Colour);
    canvas.SetTextAlign(TextAlign::CentreTop);
    const double y = c.Top + layout.Title.Height * s.TitleGapOfHeight + height * s.TitleGapOfSize;
    canvas.TextOut((p.Left + p.Right) / 2, Round(y, c.Top), s.Title);
    canvas.RestoreFont();
  }

  // 19. Legend, right of the plot and centred on it: text, line sample, marker sample per entry.
  if (s.ShowLegend) {
    detail::SelectStyleFont(canvas, s.LegendStyle, 0);
    canvas.SetTextColour(s.LegendStyle.Colour);
    canvas.SetTextAlign(TextAlign::LeftTop);
    const int32_t lh = layout.LegendEntry.Height;
    const double g = p.Right + lh * s.LegendGapOfHeight + width * s.LegendGapOfSize;
    const int32_t tx = Round(g + lh * s.LegendSampleOfHeight + width * s.LegendSampleOfSize +
                                 lh * s.LegendTextGapOfHeight,
                             p.Right);
    const int32_t sampleFrom = Round(g, p.Right);
    const int32_t sampleTo = Round(tx - lh * s.LegendTextGapOfHeight, tx);
    const int32_t mx = Round(g + tx - lh * s.LegendTextGapOfHeight, tx) / 2;  // mid-sample
    int32_t y = (p.Top + p.Bottom) / 2 - layout.LegendHeightSum / 2;
    for (const GraphSeries& series : series_) {
      if (!series.ShowInLegend || series.Name.empty()) continue;
      canvas.TextOut(tx, y, series.Name);
      y += lh / 2;
      if (series.ShowLine) {
        detail::SelectPen(canvas, series.LineStyle, series.LineWidth, series.LineColour);
        Line(canvas, sampleFrom, y, sampleTo, y);
        canvas.RestorePen();
      }
      if (series.ShowMarkers) {
        detail::SelectPen(canvas, kPenSolid, series.MarkerWidth, series.MarkerColour);
        Plus(canvas, mx, y, series.MarkerSize);
        canvas.RestorePen();
      }
      y += lh / 2;
    }
    canvas.RestoreFont();
  }

  // 20. Series in order, each line then its markers. Nothing is clipped to the plot area. A point
  // without a pixel position (not finite, or too far out) breaks the line.
  for (const GraphSeries& series : series_) {
    const size_t count = UsedPointCount(series);
    if (series.ShowLine && count > 0) {
      detail::SelectPen(canvas, series.LineStyle, series.LineWidth, series.LineColour);
      bool joined = false;
      for (size_t j = 0; j < count; ++j) {
        const auto x = px(series.Points[j].X - xs.Min);
        const auto y = py(series.Points[j].Y - ys.Min);
        if (!x || !y) {
          joined = false;
          continue;
        }
        if (joined) {
          canvas.LineTo(*x, *y);
        } else {
          canvas.MoveTo(*x, *y);
          joined = true;
        }
      }
      canvas.RestorePen();
    }
    if (series.ShowMarkers && count > 0) {
      detail::SelectPen(canvas, kPenSolid, series.MarkerWidth, series.MarkerColour);
      for (size_t j = 0; j < count; ++j) {
        const auto x = px(series.Points[j].X - xs.Min);
        const auto y = py(series.Points[j].Y - ys.Min);
        if (x && y) Plus(canvas, *x, *y, series.MarkerSize);
      }
      canvas.RestorePen();
    }
  }

  // 21. The owner repaints the surface.
  canvas.Invalidate(c);
}

}  // namespace quarvel
