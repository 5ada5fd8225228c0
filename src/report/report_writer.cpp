#include "report/report_writer.h"

#include <array>
#include <vector>

#include "io/file_writer.h"
#include "text/number_text.h"

namespace quarvel {
namespace {

// Column labels, each padded with blanks to 17 characters.
std::string PaddedLabel(std::string_view label) {
  std::string padded(label);
  if (padded.size() < 17) padded.append(17 - padded.size(), ' ');
  return padded;
}

std::string HistoryHeader() {
  std::string header = "#\tT";
  for (const char* label : {"U", "U_DOT", "U_DOT_DOT", "F", "Z", "Fext", "Fh", "Et", "Eh"}) {
    header += '\t';
    header += PaddedLabel(label);
  }
  return header;
}

// The nine columns after T, in report order.
std::array<const std::vector<double>*, 9> HistoryColumns(const ResponseHistory& h) {
  return {&h.U, &h.U_DOT, &h.U_DOT_DOT, &h.F, &h.Z, &h.Fext, &h.Fh, &h.Et, &h.Eh};
}

bool HasSample(const std::vector<double>& array, int32_t k) {
  return k >= 0 && static_cast<std::size_t>(k) < array.size();
}

bool HasSample(const std::vector<int32_t>& array, int32_t k) {
  return k >= 0 && static_cast<std::size_t>(k) < array.size();
}

// Row k of a model, or false when the response has no sample k (no solve ran).
bool HistoryRow(const ResponseHistory& h, int32_t k, std::string& row) {
  if (!HasSample(h.T, k)) return false;
  row = FormatDefault(k);
  row += '\t';
  row += FormatDefault(h.T[k]);
  for (const auto* column : HistoryColumns(h)) {
    if (!HasSample(*column, k)) return false;
    row += '\t';
    row += FormatReportScientific((*column)[k]);
  }
  return true;
}

bool ReversalColumns(const ReversalIndexHistory& reversals, int32_t k, std::string& row) {
  for (const auto* column : {&reversals.lastPlus, &reversals.lastMinus, &reversals.maxPlus,
                             &reversals.maxMinus}) {
    if (!HasSample(*column, k)) return false;
    row += '\t';
    row += FormatDefault((*column)[k]);
  }
  return true;
}

struct ReportContext {
  FileWriter& file;
  const ModelParameters& lastSolve;
};

bool WriteExperiment(ReportContext& report, const Experiment& e, const ExperimentResults& r) {
  FileWriter& file = report.file;
  file.WriteLine(e.name);
  file.WriteLine("Parameters:");
  file.WriteLine("Default mass in the excitation =" + FormatReportPlain(e.mass));
  file.WriteLine("Initial U =" + FormatReportPlain(e.initialU));
  file.WriteLine("Initial U_DOT =" + FormatReportPlain(e.initialUDot));
  file.WriteLine("Initial Z =" + FormatReportPlain(e.initialZ));
  file.WriteLine("");
  file.WriteLine("Original Bouc-Wen model");
  file.WriteLine(HistoryHeader());
  std::string row;
  for (int32_t k = 1; k <= e.counter; ++k) {
    if (!HistoryRow(r.original, k, row)) return false;
    file.WriteLine(row);
  }
  file.WriteLine("");
  file.WriteLine("Modified Bouc-Wen model");
  const std::string ruleLine = ReversalRuleLine(report.lastSolve.reversalRule);
  if (!ruleLine.empty()) file.WriteLine(ruleLine);
  file.WriteLine(HistoryHeader() + "\tPLast+\tPlast-\tPMax+\tPMax-");
  for (int32_t k = 1; k <= e.counter; ++k) {
    if (!HistoryRow(r.modified, k, row) || !ReversalColumns(r.reversalIndices, k, row)) {
      return false;
    }
    file.WriteLine(row);
  }
  file.WriteLine("");
  return !file.Failed();
}

}  // namespace

std::string ReversalRuleLine(ReversalRule rule) {
  switch (rule) {
    case ReversalRule::LastReversal:
      return "using last observed reversal point";
    case ReversalRule::MaxReversal:
      return "using maximum displacement reversal point";
    case ReversalRule::LastAndMaxReversal:
      return "using last observed and maximum displacement reversal point";
    case ReversalRule::AllReversals:
      break;
  }
  return {};
}

FileResult WriteReport(const std::string& path, const ExperimentSet& experiments,
                       const ResultSet& results, const ModelParameters& lastSolve,
                       std::string_view massText) {
  if (experiments.Count() < 1) return {};
  FileWriter file;
  if (!file.Open(path)) return file.Result();

  file.WriteLine("Bouc-Wen model modification");
  file.WriteLine("Parameters:");
  file.WriteLine("A =" + FormatReportPlain(lastSolve.A));
  file.WriteLine("beta =" + FormatReportPlain(lastSolve.beta));
  file.WriteLine("gamma =" + FormatReportPlain(lastSolve.gamma));
  file.WriteLine("n =" + FormatReportPlain(lastSolve.n));
  file.WriteLine("c =" + FormatReportPlain(lastSolve.c));
  file.WriteLine("Fy =" + FormatReportPlain(lastSolve.Fy));
  file.WriteLine("Uy =" + FormatReportPlain(lastSolve.Uy));
  file.WriteLine("P =" + FormatReportPlain(lastSolve.P));
  file.WriteLine("Mass =" + FormatReportPlain(Val(massText)));
  file.WriteLine("");

  ReportContext report{file, lastSolve};
  for (int32_t k = 1; k <= experiments.Count(); ++k) {
    const Experiment& e = experiments.At(k);
    if (!WriteExperiment(report, e, results.At(k))) {
      if (file.Failed()) break;
      file.Close();
      return FileResult::Failure(
          path, "experiment \"" + e.name +
                    "\" has no results to export (solve the experiments first)");
    }
  }
  return file.Close();
}

}  // namespace quarvel
