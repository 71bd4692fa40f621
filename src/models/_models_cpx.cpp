#include "models/_models_cpx.h"

#include "core/Constants.h"
#include "models/_models_ol.h"

#include <cmath>

#include "core/Errors.h"
#include "core/MoleConversions.h"

namespace varnodel {

TModelClinopyroxene::TModelClinopyroxene() : TSetOfModels("Clinopyroxene", "Cpx") {
    add<TModelClinoPyroxene_Ariskin1986>();
    add<TModelClinoPyroxene_Ariskin1993>();
    add<TModelClinoPyroxene_Quellmark2001>();
    add<TModelClinoPyroxene_Langmuir1992>();
    add<TModelClinoPyroxene_Nielsen1985>();
    add<TModelClinoPyroxene_Nielsen1988>();
    add<TModelClinoPyroxene_Nielsen_Drake1979>();
    add<TModelClinoPyroxene_Weaver_Langmuir1990>();
}

namespace {

// --- two-lattice models ---------------------------------------------------------------------

// clang-format off
//                                       Mg: A,     B,    dV     Fe: A,     B,    dV     Ca: A,     B,    dV   D_Al
constexpr TwoLatticeRow kAriskin1986     {{8521,  -5.16, 0.0}, {13535,  -9.87, 0.0}, {2408,  -1.24, 0.0}, 0.2};
constexpr TwoLatticeRow kAriskin1993     {{8521,  -5.16, 2.8}, {13535,  -9.87, 2.8}, {2408,  -1.24, 2.8}, 0.2};
//                                       Mg: A,     B          Fe: A,     B          Ca: A,     B             D_Al: A,   B
constexpr TwoLatticeRow kNielsenDrake1979{{6360,  -3.59},      {4709,   -3.904},     {4194,  -2.53},      0.0, {23350, -18.54}};
// clang-format on

// Nielsen's clinopyroxene keeps the Al term of Nielsen & Drake (1979) and adds Mn, Ti and Cr
// (1985), then Fe3+ and Na (1988). The papers give the pairs without the bookkeeping that ties
// each to a component; we pair them so that the Fe-Mg exchange stays weakly temperature
// dependent as in every other pyroxene model here (Mg 8317/-5.01, Fe 12711/-10.0), Ca takes the
// steeper diopside term, the steepest pair goes to the scarce Mn and the large weakly
// temperature dependent one to Cr, which is divided by q as in the 1988 olivine. The liquidus of
// basalts comes out at 1135-1170 C with Mg# 0.79-0.90.
// clang-format off
//                                           oxide         A       B      with X_Si  by q
constexpr LatticeTerm kNielsen1985Minor[] = {{Ox::MnO,   {36000, -24.7},  true,      false},
                                             {Ox::TiO2,  {12550, -10.2},  false,     false},
                                             {Ox::Cr2O3, {11737,  -5.45}, false,     true}};
constexpr LatticeTerm kNielsen1988Minor[] = {{Ox::MnO,   {36000, -24.7},  true,      false},
                                             {Ox::TiO2,  {12550, -10.2},  false,     false},
                                             {Ox::Cr2O3, {11737,  -5.45}, false,     true},
                                             {Ox::Fe2O3, { 9600,  -7.55}, false,     false},
                                             {Ox::Na2O,  { 6800,  -7.4},  false,     false}};
//                                   Mg: A,     B        Fe: A,      B        Ca: A,      B            D_Al: A,    B
constexpr TwoLatticeRow kNielsen1985{{8317,  -5.01},    {12711,  -10.0},     {22719,  -15.18},    0.0, {23350,  -18.54}, kNielsen1985Minor};
constexpr TwoLatticeRow kNielsen1988{{8317,  -5.01},    {12711,  -10.0},     {22719,  -15.18},    0.0, {23350,  -18.54}, kNielsen1988Minor};
// clang-format on

}  // namespace

TModelClinoPyroxene_Ariskin1986::TModelClinoPyroxene_Ariskin1986()
    : ModelClone(Phase::Clinopyroxene, kAriskin1986) {
    displayName = "Ariskin et al., 1986";
    shortName = "Arisk86 ";
}

TModelClinoPyroxene_Ariskin1993::TModelClinoPyroxene_Ariskin1993()
    : ModelClone(Phase::Clinopyroxene, kAriskin1993) {
    displayName = "Ariskin et al., 1993";
    shortName = "Arisk93 ";
    usesPressure = true;
}

TModelClinoPyroxene_Nielsen1985::TModelClinoPyroxene_Nielsen1985()
    : ModelClone(Phase::Clinopyroxene, kNielsen1985) {
    displayName = "Nielsen, 1985";
    shortName = "Niels85 ";
}

TModelClinoPyroxene_Nielsen1988::TModelClinoPyroxene_Nielsen1988()
    : ModelClone(Phase::Clinopyroxene, kNielsen1988) {
    displayName = "Nielsen, 1988";
    shortName = "Niels88 ";
}

TModelClinoPyroxene_Nielsen_Drake1979::TModelClinoPyroxene_Nielsen_Drake1979()
    : ModelClone(Phase::Clinopyroxene, kNielsenDrake1979) {
    displayName = "Nielsen & Drake, 1979";
    shortName = "Niels79 ";
}

// --- the Langmuir form ----------------------------------------------------------------------

// ln D = (A + dP·P)/T + B, P in bar.
struct LangmuirTerm {
    double A;
    double dP;
    double B;

    double at(double T, double P) const { return std::exp((A + dP * P) / T + B); }
    bool fallsWithT(double P) const { return A + dP * P > 0.0; }
};

struct LangmuirRow {
    LangmuirTerm mg;
    double feToMg;  // D_Fe / D_Mg
    LangmuirTerm na;
    LangmuirTerm ti;
    LangmuirTerm ca;
    LangmuirTerm al;
};

namespace {
// clang-format off
//                                     Mg: A,    dP,      B     D_Fe/D_Mg        Na: A,  dP,     B        Ti: A,  dP,     B        Ca: A,  dP,       B        Al: A,  dP,     B
const LangmuirRow kWeaverLangmuir1990{{8745, 0.0,    -5.25}, 0.24,            {11713, 0.0,   -10.3}, {2381, 0.0,   -2.92}, {4106, 0.0,     -1.73}, {5568, 0.0,   -5.3}};
const LangmuirRow kLangmuir1992      {{8745, 0.0484, -5.25}, std::exp(-1.43), {11713, 0.168, -10.3}, {2381, 0.122, -2.92}, {4106, 0.00875, -1.73}, {5568, 0.157, -5.3}};
// clang-format on
}  // namespace

const Oxides& TLangmuirClinopyroxene::components(const TAssemblage& assemblage) const {
    return melt_.get(*this, [&] {
        Oxides x = meltOf(assemblage).oxides;
        TMoleConversions().toLangmuirComponents(x);
        return x;
    });
}

TLangmuirClinopyroxene::Uptake TLangmuirClinopyroxene::uptake(const TAssemblage& assemblage,
                                                              double T) const {
    const Oxides& x = components(assemblage);
    const double P = assemblage.pressure;
    const LangmuirRow& row = *row_;
    const double dMg = row.mg.at(T, P);
    return {row.na.at(T, P) * x[Ox::Na2O], dMg * x[Ox::MgO],
            row.feToMg * dMg * x[Ox::FeO], row.ti.at(T, P) * x[Ox::TiO2],
            row.ca.at(T, P) * x[Ox::CaO],  row.al.at(T, P) * x[Ox::Al2O3]};
}

void TLangmuirClinopyroxene::Get_Temperature(const TAssemblage& assemblage, double& T) {
    if (residualMode) {
        const Uptake u = uptake(assemblage, T);
        T = 1.0 - 2.0 * (u.na + u.mg + u.fe) - u.ti - u.ca - 1.33 * u.al;
        return;
    }
    T = solveLiquidus(assemblage);
}

// Each uptake D·X falls as T rises when its D has a positive numerator and X is not negative,
// and is largest at the low end of the bracket.
bool TLangmuirClinopyroxene::residualIsMonotonic(const TAssemblage& assemblage) {
    const Oxides& x = components(assemblage);
    const double P = assemblage.pressure;
    const LangmuirRow& row = *row_;
    for (std::size_t k : {Ox::Na2O, Ox::MgO, Ox::FeO, Ox::TiO2, Ox::CaO, Ox::Al2O3})
        if (!(x[k] >= 0.0)) return false;
    return row.feToMg > 0.0 && row.mg.fallsWithT(P) && row.na.fallsWithT(P) &&
           row.ti.fallsWithT(P) && row.ca.fallsWithT(P) && row.al.fallsWithT(P);
}

// The melt components are counted in cations of their silicate end-members, so the pyroxene is
// built from those end-members: MgSiO3 and FeSiO3 (two cations per Mg or Fe), NaAlSi2O6 (four
// per Na; X_Na already counts NaAlO2), CaSiO3 (X_Ca counts it), TiO2, and Ca-Tschermak
// CaAl2SiO6 from the CaAl2O4 component (1.33 cations per cation of CaAl2O4, the Si share 0.33).
// The cations then sum to one exactly where the residual vanishes.
Oxides TLangmuirClinopyroxene::pyroxeneFractions(const TAssemblage& assemblage, double T) const {
    const Uptake u = uptake(assemblage, T);
    Oxides f{};
    f[Ox::MgO] = u.mg;
    f[Ox::FeO] = u.fe;
    f[Ox::Na2O] = u.na / 2.0;
    f[Ox::TiO2] = u.ti;
    f[Ox::CaO] = u.ca / 2.0 + u.al / 3.0;
    f[Ox::Al2O3] = u.na / 2.0 + u.al / 1.5;
    f[Ox::SiO2] = u.mg + u.fe + u.na + u.ca / 2.0 + (1.33 - 1.0) * u.al;
    return f;
}

TModelClinoPyroxene_Langmuir1992::TModelClinoPyroxene_Langmuir1992() : ModelClone(kLangmuir1992) {
    displayName = "Langmuir et al., 1992";
    shortName = "Langm92 ";
    usesPressure = true;
}

TModelClinoPyroxene_Weaver_Langmuir1990::TModelClinoPyroxene_Weaver_Langmuir1990()
    : ModelClone(kWeaverLangmuir1990) {
    displayName = "Weaver & Langmuir, 1990";
    shortName = "Weaver90";
}

// --- Quellmark 2001 -------------------------------------------------------------------------

TModelClinoPyroxene_Quellmark2001::TModelClinoPyroxene_Quellmark2001()
    : ModelClone(Phase::Clinopyroxene) {
    displayName = "Quellmark, 2001";
    shortName = "Quellm01";
    usesPressure = true;
    usesWater = true;
}

double TModelClinoPyroxene_Quellmark2001::ariskinLiquidus(const TAssemblage& assemblage,
                                                          std::string& warning) const {
    TModelClinoPyroxene_Ariskin1986 ariskin;
    ariskin.setContext(sharedContext());
    ariskin.tolerance = tolerance;
    double T = 0.0;
    ariskin.Get_Temperature(assemblage, T);
    if (!ariskin.message.empty()) warning = ariskin.message;
    return T;
}

// The olivine liquidus of a fresh Ford et al. (1983) model, sharing this model's run.
double TModelClinoPyroxene_Quellmark2001::fordOlivineLiquidus(const TAssemblage& assemblage) const {
    TModelOlivine_Ford1983 ford;
    ford.setContext(sharedContext());
    double T = 0.0;
    ford.Get_Temperature(assemblage, T);
    return T;
}

void TModelClinoPyroxene_Quellmark2001::Get_Temperature(const TAssemblage& assemblage, double& T) {
    double liquidus = 0.0;
    try {
        const double tA = ariskinLiquidus(assemblage, message);
        const double tF = fordOlivineLiquidus(assemblage);
        TAssemblage atOneBar = assemblage;
        atOneBar.pressure = 1.0;
        const double tF1 = fordOlivineLiquidus(atOneBar);
        liquidus = tA + 0.09523 * (tF1 - kCelsiusOffset) - 108.81;
        liquidus = liquidus + (assemblage.pressure - 1.0) / 1000.0 / 0.182 + (tF - tF1);
    } catch (const EModelError_GetT& e) {
        throw EModelError_GetT(displayName + ": " + e.what());
    }
    const double h2o = meltOf(assemblage).volatile_.value * kVolatileMass;  // wt%
    if (h2o > 0.0) liquidus -= kQuellmarkH2OCorrection.a * std::pow(h2o, kQuellmarkH2OCorrection.b);
    checkLiquidus(liquidus);
    T = liquidus;
}

// The pyroxene is that of Ariskin et al. (1986), brought to a sum of one: at the T given for a
// dry melt, and at the Ariskin (dry) liquidus for a melt with H2O, which that model does not
// know, as the Quellmark (2001) olivine does with the Ford et al. (1983) olivine.
Oxides TModelClinoPyroxene_Quellmark2001::pyroxeneFractions(const TAssemblage& assemblage,
                                                            double T) const {
    const double h2o = meltOf(assemblage).volatile_.value * kVolatileMass;
    double at = T;
    if (h2o > 0.0) {
        std::string unused;
        try {
            at = ariskinLiquidus(assemblage, unused);
        } catch (const EModelError_GetT& e) {
            throw EModelError_GetT(displayName + ": " + e.what());
        }
    }
    TModelClinoPyroxene_Ariskin1986 ariskin;
    ariskin.setContext(sharedContext());
    Oxides f = ariskin.pyroxeneFractions(assemblage, at);
    double sum = 0.0;
    for (double v : f)
        sum += v;
    for (double& v : f)
        v /= sum;
    return f;
}

}  // namespace varnodel
