// The numerics of the FeO profiles around a melt inclusion in olivine: Fe-Mg interdiffusion in
// olivine, the rim of olivine that the cooling inclusion crystallises on its wall, the grid of
// the profile through rim and host, and the explicit finite-difference scheme in spherical
// geometry that lets the profile exchange iron with the melt. Plain functions of their
// arguments: no model, no reporter, no file.
//
// Units: radii in micrometres from the inclusion centre, FeO in wt%, temperatures in kelvin,
// densities in g/cm3, D in um2/s, times in seconds.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <limits>
#include <span>
#include <stop_token>
#include <vector>

namespace varnodel {

inline constexpr double kDiffusionLambda = 0.5;  // D dt / dr2 of the explicit scheme
inline constexpr std::size_t kMaxProfilePoints = 20000;
inline constexpr std::uint64_t kMaxTimeSteps = 8000000;
inline constexpr std::size_t kMaxRimSteps = 5000;
inline constexpr std::size_t kRimGridPoints = 11;  // x_0 = R_in ... x_10 through the rim
inline constexpr std::size_t kThinnedProfilePoints = 1000;

// Fe-Mg interdiffusion in olivine: log10 D = -5.5 at 1273 K with the activation energy of the
// fit, um2/s.
double feMgDiffusivity(double T);

// The time step that makes the explicit scheme run at D dt / dr2 = 0.5 exactly.
double diffusionTimeStep(double dr, double D);

// Olivine of forsterite fraction `fo` at T (K): g/cm3.
double olivineDensity(double fo, double T);

// Olivine Fo (fraction) of an olivine with `feo` wt% FeO on the forsterite-fayalite join.
double foFromOlivineFeO(double feo);

// One crystallisation step of the rim: the cumulative fraction of the step's starting melt that
// has crystallised, the olivine it crystallised and that olivine's density; the geometry fills
// in where the step's shell lies.
struct RimStep {
    double crystallised = 0.0;
    double olivineFeO = 0.0;
    double density = 0.0;  // g/cm3
    double innerRadius = 0.0;
    double thickness = 0.0;
};

struct RimGeometry {
    double innerRadius = 0.0;     // radius of the melt body inside the rim
    double thickness = 0.0;       // of the whole rim
    double meltDensity = 0.0;     // of the melt left inside the rim, g/cm3
    double meanRimDensity = 0.0;  // sum V_k rho_k / sum V_k
};

// Stacks the shells of the rim steps inwards from `outerRadius`, the olivine of each step
// taking the volume its mass (its share of `meltMass`, g) has at its density. Throws
// EFloatingPointError when the rim would fill the inclusion.
RimGeometry stackShells(std::vector<RimStep>& steps, double outerRadius, double meltMass);

// The olivine at the wall as a function of the melt's FeO*: the straight line through
// (melt FeO* at the end of cooling, olivine FeO then) and (melt FeO* at full
// re-equilibration, trapping olivine FeO).
struct WallRelation {
    double slope = 0.0;
    double intercept = 0.0;

    WallRelation() = default;
    WallRelation(double meltFeOEnd, double olivineFeOEnd, double meltFeO100, double olivineFeOTrap);
    double at(double meltFeO) const { return intercept + slope * meltFeO; }
};

struct Profile {
    std::vector<double> x;
    std::vector<double> c;

    std::size_t size() const { return x.size(); }
};

// The value at `x` on the polyline (xs, ys), xs ascending: between the two nearest points;
// beyond either end, extrapolated from the two end points or held at the end value.
enum class Beyond { Extrapolate, Hold };
double linearAt(std::span<const double> xs, std::span<const double> ys, double x, Beyond beyond);

// The profile's olivine FeO mass: each grid interval a spherical shell at the mean of its ends.
double profileFeOMass(const Profile& profile, double rimDensity);

struct ProfileSetUp {
    Profile rimNodes;  // shell mid-points with their FeO, and the node beyond the rim
    Profile initial;   // the whole grid at the start of diffusion
    double dr = 0.0;
    double reach = 0.0;     // R_x: where the host must extend to
    double meltMass = 0.0;  // M_0 = V_in rho_m FeO*_end
    double meltMass100 = 0.0;
};

struct ProfileGridInputs {
    const std::vector<RimStep>* steps = nullptr;  // stacked
    RimGeometry geometry;
    double hostFeO = 0.0;  // trapping olivine
    double meltFeOEnd = 0.0;
    double meltFeO100 = 0.0;
    WallRelation wall;
    // The FeO beyond the rim, by radius; empty: the host olivine throughout.
    const Profile* previous = nullptr;
};

// The grid of the profile (`SetUpProfile`): the rim part from the rim nodes, then the host to the
// first point beyond R_x. False when kMaxProfilePoints do not reach R_x (or R_x is no radius).
bool setUpProfile(const ProfileGridInputs& in, ProfileSetUp& out);

// The progress interval of instant cooling for the final extent p (%), and of cooling at `rate`
// (degrees per day): multiples of 100 time steps.
std::uint64_t instantProgressInterval(double p);
std::uint64_t coolingRateProgressInterval(double rate);

// The 10-degree temperature steps of a cooling interval (the nearest integer, ties to even),
// and the seconds one of them takes at `rate` degrees a day.
inline constexpr double kTemperatureStep = 10.0;
int temperatureStepCount(double coolingInterval);
double coolingStepSeconds(double rate);

// The grid indices a profile of n points keeps in its stored form of at most 1000 points.
std::vector<std::size_t> thinProfile(std::size_t n);

struct DiffusionProgress {
    std::uint64_t steps = 0;
    double meltMass = 0.0;  // FeO mass of the melt now
};

struct DiffusionRun {
    double dt = 0.0;
    double lambda = kDiffusionLambda;
    double rimDensity = 0.0;
    double meltVolumeDensity = 0.0;  // V_in rho_m: melt FeO* = M / this
    double meltMass = 0.0;           // M at the start
    WallRelation wall;
    // Ends when the wall FeO has come down to this, or the time is spent.
    double wallTarget = -std::numeric_limits<double>::infinity();
    double duration = std::numeric_limits<double>::infinity();
    std::uint64_t maxSteps = kMaxTimeSteps;
    std::uint64_t progressInterval = 100;
    std::function<void(const DiffusionProgress&)> onProgress;  // at every interval
    std::stop_token stop;
};

struct DiffusionResult {
    std::uint64_t steps = 0;
    double meltMass = 0.0;
    bool limitReached = false;  // maxSteps without reaching the end
};

// `DiffuseProfile`: explicit finite differences in spherical geometry. The wall follows the melt
// (whose FeO mass drops by what the profile gains), the outermost point relaxes towards its
// neighbour. `profile.c` holds the final values.
DiffusionResult diffuseProfile(Profile& profile, double dr, const DiffusionRun& run);

}  // namespace varnodel
