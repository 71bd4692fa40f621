#include "engines/Profile_IC.h"

#include <cmath>
#include <numbers>

#include "core/Errors.h"
#include "core/NumberFormat.h"

namespace varnodel {

namespace {

constexpr double kCelsius = 273.0;
constexpr double kSecondsPerDay = 86400.0;

std::string fixed(double v, int decimals) {
    return fixedText(v, 15, decimals);
}

}  // namespace

std::string TInstThread::timeStepsMessage() const {
    return "The number of time steps exceeded 8,000,000. Decrease the final % of "
           "re-equilibration or increase the cooling interval, and start again. Also contact "
           "TQ. Current calculation aborted.";
}

void TInstThread::stages() {
    reporter_.logLine("Start instant cooling calculations");
    reporter_.logLine("");
    // Every stage is skipped once the run is interrupted; the files get what exists by then.
    const auto compute = [this] {
        trap();
        const InclusionOlivine trapped = *ol_;
        buildRim(mi_.coolingInterval, "");
        if (stopped()) return;
        const double Tend = Ttrap_ - mi_.coolingInterval;
        const InclusionOlivine atEnd = *ol_;
        const double feoOlEnd = atEnd.olivineFeO(), meltFeOEnd = atEnd.meltFeOStar();
        result_.atEnd = melt(atEnd);
        result_.atEnd.T = Tend;
        checkReheating();
        reporter_.logLine("");
        reporter_.logLine("Trapping temperature: " + fixed(Ttrap_ - kCelsius, 0) + ",");
        reporter_.logLine("");

        auto full = reequilibrateMelt(atEnd, Tend, meltFeOEnd, 0.0, -1.0, -1.0, meltFraction_, "");
        if (stopped()) return;
        const double meltFeO100 = full.melt->meltFeOStar();
        result_.full = melt(*full.melt, 100.0);
        result_.full.T = Tend;
        const double p = mi_.finalExtent;
        auto chosen =
            reequilibrateMelt(atEnd, Tend, meltFeOEnd, meltFeO100, p, -1.0, meltFraction_,
                              "Calculating melt at " + fixed(p, 2) + "% re-equilibration.  ");
        if (stopped()) return;
        // The extra olivine is shared among the shells in proportion to what each holds.
        if (crystallised_ > 0.0) {
            const double scale = (crystallised_ + chosen.extraCrystallised) / crystallised_;
            for (RimStep& step : rim_)
                step.crystallised *= scale;
        }
        const double wallTarget = chosen.melt->olivineFeO();
        result_.chosen = melt(*chosen.melt, p);
        result_.chosen.T = Tend;

        const double rhoMeltTrap = meltDensity(trapped, Ttrap_);
        const double rhoOlTrap = olivineDensity(foTrap_, Ttrap_);
        const double rhoOlEnd = olivineDensity(foTrap_, Tend);
        const double R = mi_.inclusionRadius;
        const double volumeTrap = 4.0 / 3.0 * std::numbers::pi * R * R * R * rhoOlEnd / rhoOlTrap;
        const RimGeometry geometry = stackShells(rim_, R, volumeTrap * rhoMeltTrap / 1e12);
        reporter_.logLine("Four rim parameters recorded;");

        Grid grid = setUpGrid(geometry, Tend, meltFeOEnd, feoOlEnd, meltFeO100, nullptr);
        const double dt = grid.run.dt;
        reporter_.logLine("");
        reporter_.logLine("Start diffusion calculations");
        const auto progress = [&](const DiffusionProgress& at) {
            reporter_.logLine("No. of steps: " + std::to_string(at.steps) +
                              ";   Re-equilbration: " + fixed(grid.extent(at.meltMass), 2) +
                              "%;   Time (days): " +
                              fixed(dt * static_cast<double>(at.steps) / kSecondsPerDay, 5) +
                              ";   T (oC): " + fixed(Tend - kCelsius, 0));
        };
        DiffusionRun& run = grid.run;
        run.wallTarget = wallTarget;
        run.progressInterval = instantProgressInterval(p);
        run.onProgress = progress;
        Profile profile = grid.setUp.initial;
        const DiffusionResult diffused = diffuseProfile(profile, grid.setUp.dr, run);
        if (diffused.limitReached) throw ETimeSteps("Allowed number of time steps exceeded");
        result_.end = profile.c;
        result_.timeSteps = diffused.steps;
        result_.totalDays = dt * static_cast<double>(diffused.steps) / kSecondsPerDay;
        progress({diffused.steps, diffused.meltMass});
        reporter_.logLine("End diffusion calculations");
        reporter_.logLine("");
        if (stopped()) return;

        if (mi_.simulateReheating) reheatInclusion(*chosen.melt, profile);
    };
    compute();
    reporter_.logLine("");
    reporter_.logLine("End calculations");
    output_.results(result_);
}

}  // namespace varnodel
