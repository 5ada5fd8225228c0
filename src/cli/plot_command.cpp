#include "cli/plot_command.h"

#include <charconv>
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
#include "graph/graph.h"
#include "solve/solve_experiments.h"

#ifdef QUARVEL_HAVE_QT_CANVAS
#include <QByteArray>
#include <QGuiApplication>
#include <QString>
#include <QtGlobal>

#include "graph/qt/qimage_canvas.h"
#endif

namespace quarvel::cli {
namespace {

struct PlotSize {
  int width = 0;
  int height = 0;
};

// "WIDTHxHEIGHT" with both sides whole numbers of pixels within the limits.
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

std::vector<std::string> QuantityNames() {
  std::vector<std::string> names;
  for (const Quantity& quantity : kQuantities) {
    std::string_view entry = quantity.listEntry;
    if (entry.back() == ' ') entry.remove_suffix(1);
    names.emplace_back(entry);
  }
  return names;
}

// Draws the graph whenever the solve refreshes the display, as the window does.
class PlotUserInterface : public CliUserInterface {
 public:
  PlotUserInterface(Workbench& bench, Graph& graph)
      : CliUserInterface(bench), bench_(bench), graph_(graph) {}
  void UpdateGraph(int32_t pointCount, bool updateTitles) override {
    drawn_ = quarvel::UpdateGraph(graph_, bench_, pointCount, updateTitles);
  }
  // The last refresh drew the graph on axes of positive steps (a response that is not finite
  // gives none, and nothing is drawn).
  bool Drawn() const {
    return drawn_ && graph_.XScale().MajorStep > 0 && graph_.YScale().MajorStep > 0;
  }

 private:
  const Workbench& bench_;
  Graph& graph_;
  bool drawn_ = false;
};

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
#endif

}  // namespace

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
  command
      .add_option("-o,--output", plot.output,
                  "Picture file; its extension chooses the format (png, jpg, bmp, ppm, ...)")
      ->type_name("FILE")
      ->required();
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
#ifdef QUARVEL_HAVE_QT_CANVAS
  const std::unique_ptr<QGuiApplication> application = StartGuiApplication();
  const std::string format = RasterFormatOfPath(plot.output);
  if (format.empty()) {
    std::cerr << "-o " << plot.output << ": the extension names no picture format this program "
              << "writes; use one of:";
    for (const std::string& known : RasterFormats()) std::cerr << " ." << known;
    std::cerr << '\n';
    return kExitUsage;
  }
#endif

  Workbench bench;
  if (const int status = PrepareBench(options, bench); status != 0) return status;
  bench.graphXQuantity = *x;
  bench.graphYQuantity = *y;
  const int32_t counter = bench.CurrentExperiment()->counter;
  if (plot.frame > counter) {
    std::cerr << "--frame " << plot.frame << ": the experiment has only " << counter
              << " sample(s)\n";
    return kExitUsage;
  }

#ifdef QUARVEL_HAVE_QT_CANVAS
  RegisterTahomaFont();
  QImageCanvas canvas(size->width, size->height);
  Graph graph;
  graph.SetSurface(&canvas);

  PlotUserInterface ui(bench, graph);
  const SolveOutcome outcome = SolveExperiments(bench, ui, true);
  ui.ReportWeightFaults(outcome);
  if (!outcome.solved) return kExitFailure;
  if (!ui.Drawn() || (plot.frame > 0 && !UpdatePlaybackFrame(graph, bench, plot.frame))) {
    std::cerr << "The graph could not be drawn: the response has no finite values to plot\n";
    return kExitFailure;
  }
  if (const FileResult saved = SaveImageFile(canvas.Image(), plot.output, format); !saved) {
    std::cerr << saved.Describe() << '\n';
    return kExitFailure;
  }
  std::cout << "Picture written to " << plot.output << " (" << size->width << "x"
            << size->height << " " << format << ")\n";
  return 0;
#else
  std::cerr << "plot: this build of quarvel-cli has no picture output (built without Qt)\n";
  return kExitFailure;
#endif
}

}  // namespace quarvel::cli
