// What a forward crystallisation reports: the run header (log and "_calc_param.csv"), the
// starting composition, each printed step (log), the row of the batch's export table and the
// rows of the per-mineral files.
#pragma once

#include <memory>
#include <string>

#include "core/RunReporter.h"
#include "engines/FrState.h"
#include "io/CompositionText.h"
#include "io/OutputFiles.h"

namespace varnodel {

class FracFiles : public FracOutput {
  public:
    // `base` is the run's base name (output folder + name + "_FRAC"); `exportReady` says the
    // export table's header was written. Lines of files go to `sink`.
    FracFiles(std::string base, PresentElements present, RunReporter& reporter, OutputSink& sink,
              bool exportReady);

    void runHeader(const FracRunInfo& info) override;
    void startingComposition(const FracRunInfo& info, const TAnalysis& melt) override;
    void printedStep(const FracRunInfo& info, const FracState& state, const TAnalysis& melt,
                     double pressureBar, bool finalStep) override;

  private:
    void log(const std::string& line) { reporter_.logLine(line); }
    void logStep(const FracRunInfo& info, const FracState& state, const TAnalysis& melt,
                 double pressureBar, bool finalStep);
    std::string exportRow(const FracRunInfo& info, const FracState& state, const TAnalysis& melt,
                          double pressureBar) const;
    void writeMineralRows(const FracRunInfo& info, const FracState& state, const TAnalysis& melt);
    // A missing file starts with `header` (when one is given).
    void append(const std::string& file, const std::string& line, const std::string& sample,
                const std::string& header = {});

    std::string base_;
    PresentElements present_;
    RunReporter& reporter_;
    OutputSink& sink_;
    bool exportReady_;
    std::unique_ptr<ReportFile> report_;
};

// The header line of the "_FRAC" export table for the minerals that have a model.
std::string fracExportHeader(const PerPhase<bool>& withModel, const PresentElements& present);

// The date and time of a result row, "YYYY-MM-DD HH:MM:SS" (local time).
std::string rowTimestamp();

}  // namespace varnodel
