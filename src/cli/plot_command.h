#pragma once
// quarvel-cli plot: solve, then draw the graph of the selected experiment into a picture file
// (the format follows the file's extension), as the whole response or as one frame of its
// playback.

#include <CLI/CLI.hpp>
#include <string>

#include "cli/cli_options.h"

namespace quarvel::cli {

struct PlotOptions {
  std::string x = "T", y = "U";    // quantities: T, U, U_DOT, U_DOT_DOT, F, Z, Fext, Fh, Et, Eh
  std::string size = "800x600";    // WIDTHxHEIGHT of the picture in pixels
  int frame = 0;                   // 0: the whole response; K: as playback shows sample K
  std::string output;              // the picture file
};

// Picture size limits, pixels. Below the minimum the titles and tick numbers no longer fit.
inline constexpr int kMinPlotWidth = 400;
inline constexpr int kMinPlotHeight = 300;
inline constexpr int kMaxPlotSide = 4000;

// Adds --x, --y, --size, --frame and -o/--output (required), each checked while parsing.
// The experiment-source and input options come from AddCommonOptions.
void AddPlotOptions(CLI::App& command, PlotOptions& plot);

// Loads and solves the experiments, draws the selected one and writes the picture. Exit status
// 0; 2 for a bad option value (quantity, size, extension, experiment or frame out of range); 1
// when the solve stopped at a message, the picture cannot be drawn or the file cannot be
// written.
int RunPlotCommand(CommonOptions& options, const PlotOptions& plot);

}  // namespace quarvel::cli
