#include "model/response_history.h"

namespace quarvel {

void ResponseHistory::Reset(int32_t sampleCount) {
  const auto size = static_cast<std::size_t>(sampleCount < 0 ? 0 : sampleCount) + 1;
  for (auto* array : {&T, &U, &U_DOT, &U_DOT_DOT, &F, &Fext, &Z, &Fh, &Et, &Eh}) {
    array->assign(size, 0.0);
  }
}

void ReversalIndexHistory::Reset(int32_t sampleCount) {
  const auto size = static_cast<std::size_t>(sampleCount < 0 ? 0 : sampleCount) + 1;
  for (auto* array : {&lastPlus, &lastMinus, &maxPlus, &maxMinus}) {
    array->assign(size, 0);
  }
}

}  // namespace quarvel
