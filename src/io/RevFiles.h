// What a reverse crystallisation reports: the parameter report (log and "_calc_param.csv"), the
// starting composition, the notices and the log block of each step, the row of the results
// table and the rows of the per-mineral files.
#pragma once

#include <memory>
#include <string>

#include "core/RunReporter.h"
#include "engines/RevState.h"
#include "io/CompositionText.h"
#include "io/OutputFiles.h"

namespace varnodel {

class RevFiles : public RevOutput {
  public:
    // `base` is the run's base name (output folder + name + "_REV"); `exportReady` says the
    // results table's header was written. Lines of files go to `sink`.
    RevFiles(std::string base, PresentElements present, RunReporter& reporter, OutputSink& sink,
             bool exportReady);

    void runHeader(const RevRunInfo& info) override;
    void startingComposition(const RevRunInfo& info, const TAnalysis& melt) override;
    void stepNotices(const RevRunInfo& info, const RevState& state) override;
    void printedStep(const RevRunInfo& info, const RevState& state, const TAnalysis& melt,
                     double pressureBar) override;

    // The row of the results table for a printed step, without its line break.
    std::string resultsRow(const RevRunInfo& info, const RevState& state, const TAnalysis& melt,
                           double pressureBar) const;

  private:
    void log(const std::string& line) { reporter_.logLine(line); }
    void logStep(const RevRunInfo& info, const RevState& state, const TAnalysis& melt,
                 double pressureBar);
    void writeMineralRows(const RevRunInfo& info, const RevState& state, const TAnalysis& melt);
    void append(const std::string& file, const std::string& line, const std::string& writer,
                const std::string& sample, const std::string& header = {});

    std::string base_;
    PresentElements present_;
    RunReporter& reporter_;
    OutputSink& sink_;
    bool exportReady_;
};

// The header line of the "_REV" results table for the minerals that have a model.
std::string revResultsHeader(const PerPhase<bool>& withModel, const PresentElements& present);

}  // namespace varnodel
