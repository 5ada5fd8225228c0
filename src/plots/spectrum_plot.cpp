#include "plots/spectrum_plot.h"

#include <map>
#include <set>

#include "display/response_graph.h"
#include "spectra/spectrum_table.h"

namespace quarvel {
namespace {

constexpr Colour kPaleOriginal = 0x9999FF;  // pale red
constexpr Colour kPaleModified = 0xFF9999;  // pale blue

// One model's curve of each record and their mean, over the periods in increasing order.
struct ModelCurves {
  std::map<int32_t, PlotCurve> records;  // by record number
  PlotCurve mean;
};

ModelCurves CurvesOf(const std::map<double, std::vector<SpectrumPoint>>& periods,
                     const char* column) {
  ModelCurves curves;
  for (const auto& [period, points] : periods) {
    for (const SpectrumPoint& point : points) {
      const std::optional<double> value = NumberOfColumn(point, column);
      if (!value) continue;
      PlotCurve& curve = curves.records[point.record];
      curve.x.push_back(period);
      curve.y.push_back(*value);
    }
    if (const std::optional<double> mean = StatisticsOfColumn(points, column).mean) {
      curves.mean.x.push_back(period);
      curves.mean.y.push_back(*mean);
    }
  }
  return curves;
}

}  // namespace

const SpectrumQuantity* SpectrumQuantityNamed(std::string_view name) {
  for (const SpectrumQuantity& quantity : kSpectrumQuantities) {
    if (name == quantity.name) return &quantity;
  }
  return nullptr;
}

CurvePlot SpectrumPlot(const std::vector<SpectrumPoint>& points, const SpectrumQuantity& quantity,
                       const std::string& title, bool siUnits) {
  CurvePlot plot;
  plot.title = title;
  plot.xTitle = "Period T (s)";
  plot.yTitle = quantity.title;
  if (siUnits && *quantity.siUnit != '\0') plot.yTitle += std::string(" (") + quantity.siUnit + ")";
  std::set<int32_t> records;
  std::map<double, std::vector<SpectrumPoint>> periods;  // each in the order given
  for (const SpectrumPoint& point : points) {
    records.insert(point.record);
    periods[point.period].push_back(point);
  }
  const bool single = records.size() == 1;

  const struct {
    const char* column;
    const char* model;
    Colour colour;
    Colour pale;
  } models[] = {{quantity.original, "Original model", kOriginalColour, kPaleOriginal},
                {quantity.modified, "Modified model", kModifiedColour, kPaleModified}};
  std::vector<PlotCurve> means;
  for (const auto& model : models) {
    ModelCurves curves = CurvesOf(periods, model.column);
    if (!single) {
      for (auto& [record, curve] : curves.records) {
        curve.colour = model.pale;
        curve.width = 1;
        plot.curves.push_back(std::move(curve));
      }
      plot.keys.push_back({std::string(model.model) + ", each record", model.pale, 1, kPenSolid});
    }
    curves.mean.name = single ? model.model : std::string(model.model) + ", mean";
    curves.mean.colour = model.colour;
    curves.mean.width = 3;
    means.push_back(std::move(curves.mean));
  }
  // The means on top of every record's curve.
  for (PlotCurve& mean : means) plot.curves.push_back(std::move(mean));
  return plot;
}

}  // namespace quarvel
