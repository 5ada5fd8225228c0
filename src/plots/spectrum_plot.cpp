#include "plots/spectrum_plot.h"

#include <map>
#include <optional>
#include <set>
#include <string>

#include "display/response_graph.h"
#include "spectra/spectrum_table.h"

namespace quarvel {
namespace {

constexpr Colour kPaleOriginal = 0x9999FF;  // pale red
constexpr Colour kPaleModified = 0xFF9999;  // pale blue
constexpr Colour kMeanColour = 0x000000;
constexpr Colour kRecordColour = 0xAAAAAA;

// How one set of curves (a model's, or the only one) is drawn.
struct CurveStyle {
  const char* name;  // of the mean; "" for the only set
  Colour colour;
  Colour pale;
  int32_t style;
  int32_t meanWidth;
};

// The solved points by period (increasing), each period's in the order given.
using PointsByPeriod = std::map<double, std::vector<const SpectrumPoint*>>;

// The value of a point drawn by one set of curves.
struct Value {
  const char* column;
  const char* over = nullptr;  // divides by this column's value when given
  std::optional<double> operator()(const SpectrumPoint& point) const {
    const std::optional<double> value = NumberOfColumn(point, column);
    if (over == nullptr || !value) return value;
    const std::optional<double> denominator = NumberOfColumn(point, over);
    if (!denominator) return std::nullopt;
    return *value / *denominator;
  }
};

// Each record's curve (by record number) and the mean over the records at each period.
struct CurveSet {
  std::map<int32_t, PlotCurve> records;
  PlotCurve mean;
};

CurveSet CurvesOf(const PointsByPeriod& periods, const Value& value) {
  CurveSet set;
  for (const auto& [period, points] : periods) {
    std::vector<double> values;
    for (const SpectrumPoint* point : points) {
      const std::optional<double> v = value(*point);
      if (!v) continue;
      PlotCurve& curve = set.records[point->record];
      curve.x.push_back(period);
      curve.y.push_back(*v);
      values.push_back(*v);
    }
    if (const std::optional<double> mean = MeanOf(values)) {
      set.mean.x.push_back(period);
      set.mean.y.push_back(*mean);
    }
  }
  return set;
}

// The name of each record (by number), "Record k" for one without a name.
std::map<int32_t, std::string> RecordNames(const std::vector<SpectrumPoint>& points) {
  std::map<int32_t, std::string> names;
  for (const SpectrumPoint& point : points) {
    names.try_emplace(point.record,
                      point.name.empty() ? "Record " + std::to_string(point.record) : point.name);
  }
  return names;
}

}  // namespace

const SpectrumQuantity* SpectrumQuantityNamed(std::string_view name) {
  for (const SpectrumQuantity& quantity : kSpectrumQuantities) {
    if (name == quantity.name) return &quantity;
  }
  return nullptr;
}

CurvePlot SpectrumPlot(const std::vector<SpectrumPoint>& points, const SpectrumQuantity& quantity,
                       bool labelRecords) {
  const std::map<int32_t, std::string> names = RecordNames(points);
  CurvePlot plot;
  plot.title =
      names.size() == 1 ? names.begin()->second : std::to_string(names.size()) + " records";
  plot.xTitle = "Period T (s)";
  plot.yTitle = quantity.title;
  if (*quantity.unit != '\0') plot.yTitle += std::string(" (") + quantity.unit + ")";
  PointsByPeriod periods;
  for (const SpectrumPoint& point : points) {
    if (point.status == PointStatus::Solved) periods[point.period].push_back(&point);
  }
  const bool single = names.size() == 1;

  std::vector<std::pair<Value, CurveStyle>> sets;
  if (quantity.modified == nullptr || quantity.ratio) {
    const Value value{quantity.ratio ? quantity.modified : quantity.original,
                      quantity.ratio ? quantity.original : nullptr};
    sets.push_back({value, {"", kMeanColour, kRecordColour, kPenSolid, 3}});
  } else {
    sets.push_back(
        {{quantity.original}, {"Original model", kOriginalColour, kPaleOriginal, kPenSolid, 3}});
    sets.push_back(
        {{quantity.modified}, {"Modified model", kModifiedColour, kPaleModified, kPenDash, 2}});
  }
  std::vector<PlotCurve> means;
  for (const auto& [value, style] : sets) {
    CurveSet curves = CurvesOf(periods, value);
    const std::string model = style.name;
    if (!single) {
      for (auto& [record, curve] : curves.records) {
        curve.colour = style.pale;
        curve.width = 1;
        curve.style = style.style;
        if (labelRecords && &style == &sets.front().second) curve.endLabel = names.at(record);
        plot.curves.push_back(std::move(curve));
      }
      plot.keys.push_back(
          {model.empty() ? "Each record" : model + ", each record", style.pale, 1, style.style});
    }
    curves.mean.name = single ? model : (model.empty() ? "Mean" : model + ", mean");
    curves.mean.colour = style.colour;
    curves.mean.width = style.meanWidth;
    curves.mean.style = style.style;
    means.push_back(std::move(curves.mean));
  }
  // The means on top of every record's curve, the modified model's last.
  for (PlotCurve& mean : means) plot.curves.push_back(std::move(mean));
  return plot;
}

}  // namespace quarvel
