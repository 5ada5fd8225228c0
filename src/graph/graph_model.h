#pragma once
// The graph's data: curves, text styles, display settings and axis scales.
// Plain records that callers fill directly; the Graph object (graph.h) only reads them.

#include <cstdint>
#include <string>
#include <vector>

namespace quarvel {

// Colours are 0x00BBGGRR (0x0000FF is red).
using Colour = uint32_t;

// Pen styles, as stored in LineStyle and the *Style settings.
enum PenStyle : int32_t {
  kPenSolid = 0,
  kPenDash = 1,
  kPenDot = 2,
  kPenDashDot = 3,
  kPenDashDotDot = 4,
  kPenNone = 5,
};

// One point of a curve.
struct GraphPoint {
  double X = 0.0;       // abscissa, data units
  double Y = 0.0;       // ordinate, data units
  std::string XLabel;   // written under the X axis at X when XPointLabels is on; empty: none
  std::string YLabel;   // written left of the Y axis at Y when YPointLabels is on; empty: none
};

// One curve. Points[0] is the first point; only the first PointCount points are used,
// so a growing prefix can be shown without touching the array.
struct GraphSeries {
  int32_t PointCount = 0;
  std::vector<GraphPoint> Points;
  bool ShowLine = false;        // join the points by straight segments
  Colour LineColour = 0;
  int32_t LineWidth = 0;        // pixels
  int32_t LineStyle = kPenSolid;
  bool ShowMarkers = false;     // a "+" on every point
  Colour MarkerColour = 0;
  int32_t MarkerWidth = 0;      // pen width of the "+", pixels
  int32_t MarkerSize = 0;       // arm length of the "+", pixels (0 draws nothing visible)
  bool ShowInLegend = false;
  std::string Name;             // legend text
};

// Font and colour of one kind of text.
struct TextStyle {
  std::string FontName = "TAHOMA";  // at most 32 characters, else the surface's own font is used
  int32_t Size = 9;                 // points
  bool Bold = false;                // weight 700, else 400
  bool Italic = false;
  bool Underline = false;
  bool Strikeout = false;
  int32_t CharSet = 0;              // 0: ANSI
  ::quarvel::Colour Colour = 0;
};

inline TextStyle MakeTextStyle(int32_t size) {
  TextStyle style;
  style.Size = size;
  return style;
}

// Everything about the look of the graph. The member initialisers are the defaults that
// Graph::SetGraphDefaults writes. Lengths and gaps are pixels; "OfHeight" gaps are fractions of
// the element's text height, "OfSize" gaps fractions of the surface width (Y title, legend) or
// height (X title, title).
struct GraphSettings {
  bool AutoScaleX = true;  // axes always come from the data
  bool AutoScaleY = true;
  int32_t XAxisWidth = 3;
  int32_t YAxisWidth = 3;
  Colour XAxisColour = 0;
  Colour YAxisColour = 0;

  double HRefValue = 0.0;  // Y value of the horizontal reference line
  Colour HRefColour = 0xC0C0C0;
  int32_t HRefWidth = 1;
  int32_t HRefStyle = kPenSolid;
  bool ShowHRef = true;
  double VRefValue = 0.0;  // X value of the vertical reference line
  Colour VRefColour = 0xC0C0C0;
  int32_t VRefWidth = 1;
  int32_t VRefStyle = kPenSolid;
  bool ShowVRef = true;

  Colour MinorTickColour = 0;  // both axes
  int32_t MinorTickWidth = 1;  // both axes
  int32_t XMinorTickLength = 5;
  int32_t YMinorTickLength = 10;
  bool ShowXMinorTicks = true;
  bool ShowYMinorTicks = true;

  Colour YMinorGridColour = 0xC0C0C0;  // horizontal lines at the Y minor steps
  int32_t YMinorGridWidth = 1;
  int32_t YMinorGridStyle = kPenDot;
  bool ShowYMinorGrid = true;
  Colour XMinorGridColour = 0xC0C0C0;  // vertical lines at the X minor steps
  int32_t XMinorGridWidth = 1;
  int32_t XMinorGridStyle = kPenDot;
  bool ShowXMinorGrid = true;

  Colour MajorTickColour = 0;  // both axes
  int32_t XMajorTickWidth = 2;
  int32_t YMajorTickWidth = 2;
  int32_t XMajorTickLength = 10;
  int32_t YMajorTickLength = 10;
  int32_t XNumberGap = 15;  // plot bottom to the top of the X tick numbers
  int32_t YNumberGap = 15;  // plot left edge to the right end of the Y tick numbers
  bool ShowXMajorTicks = true;  // X major ticks and X tick numbers
  bool ShowYMajorTicks = true;
  bool XPointLabels = false;  // write the points' XLabel texts under the X axis
  bool YPointLabels = false;  // write the points' YLabel texts left of the Y axis

  Colour YMajorGridColour = 0;
  int32_t YMajorGridWidth = 1;
  int32_t YMajorGridStyle = kPenDot;
  bool ShowYMajorGrid = true;
  Colour XMajorGridColour = 0;
  int32_t XMajorGridWidth = 1;
  int32_t XMajorGridStyle = kPenDot;
  bool ShowXMajorGrid = true;

  std::string XNumberFormat = "0.00E+00";
  TextStyle XNumberStyle = MakeTextStyle(9);  // also for the XLabel texts
  std::string YNumberFormat = "0.00E+00";
  TextStyle YNumberStyle = MakeTextStyle(9);  // also for the YLabel texts

  std::string YTitle;  // written rotated, reading upwards
  TextStyle YTitleStyle = MakeTextStyle(10);
  double YTitleGapOfHeight = 0.5;
  double YTitleGapOfSize = 0.02;
  bool ShowYTitle = true;
  std::string XTitle;
  TextStyle XTitleStyle = MakeTextStyle(10);
  double XTitleGapOfHeight = 0.5;
  double XTitleGapOfSize = 0.02;
  bool ShowXTitle = true;
  std::string Title;
  TextStyle TitleStyle = MakeTextStyle(14);
  double TitleGapOfHeight = 0.2;
  double TitleGapOfSize = 0.03;
  bool ShowTitle = true;

  TextStyle LegendStyle = MakeTextStyle(8);
  double LegendGapOfHeight = 0.2;      // of the legend's row height
  double LegendGapOfSize = 0.03;       // of the surface width
  bool ShowLegend = true;
  double LegendSampleOfHeight = 2.0;   // line sample length, part 1: of the row height
  double LegendSampleOfSize = 0.01;    // line sample length, part 2: of the surface width
  double LegendTextGapOfHeight = 1.0;  // sample to text, of the row height

  std::string DecimalSeparator = ".";  // shown in tick numbers and read-outs
};

// The scale of one axis.
struct AxisScale {
  double MajorStep = 0.0;
  double MinorStep = 0.0;
  double Max = 0.0;
  double Min = 0.0;

  double Range() const { return Max - Min; }
};

}  // namespace quarvel
