// The Python module `quarvel`: the core's records, model, solve, spectra and studies.

#include "module.h"

PYBIND11_MODULE(quarvel, m) {
  m.doc() =
      "Quarvel: a single-degree-of-freedom oscillator with a Bouc-Wen hysteretic spring, the "
      "original and a modified model solved side by side on the same C++ core as the command "
      "line, with the same numbers to the last bit.";
  m.attr("__version__") = QUARVEL_VERSION;
  quarvel::python::AddRecords(m);
  quarvel::python::AddModel(m);
  quarvel::python::AddSolve(m);
  quarvel::python::AddStudies(m);
}
