#include "graph/figure.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "graph/axes.h"
#include "graph/clip.h"

namespace quarvel {
namespace {

// Sizes in pixels of a 640 x 480 figure.
constexpr double kReferenceWidth = 640.0;
constexpr double kReferenceHeight = 480.0;
constexpr double kTextSize = 13.9;      // 10 pt at 100 per inch: ticks, axis titles, legend
constexpr double kTitleSize = 16.7;     // 12 pt
constexpr double kEndLabelSize = 11.1;  // 8 pt
constexpr double kPad = 8.0;            // the figure's edge to what it holds
constexpr double kGap = 5.0;            // a text to its neighbour
constexpr double kTickLength = 4.9;
constexpr double kFrameWidth = 1.1;
constexpr double kGridWidth = 0.8;
constexpr double kMarkerWidth = 1.5;
constexpr double kLegendSample = 28.0;  // a legend entry's line sample
constexpr double kLegendInset = 7.0;    // the plot's frame to the legend box, its frame to the rows
constexpr double kRowSpacing = 3.0;
// At most these parts of the figure's width for a legend text and a curve's end label.
constexpr double kLegendTextShare = 0.4;
constexpr double kEndLabelShare = 0.2;

constexpr Colour kBlack = 0x000000;
constexpr Colour kWhite = 0xFFFFFF;
constexpr Colour kGridColour = 0xE5E5E5;
constexpr Colour kLegendFrameColour = 0x999999;
constexpr Colour kEndLabelColour = 0x404040;
constexpr const char* kEllipsis = "\u2026";

struct PointD {
  double x = 0.0;
  double y = 0.0;
  friend bool operator==(const PointD&, const PointD&) = default;
};

// Canvas units per pixel of the reference figure.
struct Scale {
  double unit = 1.0;
  int32_t Of(double reference) const {
    return std::max<int32_t>(1, RoundToInt32(reference * unit).value_or(1));
  }
  LogicalFont Font(double size, int32_t escapement = 0) const {
    LogicalFont font;
    font.Height = -Of(size);
    font.Escapement = escapement;
    font.FaceName = kFigureFontFace;
    return font;
  }
};

// Data to canvas units over the plot area.
struct Mapping {
  PixelRect rect;
  FigureAxis x;
  FigureAxis y;
  // Halves, so that no difference of two doubles overflows.
  double X(double v) const {
    return rect.Left + (v / 2 - x.min / 2) / (x.max / 2 - x.min / 2) * (rect.Right - rect.Left);
  }
  double Y(double v) const {
    return rect.Bottom - (v / 2 - y.min / 2) / (y.max / 2 - y.min / 2) * (rect.Bottom - rect.Top);
  }
  PointD operator()(double vx, double vy) const { return {X(vx), Y(vy)}; }
};

int32_t Round(double v) { return RoundToInt32(v).value_or(0); }

// Cuts the segment a-b to the rectangle; false when nothing of it is inside.
bool ClipToRect(PointD& a, PointD& b, const PixelRect& r) {
  return ClipSegment(a.x, a.y, b.x, b.y,
                     ClipRect{static_cast<double>(r.Left), static_cast<double>(r.Top),
                              static_cast<double>(r.Right), static_cast<double>(r.Bottom)});
}

bool Inside(const PointD& p, const PixelRect& r) {
  return p.x >= r.Left && p.x <= r.Right && p.y >= r.Top && p.y <= r.Bottom;
}

bool DrawsLine(const PlotCurve& curve) { return curve.style != kPenNone && curve.width > 0; }

// Calls segment(a, b) for each joined pair of finite points, and point(p) for each finite
// point, in canvas units.
template <typename Segment, typename Point>
void WalkCurve(const PlotCurve& curve, const Mapping& map, Segment segment, Point point) {
  const std::size_t count = std::min(curve.x.size(), curve.y.size());
  bool joined = false;
  PointD previous;
  for (std::size_t i = 0; i < count; ++i) {
    if (!std::isfinite(curve.x[i]) || !std::isfinite(curve.y[i])) {
      joined = false;
      continue;
    }
    const PointD p = map(curve.x[i], curve.y[i]);
    if (joined) segment(previous, p);
    point(p);
    previous = p;
    joined = true;
  }
}

// How much of the curves lies in `box`: the length of their lines in it, and a marker's arm
// for each of their markers in it.
double Coverage(const CurvePlot& plot, const Mapping& map, const PixelRect& box, double unit) {
  double covered = 0.0;
  for (const PlotCurve& curve : plot.curves) {
    const bool line = DrawsLine(curve);
    WalkCurve(
        curve, map,
        [&](PointD a, PointD b) {
          if (line && ClipToRect(a, b, box)) covered += std::hypot(b.x - a.x, b.y - a.y);
        },
        [&](const PointD& p) {
          if (curve.marker > 0 && Inside(p, box)) covered += curve.marker * unit;
        });
  }
  return covered;
}

// The data extents of what is drawn; false when nothing is.
bool Extents(const CurvePlot& plot, double& xMin, double& xMax, double& yMin, double& yMax) {
  bool any = false;
  for (const PlotCurve& curve : plot.curves) {
    if (!DrawsLine(curve) && curve.marker <= 0) continue;
    for (std::size_t i = 0; i < std::min(curve.x.size(), curve.y.size()); ++i) {
      const double x = curve.x[i];
      const double y = curve.y[i];
      if (!std::isfinite(x) || !std::isfinite(y)) continue;
      xMin = any ? std::min(xMin, x) : x;
      xMax = any ? std::max(xMax, x) : x;
      yMin = any ? std::min(yMin, y) : y;
      yMax = any ? std::max(yMax, y) : y;
      any = true;
    }
  }
  return any;
}

// The text, or its longest start (whole UTF-8 characters) with an ellipsis that is at most
// `width` wide in the canvas's current font.
std::string Elide(Canvas& canvas, const std::string& text, int32_t width) {
  if (canvas.MeasureText(text).Width <= width) return text;
  std::vector<std::size_t> ends;  // where a character ends
  for (std::size_t i = 1; i <= text.size(); ++i) {
    if (i == text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ends.push_back(i);
    }
  }
  std::size_t low = 0;  // characters known to fit
  std::size_t high = ends.size();
  while (low < high) {
    const std::size_t mid = (low + high + 1) / 2;
    if (canvas.MeasureText(text.substr(0, ends[mid - 1]) + kEllipsis).Width <= width) {
      low = mid;
    } else {
      high = mid - 1;
    }
  }
  return (low == 0 ? std::string() : text.substr(0, ends[low - 1])) + kEllipsis;
}

// The legend's entries: the named curves, then the keys.
std::vector<LegendKey> LegendEntries(const CurvePlot& plot) {
  std::vector<LegendKey> entries;
  if (!plot.legend) return entries;
  for (const PlotCurve& c : plot.curves) {
    if (!c.name.empty()) entries.push_back({c.name, c.colour, c.width, c.style, c.marker});
  }
  for (const LegendKey& k : plot.keys) {
    if (!k.name.empty()) entries.push_back(k);
  }
  return entries;
}

// The legend's rows, columns and box size.
struct LegendShape {
  int32_t columns = 1;
  int32_t rows = 0;
  int32_t columnWidth = 0;
  int32_t rowHeight = 0;
  int32_t width = 0;
  int32_t height = 0;
};

LegendShape ShapeOf(std::size_t entries, int32_t columns, int32_t textWidth, int32_t textHeight,
                    const Scale& s) {
  LegendShape shape;
  shape.columns = std::max<int32_t>(1, columns);
  shape.rows = static_cast<int32_t>((entries + shape.columns - 1) / shape.columns);
  shape.columnWidth = s.Of(kLegendSample) + s.Of(kGap) + textWidth + s.Of(2 * kGap);
  shape.rowHeight = textHeight + s.Of(kRowSpacing);
  shape.width = 2 * s.Of(kLegendInset) + shape.columns * shape.columnWidth - s.Of(2 * kGap);
  shape.height = 2 * s.Of(kLegendInset) + shape.rows * shape.rowHeight - s.Of(kRowSpacing);
  return shape;
}

// The first corner of the plot (upper right, upper left, lower left, lower right) where a box
// of the shape covers no curve; empty when each covers some.
std::optional<PixelRect> FreeCorner(const CurvePlot& plot, const Mapping& map,
                                    const LegendShape& shape, const Scale& s) {
  const PixelRect& r = map.rect;
  const int32_t inset = s.Of(kLegendInset);
  const int32_t left = r.Left + inset;
  const int32_t right = r.Right - inset - shape.width;
  const int32_t top = r.Top + inset;
  const int32_t bottom = r.Bottom - inset - shape.height;
  if (right < left || bottom < top) return std::nullopt;
  for (const auto& [x, y] : {std::pair{right, top}, {left, top}, {left, bottom}, {right, bottom}}) {
    const PixelRect box{x, y, x + shape.width, y + shape.height};
    if (Coverage(plot, map, box, s.unit) == 0.0) return box;
  }
  return std::nullopt;
}

void Line(Canvas& canvas, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
  canvas.MoveTo(x1, y1);
  canvas.LineTo(x2, y2);
}

void Plus(Canvas& canvas, const PointD& p, int32_t arm) {
  const int32_t x = Round(p.x);
  const int32_t y = Round(p.y);
  Line(canvas, x - arm, y, x + arm, y);
  Line(canvas, x, y - arm, x, y + arm);
}

void Frame(Canvas& canvas, const PixelRect& r) {
  canvas.MoveTo(r.Left, r.Top);
  canvas.LineTo(r.Right, r.Top);
  canvas.LineTo(r.Right, r.Bottom);
  canvas.LineTo(r.Left, r.Bottom);
  canvas.LineTo(r.Left, r.Top);
}

void DrawCurve(Canvas& canvas, const PlotCurve& curve, const Mapping& map, const Scale& s) {
  if (DrawsLine(curve)) {
    canvas.SelectPen(Pen{curve.style, s.Of(curve.width), curve.colour});
    PointD end;  // where the last piece drawn ended
    bool drawn = false;
    WalkCurve(
        curve, map,
        [&](PointD a, PointD b) {
          const PointD to = b;
          if (!ClipToRect(a, b, map.rect)) return;
          if (!drawn || !(a == end)) canvas.MoveTo(Round(a.x), Round(a.y));
          canvas.LineTo(Round(b.x), Round(b.y));
          drawn = b == to;
          end = b;
        },
        [](const PointD&) {});
    canvas.RestorePen();
  }
  if (curve.marker > 0) {
    canvas.SelectPen(Pen{kPenSolid, s.Of(kMarkerWidth), curve.colour});
    WalkCurve(
        curve, map, [](PointD, PointD) {},
        [&](const PointD& p) {
          if (Inside(p, map.rect)) Plus(canvas, p, s.Of(curve.marker));
        });
    canvas.RestorePen();
  }
}

// The label at the right of the plot beside a curve's last point.
struct EndLabel {
  std::string text;
  const PlotCurve* curve = nullptr;
  double y = 0.0;  // its middle
};

// Everything measured before the layout.
struct Texts {
  std::string title;
  std::string xTitle;
  std::string yTitle;
  int32_t height = 0;  // of the 10-point texts
  int32_t titleHeight = 0;
  int32_t endHeight = 0;
  int32_t yLabelsWidth = 0;
  int32_t lastXLabelWidth = 0;
  std::vector<LegendKey> legend;
  int32_t legendTextWidth = 0;
  std::vector<EndLabel> ends;  // y filled in by PlaceEndLabels
  int32_t endsWidth = 0;
};

Texts MeasureTexts(const CurvePlot& plot, const FigureLayout& layout, Canvas& canvas,
                   const Scale& s) {
  Texts t;
  const int32_t width = canvas.Width();
  const int32_t room = width - 2 * s.Of(kPad);
  canvas.SelectFont(s.Font(kTitleSize));
  t.title = plot.title.empty() ? std::string() : Elide(canvas, plot.title, room);
  t.titleHeight = canvas.MeasureText(t.title).Height;
  canvas.RestoreFont();

  canvas.SelectFont(s.Font(kTextSize));
  t.height = canvas.MeasureText("0").Height;
  const std::string xTitle = AxisTitleWithPower(plot.xTitle, layout.x.power);
  const std::string yTitle = AxisTitleWithPower(plot.yTitle, layout.y.power);
  t.xTitle = xTitle.empty() ? xTitle : Elide(canvas, xTitle, room);
  t.yTitle = yTitle.empty() ? yTitle : Elide(canvas, yTitle, canvas.Height() - 2 * s.Of(kPad));
  for (const std::string& label : layout.y.labels) {
    t.yLabelsWidth = std::max(t.yLabelsWidth, canvas.MeasureText(label).Width);
  }
  if (!layout.x.labels.empty()) {
    t.lastXLabelWidth = canvas.MeasureText(layout.x.labels.back()).Width;
  }
  t.legend = LegendEntries(plot);
  const auto textRoom = static_cast<int32_t>(kLegendTextShare * width);
  for (LegendKey& entry : t.legend) {
    entry.name = Elide(canvas, entry.name, textRoom);
    t.legendTextWidth = std::max(t.legendTextWidth, canvas.MeasureText(entry.name).Width);
  }
  canvas.RestoreFont();

  canvas.SelectFont(s.Font(kEndLabelSize));
  t.endHeight = canvas.MeasureText("0").Height;
  for (const PlotCurve& curve : plot.curves) {
    if (curve.endLabel.empty()) continue;
    const std::string text =
        Elide(canvas, curve.endLabel, static_cast<int32_t>(kEndLabelShare * width));
    t.endsWidth = std::max(t.endsWidth, canvas.MeasureText(text).Width);
    t.ends.push_back({text, &curve});
  }
  canvas.RestoreFont();
  return t;
}

// The rows of the end labels beside the last finite points of their curves, moved apart where
// they would overlap.
void PlaceEndLabels(Texts& t, const Mapping& map) {
  std::vector<EndLabel> placed;
  for (const EndLabel& label : t.ends) {
    std::optional<PointD> last;
    WalkCurve(
        *label.curve, map, [](PointD, PointD) {}, [&](const PointD& p) { last = p; });
    if (last && Inside(*last, map.rect)) placed.push_back({label.text, label.curve, last->y});
  }
  std::stable_sort(placed.begin(), placed.end(),
                   [](const EndLabel& a, const EndLabel& b) { return a.y < b.y; });
  for (std::size_t i = 1; i < placed.size(); ++i) {
    placed[i].y = std::max(placed[i].y, placed[i - 1].y + t.endHeight);
  }
  t.ends = std::move(placed);
}

void DrawLegend(Canvas& canvas, const Texts& t, const LegendShape& shape, const PixelRect& box,
                const Scale& s) {
  canvas.FillRect(box, kWhite);
  canvas.SelectPen(Pen{kPenSolid, s.Of(kGridWidth), kLegendFrameColour});
  Frame(canvas, box);
  canvas.RestorePen();
  canvas.SelectFont(s.Font(kTextSize));
  canvas.SetTextColour(kBlack);
  canvas.SetTextAlign(TextAlign::LeftTop);
  for (std::size_t i = 0; i < t.legend.size(); ++i) {
    const LegendKey& entry = t.legend[i];
    const auto row = static_cast<int32_t>(i) / shape.columns;
    const auto column = static_cast<int32_t>(i) % shape.columns;
    const int32_t x = box.Left + s.Of(kLegendInset) + column * shape.columnWidth;
    const int32_t top = box.Top + s.Of(kLegendInset) + row * shape.rowHeight;
    const int32_t y = top + t.height / 2;
    if (entry.style != kPenNone && entry.width > 0) {
      canvas.SelectPen(Pen{entry.style, s.Of(entry.width), entry.colour});
      Line(canvas, x, y, x + s.Of(kLegendSample), y);
      canvas.RestorePen();
    }
    if (entry.marker > 0) {
      canvas.SelectPen(Pen{kPenSolid, s.Of(kMarkerWidth), entry.colour});
      Plus(canvas, {x + s.Of(kLegendSample) / 2.0, static_cast<double>(y)},
           std::min(s.Of(entry.marker), t.height / 2));
      canvas.RestorePen();
    }
    canvas.TextOut(x + s.Of(kLegendSample) + s.Of(kGap), top, entry.name);
  }
  canvas.RestoreFont();
}

// The canvas columns of the X ticks and rows of the Y ticks.
struct TickPixels {
  std::vector<int32_t> columns;
  std::vector<int32_t> rows;
};

TickPixels TickPixelsOf(const FigureLayout& layout, const Mapping& map) {
  TickPixels ticks;
  for (const double x : layout.x.ticks) ticks.columns.push_back(Round(map.X(x)));
  for (const double y : layout.y.ticks) ticks.rows.push_back(Round(map.Y(y)));
  return ticks;
}

void DrawGrid(Canvas& canvas, const PixelRect& r, const TickPixels& ticks, const Scale& s) {
  canvas.SelectPen(Pen{kPenSolid, s.Of(kGridWidth), kGridColour});
  for (const int32_t x : ticks.columns) Line(canvas, x, r.Top, x, r.Bottom);
  for (const int32_t y : ticks.rows) Line(canvas, r.Left, y, r.Right, y);
  canvas.RestorePen();
}

void DrawAxes(Canvas& canvas, const FigureLayout& layout, const TickPixels& ticks, const Texts& t,
              const Scale& s) {
  const PixelRect& r = layout.plot;
  const int32_t tick = s.Of(kTickLength);
  const int32_t gap = s.Of(kGap);
  canvas.SelectPen(Pen{kPenSolid, s.Of(kFrameWidth), kBlack});
  Frame(canvas, r);
  for (const int32_t x : ticks.columns) Line(canvas, x, r.Bottom, x, r.Bottom + tick);
  for (const int32_t y : ticks.rows) Line(canvas, r.Left, y, r.Left - tick, y);
  canvas.RestorePen();

  canvas.SelectFont(s.Font(kTextSize));
  canvas.SetTextColour(kBlack);
  canvas.SetTextAlign(TextAlign::CentreTop);
  for (std::size_t i = 0; i < ticks.columns.size(); ++i) {
    canvas.TextOut(ticks.columns[i], r.Bottom + tick + gap, layout.x.labels[i]);
  }
  const int32_t centreX = (r.Left + r.Right) / 2;
  if (!t.xTitle.empty()) {
    canvas.TextOut(centreX, r.Bottom + tick + 2 * gap + t.height, t.xTitle);
  }
  canvas.SetTextAlign(TextAlign::RightBottom);
  for (std::size_t i = 0; i < ticks.rows.size(); ++i) {
    canvas.TextOut(r.Left - tick - gap, ticks.rows[i] + t.height / 2, layout.y.labels[i]);
  }
  canvas.RestoreFont();
  if (!t.yTitle.empty()) {
    // Reading upwards, its top towards the figure's left edge.
    canvas.SelectFont(s.Font(kTextSize, 900));
    canvas.SetTextAlign(TextAlign::CentreTop);
    canvas.TextOut(s.Of(kPad), (r.Top + r.Bottom) / 2, t.yTitle);
    canvas.RestoreFont();
  }
  if (!t.title.empty()) {
    canvas.SelectFont(s.Font(kTitleSize));
    canvas.SetTextAlign(TextAlign::CentreTop);
    canvas.TextOut(centreX, s.Of(kPad), t.title);
    canvas.RestoreFont();
  }
}

void DrawEndLabels(Canvas& canvas, const Texts& t, const PixelRect& plot, const Scale& s) {
  canvas.SelectFont(s.Font(kEndLabelSize));
  canvas.SetTextColour(kEndLabelColour);
  canvas.SetTextAlign(TextAlign::LeftTop);
  for (const EndLabel& label : t.ends) {
    canvas.TextOut(plot.Right + s.Of(kGap), Round(label.y) - t.endHeight / 2, label.text);
  }
  canvas.RestoreFont();
}

}  // namespace

std::optional<FigureLayout> RenderFigure(const CurvePlot& plot, Canvas& canvas) {
  double xMin = 0, xMax = 0, yMin = 0, yMax = 0;
  if (!Extents(plot, xMin, xMax, yMin, yMax)) return std::nullopt;
  FigureLayout layout;
  layout.x = FigureAxisOf(xMin, xMax);
  layout.y = FigureAxisOf(yMin, yMax);
  const int32_t width = canvas.Width();
  const int32_t height = canvas.Height();
  const Scale s{std::min(width / kReferenceWidth, height / kReferenceHeight)};
  Texts t = MeasureTexts(plot, layout, canvas, s);

  // The plot between the texts around it.
  const int32_t pad = s.Of(kPad);
  const int32_t gap = s.Of(kGap);
  const int32_t tick = s.Of(kTickLength);
  PixelRect& r = layout.plot;
  r.Top = pad + (t.title.empty() ? t.height / 2 : t.titleHeight + gap);
  r.Left = pad + (t.yTitle.empty() ? 0 : t.height + gap) + t.yLabelsWidth + gap + tick;
  r.Right = width - pad - std::max(t.ends.empty() ? 0 : t.endsWidth + gap, t.lastXLabelWidth / 2);
  r.Bottom = height - pad - (t.xTitle.empty() ? 0 : t.height + gap) - t.height - gap - tick;
  r.Right = std::max(r.Right, r.Left + 1);
  r.Bottom = std::max(r.Bottom, r.Top + 1);
  Mapping map{r, layout.x, layout.y};

  LegendShape shape;
  if (!t.legend.empty()) {
    shape = ShapeOf(t.legend.size(), 1, t.legendTextWidth, t.height, s);
    if (const std::optional<PixelRect> corner = FreeCorner(plot, map, shape, s)) {
      layout.legend = *corner;
    } else {
      // Below the plot, in as many columns as its width takes.
      layout.legendBelow = true;
      const int32_t columns =
          (r.Right - r.Left) / ShapeOf(1, 1, t.legendTextWidth, t.height, s).columnWidth;
      shape = ShapeOf(t.legend.size(),
                      std::clamp<int32_t>(columns, 1, static_cast<int32_t>(t.legend.size())),
                      t.legendTextWidth, t.height, s);
      r.Bottom = std::max(r.Bottom - shape.height - gap, r.Top + 1);
      map.rect = r;
      const int32_t left = (r.Left + r.Right - shape.width) / 2;
      layout.legend = {left, height - pad - shape.height, left + shape.width, height - pad};
    }
  }
  PlaceEndLabels(t, map);

  const TickPixels ticks = TickPixelsOf(layout, map);
  canvas.FillRect(PixelRect{0, 0, width, height}, kWhite);
  DrawGrid(canvas, r, ticks, s);
  for (const PlotCurve& curve : plot.curves) DrawCurve(canvas, curve, map, s);
  DrawAxes(canvas, layout, ticks, t, s);
  DrawEndLabels(canvas, t, r, s);
  if (!t.legend.empty()) DrawLegend(canvas, t, shape, layout.legend, s);
  return layout;
}

}  // namespace quarvel
