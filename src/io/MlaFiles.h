// What a melt liquidus association writes: the log lines, the results table (base + ".csv"),
// one file per mineral (base + "_Olv.csv" ...), and the header line and run-parameter file that
// the dispatcher writes before the first sample.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/RunReporter.h"
#include "engines/MLA.h"
#include "io/CompositionText.h"
#include "io/OutputSink.h"
#include "models/ModelRegistry.h"

namespace varnodel {

class MlaFiles : public MlaOutput {
  public:
    // `base` is the run's base name (output folder + name + "_MLA").
    // Lines of files go to `sink`.
    MlaFiles(std::string base, PresentElements present, RunReporter& reporter, OutputSink& sink);

    void startingComposition(const std::string& sample, const TAnalysis& melt) override;
    void reportLine(const std::string& line) override { reporter_.logLine(line); }
    void mineralRow(const MlaMineralRow& row) override;
    void resultRow(const MlaResultRow& row) override;

  private:
    // A missing file starts with `header` (when one is given).
    void append(const std::string& file, const std::string& line, const std::string& sample,
                std::string_view writer, const std::string& header = {});

    std::string base_;
    PresentElements present_;
    RunReporter& reporter_;
    OutputSink& sink_;
};

// The header line of the "_MLA" results table: the composition, "P(kbar),log(fO2),Pcalc,
// H2Ocalc," and two fields per chosen model.
std::string mlaResultsHeader(const ModelRegistry& registry, const MlaModels& models,
                             const PresentElements& present);
// The header line of a mineral's file.
std::string mlaMineralHeader(Phase mineral, const PresentElements& present);

// The rows, without their line end.
std::string mlaResultsRow(const MlaResultRow& row, const PresentElements& present);
std::string mlaMineralFileRow(const MlaMineralRow& row, const PresentElements& present);

// The lines of the run-parameter file: the chosen models, their corrections, the oxidation state
// and the pressure (kbar); the H2O warnings for a batch in which a melt holds H2O.
std::vector<std::string> mlaParameterLines(const RunSettings& settings,
                                           const ModelRegistry& registry, const MlaModels& models,
                                           double pressureKbar, bool meltHasH2O = false);

// Writes those lines to base + "_calc_param.csv" (through `sink`) and to the main log; a sink
// that writes at once throws std::ios_base::failure when the file cannot be written.
void writeMlaParameterReport(const std::string& base, RunReporter& reporter, OutputSink& sink,
                             const RunSettings& settings, const ModelRegistry& registry,
                             const MlaModels& models, double pressureKbar, bool meltHasH2O = false);

}  // namespace varnodel
