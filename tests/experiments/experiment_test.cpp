#include "experiments/experiment.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "experiments/experiment_labels.h"

namespace quarvel {
namespace {

// Clear keeps the storage: records that come back into the count must be fresh, and indices
// outside 1..count are refused.
TEST(ExperimentSet, ClearedRecordsComeBackFreshAndIndicesStayInCount) {
  Experiment old;
  old.name = "old";
  old.unitsOfG = 1;
  ExperimentSet set;
  set.Append(old);
  set.Append(old);
  set.Clear();
  EXPECT_THROW(set.At(1), std::out_of_range);
  set.Resize(1);
  set.Append(Experiment{});
  ASSERT_EQ(set.Count(), 2);
  for (const Experiment& e : set.Records()) EXPECT_EQ(e.name + std::to_string(e.unitsOfG), "0");
  EXPECT_THROW(set.At(0), std::out_of_range);
  EXPECT_THROW(set.At(3), std::out_of_range);
}

TEST(UpdateLabels, CaptionsAndValues) {
  Experiment e;
  e.weight = 1;
  e.timeStep = 0.02;
  e.counter = 1560;
  e.mass = 2.86;
  e.initialU = -0.5;
  e.initialUDot = 1e-9;
  const std::pair<ExperimentDataType, const char*> rows[] = {
      {ExperimentDataType::Acceleration, "Acceleration|Units of g|"},
      {ExperimentDataType::Force, "Force|No unit system specified|"},
      {ExperimentDataType::Displacement, "Displacement|No unit system specified|"}};
  for (const auto& [type, values] : rows) {
    e.dataType = type;
    e.unitsOfG = type == ExperimentDataType::Acceleration ? 1 : 2;
    std::string captions, texts;
    for (const ExperimentLabel& label : UpdateLabels(e)) {
      captions += label.caption + "|";
      texts += label.value + "|";
    }
    EXPECT_EQ(captions, "Data type :|Units :|Weight :|Time Step :|Counter :|Mass :|Initial U :|"
                        "Initial U_dot :|Initial Z :|");
    EXPECT_EQ(texts, std::string(values) + "1|0.02|1560|2.86|-0.5|1E-09|0|");
  }
}

}  // namespace
}  // namespace quarvel
