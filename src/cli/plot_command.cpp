#include "cli/plot_command.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string_view>
#include <vector>

#include "cli/cli_user_interface.h"
#include "cli/commands.h"
#include "cli/option_checks.h"
#include "display/quantities.h"
#include "display/response_graph.h"
#include "graph/curve_plot.h"
#include "graph/graph.h"
#include "plots/response_plot.h"
#include "plots/spectrum_plot.h"
#include "plots/study_plot.h"
#include "spectra/spectrum_table.h"
#include "studies/study_file_reader.h"

#ifdef QUARVEL_HAVE_QT_CANVAS
#include <QGuiApplication>
#include <QString>
#include <QtGlobal>

#include "graph/qt/graph_file.h"
#endif

namespace quarvel::cli {
namespace {

constexpr const char* kPlotNotes =
    "Formats: the extension of -o chooses it. .svg and .pdf are vector pictures (the PDF page "
    "is WIDTHxHEIGHT pixels at 96 per inch); .png, .jpg and the other formats of Qt's image "
    "writer are pixels. Another extension is refused.\n"
    "Units: the axis titles carry them where the record fixes them. An acceleration record in "
    "units of g is scaled by g = 9.81 m/s2, which ties its response to metres and seconds: "
    "its titles say s, m, m/s, m/s2, N and J (Z has no unit). Any other record (force, "
    "displacement, or acceleration without units of g) is in whatever consistent units its "
    "numbers were given in, so only time is labelled (s).\n"
    "Pixels: --size is the picture at 100 pixels per inch; --dpi N draws the same figure in "
    "N / 100 times as many pixels a side (300 for print). Texts and lines grow with --size.\n"
    "--study, --envelopes and --spectrum draw the files of loop, advanced-loop and spectrum "
    "without solving; the options of the solve do not apply to them.";

}  // namespace

std::optional<PlotSize> ParsePlotSize(std::string_view text) {
  const size_t separator = text.find_first_of("xX");
  if (separator == std::string_view::npos) return std::nullopt;
  auto parseSide = [](std::string_view digits, int minimum) -> std::optional<int> {
    if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) {
      return std::nullopt;
    }
    int value = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (error != std::errc() || value < minimum || value > kMaxPlotSide) return std::nullopt;
    return value;
  };
  const std::optional<int> width = parseSide(text.substr(0, separator), kMinPlotWidth);
  const std::optional<int> height = parseSide(text.substr(separator + 1), kMinPlotHeight);
  if (!width || !height) return std::nullopt;
  return PlotSize{*width, *height};
}

std::string SizeRule() {
  return "WIDTHxHEIGHT, at least " + std::to_string(kMinPlotWidth) + "x" +
         std::to_string(kMinPlotHeight) + " and at most " + std::to_string(kMaxPlotSide) +
         " pixels a side";
}

std::string DpiProblem(const PlotSize& size) {
  const auto pixels = [&size](int side) { return (int64_t{side} * size.dpi + 50) / 100; };
  if (pixels(size.width) > kMaxRasterSide || pixels(size.height) > kMaxRasterSide) {
    return std::to_string(size.dpi) + ": a " + std::to_string(size.width) + "x" +
           std::to_string(size.height) + " picture would be " + std::to_string(pixels(size.width)) +
           "x" + std::to_string(pixels(size.height)) + " pixels; at most " +
           std::to_string(kMaxRasterSide) + " a side";
  }
  return {};
}

namespace {

std::vector<std::string> QuantityNames() {
  std::vector<std::string> names;
  for (const Quantity& quantity : kQuantities) {
    std::string_view entry = quantity.listEntry;
    if (entry.back() == ' ') entry.remove_suffix(1);
    names.emplace_back(entry);
  }
  return names;
}

// The first option of the command (or of its option groups) given on the command line that
// only a solve uses; empty when there is none.
std::string SolveOptionGiven(const CLI::App& command) {
  static const std::vector<std::string> kPictureOnly = {
      "--help",  "--output",    "--size",     "--dpi",           "--no-legend",
      "--study", "--envelopes", "--spectrum", "--plot-quantity", "--label-records"};
  for (const CLI::Option* option : command.get_options()) {
    const std::string name = option->get_name();
    if (option->count() > 0 &&
        std::find(kPictureOnly.begin(), kPictureOnly.end(), name) == kPictureOnly.end()) {
      return name;
    }
  }
  for (const CLI::App* group : command.get_subcommands({})) {
    if (!group->get_name().empty()) continue;
    if (std::string name = SolveOptionGiven(*group); !name.empty()) return name;
  }
  return {};
}

// The figure of the selected experiment (or of all) after a solve. 0, or the exit status.
int BuildResponsePicture(CommonOptions& options, const PlotOptions& plot, int32_t x, int32_t y,
                         CurvePlot& picture) {
  if (options.allExperiments && plot.frame > 0) {
    std::cerr << "--frame draws the playback of one experiment; it cannot be combined with "
                 "--experiment all\n";
    return kExitUsage;
  }
  Workbench bench;
  if (const int status = PrepareBench(options, bench); status != 0) return status;
  bench.graphXQuantity = x;
  bench.graphYQuantity = y;
  const int32_t counter = bench.CurrentExperiment()->counter;
  if (plot.frame > counter) {
    std::cerr << "--frame " << plot.frame << ": the experiment has only " << counter
              << " sample(s)\n";
    return kExitUsage;
  }
  CliUserInterface ui(bench);
  if (const int status = SolveBench(bench, ui); status != 0) return status;

  bool built = true;
  if (options.allExperiments) {
    picture = ExperimentsOverlayPlot(bench, x, y);
    picture.legend = !plot.noLegend;
  } else {
    Graph graph;
    built = UpdateGraph(graph, bench, counter, true) &&
            (plot.frame == 0 || UpdatePlaybackFrame(graph, bench, plot.frame)) &&
            DressResponseGraph(graph, bench, !plot.noLegend);
    picture = CurvePlotOfGraph(graph);
  }
  if (!built || !HasFinitePoint(picture)) {
    std::cerr << "The graph could not be drawn: the response has no finite values to plot\n";
    return kExitFailure;
  }
  return 0;
}

// A study file's relative errors, the four envelope files of a folder, or a spectrum's rows
// table. 0, or the exit status.
int BuildFilePicture(const PlotOptions& plot, CurvePlot& picture) {
  std::string file = plot.study;
  if (!plot.study.empty()) {
    StudyFileContents study;
    if (const FileResult read = ReadStudyFile(plot.study, study); !read) {
      std::cerr << read.Describe() << '\n';
      return kExitFailure;
    }
    picture = StudyPlot(study, std::filesystem::path(plot.study).filename().string());
  } else if (!plot.envelopes.empty()) {
    file = plot.envelopes;
    std::array<EnvelopeCurve, 4> envelopes;
    if (const FileResult read = ReadEnvelopeFiles(plot.envelopes, envelopes); !read) {
      std::cerr << read.Describe() << '\n';
      return kExitFailure;
    }
    picture = EnvelopePlot(envelopes);
  } else {
    file = plot.spectrum;
    std::vector<SpectrumPoint> points;
    if (const FileResult read = ReadSpectrumRowsFile(plot.spectrum, points); !read) {
      std::cerr << read.Describe() << '\n';
      return kExitFailure;
    }
    picture = SpectrumPlot(points, *SpectrumQuantityNamed(plot.plotQuantity), plot.labelRecords);
  }
  picture.legend = !plot.noLegend;
  if (!HasFinitePoint(picture)) {
    std::cerr << file << ": nothing to draw, no line holds finite values\n";
    return kExitFailure;
  }
  return 0;
}

#ifdef QUARVEL_HAVE_QT_CANVAS
// Qt's own notices (such as a missing runtime folder under the offscreen platform) are not
// the command's business; only its errors reach stderr.
void QtErrorsOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
  if (type == QtCriticalMsg || type == QtFatalMsg) std::cerr << message.toStdString() << '\n';
}

// The application object that fonts and text measurement need. Without a display: the
// offscreen platform, unless the caller chose one.
std::unique_ptr<QGuiApplication> StartGuiApplication() {
  if (QCoreApplication::instance() != nullptr) return nullptr;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  qInstallMessageHandler(QtErrorsOnly);
  static int argc = 1;
  static char name[] = "quarvel-cli";
  static char* argv[] = {name, nullptr};
  return std::make_unique<QGuiApplication>(argc, argv);
}

// The format the file name given to `option` names, or empty after saying on stderr why there
// is none.
std::string OutputFormat(const std::string& output, const char* option = "-o") {
  const std::string format = PictureFormatOfPath(output);
  if (!format.empty()) return format;
  const std::string extension = FileExtension(output);
  std::cerr << option << " " << output << ": ";
  if (extension.empty()) {
    std::cerr << "the file name has no extension to choose the picture format by";
  } else {
    std::cerr << "." << extension << " is not a picture format this program writes";
  }
  std::cerr << "; use one of:";
  for (const std::string& known : PictureFormats()) std::cerr << " ." << known;
  std::cerr << '\n';
  return {};
}
#endif

}  // namespace

#ifdef QUARVEL_HAVE_QT_CANVAS
struct PictureWriter::Application {
  std::unique_ptr<QGuiApplication> application = StartGuiApplication();
};
#else
struct PictureWriter::Application {};
#endif

PictureWriter::PictureWriter() : application_(std::make_unique<Application>()) {}
PictureWriter::~PictureWriter() = default;

bool PictureWriter::CheckOutput(const std::string& output, const char* option) const {
#ifdef QUARVEL_HAVE_QT_CANVAS
  return !OutputFormat(output, option).empty();
#else
  (void)output;  // a build without pictures refuses at Write, after the work
  (void)option;
  return true;
#endif
}

int PictureWriter::Write(const CurvePlot& picture, const PlotSize& size,
                         const std::string& output) const {
  if (!HasFinitePoint(picture)) {
    std::cerr << output << ": nothing to draw, no line holds finite values\n";
    return kExitFailure;
  }
#ifdef QUARVEL_HAVE_QT_CANVAS
  const std::string format = PictureFormatOfPath(output);
  const PictureSize pictureSize{size.width, size.height, size.dpi};
  if (const FileResult saved = SaveFigurePicture(picture, pictureSize, output, format); !saved) {
    std::cerr << saved.Describe() << '\n';
    return kExitFailure;
  }
  std::cout << "Picture written to " << output << " (" << size.width << "x" << size.height << " "
            << format;
  if (format != "svg" && format != "pdf" && size.dpi != kDefaultPictureDpi) {
    std::cout << " at " << size.dpi << " dpi: " << RasterPixels(size.width, size.dpi) << "x"
              << RasterPixels(size.height, size.dpi) << " pixels";
  }
  std::cout << ")\n";
  return 0;
#else
  (void)size;
  std::cerr << output << ": this build of quarvel-cli has no picture output (built without Qt)\n";
  return kExitFailure;
#endif
}

std::pair<CLI::Option*, CLI::Option*> AddSpectrumPictureOptions(CLI::App& command,
                                                                std::string& quantity,
                                                                bool& labelRecords) {
  std::vector<std::string> names;
  for (const SpectrumQuantity& known : kSpectrumQuantities) names.emplace_back(known.name);
  CLI::Option* quantityOptionAdded =
      command
          .add_option("--plot-quantity", quantity,
                      "What the spectrum's picture draws: U, peak |U| (m); mu, the ductility "
                      "peak |U| / Uy; F, peak spring force (N); Eh, hysteretic energy at the end "
                      "(J), each of both models; ratio-U and ratio-Eh, the modified model's over "
                      "the original's; Cy, the strength ratio; R, the reduction Fel / Fy; PSA, "
                      "the linear elastic pseudo-acceleration (g)")
          ->check(CLI::IsMember(names))
          ->capture_default_str();
  CLI::Option* label = command.add_flag(
      "--label-records", labelRecords,
      "Write each record's name at the end of its thin line in the spectrum's picture");
  return {quantityOptionAdded, label};
}

CLI::Option* AddDpiOption(CLI::App& command, const char* name, int& dpi) {
  return command
      .add_option(name, dpi,
                  "Pixels per inch of a raster picture (png, jpg, ...): its pixels are the size "
                  "times N / 100; 300 for print. Vector pictures (svg, pdf) do not need it")
      ->type_name("N")
      ->check(CLI::Range(kMinPlotDpi, kMaxPlotDpi))
      ->capture_default_str();
}

void AddPlotOptions(CLI::App& command, PlotOptions& plot) {
  const std::vector<std::string> names = QuantityNames();
  command.add_option("--x", plot.x, "Quantity on the X axis")
      ->check(CLI::IsMember(names))
      ->capture_default_str();
  command.add_option("--y", plot.y, "Quantity on the Y axis")
      ->check(CLI::IsMember(names))
      ->capture_default_str();
  command.add_option("--size", plot.size, "Picture size in pixels, " + SizeRule())
      ->check(CLI::Validator(
          [](std::string& text) {
            return ParsePlotSize(text) ? std::string() : "the size must be " + SizeRule();
          },
          "WIDTHxHEIGHT"))
      ->capture_default_str();
  AddDpiOption(command, "--dpi", plot.dpi);
  command.add_option("--frame", plot.frame,
                     "Draw as playback shows sample K, with the reversal marks (0: the whole "
                     "response)")
      ->type_name("K")
      ->check(NumberCheck(NumberRule::CountFromZero))
      ->capture_default_str();
  command.add_flag("--no-legend", plot.noLegend,
                   "Leave out the legend (the curves, the reversal marks when drawn, the "
                   "experiments' names)");
  CLI::Option* study =
      command
          .add_option("--study", plot.study,
                      "Draw a study file of loop or advanced-loop: the relative errors of peak U "
                      "and peak Eh over the swept value")
          ->type_name("FILE");
  CLI::Option* envelopes =
      command
          .add_option("--envelopes", plot.envelopes,
                      "Draw the four envelope files (EnvRelError*.out) that advanced-loop wrote "
                      "into FOLDER")
          ->type_name("FOLDER");
  CLI::Option* spectrum =
      command
          .add_option("--spectrum", plot.spectrum,
                      "Draw a spectrum's rows table (the -o of spectrum, or of merge): the "
                      "picture spectrum --plot draws of it")
          ->type_name("FILE");
  const auto [quantity, label] =
      AddSpectrumPictureOptions(command, plot.plotQuantity, plot.labelRecords);
  study->excludes(envelopes);
  spectrum->excludes(study)->excludes(envelopes);
  command
      .add_option("-o,--output", plot.output,
                  "Picture file; its extension chooses the format (svg, pdf, png, jpg, ...)")
      ->type_name("FILE")
      ->required();
  command.footer(kPlotNotes);
  command.parse_complete_callback([&command, &plot, quantity, label] {
    if (plot.spectrum.empty()) {
      for (const CLI::Option* option : {quantity, label}) {
        if (option->count() > 0) {
          throw CLI::ValidationError(option->get_name(), "applies to --spectrum only");
        }
      }
    }
    if (plot.study.empty() && plot.envelopes.empty() && plot.spectrum.empty()) return;
    if (const std::string given = SolveOptionGiven(command); !given.empty()) {
      const char* drawing = !plot.study.empty()       ? "--study"
                            : !plot.envelopes.empty() ? "--envelopes"
                                                      : "--spectrum";
      throw CLI::ValidationError(drawing,
                                 "draws files without solving; " + given + " does not apply");
    }
  });
}

int RunPlotCommand(CommonOptions& options, const PlotOptions& plot) {
  const std::optional<int32_t> x = QuantityIndexOfName(plot.x);
  const std::optional<int32_t> y = QuantityIndexOfName(plot.y);
  if (!x || !y) {
    std::cerr << "--x and --y take one of T, U, U_DOT, U_DOT_DOT, F, Z, Fext, Fh, Et, Eh\n";
    return kExitUsage;
  }
  std::optional<PlotSize> size = ParsePlotSize(plot.size);
  if (!size) {
    std::cerr << "--size " << plot.size << ": the size must be " << SizeRule() << '\n';
    return kExitUsage;
  }
  size->dpi = plot.dpi;
  if (const std::string problem = DpiProblem(*size); !problem.empty()) {
    std::cerr << "--dpi " << problem << '\n';
    return kExitUsage;
  }
  const PictureWriter pictures;
  if (!pictures.CheckOutput(plot.output, "-o")) return kExitUsage;

  CurvePlot picture;
  const bool files = !plot.study.empty() || !plot.envelopes.empty() || !plot.spectrum.empty();
  if (const int status = files ? BuildFilePicture(plot, picture)
                               : BuildResponsePicture(options, plot, *x, *y, picture);
      status != 0) {
    return status;
  }
  return pictures.Write(picture, *size, plot.output);
}

}  // namespace quarvel::cli
