#pragma once
// quarvel-cli plot: a picture for a report, in the format the output file's extension names
// (SVG and PDF as vector pictures, PNG, JPEG and the other formats of Qt's image writer as
// pixels). What it draws: the graph of the selected experiment after a solve, as the whole
// response or as one frame of its playback; every experiment of the set overlaid
// (--experiment all); a study file of loop or advanced-loop (--study); the four envelope files
// of advanced-loop (--envelopes). Each with a legend unless --no-legend.

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "cli/cli_options.h"
#include "graph/curve_plot.h"

namespace quarvel::cli {

struct PlotOptions {
  std::string x = "T", y = "U";    // quantities: T, U, U_DOT, U_DOT_DOT, F, Z, Fext, Fh, Et, Eh
  std::string size = "800x600";    // WIDTHxHEIGHT of the picture in pixels
  int frame = 0;                   // 0: the whole response; K: as playback shows sample K
  bool noLegend = false;           // --no-legend
  std::string study;               // --study FILE: draw this study file instead of solving
  std::string envelopes;           // --envelopes DIR: draw the envelope files in DIR
  std::string output;              // the picture file
};

// Picture size limits, pixels. Below the minimum the titles and tick numbers no longer fit.
inline constexpr int kMinPlotWidth = 400;
inline constexpr int kMinPlotHeight = 300;
inline constexpr int kMaxPlotSide = 4000;

struct PlotSize {
  int width = 0;
  int height = 0;
};

// "WIDTHxHEIGHT" with both sides whole numbers of pixels within the limits; nullopt otherwise.
std::optional<PlotSize> ParsePlotSize(std::string_view text);
// What ParsePlotSize takes, in words.
std::string SizeRule();

// Report pictures written by a command: holds the application object that Qt's fonts and text
// measurement need from its construction to its end, so that a command that works long first
// can refuse an unwritable picture name before it starts.
class PictureWriter {
 public:
  PictureWriter();
  ~PictureWriter();
  PictureWriter(const PictureWriter&) = delete;
  PictureWriter& operator=(const PictureWriter&) = delete;

  // True when the extension of `output` (given to `option`) names a format this build writes;
  // otherwise says on stderr why not, with the formats there are. (A build without Qt checks
  // nothing here; its Write fails.)
  bool CheckOutput(const std::string& output, const char* option) const;
  // Draws `picture` into `output` at `size` and says where on stdout: 0, or 1 with the reason
  // on stderr (nothing finite to draw, the file cannot be written).
  int Write(const CurvePlot& picture, const PlotSize& size, const std::string& output) const;
  // The graph as it stands (its series, settings and axes) drawn likewise.
  int Write(Graph& graph, const PlotSize& size, const std::string& output) const;

 private:
  struct Application;
  std::unique_ptr<Application> application_;
};

// Adds --x, --y, --size, --frame, --no-legend, --study, --envelopes and -o/--output
// (required), each checked while parsing, and the help's notes on formats and units. Call
// after the experiment and model options are added: --study and --envelopes exclude them.
void AddPlotOptions(CLI::App& command, PlotOptions& plot);

// Draws what the options ask for and writes the picture. Exit status 0; 2 for a bad option
// value (quantity, size, extension, experiment or frame out of range, --frame with
// --experiment all); 1 when a file cannot be read, the solve stopped at a message, there is
// nothing finite to draw or the picture cannot be written.
int RunPlotCommand(CommonOptions& options, const PlotOptions& plot);

}  // namespace quarvel::cli
