#include "cli/option_checks.h"

#include <array>
#include <optional>
#include <ostream>
#include <vector>

#include "text/number_text.h"

namespace quarvel::cli {
namespace {

std::string Quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

}  // namespace

std::vector<std::string> SplitAtCommas(const std::string& text) {
  std::vector<std::string> parts(1);
  for (const char c : text) {
    if (c == ',') {
      parts.emplace_back();
    } else {
      parts.back() += c;
    }
  }
  return parts;
}

CLI::Validator NumberCheck(NumberRule rule, std::string reason) {
  return CLI::Validator(
      [rule, reason](std::string& text) { return CheckNumberText(text, rule, reason); }, "");
}

CLI::Validator NumberCheck(const NumberInputRule& rule) {
  return NumberCheck(rule.rule, std::string(rule.reason));
}

CLI::Validator SineCheck() {
  return CLI::Validator(
      [](std::string& text) -> std::string {
        const std::vector<std::string> parts = SplitAtCommas(text);
        if (parts.size() != 5) {
          return Quoted(text) + ": five numbers are needed, MASS,AMPLITUDE,PERIOD,CYCLES,TIMESTEP";
        }
        struct Field {
          const char* name;
          NumberRule rule;
          const char* reason;
        };
        const std::array<Field, 5> fields = {{
            {"MASS", NumberRule::Any, ""},
            {"AMPLITUDE", NumberRule::Any, ""},
            {"PERIOD", NumberRule::AboveZero, "the period must be above 0 s"},
            {"CYCLES", NumberRule::NotNegative, "the number of cycles must not be negative"},
            {"TIMESTEP", NumberRule::AboveZero, "the time step must be above 0 s"},
        }};
        for (std::size_t k = 0; k < fields.size(); ++k) {
          const std::string fault = CheckNumberText(parts[k], fields[k].rule, fields[k].reason);
          if (!fault.empty()) return std::string(fields[k].name) + " " + fault;
        }
        return {};
      },
      "");
}

int CheckTypedInputs(const std::vector<TypedInput>& inputs, std::ostream& err) {
  bool refused = false;
  for (const TypedInput& typed : inputs) {
    if (typed.text.empty()) continue;
    const std::optional<double> value = ParseWholeNumber(typed.text);
    if (!value) continue;  // the option's own check has refused it
    const InputCheck check = CheckPhysicalInput(typed.input, *value);
    if (check.verdict == InputVerdict::Accepted) continue;
    refused = refused || check.verdict == InputVerdict::Refused;
    err << (check.verdict == InputVerdict::Warned ? "warning: " : "")
        << DescribeInputCheck(PhysicalInputOption(typed.input), typed.text, check) << '\n';
  }
  return refused ? 2 : 0;
}

}  // namespace quarvel::cli
