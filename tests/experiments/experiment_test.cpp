#include "experiments/experiment.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "experiments/experiment_labels.h"

namespace quarvel {
namespace {

TEST(ExperimentSet, ClearedRecordsComeBackFreshAndIndicesStayInCount) {
  Experiment old;
  old.name = "old";
  old.unitsOfG = 1;
  old.weight = 0.25;
  ExperimentSet set;
  set.Append(old);
  set.Append(old);
  set.Clear();
  EXPECT_THROW(set.At(1), std::out_of_range);
  set.Resize(1);  // storage was kept: the record must still be fresh
  set.Append(Experiment{});
  ASSERT_EQ(set.Count(), 2);
  for (const Experiment& e : set.Records()) {
    EXPECT_EQ(e.name, "");
    EXPECT_EQ(e.unitsOfG, 0);
    EXPECT_EQ(e.weight, 0.0);
  }
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
  const char* captions[] = {"Data type :", "Units :",  "Weight :",    "Time Step :",   "Counter :",
                            "Mass :",      "Initial U :", "Initial U_dot :", "Initial Z :"};
  const char* values[] = {"", "", "1", "0.02", "1560", "2.86", "-0.5", "1E-09", "0"};
  const struct {
    ExperimentDataType type;
    int32_t unitsOfG;
    const char *typeText, *unitsText;
  } rows[] = {
      {ExperimentDataType::Acceleration, 1, "Acceleration", "Units of g"},
      {ExperimentDataType::Force, 0, "Force", "No unit system specified"},
      {ExperimentDataType::Displacement, 2, "Displacement", "No unit system specified"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.typeText);
    e.dataType = row.type;
    e.unitsOfG = row.unitsOfG;
    values[0] = row.typeText;
    values[1] = row.unitsText;
    const auto labels = UpdateLabels(e);
    ASSERT_EQ(labels.size(), 9u);
    for (std::size_t i = 0; i < labels.size(); ++i) {
      EXPECT_EQ(labels[i].caption, captions[i]);
      EXPECT_EQ(labels[i].value, values[i]);
    }
  }
}

}  // namespace
}  // namespace quarvel
