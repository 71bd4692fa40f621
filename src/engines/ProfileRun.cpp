#include "engines/ProfileRun.h"

#include <cmath>
#include <filesystem>
#include <ios>
#include <new>
#include <numbers>

#include "core/Errors.h"
#include "core/NumberFormat.h"
#include "engines/ScaledSettings.h"
#include "models/MeltProperties.h"

namespace varnodel {

namespace {

constexpr double kCelsius = 273.0;
constexpr double kShellFactor = 4.0 / 3.0 * std::numbers::pi;
constexpr int kReequilibrationReport = 500;
constexpr int kRimReport = 100;
constexpr int kReheatPortions = 100;

std::string fixed(double v, int decimals) {
    return fixedText(v, 15, decimals);
}

}  // namespace

InclusionProfileRun::InclusionProfileRun(RunSnapshot& snapshot, TAnalysis meltWt,
                                         std::optional<Profile> loaded, ProfileOutput& output,
                                         RunReporter& reporter, std::stop_token stop)
    : snap_(snapshot),
      mi_(snapshot.settings().parameters.meltInclusions),
      startWt_(std::move(meltWt)),
      loaded_(std::move(loaded)),
      output_(output),
      reporter_(reporter),
      stop_(std::move(stop)) {
    result_.sample = startWt_.name;
}

void InclusionProfileRun::fatal(const std::string& text) {
    snap_.context().errorText = text;
    throw FatalError(text);
}

void InclusionProfileRun::requireFinite(double v, const char* what) const {
    if (!std::isfinite(v)) throw EFloatingPointError(std::string("Not a number: ") + what);
}

RunOutcome InclusionProfileRun::run() {
    const RunSettings userSettings = snap_.settings();
    RunOutcome outcome = RunOutcome::Completed;
    std::string& errorText = snap_.context().errorText;
    const ScaledRunSettings scaled(snap_, userSettings);
    try {
        ProfileRunInfo info;
        info.settings = &userSettings;
        info.olivine = snap_.slots[static_cast<std::size_t>(Phase::Olivine)];
        info.registry = snap_.registry.get();
        info.closedSystemUndefined =
            !(startWt_.oxides[Ox::Fe2O3] > 0.0) || !(startWt_.oxides[Ox::FeO] > 0.0);
        info.coolingRate = coolingRate();
        info.meltHasH2O = startWt_.volatile_.value > 0.0;
        output_.runParameters(info);
        stages();
        if (stopped()) outcome = RunOutcome::Interrupted;
    } catch (...) {
        outcome = RunOutcome::Failed;
        std::string text;
        try {
            throw;
        } catch (const ETimeSteps&) {
            text = timeStepsMessage();
        } catch (const ERimSteps&) {
            text =
                "The number of rim steps exceeded 5,000. Decrease the coolinginterval and start "
                "again. Also contact TQ. Current calculation aborted.";
        } catch (const FatalError& e) {
            text = errorText.empty() ? e.what() : errorText;
        } catch (const EFloatingPointError& e) {
            reporter_.debugLine(e.what());
            text =
                "A floating point math error occurred. Current calculation aborted. Call "
                "Microsoft to complain.";
        } catch (const std::ios_base::failure&) {
            text =
                "Either the output file is opened in another program, or the file name is "
                "illegal, or there is a disk problem.  Current calculation aborted.";
        } catch (const std::filesystem::filesystem_error&) {
            text =
                "Either the output file is opened in another program, or the file name is "
                "illegal, or there is a disk problem.  Current calculation aborted.";
        } catch (const std::bad_alloc&) {
            text =
                "A dynamic memory allocation or invalid pointer operation error occurred. "
                "Current calculation aborted. Call Microsoft to complain.";
        } catch (const std::logic_error& e) {
            reporter_.debugLine(e.what());
            text =
                "A dynamic memory allocation or invalid pointer operation error occurred. "
                "Current calculation aborted. Call Microsoft to complain.";
        } catch (...) {
            throw;
        }
        errorText.clear();
        reporter_.message(text);
    }
    return outcome;
}

ProfileMelt InclusionProfileRun::melt(const InclusionOlivine& m, double extent, double days) const {
    ProfileMelt out;
    out.melt = m.meltWt();
    out.T = m.T();
    out.fo = m.fo();
    out.extent = extent;
    out.days = days;
    out.present = true;
    return out;
}

double InclusionProfileRun::meltDensity(const InclusionOlivine& m, double T) const {
    return varnodel::meltDensity(m.melt(), T, snap_.settings().parameters.densityModel).density;
}

void InclusionProfileRun::trap() {
    ol_.emplace(snap_, reporter_, startWt_, mi_.olivineMinorSet);
    Ttrap_ = ol_->T();
    foTrap_ = ol_->fo();
    feoTrap_ = ol_->olivineFeO();
    requireFinite(Ttrap_, "trapping temperature");
    meltFraction_ = 1.0;
    crystallised_ = 0.0;
    result_.trapped = melt(*ol_);
}

void InclusionProfileRun::buildRim(double interval, const std::string& suffix) {
    const double f = mi_.rimStep;
    std::size_t count = 0;
    while (Ttrap_ - ol_->T() < interval && !stopped()) {
        if (count >= kMaxRimSteps) throw ERimSteps("Allowed rim legth exceeded");
        ol_->om().GetMeltAndOlivTdown(f);
        crystallised_ += f * meltFraction_;
        meltFraction_ -= f * meltFraction_;
        ++count;
        RimStep step;
        step.crystallised = crystallised_;
        step.olivineFeO = ol_->olivineFeO();
        step.density = olivineDensity(ol_->fo(), ol_->T());
        requireFinite(step.olivineFeO + step.density, "rim olivine");
        rim_.push_back(step);
        if (count % kRimReport == 0)
            reporter_.logLine("Rim step " + std::to_string(count) +
                              " completed; T (oC): " + fixed(ol_->T() - kCelsius, 0) + suffix);
    }
}

void InclusionProfileRun::checkReheating() {
    if (mi_.simulateReheating &&
        Ttrap_ - kCelsius - mi_.coolingInterval >= mi_.reheatingTemperature)
        fatal(
            " The experimental reheating temperature is lower than the temperature at the end "
            "of the cooling interval. Increase the value of the cooling interval and restart "
            "calculations.");
}

InclusionProfileRun::Reequilibrated InclusionProfileRun::reequilibrateMelt(
    const InclusionOlivine& from, double Tstep, double meltFeOEnd, double meltFeO100,
    double extentTarget, double wallTarget, double meltFraction, const std::string& label) {
    Reequilibrated r;
    r.melt.emplace(from);
    InclusionOlivine& m = *r.melt;
    const double s = mi_.rimStep;
    const double x = s / 128.0, g = s / 512.0;
    const double foEnd = from.fo();
    const bool toHost = extentTarget < 0.0 && wallTarget < 0.0;
    const auto extentNow = [&] {
        return 100.0 * (meltFeOEnd - m.meltFeOStar()) / (meltFeOEnd - meltFeO100);
    };
    const auto going = [&] {
        if (stopped()) return false;
        if (toHost) return m.fo() < foTrap_;
        if (wallTarget >= 0.0) return m.olivineFeO() > wallTarget;
        return extentNow() < extentTarget;
    };
    double fraction = meltFraction;
    long count = 0;
    const auto report = [&](bool last) {
        if (toHost) {
            const std::string head =
                "Calculating melt at 100% re-equilibration.  Step " + std::to_string(count);
            reporter_.logLine(last ? head + " completed; Re-eq.%= 100.00"
                                   : head + " completed; Estimated re-eq.%= " +
                                         fixed(100.0 * (m.fo() - foEnd) / (foTrap_ - foEnd), 2));
        } else {
            reporter_.logLine(label + "Step " + std::to_string(count) +
                              " completed; Re-eq.%= " + fixed(extentNow(), 2));
        }
    };
    while (going()) {
        ++count;
        m.om().exchangeFeForMg(x);
        do {
            m.om().GetMeltAndOlivTdown(g);
            if (!toHost) {
                r.extraCrystallised += g * fraction;
                fraction -= g * fraction;
            }
        } while (m.T() > Tstep && !stopped());
        if (count % kReequilibrationReport == 0) report(false);
    }
    report(true);
    r.extent = toHost ? 100.0 : extentNow();
    requireFinite(r.extent, "extent of re-equilibration");
    return r;
}

void InclusionProfileRun::reheatInclusion(const InclusionOlivine& chosen, const Profile& final) {
    reporter_.logLine("");
    reporter_.logLine("Start simulating reheating experiment");
    InclusionOlivine m(chosen);
    const std::size_t n = final.size();
    const double Texp = mi_.reheatingTemperature;
    std::size_t k = 1;
    int j = 0;
    bool reached = m.T() - kCelsius >= Texp;
    for (; k < n && !reached && !stopped(); ++k) {
        const double feo = (final.c[k - 1] + final.c[k]) / 2.0;
        const double fo = foFromOlivineFeO(feo);
        TAnalysis shell;
        shell.oxides = shellOlivine(m.minorSet(), fo, m.melt());
        const double x0 = final.x[k - 1], x1 = final.x[k];
        double meltMass = kShellFactor * x0 * x0 * x0 * meltDensity(m, m.T());
        const double shellMass =
            kShellFactor * (x1 * x1 * x1 - x0 * x0 * x0) * olivineDensity(fo, m.T());
        for (j = 0; j < kReheatPortions && m.T() - kCelsius < Texp;) {
            const double portion = shellMass / kReheatPortions;
            m.om().mixOlivine(portion / (portion + meltMass), shell, false);
            meltMass += portion;
            ++j;
        }
        m.om().olivineComposition();
        reporter_.logLine("Step " + std::to_string(k) +
                          " completed.  T = " + fixed(m.T() - kCelsius, 0));
        reached = m.T() - kCelsius >= Texp;
        if (reached) break;
    }
    Profile& out = result_.reheated;
    if (reached && k < n) {
        const double a = static_cast<double>(j) / kReheatPortions;
        out.x.push_back(final.x[k - 1] + (final.x[k] - final.x[k - 1]) * a);
        out.c.push_back(final.c[k - 1] + (final.c[k] - final.c[k - 1]) * a);
        for (std::size_t i = j == kReheatPortions ? k + 1 : k; i < n; ++i) {
            out.x.push_back(final.x[i]);
            out.c.push_back(final.c[i]);
        }
    } else if (n > 0) {
        // The whole profile went back into the melt below T exp: the experiment ends at the
        // last grid point, where the host begins.
        out.x.push_back(final.x[n - 1]);
        out.c.push_back(final.c[n - 1]);
        if (!reached && !stopped())
            reporter_.logLine("The whole profile is melted back below T exp; T = " +
                              fixed(m.T() - kCelsius, 0));
    }
    reporter_.logLine("Finish simulating reheating experiment");
    result_.reheatedMelt = melt(m);
}

InclusionProfileRun::Grid InclusionProfileRun::setUpGrid(const RimGeometry& geometry, double T,
                                                         double meltFeOEnd, double olivineFeOEnd,
                                                         double meltFeO100,
                                                         const Profile* previous) {
    Grid g;
    ProfileGridInputs in;
    in.steps = &rim_;
    in.geometry = geometry;
    in.hostFeO = feoTrap_;
    in.meltFeOEnd = meltFeOEnd;
    in.meltFeO100 = meltFeO100;
    in.wall = WallRelation(meltFeOEnd, olivineFeOEnd, meltFeO100, feoTrap_);
    in.previous = previous;
    if (!setUpProfile(in, g.setUp))
        fatal(
            "The legth of diffusion profile required exceeds the maximum lendth allowed. Either "
            "decrease inclusion radius or decrease colling interval");
    const ProfileSetUp& grid = g.setUp;
    const double D = feMgDiffusivity(T);
    const double dt = diffusionTimeStep(grid.dr, D);
    requireFinite(dt, "time step");
    result_.rimSteps = rim_.size();
    result_.rimNodes = grid.rimNodes;
    result_.rimGrid.x.assign(grid.initial.x.begin(), grid.initial.x.begin() + kRimGridPoints);
    result_.rimGrid.c.assign(grid.initial.c.begin(), grid.initial.c.begin() + kRimGridPoints);
    result_.start = grid.initial;
    result_.dt = dt;
    result_.dr = grid.dr;
    result_.log10D = std::log10(D);

    DiffusionRun& run = g.run;
    run.dt = dt;
    run.rimDensity = geometry.meanRimDensity;
    run.meltVolumeDensity = kShellFactor * std::pow(geometry.innerRadius, 3) * geometry.meltDensity;
    run.meltMass = grid.meltMass;
    run.wall = in.wall;
    run.stop = stop_;
    return g;
}

double InclusionProfileRun::Grid::extent(double meltMass) const {
    return 100.0 - 100.0 * (meltMass - setUp.meltMass100) / (setUp.meltMass - setUp.meltMass100);
}

}  // namespace varnodel
