#include "engines/Diffusion.h"

#include <algorithm>
#include <cmath>
#include <numbers>

#include "core/Errors.h"

namespace varnodel {

namespace {

constexpr double kShellFactor = 4.0 / 3.0 * std::numbers::pi;
constexpr double kCubicMicronsPerCm3 = 1e12;

double cube(double r) {
    return r * r * r;
}

}  // namespace

double feMgDiffusivity(double T) {
    return std::pow(10.0, -5.5 - 13349.526666666666664 * (1.0 / T - 1.0 / 1273.0));
}

double diffusionTimeStep(double dr, double D) {
    return dr * dr / (2.0 * D);
}

double olivineDensity(double fo, double T) {
    const double t = T - 25.0;
    return fo * (3.223 - 0.00010353 * t - 1.9697e-08 * t * t) +
           (1.0 - fo) * (4.4 - 0.00012124 * t - 2.2511e-08 * t * t);
}

double foFromOlivineFeO(double feo) {
    return (2.0 - feo * 140.68 / (7185.0 - 31.55 * feo)) / 2.0;
}

RimGeometry stackShells(std::vector<RimStep>& steps, double outerRadius, double meltMass) {
    RimGeometry g;
    double r = outerRadius, previous = 0.0, volume = 0.0, weighted = 0.0;
    for (RimStep& step : steps) {
        const double mass = (step.crystallised - previous) * meltMass;
        previous = step.crystallised;
        const double v = mass * kCubicMicronsPerCm3 / step.density;
        const double inner3 = cube(r) - v / kShellFactor;
        if (!(inner3 > 0.0) || !std::isfinite(inner3))
            throw EFloatingPointError("The olivine rim fills the whole inclusion");
        const double inner = std::cbrt(inner3);
        step.innerRadius = inner;
        step.thickness = r - inner;
        r = inner;
        volume += v;
        weighted += v * step.density;
    }
    g.innerRadius = r;
    g.thickness = outerRadius - r;
    g.meltDensity = (1.0 - previous) * meltMass * kCubicMicronsPerCm3 / (kShellFactor * cube(r));
    g.meanRimDensity = volume > 0.0 ? weighted / volume : 0.0;
    return g;
}

WallRelation::WallRelation(double meltFeOEnd, double olivineFeOEnd, double meltFeO100,
                           double olivineFeOTrap)
    : slope((olivineFeOEnd - olivineFeOTrap) / (meltFeOEnd - meltFeO100)),
      intercept(olivineFeOEnd - slope * meltFeOEnd) {
    if (!std::isfinite(slope) || !std::isfinite(intercept))
        throw EFloatingPointError(
            "The melt at full re-equilibration has the FeO* of the melt after cooling");
}

double linearAt(std::span<const double> xs, std::span<const double> ys, double x, Beyond beyond) {
    const std::size_t n = xs.size();
    if (n == 0) return 0.0;
    if (n == 1) return ys[0];
    if (beyond == Beyond::Hold) {
        if (x <= xs[0]) return ys[0];
        if (x >= xs[n - 1]) return ys[n - 1];
    }
    // The interval [lo, lo + 1] that holds x, or the end interval on that side.
    const auto it = std::upper_bound(xs.begin(), xs.end(), x);
    std::size_t hi = static_cast<std::size_t>(it - xs.begin());
    hi = std::clamp<std::size_t>(hi, 1, n - 1);
    const std::size_t lo = hi - 1;
    const double span = xs[hi] - xs[lo];
    if (span == 0.0) return ys[lo];
    return ys[lo] + (ys[hi] - ys[lo]) * (x - xs[lo]) / span;
}

double profileFeOMass(const Profile& p, double rimDensity) {
    double mass = 0.0;
    for (std::size_t j = 1; j < p.size(); ++j)
        mass += kShellFactor * (cube(p.x[j]) - cube(p.x[j - 1])) * (p.c[j] + p.c[j - 1]) / 2.0 *
                rimDensity;
    return mass;
}

bool setUpProfile(const ProfileGridInputs& in, ProfileSetUp& out) {
    const std::vector<RimStep>& steps = *in.steps;
    const RimGeometry& g = in.geometry;
    out = ProfileSetUp{};

    // Rim nodes at the shell mid-points, innermost (last crystallised) first.
    for (auto it = steps.rbegin(); it != steps.rend(); ++it) {
        out.rimNodes.x.push_back(it->innerRadius + it->thickness / 2.0);
        out.rimNodes.c.push_back(it->olivineFeO);
    }
    const bool fromPrevious = in.previous != nullptr && in.previous->size() > 0;
    const double outermost = steps.empty() ? 0.0 : steps.front().thickness;
    const double beyondRim = g.innerRadius + g.thickness + outermost / 2.0;
    out.rimNodes.x.push_back(beyondRim);
    out.rimNodes.c.push_back(fromPrevious
                                 ? linearAt(in.previous->x, in.previous->c, beyondRim, Beyond::Hold)
                                 : in.hostFeO);

    const double last = steps.empty() ? 0.0 : steps.back().thickness;
    out.dr = (g.thickness + last / 2.0) / 10.0;
    const double dr = out.dr;
    Profile& p = out.initial;
    for (std::size_t j = 0; j < kRimGridPoints; ++j) {
        const double x = g.innerRadius + static_cast<double>(j) * dr;
        p.x.push_back(x);
        p.c.push_back(linearAt(out.rimNodes.x, out.rimNodes.c, x, Beyond::Extrapolate));
    }

    const double vIn = kShellFactor * cube(g.innerRadius);
    const double rhoM = g.meltDensity;
    const double rhoRim = g.meanRimDensity;
    out.meltMass = vIn * rhoM * in.meltFeOEnd;
    out.meltMass100 = vIn * rhoM * in.meltFeO100;
    const double m99 = out.meltMass100 + 0.01 * (out.meltMass - out.meltMass100);
    const double c99 = in.wall.at(m99 / (vIn * rhoM));
    const double mRim = profileFeOMass(p, rhoRim);
    const double r3 = cube(g.innerRadius);
    const double k = r3 * c99 + (out.meltMass - m99 + mRim) / (rhoRim * kShellFactor);
    const double reach3 = (k - r3 * in.hostFeO) / (c99 - in.hostFeO);
    out.reach = std::cbrt(reach3);
    if (!std::isfinite(out.reach) || !(reach3 > 0.0)) return false;

    for (std::size_t j = kRimGridPoints; p.x.back() <= out.reach; ++j) {
        if (j >= kMaxProfilePoints) return false;
        const double x = g.innerRadius + static_cast<double>(j) * dr;
        p.x.push_back(x);
        p.c.push_back(fromPrevious ? linearAt(in.previous->x, in.previous->c, x, Beyond::Hold)
                                   : in.hostFeO);
    }
    return true;
}

std::uint64_t instantProgressInterval(double p) {
    const double k = std::nearbyint((p * 247.5 - 2275.0) / 100.0);
    return k >= 1.0 ? static_cast<std::uint64_t>(k) * 100 : 100;
}

std::uint64_t coolingRateProgressInterval(double rate) {
    const double k = std::nearbyint((-13.58885 * rate + 20067.94425) / 100.0);
    return k >= 1.0 ? static_cast<std::uint64_t>(k) * 100 : 100;
}

int temperatureStepCount(double coolingInterval) {
    return static_cast<int>(std::nearbyint(coolingInterval / kTemperatureStep));
}

double coolingStepSeconds(double rate) {
    return kTemperatureStep / rate * 24.0 * 3600.0;
}

std::vector<std::size_t> thinProfile(std::size_t n) {
    std::vector<std::size_t> kept;
    for (std::size_t j = 0; j < 22 && j < n; ++j)
        kept.push_back(j);
    for (std::size_t j = 26; j <= 911 && j < n; j += 5)
        kept.push_back(j);
    if (n > 912) {
        const double s = 1.0 + std::nearbyint((static_cast<double>(n) - 912.0) / 800.0);
        const auto stride = static_cast<std::size_t>(std::max(1.0, s));
        for (std::size_t j = 911 + stride; j < n && kept.size() < kThinnedProfilePoints;
             j += stride)
            kept.push_back(j);
    }
    return kept;
}

DiffusionResult diffuseProfile(Profile& profile, double dr, const DiffusionRun& run) {
    const std::size_t n = profile.size();
    DiffusionResult result;
    result.meltMass = run.meltMass;
    if (n < 3) throw EFloatingPointError("A diffusion profile needs three grid points");

    // Everything the time loop needs is worked out once: the shell weights of the mass sum and
    // the two neighbour coefficients of each interior point.
    std::vector<double> weight(n, 0.0), up(n, 0.0), down(n, 0.0);
    for (std::size_t j = 1; j < n; ++j)
        weight[j] = kShellFactor * (cube(profile.x[j]) - cube(profile.x[j - 1])) * run.rimDensity;
    for (std::size_t j = 1; j + 1 < n; ++j) {
        const double q = dr / profile.x[j];
        up[j] = 1.0 + q;
        down[j] = 1.0 - q;
    }
    std::vector<double> now = profile.c, next(n, 0.0);
    double* c = now.data();
    double* cn = next.data();
    const double lambda = run.lambda;

    double olivineMass = 0.0;
    for (std::size_t j = 1; j < n; ++j)
        olivineMass += weight[j] * (c[j] + c[j - 1]) / 2.0;
    double melt = run.meltMass;
    // The mass of the current values is summed while they are made, so each step is one pass.
    double massOfCurrent = olivineMass;

    std::uint64_t steps = 0;
    std::uint64_t untilProgress = run.progressInterval;
    while (c[0] > run.wallTarget && run.dt * static_cast<double>(steps) < run.duration &&
           steps < run.maxSteps && !run.stop.stop_requested()) {
        ++steps;
        melt -= massOfCurrent - olivineMass;
        olivineMass = massOfCurrent;
        cn[0] = run.wall.at(melt / run.meltVolumeDensity);
        cn[n - 1] = c[n - 1] - lambda * (c[n - 1] - c[n - 2]);
        double mass = 0.0;
        for (std::size_t j = 1; j + 1 < n; ++j) {
            cn[j] = c[j] + lambda * (up[j] * c[j + 1] - 2.0 * c[j] + down[j] * c[j - 1]);
            mass += weight[j] * (cn[j] + cn[j - 1]) / 2.0;
        }
        mass += weight[n - 1] * (cn[n - 1] + cn[n - 2]) / 2.0;
        massOfCurrent = mass;
        std::swap(c, cn);
        if (--untilProgress == 0) {
            untilProgress = run.progressInterval;
            if (run.onProgress) run.onProgress({steps, melt});
        }
    }
    // The mass the last values took from the melt.
    melt -= massOfCurrent - olivineMass;
    result.steps = steps;
    result.meltMass = melt;
    result.limitReached = steps >= run.maxSteps && c[0] > run.wallTarget &&
                          run.dt * static_cast<double>(steps) < run.duration &&
                          !run.stop.stop_requested();
    profile.c.assign(c, c + n);
    if (!std::isfinite(melt))
        throw EFloatingPointError("The FeO of the melt after diffusion is not a number");
    for (double v : profile.c)
        if (!std::isfinite(v))
            throw EFloatingPointError(
                "The diffused FeO profile holds a value that is not a number");
    return result;
}

}  // namespace varnodel
