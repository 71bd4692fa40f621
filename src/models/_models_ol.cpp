#include "models/_models_ol.h"

#include <algorithm>
#include <cmath>

#include "core/Constants.h"
#include "core/Errors.h"
#include "core/MoleConversions.h"

namespace varnodel {

TModelOlivine::TModelOlivine() : TSetOfModels("Olivine", "Olv") {
    add<TModelOlivine_Ford1983>();
    add<TModelOlivine_Ariskin1986>();
    add<TModelOlivine_Ariskin1993>();
    add<TModelOlivine_Beattie1993>();
    add<TModelOlivine_Quellmark2001>();
    add<TModelOlivine_Gaetani_Watson2002>();
    add<TModelOlivine_Herzberg_OHara2002>();
    add<TModelOlivine_Langmuir1992>();
    add<TModelOlivine_Nielsen1985>();
    add<TModelOlivine_Nielsen1988>();
    add<TModelOlivine_Putirka2005ab>();
    add<TModelOlivine_Putirka2005cd>();
    add<TModelOlivine_Roedder_Emslie1970>();
    add<TModelOlivine_Sobolev_Slutsky1984>();
    add<TModelOlivine_Weaver_Langmuir1990>();
}

namespace {

constexpr double kTwoThirds = 2.0 / 3.0;
constexpr double kCelsius = kCelsiusOffset;
constexpr double kR = kGasConstant;
constexpr std::size_t kNi = 5;  // trace position of nickel
static_assert(kTraces[kNi].name == "Ni");

void setNames(TModel& model, const char* displayName, const char* shortName, bool isDefault,
              bool usesPressure, bool usesWater = false, double tolerance = 0.01) {
    model.displayName = displayName;
    model.shortName = shortName;
    model.isDefault = isDefault;
    model.usesPressure = usesPressure;
    model.usesWater = usesWater;
    model.tolerance = tolerance;
}

// The model computes the olivine's Ni.
void flagNickel(TModel& model) {
    model.hasTraces = true;
    model.forTrace[kNi] = true;
}

[[noreturn]] void notFinite(const TModel& model, const char* what) {
    throw EModelError_GetT(std::string("The ") + what + " of " + model.displayName +
                           " is not a finite number");
}

// A liquidus found without the bisection must still be a temperature.
double checkedLiquidus(const TModel& model, double T) {
    if (!(std::isfinite(T) && T > 0.0)) notFinite(model, "olivine liquidus temperature");
    return T;
}

Oxides cationFractions(const TAssemblage& assemblage) {
    Oxides x = meltOf(assemblage).oxides;
    TMoleConversions().normalize(x);
    return x;
}

Oxides oxideFractions(const TAssemblage& assemblage) {
    Oxides x = meltOf(assemblage).oxides;
    TMoleConversions conversions;
    conversions.cationsToOxides(x);
    conversions.normalize(x);
    return x;
}

Oxides twoLattice(const Oxides& moles) {
    Oxides x = moles;
    TMoleConversions().toTwoLattice(x);
    return x;
}

double meltH2OWtPercent(const TAssemblage& assemblage) {
    return meltOf(assemblage).volatile_.value * kVolatileMass;
}

// The melt of Beattie (1993) and Herzberg & O'Hara (2002): cation fractions with Ni counted in
// the sum.
struct NickelMelt {
    Oxides x{};
    double ni = 0.0;
};

NickelMelt nickelFractions(const TAssemblage& assemblage) {
    const TAnalysis melt = meltOf(assemblage);
    NickelMelt m{melt.oxides, melt.traces[kNi].value};
    double sum = m.ni;
    for (double v : m.x)
        sum += v;
    for (double& v : m.x)
        v /= sum;
    m.ni /= sum;
    return m;
}

// Beattie (1993), eq. for the liquidus: T = (dH + dV (P - 1)) / R over the entropy and
// composition terms; written here as the composition part of the denominator without ln D_Mg.
double beattieCompositionTerm(const NickelMelt& m) {
    const Oxides& x = m.x;
    const double nm = x[Ox::FeO] + x[Ox::MnO] + x[Ox::MgO] + x[Ox::CaO] + m.ni;
    return 52.05 / kR - 3.5 * std::log(1.0 - x[Ox::Al2O3]) - 7.0 * std::log(1.0 - x[Ox::TiO2]) +
           2.0 * std::log(1.5 * nm) + 2.0 * std::log(3.0 * x[Ox::SiO2]);
}

double beattieEnthalpyTerm(double pressureBar) {
    return 113100.0 / kR + 4.11e-06 * (pressureBar - 1.0) * 100000.0 / kR;
}

double beattieTemperature(const NickelMelt& m, double dMg, double pressureBar) {
    return beattieEnthalpyTerm(pressureBar) / (beattieCompositionTerm(m) + 2.0 * std::log(dMg));
}

// The same relation solved for D_Mg at a given T: the D_Mg of the olivine at T.
double beattieDMgAt(const NickelMelt& m, double T, double pressureBar) {
    return std::exp((beattieEnthalpyTerm(pressureBar) / T - beattieCompositionTerm(m)) / 2.0);
}

}  // namespace

// --- the shared olivine writer and the common form ---------------------------------------------

double storeOlivine(TAssemblage& assemblage, const TModel& model, double fo, const Oxides& minor,
                    double ni) {
    Oxides fractions = minor;
    double others = ni;
    for (double v : minor)
        others += v;
    const double sites = kTwoThirds - others;
    fractions[Ox::SiO2] = 1.0 / 3.0;
    fractions[Ox::MgO] = sites * fo;
    fractions[Ox::FeO] = sites - fractions[Ox::MgO];
    double mass = 0.0;
    for (std::size_t i = 0; i < kOxideCount; ++i) {
        if (!std::isfinite(fractions[i])) notFinite(model, "olivine composition");
        if (fractions[i] < 0.0)
            throw EModelError_GetT("The olivine of " + model.displayName +
                                   " has a negative component");
        mass += fractions[i] * kOxides[i].massPerCation;
    }
    TAnalysis olivine;
    olivine.oxides = cationFractionsToWtPercent(fractions);
    olivine.traces[kNi].value = ni * kTraces[kNi].mass * 100.0 / mass;
    storePhase(assemblage.phases, std::move(olivine), phaseName(Phase::Olivine));
    return fo;
}

void TOlivineCommonForm::Get_Temperature(const TAssemblage& assemblage, double& T) {
    if (residualMode) {
        const Terms t = terms(assemblage, T);
        double r = sites - t.dFe * t.xFe - t.dMg * t.xMg - t.constant;
        for (double v : t.minor)
            r -= v;
        T = r;
        return;
    }
    T = solveLiquidus(assemblage) + (celsius ? kCelsius : 0.0);
}

void TOlivineCommonForm::Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) {
    const Terms t = terms(assemblage, celsius ? T - kCelsius : T);
    const double mg = t.dMg * t.xMg;
    const double fe = t.dFe * t.xFe;
    // The minor cations keep their share of the two M sites relative to Fe and Mg.
    Oxides minor = t.minor;
    double others = 0.0;
    for (double v : minor)
        others += v;
    if (others != 0.0)
        for (double& v : minor)
            v *= kTwoThirds / (mg + fe + others);
    value = storeOlivine(assemblage, *this, mg / (mg + fe), minor);
}

// --- Ford et al. 1983 -------------------------------------------------------------------------

namespace {

// Ford et al. (1983), Table 2: ln D = (A + C (P - 1)) / T + B + sum of D_k ln(composition term k),
// the terms being ln(1.5 C_NM), ln(3 C_SiO2), ln(1 - C_Al2O3), ln(1 - C_Fe2O3), ln(1 - C_CaO),
// ln(1 - C_Na2O - C_K2O), ln(1 - C_TiO2), ln(1 - C_P2O5).
struct FordRow {
    double A, B, C;
    std::array<double, 8> D;
};
// clang-format off
//                         A        B         C          D1        D2        D3      D4       D5       D6       D7      D8
constexpr FordRow kFordMg{4896.7, -2.2008, 0.013804, {-1.4993,  -1.2674,  2.2394, 4.3926,  -1.5124,  0.2268,  2.4709, 4.5012}};
constexpr FordRow kFordFe{6515.1, -4.325,  0.035572, {-0.94621, -0.19957, 1.4172, 0.64833,  0.18455, 0.51707, 3.2151, 1.1978}};
// clang-format on

double fordLnD(const FordRow& row, const std::array<double, 8>& logs, double T, double P) {
    double lnD = (row.A + row.C * (P - 1.0)) / T + row.B;
    for (std::size_t k = 0; k < logs.size(); ++k)
        lnD += row.D[k] * logs[k];
    return lnD;
}

}  // namespace

TModelOlivine_Ford1983::TModelOlivine_Ford1983() {
    setNames(*this, "Ford et al., 1983", "Ford83  ", true, true, false, 0.0001);
    selected = true;
}

void TModelOlivine_Ford1983::Get_Temperature(const TAssemblage& assemblage, double& T) {
    if (residualMode) {
        TOlivineCommonForm::Get_Temperature(assemblage, T);
        return;
    }
    // The melt copy belongs to this one search, also when it ends in an exception (and one left
    // by residual evaluations outside a search is not trusted).
    cacheValid_ = false;
    struct ClearCache {
        bool& valid;
        ~ClearCache() { valid = false; }
    } clear{cacheValid_};
    TOlivineCommonForm::Get_Temperature(assemblage, T);
}

TModelOlivine_Ford1983::Melt TModelOlivine_Ford1983::melt(const TAssemblage& assemblage) {
    Melt m;
    m.c = cationFractions(assemblage);
    const Oxides& c = m.c;
    const double nm = c[Ox::FeO] + c[Ox::MnO] + c[Ox::MgO] + c[Ox::CaO] + c[Ox::Cr2O3];
    m.logs = {std::log(1.5 * nm),           std::log(3.0 * c[Ox::SiO2]),
              std::log(1.0 - c[Ox::Al2O3]), std::log(1.0 - c[Ox::Fe2O3]),
              std::log(1.0 - c[Ox::CaO]),   std::log(1.0 - c[Ox::Na2O] - c[Ox::K2O]),
              std::log(1.0 - c[Ox::TiO2]),  std::log(1.0 - c[Ox::P2O5])};
    return m;
}

// r = 2/3 - D_Fe x_Fe - D_Mg x_Mg with ln D = (A + C (P - 1)) / T + terms without T: with
// positive numerators and x not negative both D x fall as T rises, most at the low end.
bool TModelOlivine_Ford1983::residualIsMonotonic(const TAssemblage& assemblage) {
    if (!residualMode || !cacheValid_) return false;
    const double P = assemblage.pressure;
    const auto falls = [P](const FordRow& row) { return row.A + row.C * (P - 1.0) > 0.0; };
    return cachedMelt_.c[Ox::FeO] >= 0.0 && cachedMelt_.c[Ox::MgO] >= 0.0 && falls(kFordFe) &&
           falls(kFordMg);
}

TOlivineCommonForm::Terms TModelOlivine_Ford1983::terms(const TAssemblage& assemblage, double T) {
    if (residualMode && !cacheValid_) {
        cachedMelt_ = melt(assemblage);
        cacheValid_ = true;
    }
    const Melt m = residualMode ? cachedMelt_ : melt(assemblage);
    const double P = assemblage.pressure;
    return {.dFe = std::exp(fordLnD(kFordFe, m.logs, T, P)),
            .xFe = m.c[Ox::FeO],
            .dMg = std::exp(fordLnD(kFordMg, m.logs, T, P)),
            .xMg = m.c[Ox::MgO]};
}

// --- two-lattice models of Ariskin and Nielsen -------------------------------------------------

TModelOlivine_Ariskin1986::TModelOlivine_Ariskin1986() {
    setNames(*this, "Ariskin et al., 1986", "Arisk86 ", false, false);
    sites = 1.0;
}

TOlivineCommonForm::Terms TModelOlivine_Ariskin1986::terms(const TAssemblage& assemblage,
                                                           double T) {
    const Oxides moles = meltOf(assemblage).oxides;
    const Oxides x = twoLattice(moles);
    const double k = std::pow(moles[Ox::Al2O3] / moles[Ox::SiO2], 0.25) * std::sqrt(x[Ox::SiO2]);
    return {.dFe = k * std::exp(7139.0 / T - 4.5),
            .xFe = x[Ox::FeO],
            .dMg = k * std::exp(5945.0 / T - 2.56),
            .xMg = x[Ox::MgO]};
}

TModelOlivine_Ariskin1993::TModelOlivine_Ariskin1993() {
    setNames(*this, "Ariskin et al., 1993", "Arisk93 ", true, true);
    sites = 1.0;
}

TOlivineCommonForm::Terms TModelOlivine_Ariskin1993::terms(const TAssemblage& assemblage,
                                                           double T) {
    const Oxides moles = meltOf(assemblage).oxides;
    const Oxides x = twoLattice(moles);
    const double lnAlSi = std::log(moles[Ox::Al2O3] / moles[Ox::SiO2]);
    const double V = 1.2 * 0.0239 * assemblage.pressure / 1.986;
    const double rootSi = std::sqrt(x[Ox::SiO2]);
    return {.dFe = rootSi * std::exp(0.084 * lnAlSi + (6457.0 + V) / T - 4.22),
            .xFe = x[Ox::FeO],
            .dMg = rootSi * std::exp(0.21 * lnAlSi + (5543.0 + V) / T - 2.32),
            .xMg = x[Ox::MgO]};
}

TModelOlivine_Nielsen1985::TModelOlivine_Nielsen1985() {
    setNames(*this, "Nielsen 1985", "Niels85 ", true, false);
}

TOlivineCommonForm::Terms TModelOlivine_Nielsen1985::terms(const TAssemblage& assemblage,
                                                           double T) {
    const Oxides x = twoLattice(meltOf(assemblage).oxides);
    const double rootSi = std::sqrt(x[Ox::SiO2]);
    Terms t{.dFe = rootSi * std::exp(6874.0 / T - 4.97),
            .xFe = x[Ox::FeO],
            .dMg = rootSi * std::exp(6700.0 / T - 3.73),
            .xMg = x[Ox::MgO]};
    t.minor[Ox::MnO] = rootSi * std::exp(9091.0 / T - 6.7) * x[Ox::MnO];
    return t;
}

TModelOlivine_Nielsen1988::TModelOlivine_Nielsen1988() {
    setNames(*this, "Nielsen 1988", "Niels88 ", true, false);
}

TOlivineCommonForm::Terms TModelOlivine_Nielsen1988::terms(const TAssemblage& assemblage,
                                                           double T) {
    const Oxides moles = meltOf(assemblage).oxides;
    const Oxides x = twoLattice(moles);
    // The Cr term depends on the melt's redox state through q.
    double q = 51.0 - 50.0 * moles[Ox::FeO] / (moles[Ox::FeO] + moles[Ox::Fe2O3]);
    if (q > 5.0) q = 2.3125;
    const double rootSi = std::sqrt(x[Ox::SiO2]);
    Terms t{.dFe = rootSi * std::exp(5609.0 / T - 4.22),
            .xFe = x[Ox::FeO],
            .dMg = rootSi * std::exp(5511.0 / T - 2.96),
            .xMg = x[Ox::MgO],
            .constant = 0.002};
    t.minor[Ox::MnO] = std::exp(8655.0 / T - 6.5) * x[Ox::MnO];
    t.minor[Ox::Cr2O3] = std::exp(9242.0 / T - 5.47) * x[Ox::Cr2O3] / q;
    t.minor[Ox::TiO2] = 0.018 * x[Ox::TiO2];
    return t;
}

// --- models on cation or oxide fractions -------------------------------------------------------

TModelOlivine_Roedder_Emslie1970::TModelOlivine_Roedder_Emslie1970() {
    setNames(*this, "Roeder&Emslie, 1970", "Ro&Ems70", true, false);
}

TOlivineCommonForm::Terms TModelOlivine_Roedder_Emslie1970::terms(const TAssemblage& assemblage,
                                                                  double T) {
    const Oxides x = oxideFractions(assemblage);
    return {.dFe = std::exp(9005.0 / T - 5.756),
            .xFe = x[Ox::FeO],
            .dMg = std::exp(8612.0 / T - 4.306),
            .xMg = x[Ox::MgO]};
}

TModelOlivine_Sobolev_Slutsky1984::TModelOlivine_Sobolev_Slutsky1984() {
    setNames(*this, "Sobolev&Slutsky, 1984", "Sobol84 ", true, true);
}

TOlivineCommonForm::Terms TModelOlivine_Sobolev_Slutsky1984::terms(const TAssemblage& assemblage,
                                                                   double T) {
    const Oxides x = cationFractions(assemblage);
    const double kbar = assemblage.pressure / 1000.0;
    return {.dFe = std::exp(5150.0 / T - 3.158 + 0.0062 * kbar),
            .xFe = x[Ox::FeO],
            .dMg = std::exp(7348.0 / T - 3.464 + 0.0132 * kbar),
            .xMg = x[Ox::MgO]};
}

TModelOlivine_Putirka2005ab::TModelOlivine_Putirka2005ab() {
    setNames(*this, "Putirka, 2005 (A-B)", "Put05ab ", false, false);
    celsius = true;
}

TOlivineCommonForm::Terms TModelOlivine_Putirka2005ab::terms(const TAssemblage& assemblage,
                                                             double T) {
    const Oxides x = cationFractions(assemblage);
    return {.dFe = std::exp(3793.3 / T - 2.66),
            .xFe = x[Ox::FeO],
            .dMg = std::exp(4490.5 / T - 2.02),
            .xMg = x[Ox::MgO]};
}

TModelOlivine_Putirka2005cd::TModelOlivine_Putirka2005cd() {
    setNames(*this, "Putirka, 2005 (C-D)", "Put05cd ", true, false, true);
    celsius = true;
}

TOlivineCommonForm::Terms TModelOlivine_Putirka2005cd::terms(const TAssemblage& assemblage,
                                                             double T) {
    TAnalysis wt = meltOf(assemblage);
    TMoleConversions().molesToWt(wt);
    const Oxides& w = wt.oxides;
    const double alkalis = w[Ox::Na2O] + w[Ox::K2O];
    const double h2o = wt.volatile_.value;
    const double eFe = 0.028 * w[Ox::SiO2] - 3.25 + 0.052 * alkalis - 0.028 * h2o;
    const double eMg = 0.019 * w[Ox::SiO2] - 2.106 + 0.08 * alkalis - 0.028 * h2o;
    const Oxides x = cationFractions(assemblage);
    return {.dFe = std::exp(2556.4 / T + eFe),
            .xFe = x[Ox::FeO],
            .dMg = std::exp(3063.2 / T + eMg),
            .xMg = x[Ox::MgO]};
}

// --- models on the components of Langmuir and of Gaetani & Watson ------------------------------

TModelOlivine_Weaver_Langmuir1990::TModelOlivine_Weaver_Langmuir1990() {
    setNames(*this, "Weaver&Langmuir, 1990", "Weaver90", true, false);
}

TOlivineCommonForm::Terms TModelOlivine_Weaver_Langmuir1990::terms(const TAssemblage& assemblage,
                                                                   double T) {
    Oxides x = meltOf(assemblage).oxides;
    TMoleConversions().toLangmuirComponents(x);
    return {.dFe = std::exp(9740.0 / T - 6.311),
            .xFe = x[Ox::FeO],
            .dMg = std::exp(6252.0 / T - 2.666),
            .xMg = x[Ox::MgO]};
}

TModelOlivine_Langmuir1992::TModelOlivine_Langmuir1992() {
    setNames(*this, "Langmuir et al., 1992", "Langm92 ", true, true);
}

TOlivineCommonForm::Terms TModelOlivine_Langmuir1992::terms(const TAssemblage& assemblage,
                                                            double T) {
    const Oxides c = cationFractions(assemblage);
    Oxides x = meltOf(assemblage).oxides;
    TMoleConversions().toLangmuirComponents(x);
    const double L = 6929.0 / T - 3.27 + 1.1155e-05 * assemblage.pressure + 3.4 * c[Ox::Na2O] +
                     6.31 * c[Ox::K2O];
    return {.dFe = std::exp(L - 1.204), .xFe = x[Ox::FeO], .dMg = std::exp(L), .xMg = x[Ox::MgO]};
}

namespace {

// Gaetani & Watson (2002), Table 3: the interaction sum W of ln D = a ln T + W / T + b. Columns:
// the pressure coefficient (per bar above 1 bar), the constant, then the terms
// Si(1-X), NM(1-X), Al(1-X), A(1-X), Si.NM, Si.Al, Si.A, NM.Al, NM.A, Al.A, where X is the
// partitioning cation, NM the other network modifiers and A the alkalis.
struct GaetaniWatsonRow {
    double pressure, constant;
    std::array<double, 10> w;
    double lnT, b;
};
// clang-format off
constexpr GaetaniWatsonRow kGaetaniWatsonMg{-0.00809, 1379.3,
    {7377.7, 3854.1, 8546.9, 11470.1, -11614.0, -14006.4, -12233.1, 9927.2, -3087.1, -8048.5},
    2.8095, -22.1733};
constexpr GaetaniWatsonRow kGaetaniWatsonFe{0.01546, 3826.4,
    {4682.9, -1330.6, 2450.1, 5933.8, -11905.8, -14006.4, -12233.1, 9046.2, -3150.4, -8048.5},
    -0.3372, 0.12445};
// clang-format on

double gaetaniWatsonD(const GaetaniWatsonRow& row, double xSi, double nm, double xAl, double a,
                      double x, double T, double P) {
    const double terms[10] = {xSi * (1.0 - x), nm * (1.0 - x), xAl * (1.0 - x), a * (1.0 - x),
                              xSi * nm,        xSi * xAl,      xSi * a,         nm * xAl,
                              nm * a,          xAl * a};
    double W = (P - 1.0) * row.pressure + row.constant;
    for (std::size_t k = 0; k < 10; ++k)
        W += row.w[k] * terms[k];
    return std::exp(row.lnT * std::log(T) + W / T + row.b);
}

}  // namespace

TModelOlivine_Gaetani_Watson2002::TModelOlivine_Gaetani_Watson2002() {
    setNames(*this, "Gaetani&Watson, 2002", "Gaetan02", true, true);
}

TOlivineCommonForm::Terms TModelOlivine_Gaetani_Watson2002::terms(const TAssemblage& assemblage,
                                                                  double T) {
    Oxides x = meltOf(assemblage).oxides;
    TMoleConversions().toGaetaniWatsonComponents(x);
    const double others = x[Ox::TiO2] + x[Ox::Cr2O3] + x[Ox::MnO] + x[Ox::CaO];
    const double nmMg = others + x[Ox::FeO];
    const double nmFe = others + x[Ox::MgO];
    const double a = x[Ox::Na2O] + x[Ox::K2O];
    const double P = assemblage.pressure;
    const double xSi = x[Ox::SiO2];
    const double xAl = x[Ox::Al2O3];
    return {.dFe = gaetaniWatsonD(kGaetaniWatsonFe, xSi, nmFe, xAl, a, x[Ox::FeO], T, P),
            .xFe = x[Ox::FeO],
            .dMg = gaetaniWatsonD(kGaetaniWatsonMg, xSi, nmMg, xAl, a, x[Ox::MgO], T, P),
            .xMg = x[Ox::MgO]};
}

// --- Beattie 1993 -------------------------------------------------------------------------------

namespace {

// Beattie (1993): the olivine's cation balance sum(D_i X_i) = 2/3 with D_i = a_i + b_i D_Mg
// (D_Fe, D_Mn after Beattie; D_Ni after Beattie et al. 1991), solved for D_Mg.
// clang-format off
//                         SiO2  TiO2  Al2O3   Fe2O3  FeO    MnO     MgO  CaO     Na2O K2O  P2O5 Cr2O3
constexpr Oxides kBeattieA{0.0,  0.03, 0.055,  0.0,   0.027, -0.049, 0.0, 0.0135, 0.0, 0.0, 0.0, -0.024};
constexpr Oxides kBeattieB{0.0,  0.0,  -0.022, 0.0,   0.299, 0.259,  1.0, 0.0056, 0.0, 0.0, 0.0, 0.218};
// clang-format on
constexpr double kBeattieANi = -3.665;
constexpr double kBeattieBNi = 3.346;

double beattieDMg(const NickelMelt& m) {
    double a = kBeattieANi * m.ni;
    double b = kBeattieBNi * m.ni;
    for (std::size_t i = Ox::TiO2; i < kOxideCount; ++i) {
        a += kBeattieA[i] * m.x[i];
        b += kBeattieB[i] * m.x[i];
    }
    return (kTwoThirds - a) / b;
}

}  // namespace

TModelOlivine_Beattie1993::TModelOlivine_Beattie1993() {
    setNames(*this, "Beattie, 1993", "Beatt93 ", true, true, false, 0.0);
    flagNickel(*this);
}

void TModelOlivine_Beattie1993::Get_Temperature(const TAssemblage& assemblage, double& T) {
    const NickelMelt m = nickelFractions(assemblage);
    T = checkedLiquidus(*this, beattieTemperature(m, beattieDMg(m), assemblage.pressure));
}

void TModelOlivine_Beattie1993::Get_Mineral_Composition(TAssemblage& assemblage, double& value,
                                                        double T) {
    // Beattie's D_Mg of T; at the liquidus it is the D_Mg of the cation balance.
    const NickelMelt m = nickelFractions(assemblage);
    const double dMg = beattieDMgAt(m, T, assemblage.pressure);
    // Where a linear D_i falls below zero the olivine takes none of that cation.
    const auto d = [dMg](double a, double b) { return std::max(0.0, a + b * dMg); };
    Oxides minor{};
    double sum = 0.0;
    for (std::size_t i = Ox::TiO2; i < kOxideCount; ++i) {
        const double taken = d(kBeattieA[i], kBeattieB[i]) * m.x[i];
        sum += taken;
        if (i != Ox::FeO && i != Ox::MgO) minor[i] = taken;
    }
    double ni = d(kBeattieANi, kBeattieBNi) * m.ni;
    sum += ni;
    const double mg = dMg * m.x[Ox::MgO];
    const double fe = d(kBeattieA[Ox::FeO], kBeattieB[Ox::FeO]) * m.x[Ox::FeO];
    // Away from the liquidus the cations do not fill the two M sites exactly: rescale.
    for (double& v : minor)
        v *= kTwoThirds / sum;
    ni *= kTwoThirds / sum;
    value = storeOlivine(assemblage, *this, mg / (mg + fe), minor, ni);
}

// --- Herzberg & O'Hara 2002 --------------------------------------------------------------------

namespace {

// Herzberg & O'Hara (2002): D_i = s_i D_Mg + c_i of the minor cations; Al and Ca have forms of
// their own. Fe and Mg share the rest of the M sites by the exchange coefficient, so the FeO and
// MgO columns, kept to show the table whole, give no olivine cations here.
// clang-format off
//                          SiO2 TiO2  Al2O3 Fe2O3   FeO    MnO    MgO  CaO  Na2O    K2O     P2O5 Cr2O3
constexpr Oxides kHerzbergS{0.0, 0.0,  0.0,  0.0,    0.263, 0.214, 1.0, 0.0, 0.0,    0.0,    0.0, 0.067};
constexpr Oxides kHerzbergC{0.0, 0.03, 0.0,  0.0001, 0.196, 0.118, 0.0, 0.0, 0.0001, 0.0001, 0.0, 0.065};
// clang-format on

struct HerzbergOlivine {
    double fo;
    Oxides minor{};
    double ni;
    double mSites() const {  // Fe + Mg of the three-cation formula
        double others = ni;
        for (double v : minor)
            others += v;
        return kTwoThirds - others;
    }
};

HerzbergOlivine herzbergOlivine(const TModel& model, const NickelMelt& m, double dMg) {
    const double kd = 0.382 - 0.0164 * dMg;
    // Above D_Mg = 23.3 (evolved, Mg-poor melts, far outside the model's calibration) the
    // relation gives no exchange coefficient.
    if (!(kd > 0.0))
        throw EModelError_GetT("The Fe-Mg exchange coefficient of " + model.displayName +
                               " is not positive for this melt");
    HerzbergOlivine ol{.fo = m.x[Ox::MgO] / (m.x[Ox::MgO] + kd * m.x[Ox::FeO]),
                       .ni = std::max(0.0, 3.346 * dMg - 3.665) * m.ni};
    for (std::size_t i = Ox::TiO2; i < kOxideCount; ++i) {
        double d = kHerzbergS[i] * dMg + kHerzbergC[i];
        if (i == Ox::Al2O3) d = 0.0035 * dMg - 0.031 + 0.093 / dMg;
        if (i == Ox::CaO) d = 0.0071 * dMg - 0.019 + 0.063 / dMg;
        if (i != Ox::FeO && i != Ox::MgO) ol.minor[i] = std::max(0.0, d) * m.x[i];
    }
    return ol;
}

constexpr int kHerzbergRounds = 100;
constexpr double kHerzbergStep = 1e-6;  // K

}  // namespace

TModelOlivine_Herzberg_OHara2002::TModelOlivine_Herzberg_OHara2002() {
    setNames(*this, "Herzberg&O'Hara, 2002", "Herzb02 ", true, true);
    flagNickel(*this);
}

void TModelOlivine_Herzberg_OHara2002::Get_Temperature(const TAssemblage& assemblage, double& T) {
    // Plain successive substitution on D_Mg: olivine MgO -> D_Mg -> Kd -> Fo and minor cations
    // -> olivine MgO, from Kd = 0.36; D_Mg moves the exchange coefficient only by 0.0164 per
    // unit, so the map contracts strongly and a few rounds reach its fixed point.
    const NickelMelt m = nickelFractions(assemblage);
    const double xMg = m.x[Ox::MgO];
    double olivineMg = kTwoThirds * xMg / (xMg + 0.36 * m.x[Ox::FeO]);
    double previous = 0.0;
    for (int round = 1; round <= kHerzbergRounds; ++round) {
        const HerzbergOlivine ol = herzbergOlivine(*this, m, olivineMg / xMg);
        olivineMg = ol.fo * ol.mSites();
        T = checkedLiquidus(*this, beattieTemperature(m, olivineMg / xMg, assemblage.pressure));
        if (std::fabs(T - previous) <= kHerzbergStep) return;
        previous = T;
    }
    message = bisectionWarning(*this);
}

void TModelOlivine_Herzberg_OHara2002::Get_Mineral_Composition(TAssemblage& assemblage,
                                                               double& value, double T) {
    const NickelMelt m = nickelFractions(assemblage);
    const HerzbergOlivine ol = herzbergOlivine(*this, m, beattieDMgAt(m, T, assemblage.pressure));
    value = storeOlivine(assemblage, *this, ol.fo, ol.minor, ol.ni);
}

// --- Quellmark 2001 -----------------------------------------------------------------------------

TModelOlivine_Quellmark2001::TModelOlivine_Quellmark2001() {
    setNames(*this, "Quellmark, 2001", "Quellm01", true, true, true);
}

template <class Call>
void TModelOlivine_Quellmark2001::withFord(Call call) {
    TModelOlivine_Ford1983 ford;
    ford.setContext(sharedContext());
    try {
        call(ford);
    } catch (const EModelError_GetT& e) {
        message = ford.message;
        throw EModelError_GetT(displayName + ": " + e.what());
    }
    if (!ford.message.empty()) message = ford.message;
}

double TModelOlivine_Quellmark2001::fordLiquidus(const TAssemblage& assemblage) {
    double T = 0.0;
    withFord([&](TModelOlivine_Ford1983& ford) { ford.Get_Temperature(assemblage, T); });
    return T;
}

void TModelOlivine_Quellmark2001::Get_Temperature(const TAssemblage& assemblage, double& T) {
    const double h2o = meltH2OWtPercent(assemblage);
    T = fordLiquidus(assemblage);
    if (h2o > 0.0)
        T = checkedLiquidus(
            *this, T - kQuellmarkH2OCorrection.a * std::pow(h2o, kQuellmarkH2OCorrection.b));
}

void TModelOlivine_Quellmark2001::Get_Mineral_Composition(TAssemblage& assemblage, double& value,
                                                          double T) {
    // A hydrous melt takes the olivine of its dry (Ford et al.) liquidus.
    if (meltH2OWtPercent(assemblage) > 0.0) T = fordLiquidus(assemblage);
    double fo = 0.0;
    withFord(
        [&](TModelOlivine_Ford1983& ford) { ford.Get_Mineral_Composition(assemblage, fo, T); });

    // Mn, Ca and Cr of the olivine as fits to Fo, each only when the melt has the oxide. The fits
    // turn negative for the most magnesian olivine (CaO above Fo 0.964, MnO above 0.968), where
    // the olivine takes none.
    const Oxides melt = meltOf(assemblage).oxides;
    const bool evolved = fo < 0.77;
    Oxides minor{};
    if (melt[Ox::MnO] > 0.0) minor[Ox::MnO] = (-0.0420356 * fo + 0.0406831) / 3.0;
    if (melt[Ox::Cr2O3] > 0.0)
        minor[Ox::Cr2O3] = evolved ? 0.00017 : (0.00894163 * fo - 0.006568) / 3.0;
    if (melt[Ox::CaO] > 0.0)
        minor[Ox::CaO] =
            evolved ? 0.00105223 : (-0.835775 * fo * fo + 1.43271 * fo - 0.604499) / 3.0;
    for (double& v : minor)
        v = std::max(0.0, v);
    value = storeOlivine(assemblage, *this, fo, minor);
}

}  // namespace varnodel
