#pragma once
// quarvel-cli plot: a picture for a report, in the format the output file's extension names
// (SVG and PDF as vector pictures, PNG, JPEG and the other formats of Qt's image writer as
// pixels). What it draws: the graph of the selected experiment after a solve, as the whole
// response or as one frame of its playback; every experiment of the set overlaid
// (--experiment all); a study file of loop or advanced-loop (--study); the four envelope files
// of advanced-loop (--envelopes). Each with a legend unless --no-legend.

#include <CLI/CLI.hpp>
#include <string>

#include "cli/cli_options.h"

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
