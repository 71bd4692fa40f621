// What a Fe-loss reconstruction writes: the progress lines of the main log, the rows of the
// results table (base + ".csv"), and the header line and run-parameter file that the dispatcher
// writes before the first inclusion.
#pragma once

#include <string>
#include <vector>

#include "core/RunReporter.h"
#include "engines/IronLoss.h"
#include "io/OutputSink.h"
#include "models/ModelRegistry.h"

namespace varnodel {

class IronLossFiles : public IronLossOutput {
  public:
    // `base` is the run's base name (output folder + name + "_IRL"); rows go to `sink`.
    IronLossFiles(std::string base, RunReporter& reporter, OutputSink& sink);

    void progressHeader() override;
    void progress(const IronLossProgress& line) override;
    void resultRow(const IronLossRow& row) override;

  private:
    std::string base_;
    RunReporter& reporter_;
    OutputSink& sink_;
};

// The header line of the "_IRL" results table.
std::string ironLossHeader();
// A row of the results table, without its line end.
std::string ironLossRow(const IronLossRow& row);
// The progress line of the main log, and the header line above them.
std::string ironLossProgressLine(const IronLossProgress& line);
inline constexpr const char* kIronLossProgressHeader =
    " T_run T_calc   MgO  Fo_h  Fo_c FeO*f FeO*m  No    Analysis";

// The lines of the run-parameter file. `withH2O`: a melt of the run holds H2O.
std::vector<std::string> ironLossParameterLines(const RunSettings& settings,
                                                const ModelRegistry& registry,
                                                const TModel& olivineModel, bool withH2O,
                                                bool closedSystemUndefined);

// Writes those lines to base + "_calc_param.csv" and to the main log; throws
// std::ios_base::failure when the file cannot be written.
void writeIronLossParameterReport(const std::string& base, RunReporter& reporter, OutputSink& sink,
                                  const std::vector<std::string>& lines);

}  // namespace varnodel
