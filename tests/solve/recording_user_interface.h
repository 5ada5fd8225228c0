#pragma once
// A user interface that records every call, for tests of the solve and the studies.

#include <string>
#include <vector>

#include "solve/user_interface.h"

namespace quarvel::testing_support {

class RecordingUserInterface : public UserInterface {
 public:
  void ShowMessage(const std::string& text, MessageIcon icon) override {
    calls.push_back("message:" + text);
    icons.push_back(icon);
  }
  void ProcessEvents() override { calls.push_back("events"); }
  void UpdateErrorLabels() override { calls.push_back("errorLabels"); }
  void UpdatePeriodLabels() override { calls.push_back("periodLabels"); }
  void UpdateGraph(int32_t pointCount, bool updateTitles) override {
    calls.push_back("graph:" + std::to_string(pointCount) + (updateTitles ? ",titles" : ""));
  }

  std::vector<std::string> calls;
  std::vector<MessageIcon> icons;
};

}  // namespace quarvel::testing_support
