#include "studies/envelopes.h"

#include <filesystem>
#include <utility>

#include "io/file_writer.h"
#include "studies/study_detail.h"

namespace quarvel {

void Envelopes::Reset(int32_t lastIndex) {
  const auto size = static_cast<std::size_t>(lastIndex < 0 ? 0 : lastIndex) + 1;
  for (auto* array : {&uPos, &uNeg, &ehPos, &ehNeg}) array->assign(size, 0.0);
}

void Envelopes::Widen(std::size_t i, double uHigh, double uLow, double ehHigh, double ehLow) {
  if (i >= uPos.size() || i >= uNeg.size() || i >= ehPos.size() || i >= ehNeg.size()) return;
  if (uHigh > uPos[i]) uPos[i] = uHigh;
  if (uLow < uNeg[i]) uNeg[i] = uLow;
  if (ehHigh > ehPos[i]) ehPos[i] = ehHigh;
  if (ehLow < ehNeg[i]) ehNeg[i] = ehLow;
}

std::vector<FileResult> WriteEnvelopeFiles(const Envelopes& envelopes, const std::string& folder,
                                           double from, double step,
                                           std::vector<std::string>* written) {
  const std::array<const std::vector<double>*, 4> arrays = {&envelopes.uPos, &envelopes.uNeg,
                                                            &envelopes.ehPos, &envelopes.ehNeg};
  std::vector<FileResult> faults;
  for (std::size_t f = 0; f < arrays.size(); ++f) {
    const std::string path = (std::filesystem::path(folder) / kEnvelopeFileNames[f]).string();
    FileWriter writer;
    if (writer.Open(path)) {
      const std::vector<double>& entries = *arrays[f];
      for (std::size_t i = 0; i < entries.size() && !writer.Failed(); ++i) {
        if (entries[i] == 0) continue;  // no file reached this value
        const double x = static_cast<double>(i) * step + from;
        writer.WriteLine(StudyNumber(x) + '\t' + StudyNumber(entries[i]));
      }
    }
    if (FileResult closed = writer.Close()) {
      if (written != nullptr) written->push_back(path);
    } else {
      faults.push_back(std::move(closed));
    }
  }
  return faults;
}

}  // namespace quarvel
