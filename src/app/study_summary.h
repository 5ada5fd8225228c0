#pragma once
// What the status bar says when a study has ended: what was written where, how many values
// were solved, and whether Esc or Cancel ended it early.

#include <QString>

#include <cstdint>

#include "studies/advanced_loop.h"
#include "studies/parametric_loop.h"

namespace quarvel::app {

// The Loop over `valueCount` values (0 when none was started); `cancelled`: Cancel (or closing
// the window) ended it, so that an aborted study was ended by Cancel, not by Esc.
QString LoopSummary(const StudyOutcome& outcome, int32_t valueCount, bool cancelled);

// The Advanced Loop over the series in `folder`.
QString AdvancedLoopSummary(const AdvancedStudyOutcome& outcome, const QString& folder,
                            bool cancelled);

}  // namespace quarvel::app
