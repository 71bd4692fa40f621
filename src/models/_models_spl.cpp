#include "models/_models_spl.h"

#include <algorithm>
#include <cmath>

#include "core/Errors.h"
#include "core/MoleConversions.h"
#include "models/AriskinBarmina1999Form.h"

namespace varnodel {

namespace {

// Spinel analyses carry no Si, Ca, alkalis or P.
void storeSpinel(TAssemblage& assemblage, const Oxides& cations) {
    TAnalysis spinel;
    spinel.oxides = cationFractionsToWtPercent(cations);
    for (std::size_t i : {Ox::SiO2, Ox::CaO, Ox::Na2O, Ox::K2O, Ox::P2O5})
        spinel.notDetermined[i] = true;
    storePhase(assemblage.phases, std::move(spinel), phaseName(Phase::Spinel));
}

bool allFiniteAndNonNegative(const Oxides& cations) {
    return std::all_of(cations.begin(), cations.end(),
                       [](double c) { return std::isfinite(c) && c >= 0.0; });
}

// --- Ariskin & Nikolaev 1996 ----------------------------------------------------------------
//
// Ariskin & Nikolaev 1996 describe the partitioning of Cr, Al, Fe3+ and Mg/Fe2+ between
// chromian spinel and melt by empirical equations fitted to 1-atm experiments. Their four
// coefficient groups are used here in the form of the sequel for the Fe-Ti oxides (Ariskin &
// Barmina 1999): ln K = a/T + b log fO2 + c + composition terms, on the melt's cation fractions,
// the terms on the alkalis (X_Na2O + X_K2O) and on silica (X_SiO2); the Cr group has the silica
// term only. The three trivalent cations take D = K per formula unit AB2O4, the A site the
// exchange (Mg/Fe2+)spinel = K (X_MgO/X_FeO)melt. The liquidus is where the partitioned
// Cr + Al + Fe3+ fill the two octahedral sites. On basalts at QFM this gives chromite liquidi of
// 1230-1290 degrees C with Cr# 0.65-0.75 and Mg# about 0.65. A melt without Cr2O3 gives no
// chromian spinel: the model reports an unrealistic composition and spinel leaves the run.

struct SpinelGroup {
    double a, b, c, d, e;  // ln K = a/T + b log fO2 + c + d (X_Na2O + X_K2O) + e X_SiO2
};

// clang-format off
//                                   a       b       c       d        e
constexpr SpinelGroup kFerric    {58107.0, 2.007, -3.026, -3.648, -30.623};  // D of Fe3+
constexpr SpinelGroup kAluminium {17996.0, 0.581, -1.192, -3.203, -10.832};  // D of Al
constexpr SpinelGroup kChromium  {22278.0, 0.267, -1.115,  0.0,    -7.478};  // D of Cr
constexpr SpinelGroup kMagnesium {29209.0, 0.84,  -1.731, -2.442, -21.524};  // K of Mg-Fe2+
// clang-format on

constexpr double kStartT = 1473.0;  // the two first guesses of the secant iteration, K
constexpr double kSecondT = 1373.0;
constexpr int kCycles = 100;
constexpr double kLowestT = 100.0;  // the bracket of every liquidus search
constexpr double kHighestT = 2500.0;

constexpr const char* kNotConverged =
    "Could not reach the target difference between the old and new T values for Spinel (Ariskin "
    "& Nikolaev 1996 model) in 100 cycles. The T value is approximated during this step.";
constexpr const char* kUnrealistic =
    "Unrealistic spinel composition in the Ariskin & Nikolaev 1996 model. Spinel is excluded from "
    "calculations";

// --- Nielsen 1985 ---------------------------------------------------------------------------

constexpr double kNielsenStartT = 1350.0;
constexpr double kNielsenStartStep = 2.0;
constexpr double kNielsenTarget = 0.0005;
constexpr int kNielsenSlowPasses = 100;
constexpr int kNielsenPasses = 300;
constexpr double kNielsenCeiling = 2500.0;
constexpr double kNielsenAlSwitch = 1448.5;

double nielsenMgSp(double xMg, double xFe, double T) {
    return (-895.0 / T + 0.89) * xMg / (xMg + xFe);
}
double nielsenTi(double T) {
    return std::exp(25000.0 / T - 17.6);
}
double nielsenFe3(double T) {
    return std::exp(8800.0 / T - 4.95);
}
double nielsenCr(double T) {
    return std::exp(11261.0 / T - 1.89);
}
double nielsenMn(double T) {
    return std::exp(11521.0 / T - 9.17);
}

}  // namespace

// --- Ariskin & Nikolaev 1996 ----------------------------------------------------------------

TModelSpinel_Ariskin_Nikolaev1996::TModelSpinel_Ariskin_Nikolaev1996() {
    displayName = "Ariskin & Nikolaev, 1996";
    shortName = "Arisk96 ";
    tolerance = 0.01;
}

TModelSpinel_Ariskin_Nikolaev1996::Spinel TModelSpinel_Ariskin_Nikolaev1996::partition(
    const Oxides& melt, double T) const {
    const double logfO2 = oxideMeltLogFO2(context(), melt, T);
    Oxides x = melt;
    TMoleConversions().normalize(x);
    const double alkalis = x[Ox::Na2O] + x[Ox::K2O];
    const auto k = [&](const SpinelGroup& g) {
        return std::exp(g.a / T + g.b * logfO2 + g.c + g.d * alkalis + g.e * x[Ox::SiO2]);
    };
    Spinel s{};
    s.cr = k(kChromium) * x[Ox::Cr2O3];
    s.al = k(kAluminium) * x[Ox::Al2O3];
    s.fe3 = k(kFerric) * x[Ox::Fe2O3];
    const double mg = k(kMagnesium) * x[Ox::MgO];
    s.mg = mg / (mg + x[Ox::FeO]);
    s.fe2 = x[Ox::FeO] / (mg + x[Ox::FeO]);
    return s;
}

void TModelSpinel_Ariskin_Nikolaev1996::unrealistic(bool compositionPath) {
    message = compositionPath ? std::string(kUnrealistic) + "." : std::string(kUnrealistic);
    throw EModelError_GetT(message);
}

// The octahedral sum grows steadily as T falls (every group has a > 0), and its logarithm is
// close to linear in 1/T: a secant iteration on ln(sum / 2) against 1/T finds the liquidus in a
// few cycles.
double TModelSpinel_Ariskin_Nikolaev1996::liquidus(const TAssemblage& assemblage) {
    const Oxides melt = meltOf(assemblage).oxides;
    // Calibrated on chromian spinels: a melt without Cr2O3 has none.
    if (!(melt[Ox::Cr2O3] > 0.0)) unrealistic(false);
    const auto g = [&](double T) {
        const double sum = partition(melt, T).octahedral();
        if (!(sum > 0.0) || !std::isfinite(sum)) unrealistic(false);
        return std::log(sum / 2.0);
    };
    double t0 = kStartT, t1 = kSecondT;
    double g0 = g(t0);
    bool converged = false;
    for (int cycle = 0; cycle < kCycles && !converged; ++cycle) {
        const double g1 = g(t1);
        if (g1 == g0) break;
        const double y = 1.0 / t1 - g1 * (1.0 / t1 - 1.0 / t0) / (g1 - g0);
        if (!std::isfinite(y)) unrealistic(false);
        const double t2 = y > 0.0 ? std::clamp(1.0 / y, kLowestT, kHighestT) : kHighestT;
        converged = std::fabs(t2 - t1) < tolerance;
        t0 = t1;
        g0 = g1;
        t1 = t2;
    }
    // A liquidus held at an end of the bracket is no liquidus of a real spinel.
    if (std::fabs(g(t1)) > 1e-3) unrealistic(false);
    if (!converged) message = kNotConverged;
    return t1;
}

void TModelSpinel_Ariskin_Nikolaev1996::Get_Temperature(const TAssemblage& assemblage, double& T) {
    if (residualMode) {
        T = 1.0 - partition(meltOf(assemblage).oxides, T).octahedral() / 2.0;
        return;
    }
    T = liquidus(assemblage);
}

void TModelSpinel_Ariskin_Nikolaev1996::Get_Mineral_Composition(TAssemblage& assemblage,
                                                                double& value, double T) {
    const Spinel s = partition(meltOf(assemblage).oxides, T);
    const double fill = 2.0 / s.octahedral();  // the B site filled at any T
    Oxides cations{};
    cations[Ox::Cr2O3] = s.cr * fill;
    cations[Ox::Al2O3] = s.al * fill;
    cations[Ox::Fe2O3] = s.fe3 * fill;
    cations[Ox::MgO] = s.mg;
    cations[Ox::FeO] = s.fe2;
    const double crNumber = s.cr / (s.cr + s.al);
    if (!(s.cr > 0.0) || !allFiniteAndNonNegative(cations) || !std::isfinite(crNumber))
        unrealistic(true);
    storeSpinel(assemblage, cations);
    value = crNumber;
}

// --- Nielsen 1985 ---------------------------------------------------------------------------

TModelSpinel_Nielsen1985::TModelSpinel_Nielsen1985() {
    displayName = "Nielsen, 1985";
    shortName = "Niels85 ";
    tolerance = 0.0005;
}

double TModelSpinel_Nielsen1985::aluminiumPartition(double T) {
    return T > kNielsenAlSwitch ? std::exp(-4000.0 / T + 5.2) : std::exp(-59718.0 / T + 43.67);
}

double TModelSpinel_Nielsen1985::residual(const TAssemblage& assemblage, double T) const {
    Oxides x = meltOf(assemblage).oxides;
    TMoleConversions conversions;
    conversions.normalize(x);
    const double xAl = x[Ox::Al2O3];  // Al of the whole melt, not of the modifier lattice
    conversions.denormalize(x);
    conversions.toTwoLattice(x);
    const double mg = nielsenMgSp(x[Ox::MgO], x[Ox::FeO], T);
    const double ratio = x[Ox::MgO] / mg;
    const double r = 2.0 / 3.0 - nielsenFe3(T) * x[Ox::Fe2O3] - nielsenCr(T) * x[Ox::Cr2O3] -
                     2.0 * nielsenTi(T) * x[Ox::TiO2] * ratio * ratio -
                     aluminiumPartition(T) * xAl * xAl;
    if (!std::isfinite(r))
        throw EModelError_GetT("The residual of " + displayName +
                               " (spinel) is not a finite number: no liquidus temperature");
    return r;
}

void TModelSpinel_Nielsen1985::Get_Temperature(const TAssemblage& assemblage, double& T) {
    if (residualMode) {
        T = residual(assemblage, T);
        return;
    }
    // Steps of 2 K towards the sign change, halved at every crossing. A T whose residual meets
    // the target is the liquidus itself; the other ends keep the T of the last step.
    double t = kNielsenStartT;
    double step = kNielsenStartStep;
    double previous = 1.0;
    for (int pass = 1;; ++pass) {
        const double r = residual(assemblage, t);
        if (std::fabs(r) < kNielsenTarget) break;
        const double change = std::fabs(r - previous);
        if (r > 0.0) {
            if (pass > 1 && previous < 0.0) step /= 2.0;
            t -= step;
        } else {
            if (pass > 1 && previous > 0.0) step /= 2.0;
            t += step;
        }
        previous = r;
        if ((pass > kNielsenSlowPasses && change < kNielsenTarget) || t > kNielsenCeiling) break;
        if (pass >= kNielsenPasses) {
            message =
                "Could not reach the target difference between the old and new T values for "
                "Spinel in 300 cycles (for the Nielsen 1985 model. The T value is approximated "
                "during this step.";
            break;
        }
    }
    T = std::min(t, kNielsenCeiling);
}

void TModelSpinel_Nielsen1985::Get_Mineral_Composition(TAssemblage& assemblage, double& value,
                                                       double T) {
    Oxides x = meltOf(assemblage).oxides;
    TMoleConversions().toTwoLattice(x);
    Oxides cations{};
    const double mg = nielsenMgSp(x[Ox::MgO], x[Ox::FeO], T);
    const double fe3 = nielsenFe3(T) * x[Ox::Fe2O3];
    const double cr = nielsenCr(T) * x[Ox::Cr2O3];
    const double ti = nielsenTi(T) * x[Ox::TiO2] * x[Ox::MgO] * x[Ox::MgO] / (mg * mg);
    const double mn = nielsenMn(T) * x[Ox::MnO];
    const double fe2 = 1.0 / 3.0 - mg + ti - mn;
    const double al = 1.0 - ti - fe3 - fe2 - mg - mn - cr;
    cations[Ox::MgO] = mg;
    cations[Ox::Fe2O3] = fe3;
    cations[Ox::Cr2O3] = cr;
    cations[Ox::TiO2] = ti;
    cations[Ox::MnO] = mn;
    cations[Ox::FeO] = fe2;
    cations[Ox::Al2O3] = al;
    const double crNumber = cr / (cr + al);
    // Far from the liquidus the formula can leave a site over-filled (negative Fe2+ or Al):
    // no spinel of this melt, which the engines then leave out.
    if (!allFiniteAndNonNegative(cations) || !std::isfinite(crNumber))
        throw EModelError_GetT("Unrealistic spinel composition in the " + displayName +
                               " spinel model");
    storeSpinel(assemblage, cations);
    value = crNumber;
}

TModelSpinel::TModelSpinel() : TSetOfModels("Spinel", "Spl") {
    add<TModelSpinel_Ariskin_Nikolaev1996>();
    add<TModelSpinel_Nielsen1985>();
}

}  // namespace varnodel
