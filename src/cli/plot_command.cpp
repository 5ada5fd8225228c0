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
#include "plots/study_plot.h"
#include "studies/study_file_reader.h"

#ifdef QUARVEL_HAVE_QT_CANVAS
#include <QGuiApplication>
#include <QString>
#include <QtGlobal>

#include "graph/qt/graph_file.h"
#include "graph/qt/qimage_canvas.h"
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
    "--study and --envelopes draw the files of loop and advanced-loop without solving; the "
    "options of the solve do not apply to them.";

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
  static const std::vector<std::string> kPictureOnly = {"--help",      "--output", "--size",
                                                        "--no-legend", "--study",  "--envelopes"};
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

// The graph of the selected experiment (or of all) after a solve. 0, or the exit status.
int BuildResponseGraph(CommonOptions& options, const PlotOptions& plot, int32_t x, int32_t y,
                       Graph& graph) {
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

  bool built = false;
  if (options.allExperiments) {
    CurvePlot overlay = ExperimentsOverlayPlot(bench, x, y);
    overlay.legend = !plot.noLegend;
    built = SetCurvePlot(graph, overlay);
  } else {
    built = UpdateGraph(graph, bench, counter, true) &&
            (plot.frame == 0 || UpdatePlaybackFrame(graph, bench, plot.frame)) &&
            DressResponseGraph(graph, bench, !plot.noLegend);
  }
  if (!built || !(graph.XScale().MajorStep > 0) || !(graph.YScale().MajorStep > 0)) {
    std::cerr << "The graph could not be drawn: the response has no finite values to plot\n";
    return kExitFailure;
  }
  return 0;
}

// A study file's relative errors, or the four envelope files of a folder. 0, or the exit
// status.
int BuildStudyGraph(const PlotOptions& plot, Graph& graph) {
  CurvePlot picture;
  if (!plot.study.empty()) {
    StudyFileContents study;
    if (const FileResult read = ReadStudyFile(plot.study, study); !read) {
      std::cerr << read.Describe() << '\n';
      return kExitFailure;
    }
    picture = StudyPlot(study, std::filesystem::path(plot.study).filename().string());
  } else {
    std::array<EnvelopeCurve, 4> envelopes;
    if (const FileResult read = ReadEnvelopeFiles(plot.envelopes, envelopes); !read) {
      std::cerr << read.Describe() << '\n';
      return kExitFailure;
    }
    picture = EnvelopePlot(envelopes);
  }
  picture.legend = !plot.noLegend;
  if (!SetCurvePlot(graph, picture)) {
    std::cerr << (plot.study.empty() ? plot.envelopes : plot.study)
              << ": nothing to draw, no line holds finite values\n";
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
  Graph graph;
  if (!SetCurvePlot(graph, picture)) {
    std::cerr << output << ": nothing to draw, no line holds finite values\n";
    return kExitFailure;
  }
  return Write(graph, size, output);
}

int PictureWriter::Write(Graph& graph, const PlotSize& size, const std::string& output) const {
#ifdef QUARVEL_HAVE_QT_CANVAS
  RegisterTahomaFont();
  const std::string format = PictureFormatOfPath(output);
  if (const FileResult saved = SaveGraphPicture(graph, size.width, size.height, output, format);
      !saved) {
    std::cerr << saved.Describe() << '\n';
    return kExitFailure;
  }
  std::cout << "Picture written to " << output << " (" << size.width << "x" << size.height << " "
            << format << ")\n";
  return 0;
#else
  (void)graph;
  (void)size;
  std::cerr << output << ": this build of quarvel-cli has no picture output (built without Qt)\n";
  return kExitFailure;
#endif
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
  study->excludes(envelopes);
  command
      .add_option("-o,--output", plot.output,
                  "Picture file; its extension chooses the format (svg, pdf, png, jpg, ...)")
      ->type_name("FILE")
      ->required();
  command.footer(kPlotNotes);
  command.parse_complete_callback([&command, &plot] {
    if (plot.study.empty() && plot.envelopes.empty()) return;
    if (const std::string given = SolveOptionGiven(command); !given.empty()) {
      throw CLI::ValidationError(plot.study.empty() ? "--envelopes" : "--study",
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
  const std::optional<PlotSize> size = ParsePlotSize(plot.size);
  if (!size) {
    std::cerr << "--size " << plot.size << ": the size must be " << SizeRule() << '\n';
    return kExitUsage;
  }
  const PictureWriter pictures;
  if (!pictures.CheckOutput(plot.output, "-o")) return kExitUsage;

  Graph graph;
  const bool files = !plot.study.empty() || !plot.envelopes.empty();
  if (const int status = files ? BuildStudyGraph(plot, graph)
                               : BuildResponseGraph(options, plot, *x, *y, graph);
      status != 0) {
    return status;
  }
  return pictures.Write(graph, *size, plot.output);
}

}  // namespace quarvel::cli
