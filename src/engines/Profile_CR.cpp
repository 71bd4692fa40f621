#include "engines/Profile_CR.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/Errors.h"
#include "core/NumberFormat.h"

namespace varnodel {

namespace {

constexpr double kCelsius = 273.0;
constexpr double kSecondsPerDay = 86400.0;
constexpr double kShellFactor = 4.0 / 3.0 * std::numbers::pi;

std::string fixed(double v, int decimals) {
    return fixedText(v, 15, decimals);
}

}  // namespace

std::string TCRThread::timeStepsMessage() const {
    return "The number of time steps exceeded 8,000,000. Increase the cooling rate or inclusion "
           "size and start again. Also contact TQ. Current calculation aborted.";
}

void TCRThread::stages() {
    const double rate = mi_.coolingRate;
    // No time passes at a rate of 0, and a negative rate would give negative times.
    if (!(rate > 0.0)) throw EFloatingPointError("A cooling rate that is not above 0");
    const auto compute = [this, rate] {
        reporter_.logLine("Start initial instant cooling calculations for all steps;");
        trap();
        checkReheating();
        reporter_.logLine("Trapping temperature: " + fixed(Ttrap_ - kCelsius, 0) + ",");
        output_.compositionRow(result_.trapped, result_.sample, true);

        // The trapped melt's mass fills the inclusion as it is at the end of cooling.
        const double R = mi_.inclusionRadius;
        const double Tfinal = Ttrap_ - mi_.coolingInterval;
        double meltMass = kShellFactor * R * R * R * olivineDensity(foTrap_, Tfinal) /
                          olivineDensity(foTrap_, Ttrap_) * meltDensity(*ol_, Ttrap_) / 1e12;
        double outerRadius = R;
        const int steps = std::max(1, temperatureStepCount(mi_.coolingInterval));
        const double stepSeconds = coolingStepSeconds(rate);
        std::optional<Profile> previous = loaded_;
        std::vector<CoolingStepProfile> stored;

        for (int i = 1; i <= steps && !stopped(); ++i) {
            const std::string tag = "for T step " + std::to_string(i) + ";";
            reporter_.logLine("Start instant cooling calculations " + tag);
            reporter_.logLine("");
            rim_.clear();
            crystallised_ = 0.0;
            meltFraction_ = 1.0;
            buildRim(kTemperatureStep * i, " " + tag);
            if (stopped()) break;
            const double Tstep = Ttrap_ - kTemperatureStep * i;
            const InclusionOlivine atEnd = *ol_;
            const double feoOlEnd = atEnd.olivineFeO(), meltFeOEnd = atEnd.meltFeOStar();
            const RimGeometry geometry = stackShells(rim_, outerRadius, meltMass);
            reporter_.logLine("Four rim parameters recorded.");

            reporter_.logLine("Calculating melt at 100% re-equilibration " + tag);
            auto full =
                reequilibrateMelt(atEnd, Tstep, meltFeOEnd, 0.0, -1.0, -1.0, meltFraction_, "");
            if (stopped()) break;
            const double meltFeO100 = full.melt->meltFeOStar();

            Grid grid = setUpGrid(geometry, Tstep, meltFeOEnd, feoOlEnd, meltFeO100,
                                  previous ? &*previous : nullptr);
            const double dt = grid.run.dt;
            const double before = kTemperatureStep * (i - 1) / rate;
            const auto progress = [&](const DiffusionProgress& at) {
                reporter_.logLine(
                    "No. of steps: " + std::to_string(at.steps) + ";   Re-equilbration: " +
                    fixed(grid.extent(at.meltMass), 2) + "%;   Time (days): " +
                    fixed(before + dt * static_cast<double>(at.steps) / 3600.0 / 24.0, 5) +
                    ";   T (oC): " + fixed(Tstep - kCelsius, 0) + "  (T step " + std::to_string(i) +
                    " of " + std::to_string(steps) + ")");
            };
            DiffusionRun& run = grid.run;
            run.duration = stepSeconds;
            run.progressInterval = coolingRateProgressInterval(rate);
            run.onProgress = progress;
            Profile profile = grid.setUp.initial;
            const DiffusionResult diffused = diffuseProfile(profile, grid.setUp.dr, run);
            if (diffused.limitReached) throw ETimeSteps("Allowed number of time steps exceeded");
            result_.timeSteps += diffused.steps;
            if (stopped()) break;

            const double reached = grid.extent(diffused.meltMass);
            const std::string label =
                "Calculating melt at " + fixed(reached, 2) + "% of re-equilibration " + tag;
            reporter_.logLine(label);
            auto last = reequilibrateMelt(atEnd, Tstep, meltFeOEnd, meltFeO100, -1.0, profile.c[0],
                                          meltFraction_, label + " ");
            if (stopped()) break;
            const double days = kTemperatureStep * i / rate;
            ProfileMelt endMelt = melt(*last.melt, last.extent, days);
            output_.compositionRow(endMelt, result_.sample, false);
            reporter_.logLine("Finish calculations " + tag);
            reporter_.logLine("");

            CoolingStepProfile thin;
            for (std::size_t j : thinProfile(profile.size())) {
                thin.profile.x.push_back(profile.x[j]);
                thin.profile.c.push_back(profile.c[j]);
            }
            stored.push_back(std::move(thin));
            output_.stepProfiles(stored);

            // The next step starts from this one's melt, inside this one's rim.
            result_.end = profile.c;
            result_.totalDays = days;
            result_.atEnd = melt(atEnd);
            result_.atEnd.T = Tstep;
            result_.full = melt(*full.melt, 100.0);
            result_.full.T = Tstep;
            result_.chosen = endMelt;
            result_.chosen.T = Tstep;
            meltMass *= 1.0 - crystallised_ - last.extraCrystallised;
            outerRadius = geometry.innerRadius;
            previous = std::move(profile);
            ol_.emplace(*last.melt);
        }
    };
    compute();
    reporter_.logLine("");
    reporter_.logLine("End calculations");
    output_.results(result_);
}

}  // namespace varnodel
