#include "model/response_history.h"

namespace quarvel {

void ResponseHistory::Reset(int32_t sampleCount) {
  const auto size = static_cast<std::size_t>(sampleCount < 0 ? 0 : sampleCount) + 1;
  for (auto* array : {&T, &U, &U_DOT, &U_DOT_DOT, &F, &Fext, &Z, &Fh, &Et, &Eh}) {
    array->assign(size, 0.0);
  }
}

void ResponseHistory::ComputeEnergies(bool fromOrigin) {
  const int32_t n = SampleCount();
  const auto size = static_cast<std::size_t>(n) + 1;
  Et.assign(size, 0.0);
  Eh.assign(size, 0.0);
  for (int32_t j = fromOrigin ? 0 : 1; j < n; ++j) {
    const auto a = static_cast<std::size_t>(j);
    const auto b = a + 1;
    Et[b] = Et[a] + 0.5 * (U[b] - U[a]) * (F[b] + F[a]);
    Eh[b] = Eh[a] + 0.5 * (U[b] - U[a]) * (Fh[b] + Fh[a]);
  }
}

void ReversalIndexHistory::Reset(int32_t sampleCount) {
  const auto size = static_cast<std::size_t>(sampleCount < 0 ? 0 : sampleCount) + 1;
  for (auto* array : {&lastPlus, &lastMinus, &maxPlus, &maxMinus}) {
    array->assign(size, 0);
  }
}

}  // namespace quarvel
