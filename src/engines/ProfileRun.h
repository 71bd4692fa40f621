// What the two diffusion-profile calculations share: the trapping of the inclusion at its
// olivine liquidus, the rim it crystallises while it cools, the melts re-equilibrated with the
// host, the grid and the diffusion stage, the reheating experiment, and the results they hand to
// their files.
#pragma once

#include <cstdint>
#include <optional>
#include <stop_token>
#include <string>
#include <vector>

#include "core/RunReporter.h"
#include "engines/Diffusion.h"
#include "engines/Fr.h"
#include "engines/InclusionOlivine.h"
#include "models/RunState.h"

namespace varnodel {

// A melt of the results with its temperature and the olivine in equilibrium with it.
struct ProfileMelt {
    TAnalysis melt;  // wt%
    double T = 0.0;  // K
    double fo = 0.0;
    double extent = 0.0;  // % of re-equilibration
    double days = 0.0;    // elapsed time
    bool present = false;
};

// The content of the result file and of "LAST_RES.DAT".
struct ProfileResult {
    std::string sample;
    Profile rimNodes;         // shell mid-points and the node beyond the rim
    Profile rimGrid;          // the eleven grid points through the rim
    Profile start;            // the whole grid before diffusion
    std::vector<double> end;  // FeO of the same grid after diffusion
    Profile reheated;
    std::size_t rimSteps = 0;
    ProfileMelt trapped, atEnd, full, chosen, reheatedMelt;
    double totalDays = 0.0;
    double dt = 0.0;
    double dr = 0.0;
    double log10D = 0.0;
    std::uint64_t timeSteps = 0;  // of every diffusion stage of the run
};

// One temperature step of a cooling-rate run: its profile, stored thinned.
struct CoolingStepProfile {
    Profile profile;
};

// What the run tells its run-parameter file.
struct ProfileRunInfo {
    const RunSettings* settings = nullptr;  // as the user set them
    const TModel* olivine = nullptr;
    const ModelRegistry* registry = nullptr;
    bool closedSystemUndefined = false;  // a melt without Fe2O3 or FeO in the closed system
    bool coolingRate = false;
    bool meltHasH2O = false;
};

// Where a profile run's files go (the io layer writes them).
class ProfileOutput {
  public:
    virtual ~ProfileOutput() = default;
    virtual void runParameters(const ProfileRunInfo& info) = 0;
    // The result file and "LAST_RES.DAT", rewritten.
    virtual void results(const ProfileResult& result) = 0;
    // Cooling rate: "_COMP.csv" gets a row, "_PR.csv" is rewritten with every step so far.
    virtual void compositionRow(const ProfileMelt& melt, const std::string& sample, bool first) = 0;
    virtual void stepProfiles(const std::vector<CoolingStepProfile>& steps) = 0;
};

// The stages both engines run, on the run's snapshot.
class InclusionProfileRun {
  public:
    InclusionProfileRun(RunSnapshot& snapshot, TAnalysis meltWt, std::optional<Profile> loaded,
                        ProfileOutput& output, RunReporter& reporter, std::stop_token stop);
    virtual ~InclusionProfileRun() = default;

    // The whole run: failures are reported and end it.
    RunOutcome run();

    const ProfileResult& result() const { return result_; }

  protected:
    virtual void stages() = 0;
    virtual bool coolingRate() const = 0;
    virtual std::string timeStepsMessage() const = 0;

    // Trapping: the melt at its liquidus, the trapping olivine.
    void trap();
    // Crystallises rim steps until the melt is `interval` below T_trap; `suffix` ends the
    // progress lines.
    void buildRim(double interval, const std::string& suffix);
    void checkReheating();
    // The melt re-equilibrated with the host at temperature Tstep, on a copy of `from`: to the
    // trapping Fo (extentTarget < 0), to an extent of extentTarget %, or (wallTarget >= 0) while
    // its olivine is richer in FeO than the wall.
    struct Reequilibrated {
        std::optional<InclusionOlivine> melt;
        double extent = 0.0;
        double extraCrystallised = 0.0;  // fraction of the step's starting melt
    };
    Reequilibrated reequilibrateMelt(const InclusionOlivine& from, double Tstep, double meltFeOEnd,
                                     double meltFeO100, double extentTarget, double wallTarget,
                                     double meltFraction, const std::string& label);
    void reheatInclusion(const InclusionOlivine& chosen, const Profile& final);
    // The grid through the stacked rim and the host (`SetUpProfile`) and the diffusion run on it
    // at T (K), the wall following the melt between its FeO* after cooling and at full
    // re-equilibration; recorded in the result. `previous`: the profile beyond the rim.
    struct Grid {
        ProfileSetUp setUp;
        DiffusionRun run;
        // The extent of re-equilibration (%) of a melt of FeO mass `meltMass`.
        double extent(double meltMass) const;
    };
    Grid setUpGrid(const RimGeometry& geometry, double T, double meltFeOEnd, double olivineFeOEnd,
                   double meltFeO100, const Profile* previous);
    ProfileMelt melt(const InclusionOlivine& m, double extent = 0.0, double days = 0.0) const;
    double meltDensity(const InclusionOlivine& m, double T) const;
    bool stopped() const { return stop_.stop_requested(); }
    void fatal(const std::string& text);
    void requireFinite(double v, const char* what) const;

    RunSnapshot& snap_;
    TMeltInclusionSettings mi_;
    TAnalysis startWt_;
    std::optional<Profile> loaded_;
    ProfileOutput& output_;
    RunReporter& reporter_;
    std::stop_token stop_;
    ProfileResult result_;
    std::optional<InclusionOlivine> ol_;  // the working melt
    std::vector<RimStep> rim_;
    double Ttrap_ = 0.0, foTrap_ = 0.0, feoTrap_ = 0.0;
    double meltFraction_ = 1.0, crystallised_ = 0.0;
    bool resultsDue_ = false;
};

}  // namespace varnodel
