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

        const double D = feMgDiffusivity(Tend);
        ProfileGridInputs in;
        in.steps = &rim_;
        in.geometry = geometry;
        in.hostFeO = feoTrap_;
        in.meltFeOEnd = meltFeOEnd;
        in.meltFeO100 = meltFeO100;
        in.wall = WallRelation(meltFeOEnd, feoOlEnd, meltFeO100, feoTrap_);
        ProfileSetUp grid;
        if (!setUpProfile(in, grid))
            fatal(
                "The legth of diffusion profile required exceeds the maximum lendth allowed. "
                "Either decrease inclusion radius or decrease colling interval");
        const double dt = diffusionTimeStep(grid.dr, D);
        result_.rimSteps = rim_.size();
        result_.rimNodes = grid.rimNodes;
        result_.rimGrid.x.assign(grid.initial.x.begin(), grid.initial.x.begin() + kRimGridPoints);
        result_.rimGrid.c.assign(grid.initial.c.begin(), grid.initial.c.begin() + kRimGridPoints);
        result_.start = grid.initial;
        result_.dt = dt;
        result_.dr = grid.dr;
        result_.log10D = std::log10(D);
        requireFinite(dt + result_.log10D, "time step");

        reporter_.logLine("");
        reporter_.logLine("Start diffusion calculations");
        const double m0 = grid.meltMass, m100 = grid.meltMass100;
        const auto progress = [&](const DiffusionProgress& at) {
            const double e = (at.meltMass - m100) / (m0 - m100);
            reporter_.logLine("No. of steps: " + std::to_string(at.steps) +
                              ";   Re-equilbration: " + fixed(100.0 - 100.0 * e, 2) +
                              "%;   Time (days): " +
                              fixed(dt * static_cast<double>(at.steps) / kSecondsPerDay, 5) +
                              ";   T (oC): " + fixed(Tend - kCelsius, 0));
        };
        DiffusionRun run;
        run.dt = dt;
        run.rimDensity = geometry.meanRimDensity;
        run.meltVolumeDensity =
            4.0 / 3.0 * std::numbers::pi * std::pow(geometry.innerRadius, 3) * geometry.meltDensity;
        run.meltMass = m0;
        run.wall = in.wall;
        run.wallTarget = wallTarget;
        run.progressInterval = instantProgressInterval(p);
        run.onProgress = progress;
        run.stop = stop_;
        Profile profile = grid.initial;
        const DiffusionResult diffused = diffuseProfile(profile, grid.dr, run);
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
