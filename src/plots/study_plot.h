#pragma once
// Pictures of the studies for a report: the relative errors of a study file over its swept
// value, and the four envelopes of an advanced study.

#include <array>
#include <string_view>

#include "graph/curve_plot.h"
#include "studies/study_file_reader.h"

namespace quarvel {

// The relative errors of the peak displacement (red) and of the peak hysteretic energy (blue)
// over the swept value. The X title names the swept quantity from the title line ("Elastic
// period (s)"; a file without a title line gives "Varying Qty"); the title is the title line,
// or `fileName` without one.
CurvePlot StudyPlot(const StudyFileContents& study, std::string_view fileName);

// The envelopes in the order of kEnvelopeFileNames: the largest relative errors solid, 2 pixels
// wide, the smallest dashed, 1 pixel wide; the peak displacement's red, the hysteretic
// energy's blue.
CurvePlot EnvelopePlot(const std::array<EnvelopeCurve, 4>& envelopes);

}  // namespace quarvel
