#include "plots/study_plot.h"

#include <string>
#include <vector>

#include "display/response_graph.h"
#include "studies/parametric_loop.h"

namespace quarvel {
namespace {

constexpr const char* kRelativeErrorTitle = "Relative error";

// The axis title of the swept quantity that a study's title line names.
std::string SweptQuantityTitle(std::string_view titleLine) {
  const StudyMode modes[] = {StudyMode::MassByMass,          StudyMode::ElasticPeriodByMass,
                             StudyMode::ElasticPeriodByFy,   StudyMode::ElasticPeriodByUy,
                             StudyMode::PlasticPeriodByMass, StudyMode::PlasticPeriodByFy,
                             StudyMode::PlasticPeriodByUy};
  for (const StudyMode mode : modes) {
    if (titleLine != StudyTitle(mode)) continue;
    if (mode == StudyMode::MassByMass) return "Mass";
    const bool elastic = mode == StudyMode::ElasticPeriodByMass ||
                         mode == StudyMode::ElasticPeriodByFy ||
                         mode == StudyMode::ElasticPeriodByUy;
    return elastic ? "Elastic period (s)" : "Plastic period (s)";
  }
  return "Varying Qty";
}

std::vector<double> Column(const StudyFileContents& study, StudyColumn column) {
  std::vector<double> values;
  values.reserve(study.lines.size());
  for (const auto& line : study.lines) values.push_back(line[column]);
  return values;
}

}  // namespace

CurvePlot StudyPlot(const StudyFileContents& study, std::string_view fileName) {
  CurvePlot plot;
  plot.title = study.title.empty() ? std::string(fileName) : study.title;
  plot.xTitle = SweptQuantityTitle(study.title);
  plot.yTitle = kRelativeErrorTitle;
  const std::vector<double> x = Column(study, kSweptValue);
  plot.curves = {
      {"Peak displacement U", x, Column(study, kRelErrorU), kOriginalColour, 2, kPenSolid},
      {"Peak hysteretic energy Eh", x, Column(study, kRelErrorEh), kModifiedColour, 2,
       kPenSolid}};
  return plot;
}

CurvePlot EnvelopePlot(const std::array<EnvelopeCurve, 4>& envelopes) {
  CurvePlot plot;
  plot.title = "Envelopes of the relative errors";
  plot.xTitle = "Swept value";
  plot.yTitle = kRelativeErrorTitle;
  const struct {
    const char* name;
    Colour colour;
    bool largest;
  } kinds[] = {{"Largest, peak U", kOriginalColour, true},
               {"Smallest, peak U", kOriginalColour, false},
               {"Largest, peak Eh", kModifiedColour, true},
               {"Smallest, peak Eh", kModifiedColour, false}};
  for (size_t i = 0; i < envelopes.size(); ++i) {
    plot.curves.push_back({kinds[i].name, envelopes[i].x, envelopes[i].value, kinds[i].colour,
                           kinds[i].largest ? 2 : 1, kinds[i].largest ? kPenSolid : kPenDash});
  }
  return plot;
}

}  // namespace quarvel
