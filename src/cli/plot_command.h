#pragma once
// quarvel-cli plot: a picture for a report, in the format the output file's extension names
// (SVG and PDF as vector pictures, PNG, JPEG and the other formats of Qt's image writer as
// pixels). What it draws: the graph of the selected experiment after a solve, as the whole
// response or as one frame of its playback; every experiment of the set overlaid
// (--experiment all); a study file of loop or advanced-loop (--study); the four envelope files
// of advanced-loop (--envelopes); a spectrum's rows table (--spectrum). Each as a figure for a
// report (graph/figure.h), with a legend unless --no-legend.

#include <CLI/CLI.hpp>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

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
  std::string spectrum;            // --spectrum FILE: draw this rows table of a spectrum
  std::string plotQuantity = "U";  // what --spectrum draws (kSpectrumQuantities)
  bool labelRecords = false;       // --label-records: name the records' lines of --spectrum
  int dpi = 100;                   // pixels per inch of a raster picture
  std::string output;              // the picture file
};

// Picture size limits, pixels. Below the minimum the titles and tick numbers no longer fit.
inline constexpr int kMinPlotWidth = 400;
inline constexpr int kMinPlotHeight = 300;
inline constexpr int kMaxPlotSide = 4000;

// Pixels per inch of a raster picture, and the most pixels a side of one may have.
inline constexpr int kMinPlotDpi = 50;
inline constexpr int kMaxPlotDpi = 1200;
inline constexpr int kMaxRasterSide = 8000;

struct PlotSize {
  int width = 0;   // pixels at 100 per inch
  int height = 0;
  int dpi = 100;   // of a raster picture, which has width x height times dpi / 100 pixels
};

// "WIDTHxHEIGHT" with both sides whole numbers of pixels within the limits; nullopt otherwise.
std::optional<PlotSize> ParsePlotSize(std::string_view text);
// What ParsePlotSize takes, in words.
std::string SizeRule();

// Empty when the size at its dpi (within kMinPlotDpi..kMaxPlotDpi) makes a raster picture of
// at most kMaxRasterSide pixels a side, else why not.
std::string DpiProblem(const PlotSize& size);

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

 private:
  struct Application;
  std::unique_ptr<Application> application_;
};

// Adds the options of a spectrum's picture, --plot-quantity (one of kSpectrumQuantities) and
// --label-records; returns the two.
std::pair<CLI::Option*, CLI::Option*> AddSpectrumPictureOptions(CLI::App& command,
                                                                std::string& quantity,
                                                                bool& labelRecords);
// Adds the dpi option of raster pictures under `name` (--dpi, --plot-dpi).
CLI::Option* AddDpiOption(CLI::App& command, const char* name, int& dpi);

// Adds --x, --y, --size, --dpi, --frame, --no-legend, --study, --envelopes, --spectrum,
// --plot-quantity, --label-records and -o/--output (required), each checked while parsing, and
// the help's notes on formats and units. Call after the experiment and model options are
// added: --study, --envelopes and --spectrum exclude them.
void AddPlotOptions(CLI::App& command, PlotOptions& plot);

// Draws what the options ask for and writes the picture. Exit status 0; 2 for a bad option
// value (quantity, size, dpi, extension, experiment or frame out of range, --frame with
// --experiment all); 1 when a file cannot be read, the solve stopped at a message, there is
// nothing finite to draw or the picture cannot be written.
int RunPlotCommand(CommonOptions& options, const PlotOptions& plot);

}  // namespace quarvel::cli
