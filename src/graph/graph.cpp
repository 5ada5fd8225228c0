#include "graph/graph.h"

#include <algorithm>

#include "graph/graph_internal.h"

namespace quarvel {
namespace {

using detail::UsedPointCount;

void Widen(TextExtent& maxima, const TextExtent& extent) {
  maxima.Width = std::max(maxima.Width, extent.Width);
  maxima.Height = std::max(maxima.Height, extent.Height);
}

// Rounds a layout edge; an edge that cannot be computed keeps its last value.
void SetEdge(int32_t& edge, double value) {
  if (const auto rounded = RoundToInt32(value)) edge = *rounded;
}

}  // namespace

void Graph::ComputeAxes() {
  if (series_.empty()) return;

  DataExtents& e = extents_;
  const GraphSeries& first = series_.front();
  if (!first.Points.empty()) {
    e.XMax = e.XMin = first.Points.front().X;
    e.YMax = e.YMin = first.Points.front().Y;
  }
  for (const GraphSeries& series : series_) {
    const size_t count = UsedPointCount(series);
    for (size_t j = 0; j < count; ++j) {
      const GraphPoint& p = series.Points[j];
      if (p.X > e.XMax) {
        e.XMax = p.X;
      } else if (p.X < e.XMin) {
        e.XMin = p.X;
      }
      if (p.Y > e.YMax) {
        e.YMax = p.Y;
      } else if (p.Y < e.YMin) {
        e.YMin = p.Y;
      }
    }
  }

  NiceAxis(e.XMax, e.XMin, xScale_.MajorStep, xScale_.MinorStep, xScale_.Max, xScale_.Min);
  NiceAxis(e.YMax, e.YMin, yScale_.MajorStep, yScale_.MinorStep, yScale_.Max, yScale_.Min);
}

std::string Graph::XTickText(int32_t i) const {
  return FormatAxisNumber(i * xScale_.MajorStep + xScale_.Min, settings_.XNumberFormat,
                          settings_.DecimalSeparator);
}

std::string Graph::YTickText(int32_t i) const {
  return FormatAxisNumber(i * yScale_.MajorStep + yScale_.Min, settings_.YNumberFormat,
                          settings_.DecimalSeparator);
}

std::optional<GraphLayout> Graph::DrawGraph(const GraphLayout& previous) const {
  std::optional<GraphLayout> layout = ComputeLayout(previous);
  if (layout) RenderGraph(*layout);
  return layout;
}

std::optional<GraphLayout> Graph::ComputeLayout(const GraphLayout& previous) const {
  if (series_.empty() || surface_ == nullptr) return std::nullopt;
  if (!(xScale_.MajorStep > 0) || !(yScale_.MajorStep > 0)) return std::nullopt;

  Canvas& canvas = *surface_;
  const GraphSettings& s = settings_;
  GraphLayout next = previous;
  next.CanvasRect = PixelRect{0, 0, canvas.Width(), canvas.Height()};
  next.XTickText = next.YTickText = next.YTitle = next.XTitle = next.Title = TextExtent{};
  next.LegendHeightSum = 0;
  next.LegendEntry = TextExtent{};

  // Tick texts and point labels, each axis in its number font.
  if (s.ShowXMajorTicks || s.XPointLabels) {
    detail::SelectStyleFont(canvas, s.XNumberStyle, 0);
    if (s.ShowXMajorTicks) {
      if (const auto last = TickTextLast(xScale_.Range(), xScale_.MajorStep)) {
        for (int32_t i = 0; i <= *last; ++i) Widen(next.XTickText, canvas.MeasureText(XTickText(i)));
      }
    }
    if (s.XPointLabels) {
      for (const GraphSeries& series : series_) {
        const size_t count = UsedPointCount(series);
        for (size_t j = 0; j < count; ++j) {
          const std::string& label = series.Points[j].XLabel;
          if (!label.empty()) Widen(next.XTickText, canvas.MeasureText(label));
        }
      }
    }
    canvas.RestoreFont();
  }
  if (s.ShowYMajorTicks || s.YPointLabels) {
    detail::SelectStyleFont(canvas, s.YNumberStyle, 0);
    if (s.ShowYMajorTicks) {
      if (const auto last = TickTextLast(yScale_.Range(), yScale_.MajorStep)) {
        for (int32_t i = 0; i <= *last; ++i) Widen(next.YTickText, canvas.MeasureText(YTickText(i)));
      }
    }
    if (s.YPointLabels) {
      for (const GraphSeries& series : series_) {
        const size_t count = UsedPointCount(series);
        for (size_t j = 0; j < count; ++j) {
          const std::string& label = series.Points[j].YLabel;
          if (!label.empty()) Widen(next.YTickText, canvas.MeasureText(label));
        }
      }
    }
    canvas.RestoreFont();
  }

  // Titles; the Y title in its rotated font, its height being the extent across the text.
  auto measureTitle = [&canvas](const std::string& text, bool show, const TextStyle& style,
                                int32_t escapement, TextExtent& extent) {
    if (text.empty() || !show) return;
    detail::SelectStyleFont(canvas, style, escapement);
    extent = canvas.MeasureText(text);
    canvas.RestoreFont();
  };
  measureTitle(s.YTitle, s.ShowYTitle, s.YTitleStyle, 900, next.YTitle);
  measureTitle(s.XTitle, s.ShowXTitle, s.XTitleStyle, 0, next.XTitle);
  measureTitle(s.Title, s.ShowTitle, s.TitleStyle, 0, next.Title);

  if (s.ShowLegend) {
    detail::SelectStyleFont(canvas, s.LegendStyle, 0);
    for (const GraphSeries& series : series_) {
      if (!series.ShowInLegend || series.Name.empty()) continue;
      const TextExtent extent = canvas.MeasureText(series.Name);
      next.LegendHeightSum += extent.Height;
      Widen(next.LegendEntry, extent);
    }
    canvas.RestoreFont();
  }

  // Margins. The gaps that are fractions of the surface size stay even when their element is
  // hidden (no legend still leaves 0.07 of the width on the right with the defaults).
  const PixelRect& c = next.CanvasRect;
  const double width = static_cast<double>(c.Right) - c.Left;
  const double height = static_cast<double>(c.Bottom) - c.Top;
  const double yw = next.YTickText.Width;
  const double th = next.XTickText.Height;
  const double hY = next.YTitle.Height;
  const double hX = next.XTitle.Height;
  const double hT = next.Title.Height;
  const double lw = next.LegendEntry.Width;
  const double lh = next.LegendEntry.Height;
  SetEdge(next.PlotRect.Left, static_cast<double>(c.Left) + s.YNumberGap + yw +
                                  (2 * s.YTitleGapOfHeight + 1) * hY +
                                  2 * s.YTitleGapOfSize * width);
  SetEdge(next.PlotRect.Right, static_cast<double>(c.Right) - lw - 2 * s.LegendGapOfHeight * lh -
                                   2 * s.LegendGapOfSize * width - s.LegendSampleOfHeight * lh -
                                   s.LegendSampleOfSize * width - s.LegendTextGapOfHeight * lh);
  SetEdge(next.PlotRect.Top, static_cast<double>(c.Top) + (2 * s.TitleGapOfHeight + 1) * hT +
                                 2 * s.TitleGapOfSize * height);
  SetEdge(next.PlotRect.Bottom, static_cast<double>(c.Bottom) - s.XNumberGap - th -
                                    (2 * s.XTitleGapOfHeight + 1) * hX -
                                    2 * s.XTitleGapOfSize * height);

  // A plot area of no width or height keeps the last scale factors.
  const PixelRect& p = next.PlotRect;
  if (p.Right != p.Left) {
    next.XUnitsPerPixel = xScale_.Range() / (static_cast<double>(p.Right) - p.Left);
  }
  if (p.Bottom != p.Top) {
    next.YUnitsPerPixel = yScale_.Range() / (static_cast<double>(p.Bottom) - p.Top);
  }

  return next;
}

std::optional<int32_t> GraphLayout::DataToPixelX(double offset) const {
  return RoundToInt32(offset / XUnitsPerPixel + PlotRect.Left);
}

std::optional<int32_t> GraphLayout::DataToPixelY(double offset) const {
  return RoundToInt32(PlotRect.Bottom - offset / YUnitsPerPixel);
}

bool Graph::PixelToData(const GraphLayout& layout, int32_t px, int32_t py, double& x,
                        double& y) const {
  const PixelRect& p = layout.PlotRect;
  if (px < p.Left || px > p.Right || py < p.Top || py > p.Bottom) return false;
  x = (static_cast<double>(px) - p.Left) * layout.XUnitsPerPixel + xScale_.Min;
  y = yScale_.Max - (static_cast<double>(py) - p.Top) * layout.YUnitsPerPixel;
  return true;
}

std::optional<std::string> Graph::FormatCoordinates(const GraphLayout& layout, int32_t px,
                                                    int32_t py) const {
  double x = 0.0;
  double y = 0.0;
  if (!PixelToData(layout, px, py, x, y)) return std::nullopt;
  // Appended piece by piece: "(" + a temporary trips a false overlap warning of GCC 12.
  std::string text = "(";
  text += FormatAxisNumber(x, settings_.XNumberFormat, settings_.DecimalSeparator);
  text += ',';
  text += FormatAxisNumber(y, settings_.YNumberFormat, settings_.DecimalSeparator);
  text += ')';
  return text;
}

}  // namespace quarvel
