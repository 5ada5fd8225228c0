#pragma once
// The study subcommands of quarvel-cli: the parametric loop and the advanced loop.

#include <string>

#include "cli/cli_options.h"

namespace quarvel::cli {

struct LoopOptions {
  std::string output;        // study file name inside the folder; empty: lresults.out
  std::string folder = ".";  // where the study file goes
};

struct AdvancedLoopOptions {
  std::string folder;             // the folder of the numbered *.quarvel files and the outputs
  std::string threshold = "1";    // the peak U/Uy threshold, as typed
};

int RunLoopCommand(CommonOptions& options, const LoopOptions& loop);
int RunAdvancedLoopCommand(CommonOptions& options, const AdvancedLoopOptions& advanced);

}  // namespace quarvel::cli
