// The files of the diffusion-profile calculations: the run-parameter file, the result file
// (base + ".csv"), "LAST_RES.DAT" in the output folder, and for a cooling-rate run the melt of
// every temperature step ("_COMP.csv") and the profile after every step ("_PR.csv").
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "core/RunReporter.h"
#include "engines/ProfileRun.h"
#include "io/OutputFiles.h"
#include "io/OutputSink.h"

namespace varnodel {

inline constexpr std::string_view kLastResultFile = "LAST_RES.DAT";

// The result file's header line.
std::string profileResultHeader();

class ProfileFiles : public ProfileOutput {
  public:
    // `base` is output folder + output name + "_PIC" or "_PCR"; "LAST_RES.DAT" goes beside it.
    ProfileFiles(std::string base, RunReporter& reporter, OutputSink& sink);

    void runParameters(const ProfileRunInfo& info) override;
    void results(const ProfileResult& result) override;
    void compositionRow(const ProfileMelt& melt, const std::string& sample, bool first) override;
    void stepProfiles(const std::vector<CoolingStepProfile>& steps) override;

    std::filesystem::path lastResultPath() const;

  private:
    std::string base_;
    RunReporter& reporter_;
    OutputSink& sink_;
};

// "LAST_RES.DAT" of the folder `folder`.
std::filesystem::path lastResultPath(const std::filesystem::path& folder);

// What "Load last result" takes from the first line: the inclusion radius, the starting melt
// (wt%) and its name. Throws EInputError with the program's text when the file is missing or
// its first line does not read.
struct LastResultStart {
    double radius = 0.0;
    TAnalysis melt;
};
LastResultStart readLastResultStart(const std::filesystem::path& file);

// Every line of the file as a pair (position, FeO), until the end of the file or the first line
// that does not start with two numbers.
Profile readLastResultProfile(const std::filesystem::path& file);

}  // namespace varnodel
