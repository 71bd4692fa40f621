#include "models/_models_pl.h"

#include <cmath>
#include <string>

#include "core/Constants.h"
#include "core/Errors.h"
#include "core/MoleConversions.h"
#include "models/_models_H2O.h"
#include "models/_models_ol.h"

namespace varnodel {

TModelPlagioclase::TModelPlagioclase() : TSetOfModels("Plagioclase", "Plg") {
    add<TModelPlagioclase_Ariskin1993>();
    add<TModelPlagioclase_Ariskin_Barmina1990>();
    add<TModelPlagioclase_Quellmark2001>();
    add<TModelPlagioclase_Drake1976>();
    add<TModelPlagioclase_Langmuir1992>();
    add<TModelPlagioclase_Nielsen_Dungan1983>();
    add<TModelPlagioclase_Nielsen1985>();
    add<TModelPlagioclase_Brisande1998>();
    add<TModelPlagioclase_Weaver_Langmuir1990>();
}

// --- the plagioclase written back -----------------------------------------------------------

void storePlagioclase(TAssemblage& assemblage, double An, double fe, double mg,
                      bool flagMinorOxides) {
    const double f = (fe + mg) / 2.0;
    Oxides cations{};
    cations[Ox::Na2O] = (1.0 - An) * (1.0 - f);
    cations[Ox::CaO] = (1.0 - f) * An;
    cations[Ox::Al2O3] = 2.0 - cations[Ox::Na2O] - f;
    cations[Ox::SiO2] = cations[Ox::Na2O] + 2.0;
    cations[Ox::FeO] = fe;
    cations[Ox::MgO] = mg;
    TAnalysis plagioclase;
    plagioclase.oxides = cationFractionsToWtPercent(cations);
    if (flagMinorOxides)
        for (std::size_t i = 0; i < kOxideCount; ++i)
            plagioclase.notDetermined[i] = i != Ox::SiO2 && i != Ox::Al2O3 && i != Ox::FeO &&
                                           i != Ox::MgO && i != Ox::CaO && i != Ox::Na2O;
    storePhase(assemblage.phases, std::move(plagioclase), phaseName(Phase::Plagioclase));
}

namespace {

double meltH2OWtPercent(const TAnalysis& melt) {
    return melt.volatile_.value * kVolatileMass;
}

void requireFinite(const TModel& model, double value) {
    if (!std::isfinite(value))
        throw EModelError_GetT(model.displayName +
                               ": the plagioclase composition is not a finite number");
}

}  // namespace

// --- the common form ------------------------------------------------------------------------

PlagioclaseCommonForm::PlagioclaseCommonForm(const char* name, const char* shortLabel,
                                             bool pressure, bool water) {
    displayName = name;
    shortName = shortLabel;
    usesPressure = pressure;
    usesWater = water;
}

void PlagioclaseCommonForm::Get_Temperature(const TAssemblage& assemblage, double& T) {
    if (residualMode) {
        const Terms t = terms(assemblage, T);
        T = t.S - t.anorthite - t.albite;
        return;
    }
    T = solveLiquidus(assemblage);
}

double PlagioclaseCommonForm::albiteFraction(const TAssemblage& assemblage, double T) const {
    const Terms t = terms(assemblage, T);
    return t.albite / t.S;
}

void PlagioclaseCommonForm::Get_Mineral_Composition(TAssemblage& assemblage, double& An, double T) {
    // The liquidus is known only to within the search tolerance: in a melt without CaO the
    // albite fraction there can pass 1 by that much. Such a rounding excess is no anorthite
    // deficit and is taken off; a larger one is left for the engines to reject.
    constexpr double kRoundingExcess = 1e-3;
    double anorthite = 1.0 - albiteFraction(assemblage, T);
    requireFinite(*this, anorthite);
    if (anorthite < 0.0 && anorthite > -kRoundingExcess) anorthite = 0.0;
    storePlagioclase(assemblage, anorthite);
    An = anorthite;
}

// --- Ariskin et al. 1993, Ariskin & Barmina 1990 --------------------------------------------

namespace {

// The melt in the components of Ariskin's plagioclase models.
struct AlSiMelt {
    double L;              // ln((Na + K) Al / Si^2) on cation moles, before the lattice conversion
    double xSi, xAl, xNa;  // on the Si + Al lattice
    double xCa;            // on the lattice of the other cations
};

AlSiMelt alSiMelt(const TAssemblage& assemblage) {
    Oxides x = meltOf(assemblage).oxides;
    AlSiMelt m{};
    m.L = std::log((x[Ox::Na2O] + x[Ox::K2O]) * x[Ox::Al2O3] / (x[Ox::SiO2] * x[Ox::SiO2]));
    TMoleConversions().toAlSiComponents(x);
    m.xSi = x[Ox::SiO2];
    m.xAl = x[Ox::Al2O3];
    m.xNa = x[Ox::Na2O];
    m.xCa = x[Ox::CaO];
    return m;
}

// V = P dV / R: 0.0239 converts the volume term from J/bar to cal/bar, 1.986 is R in cal/(mol K).
double ariskinV(double P) {
    return 0.0239 * P / 1.986;
}

// K_An and K_Ab with the pressure terms of their numerators (2 V and 4 V in the liquidus).
double ariskinKAn(const AlSiMelt& m, double anPressure, double T) {
    return std::exp((10641.0 + anPressure) / T + 0.369 * m.L - 1.32);
}
double ariskinKAb(const AlSiMelt& m, double abPressure, double T) {
    return std::exp((11683.0 + abPressure) / T - 0.119 * m.L - 6.16);
}

// The liquidus terms; V = 0 gives Ariskin & Barmina 1990.
double ariskinResidualTerms(const AlSiMelt& m, double V, double T, double& albite) {
    albite = m.xSi * m.xSi * m.xSi * m.xNa * ariskinKAb(m, 4.0 * V, T);
    return m.xSi * m.xSi * m.xAl * m.xAl * m.xCa * ariskinKAn(m, 2.0 * V, T);
}

}  // namespace

TModelPlagioclase_Ariskin1993::TModelPlagioclase_Ariskin1993()
    : ModelClone("Ariskin et al., 1993", "Arisk93 ", true, false) {}

PlagioclaseCommonForm::Terms TModelPlagioclase_Ariskin1993::terms(const TAssemblage& assemblage,
                                                                  double T) const {
    Terms t;
    t.anorthite =
        ariskinResidualTerms(alSiMelt(assemblage), ariskinV(assemblage.pressure), T, t.albite);
    return t;
}

double TModelPlagioclase_Ariskin1993::albiteFraction(const TAssemblage& assemblage,
                                                     double T) const {
    // The composition has always written 4 x 0.0239 as 0.0956.
    const AlSiMelt m = alSiMelt(assemblage);
    return m.xSi * m.xSi * m.xSi * m.xNa * ariskinKAb(m, 0.0956 * assemblage.pressure / 1.986, T);
}

TModelPlagioclase_Ariskin_Barmina1990::TModelPlagioclase_Ariskin_Barmina1990()
    : ModelClone("Ariskin, Barmina, 1990", "Arisk90 ", false, false) {}

PlagioclaseCommonForm::Terms TModelPlagioclase_Ariskin_Barmina1990::terms(
    const TAssemblage& assemblage, double T) const {
    Terms t;
    t.anorthite = ariskinResidualTerms(alSiMelt(assemblage), 0.0, T, t.albite);
    return t;
}

// --- Drake 1976 -----------------------------------------------------------------------------

TModelPlagioclase_Drake1976::TModelPlagioclase_Drake1976()
    : ModelClone("Drake, 1976", "Drake76 ", false, false) {}

PlagioclaseCommonForm::Terms TModelPlagioclase_Drake1976::terms(const TAssemblage& assemblage,
                                                                double T) const {
    TMoleConversions conv;
    Oxides x = meltOf(assemblage).oxides;
    conv.normalize(x);
    const double xCa = x[Ox::CaO], xAl = x[Ox::Al2O3], xSi = x[Ox::SiO2];
    conv.denormalize(x);
    conv.toDrakeComponents(x);
    const double dSi = x[Ox::SiO2], dNa = x[Ox::Na2O];
    Terms t;
    t.anorthite = std::exp(12900.0 / T - 1.89) * xCa * xAl * xAl * xSi * xSi;
    t.albite = std::exp(6100.0 / T - 2.29) * dNa * dSi * dSi * dSi;
    return t;
}

// --- Nielsen & Dungan 1983, Nielsen 1985 ----------------------------------------------------

namespace {

// Anorthite and albite constants ln K = a / T + b of the two-lattice models.
struct NielsenConstants {
    double anA, anB, abA, abB;
};

//                                              anorthite            albite
constexpr NielsenConstants kNielsenDungan1983{16667.0, -9.32, 9031.0, -6.25};
constexpr NielsenConstants kNielsen1985{16200.0, -8.94, 9206.0, -6.325};

// Nielsen's formula unit has five cations, so the terms add up to one fifth.
constexpr double kNielsenS = 0.2;

PlagioclaseCommonForm::Terms nielsenTerms(const TAssemblage& assemblage, double T,
                                          const NielsenConstants& k) {
    Oxides x = meltOf(assemblage).oxides;
    TMoleConversions().toTwoLattice(x);
    const double xSi = x[Ox::SiO2], xAl = x[Ox::Al2O3];
    PlagioclaseCommonForm::Terms t;
    t.S = kNielsenS;
    t.anorthite = std::exp(k.anA / T + k.anB) * x[Ox::CaO] * xAl * xAl * xSi * xSi;
    t.albite = std::exp(k.abA / T + k.abB) * x[Ox::Na2O] * xSi * xSi * xSi;
    return t;
}

}  // namespace

TModelPlagioclase_Nielsen_Dungan1983::TModelPlagioclase_Nielsen_Dungan1983()
    : ModelClone("Nielsen, Dungan, 1983", "Niels83 ", false, false) {}

PlagioclaseCommonForm::Terms TModelPlagioclase_Nielsen_Dungan1983::terms(
    const TAssemblage& assemblage, double T) const {
    return nielsenTerms(assemblage, T, kNielsenDungan1983);
}

TModelPlagioclase_Nielsen1985::TModelPlagioclase_Nielsen1985()
    : ModelClone("Nielsen, 1985", "Niels85 ", false, false) {}

PlagioclaseCommonForm::Terms TModelPlagioclase_Nielsen1985::terms(const TAssemblage& assemblage,
                                                                  double T) const {
    return nielsenTerms(assemblage, T, kNielsen1985);
}

// --- Weaver & Langmuir 1990, Langmuir et al. 1992 -------------------------------------------

namespace {

// The albite constant is exp((7559 b + 7357 + abPressure) / T - (4.34 b + abIntercept)), the
// anorthite one exp(5632 / T - (0.5899 b + 2.584)); 2.5 X_Na and 1.67 X_Al are the components.
Oxides langmuirComponents(const TAssemblage& assemblage) {
    Oxides x = meltOf(assemblage).oxides;
    TMoleConversions().toLangmuirComponents(x);
    return x;
}

PlagioclaseCommonForm::Terms langmuirTerms(const Oxides& x, double T, double abPressure,
                                           double abIntercept) {
    const double xAl = x[Ox::Al2O3], xNa = x[Ox::Na2O];
    const double b = xAl / (xAl + 1.5 * xNa);
    PlagioclaseCommonForm::Terms t;
    t.albite =
        std::exp((7559.0 * b + 7357.0 + abPressure) / T - (4.34 * b + abIntercept)) * 2.5 * xNa;
    t.anorthite = std::exp(5632.0 / T - (0.5899 * b + 2.584)) * 1.67 * xAl;
    return t;
}

// The residual 1 - K_An 1.67 X_Al - K_Ab 2.5 X_Na with K = exp(N / T - c): with N > 0 and the
// components not negative both terms fall as T rises, most at the low end of the bracket.
bool langmuirResidualRises(const Oxides& x, double abPressure) {
    const double xAl = x[Ox::Al2O3], xNa = x[Ox::Na2O];
    const double b = xAl / (xAl + 1.5 * xNa);
    return xAl >= 0.0 && xNa >= 0.0 && 7559.0 * b + 7357.0 + abPressure > 0.0;
}

}  // namespace

TModelPlagioclase_Weaver_Langmuir1990::TModelPlagioclase_Weaver_Langmuir1990()
    : ModelClone("Weaver&Langmuir, 1990", "Weaver90", false, false) {}

PlagioclaseCommonForm::Terms TModelPlagioclase_Weaver_Langmuir1990::terms(
    const TAssemblage& assemblage, double T) const {
    return langmuirTerms(melt_.get(*this, [&] { return langmuirComponents(assemblage); }), T, 0.0,
                         5.337);
}

bool TModelPlagioclase_Weaver_Langmuir1990::residualIsMonotonic(const TAssemblage& assemblage) {
    return langmuirResidualRises(melt_.get(*this, [&] { return langmuirComponents(assemblage); }),
                                 0.0);
}

TModelPlagioclase_Langmuir1992::TModelPlagioclase_Langmuir1992()
    : ModelClone("Langmuir et al., 1992", "Langm92 ", true, false) {}

PlagioclaseCommonForm::Terms TModelPlagioclase_Langmuir1992::terms(const TAssemblage& assemblage,
                                                                   double T) const {
    return langmuirTerms(melt_.get(*this, [&] { return langmuirComponents(assemblage); }), T,
                         0.0506 * assemblage.pressure, 5.461);
}

bool TModelPlagioclase_Langmuir1992::residualIsMonotonic(const TAssemblage& assemblage) {
    return langmuirResidualRises(melt_.get(*this, [&] { return langmuirComponents(assemblage); }),
                                 0.0506 * assemblage.pressure);
}

// --- Quellmark 2001 ------------------------------------------------------------------------

namespace {

// Runs `call` and gives a failure of the models it makes the caller's name: the user chose the
// caller and must learn which of the chosen models gave up.
template <class Call>
auto asPartOf(const TModel& caller, Call call) {
    try {
        return call();
    } catch (const EModelError_GetT& e) {
        throw EModelError_GetT(caller.displayName + ": " + e.what());
    }
}

// Runs a model made for one call on the caller's context and passes its warning on.
template <class Model>
double freshLiquidus(TModel& caller, const TAssemblage& assemblage) {
    Model fresh;
    fresh.setContext(caller.sharedContext());
    double T = 0.0;
    try {
        fresh.Get_Temperature(assemblage, T);
    } catch (const EModelError_GetT& e) {
        if (!fresh.message.empty()) caller.message = fresh.message;
        throw EModelError_GetT(caller.displayName + ": " + e.what());
    }
    if (!fresh.message.empty()) caller.message = fresh.message;
    return T;
}

}  // namespace

TModelPlagioclase_Quellmark2001::TModelPlagioclase_Quellmark2001() {
    displayName = "Quellmark, 2001";
    shortName = "Quellm01";
    usesPressure = true;
    usesWater = true;
}

void TModelPlagioclase_Quellmark2001::Get_Temperature(const TAssemblage& assemblage, double& T) {
    const double tWL = freshLiquidus<TModelPlagioclase_Weaver_Langmuir1990>(*this, assemblage);
    // The olivine liquidus of the same melt at 1 bar, degrees Celsius.
    TAssemblage atOneBar = assemblage;
    atOneBar.pressure = 1.0;
    const double tOl = freshLiquidus<TModelOlivine_Ford1983>(*this, atOneBar) - kCelsiusOffset;

    double result = tWL - 0.00356345 * tOl * tOl + 8.53503 * tOl - 5113.09;
    const double h = meltH2OWtPercent(meltOf(assemblage));
    if (h > 0.0)
        result -= kQuellmarkH2OCorrection.a * std::pow(h, kQuellmarkH2OCorrection.b) +
                  47.3464 * std::pow(h, 0.684861);
    else
        result += context().olPlGap;  // puts a dry melt on the cotectic found by the H2O estimate
    result += (assemblage.pressure - 1.0) * 5.0 / 1000.0;
    if (!std::isfinite(result))
        throw EModelError_GetT(displayName + ": the plagioclase liquidus is not a finite number");
    T = result;
}

void TModelPlagioclase_Quellmark2001::Get_Mineral_Composition(TAssemblage& assemblage, double& An,
                                                              double) {
    // The plagioclase on the Weaver & Langmuir liquidus, whatever T is asked for.
    const double tWL = freshLiquidus<TModelPlagioclase_Weaver_Langmuir1990>(*this, assemblage);
    TModelPlagioclase_Weaver_Langmuir1990 weaver;
    weaver.setContext(sharedContext());
    TAssemblage scratch = assemblage;
    double anWL = 0.0;
    asPartOf(*this, [&] { weaver.Get_Mineral_Composition(scratch, anWL, tWL); });

    double anorthite = std::exp((100.0 * anWL + 133.466) / 48.3074) / 100.0;
    if (!(anorthite <= 0.99)) anorthite = 0.99;
    anorthite -= (assemblage.pressure - 1.0) * 2575.3 / 1000.0 / tWL / 100.0;
    requireFinite(*this, anorthite);

    const TAnalysis melt = meltOf(assemblage);
    const double fe = melt.oxides[Ox::FeO] > 0.0
                          ? 0.147251 * anorthite * anorthite - 0.29122 * anorthite + 0.1568
                          : 0.0;
    double mg = melt.oxides[Ox::MgO] > 0.0
                    ? -0.180179 * anorthite * anorthite + 0.27914 * anorthite - 0.08949
                    : 0.0;
    if (mg < 0.0) mg = 0.0;
    storePlagioclase(assemblage, anorthite, fe, mg, true);
    An = anorthite;
}

// --- Brisande & Gerya 1998 ------------------------------------------------------------------

TModelPlagioclase_Brisande1998::TModelPlagioclase_Brisande1998() {
    displayName = "Brisande&Gerya, 1998";
    shortName = "Brisa98 ";
    usesWater = true;
}

void TModelPlagioclase_Brisande1998::Get_Temperature(const TAssemblage& assemblage, double& T) {
    if (residualMode) {
        double albite = 0.0;
        const double anorthite =
            ariskinResidualTerms(alSiMelt(assemblage), ariskinV(assemblage.pressure), T, albite);
        T = 1.0 - anorthite - albite;
        return;
    }
    T = solveLiquidus(assemblage) - 50.0 * meltH2OWtPercent(meltOf(assemblage));
}

void TModelPlagioclase_Brisande1998::Get_Mineral_Composition(TAssemblage& assemblage, double& An,
                                                             double T) {
    const TAnalysis melt = meltOf(assemblage);

    // Water term: the melt's H2O relative to an H2O-saturated melt (pure H2O fluid) at T.
    double w = 0.0;
    const double h2o = melt.volatile_.value;
    if (h2o > 0.0) {
        TModelH2O_Moore1998 saturation;
        saturation.setContext(sharedContext());
        double saturated = 0.0;
        asPartOf(*this, [&] { saturation.getMeltH2O(assemblage, saturated, 1.0, T); });
        w = saturated > h2o ? h2o / saturated : 1.0;
    }

    // Gibbs energy of the An-Ab exchange and the Margules parameters of the plagioclase
    // (cal/mol; T in K, pressure above 1 bar in bar).
    const double dP = assemblage.pressure - 1.0;
    const double G =
        21.9196 - 0.08073 * T - 0.03922 * dP + (-4610.785 + 1.0847 * T + 0.18246 * dP) * w;
    const double W1 = 6860.0 - 3.877 * T;
    const double W2 = 1980.0 - 1.526 * T;

    const double ca = melt.oxides[Ox::CaO], na = melt.oxides[Ox::Na2O];
    const double c = ca / (ca + na);
    const double r = c / (1.0 - c);

    constexpr double kR = 1.987;  // cal/(mol K)
    double anorthite = 0.9;
    for (int round = 0; round < 41; ++round) {
        const double f = anorthite, g = 1.0 - f;
        const double h = 2.0 * W1 * f * g * g + G + (g * g * g - f * g * g) * W2 -
                         2.0 * W2 * f * f * g - W1 * (f * f * f - f * f * g);
        const double k = r * std::exp(-h / (kR * T));
        const double next = k / (k + 1.0);
        const bool settled = std::fabs(next - anorthite) < 1e-6;
        anorthite = next;
        if (settled) break;
    }
    if (!(anorthite <= 0.99)) anorthite = 0.99;
    requireFinite(*this, anorthite);
    storePlagioclase(assemblage, anorthite, 0.0, 0.0, true);
    An = anorthite;
}

}  // namespace varnodel
