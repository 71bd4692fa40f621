#include "models/MeltProperties.h"

#include <cmath>
#include <numbers>
#include <stdexcept>
#include <string>

#include "core/Constants.h"
#include "core/Errors.h"
#include "core/MoleConversions.h"

namespace varnodel {

namespace {

double finiteOrThrow(double value, const char* what) {
    if (!std::isfinite(value))
        throw EFloatingPointError(std::string(what) + " of the melt is not a finite number");
    return value;
}

// --- density --------------------------------------------------------------------------------

// Mean molar mass of the melt's oxides and the mole fractions the volume models take.
struct VolumeBasis {
    double molarMass = 0.0;  // g per mole of oxides
    Oxides x{};
};

// Oxide mole fractions give the molar mass over all twelve oxides; the volumes are then taken
// on the oxide moles rescaled by the sum of the first ten oxides without MnO (the components
// that carry a volume), the first ten, MnO included, divided by it.
VolumeBasis volumeBasis(const Oxides& cationMoles) {
    TMoleConversions conversions;
    VolumeBasis basis;
    basis.x = cationMoles;
    conversions.cationsToOxides(basis.x);
    conversions.normalize(basis.x);
    for (std::size_t i = 0; i < kOxideCount; ++i)
        basis.molarMass += basis.x[i] * kOxides[i].massPerCation * kOxides[i].cationsPerFormula;
    conversions.denormalize(basis.x);
    double s = 0.0;
    for (std::size_t i = 0; i <= Ox::K2O; ++i)
        if (i != Ox::MnO) s += basis.x[i];
    for (std::size_t i = 0; i <= Ox::K2O; ++i)
        basis.x[i] /= s;
    return basis;
}

double density(const VolumeBasis& basis, double volume, const char* model) {
    const double rho = finiteOrThrow(basis.molarMass / volume, model);
    if (rho <= 0.0) throw EFloatingPointError(std::string(model) + ": melt volume not positive");
    return rho;
}

// Lange & Carmichael 1987: V (cm3/mol) at 1773 K and dV/dT (cm3/mol/K), one row per
// oxide in the order of the composition arrays.
constexpr struct {
    double v;
    double dVdT;
} kLangeCarmichael[kOxideCount] = {
    {26.91, 0.0},      // SiO2
    {23.89, 0.00724},  // TiO2
    {37.37, 0.00262},  // Al2O3
    {42.97, 0.00909},  // Fe2O3
    {13.97, 0.00292},  // FeO
    {0.0, 0.0},        // MnO
    {11.73, 0.00262},  // MgO
    {16.85, 0.00292},  // CaO
    {29.51, 0.00741},  // Na2O
    {47.01, 0.01191},  // K2O
    {0.0, 0.0},        // P2O5
    {0.0, 0.0},        // Cr2O3
};
constexpr double kLangeCarmichaelT = 1773.0;  // K
constexpr double kTiO2Na2OVolume = 20.21;     // cm3/mol, the excess term X_TiO2 X_Na2O

// Nelson & Carmichael 1979: V = A (cm3/mol) and the expansion b + c T (1/K), referred to
// 1523 K. SiO2 takes a constant 27.2 and Fe2O3 its own line; MnO, P2O5, Cr2O3 take none.
constexpr struct {
    std::size_t oxide;
    double a;
    double b;
    double c;
} kNelsonCarmichael[] = {
    {Ox::TiO2, 23.57, 0.000387, -7.07e-08}, {Ox::Al2O3, 35.85, 0.000189, -2.24e-08},
    {Ox::FeO, 12.38, 0.000286, -4.4e-08},   {Ox::MgO, 12.17, 0.000198, -2.43e-08},
    {Ox::CaO, 15.21, 0.000658, -1.54e-07},  {Ox::Na2O, 27.54, 0.000345, -5.93e-08},
    {Ox::K2O, 45.17, 0.000373, -6.67e-08},
};
constexpr double kNelsonCarmichaelT = 1523.0;  // K
constexpr double kNelsonSiO2Volume = 27.2;     // cm3/mol
constexpr double kNelsonFe2O3Slope = 0.00102;  // cm3/mol/K
constexpr double kNelsonFe2O3Volume = 50.32;   // cm3/mol at 0 K

// --- viscosity ------------------------------------------------------------------------------

// Bottinga & Weill 1972: ln eta (poise) = sum over the eight components of
// X_j (s_j t + c_j), t in degrees Celsius. Rows by the melt's SiO2 mole fraction X.
constexpr std::size_t kBottingaWeillComponents = 8;
struct SlopeIntercept {
    double s;
    double c;
};
// Columns: SiO2+P2O5, TiO2, FeO (total), MnO, MgO, CaO (free), NaAlO2+KAlO2, CaAl2O4.
constexpr SlopeIntercept kBottingaWeill[3][kBottingaWeillComponents] = {
    // X >= 0.55
    {{-0.0146, 29.72},
     {0, -4.24},
     {-0.0056, 1.37},
     {0, 5.41},
     {-0.0036, 1.14},
     {-0.0088, 7.07},
     {0, 6.29},
     {0, 1.29}},
    // 0.45 <= X < 0.55
    {{-0.0144, 27.56},
     {0, 2.85},
     {-0.0078, 5.59},
     {0, 3.64},
     {0, 2.78},
     {-0.0056, 5.41},
     {-0.0117, 25.31},
     {-0.0214, 32.84}},
    // X < 0.45
    {{-0.0056, 12.01},
     {0.0144, -19.52},
     {-0.0057, 4.75},
     {0.0048, -9.24},
     {-0.0121, 17.0},
     {-0.0068, 9.23},
     {-0.0117, 25.31},
     {-0.0156, 27.11}},
};

}  // namespace

double densityLangeCarmichael1987(const Oxides& cationMoles, double T) {
    const VolumeBasis basis = volumeBasis(cationMoles);
    double volume = kTiO2Na2OVolume * basis.x[Ox::TiO2] * basis.x[Ox::Na2O];
    for (std::size_t i = 0; i < kOxideCount; ++i)
        volume += basis.x[i] *
                  (kLangeCarmichael[i].v + (T - kLangeCarmichaelT) * kLangeCarmichael[i].dVdT);
    return density(basis, volume, "Density (Lange & Carmichael 1987)");
}

MeltDensity densityNelsonCarmichael1979(const Oxides& cationMoles, double T) {
    const VolumeBasis basis = volumeBasis(cationMoles);
    double volume = kNelsonSiO2Volume * basis.x[Ox::SiO2] +
                    (kNelsonFe2O3Slope * T + kNelsonFe2O3Volume) * basis.x[Ox::Fe2O3];
    double expansion = 0.0;
    for (const auto& row : kNelsonCarmichael) {
        const double alpha = row.b + row.c * T;
        const double alphaRef = row.b + row.c * kNelsonCarmichaelT;
        volume += basis.x[row.oxide] * row.a * (2.0 - alpha / alphaRef);
        expansion += basis.x[row.oxide] * alpha;
    }
    const char* model = "Density (Nelson & Carmichael 1979)";
    return {density(basis, volume, model), finiteOrThrow(expansion, model)};
}

MeltDensity meltDensity(const TAnalysis& melt, double T, DensityModel model) {
    switch (model) {
        case DensityModel::LangeCarmichael1987:
            return {densityLangeCarmichael1987(melt.oxides, T), 0.0};
        case DensityModel::NelsonCarmichael1979:
            return densityNelsonCarmichael1979(melt.oxides, T);
    }
    throw std::invalid_argument("Unknown density model");
}

double viscosityBottingaWeill1972(const Oxides& cationMoles, double T) {
    TMoleConversions conversions;
    Oxides n = cationMoles;
    conversions.cationsToOxides(n);

    // The alkalis take their Al as NaAlO2 and KAlO2 (two per Na2O or K2O); the Al left over
    // pairs with Ca as CaAl2O4, the rest of the Ca is free CaO. Peralkaline or peraluminous
    // melts give negative components here, which the linear form takes as they come.
    const double caAl2O4 = n[Ox::Al2O3] - n[Ox::Na2O] - n[Ox::K2O];
    double c[kBottingaWeillComponents] = {n[Ox::SiO2] + n[Ox::P2O5],
                                          n[Ox::TiO2],
                                          2.0 * n[Ox::Fe2O3] + n[Ox::FeO],
                                          n[Ox::MnO],
                                          n[Ox::MgO],
                                          n[Ox::CaO] - caAl2O4,
                                          2.0 * (n[Ox::Na2O] + n[Ox::K2O]),
                                          caAl2O4};
    double sum = 0.0;
    for (double v : c)
        sum += v;
    for (double& v : c)
        v /= sum;

    // The three rows cover every SiO2 content: below 0.45 the last row is used, however low.
    conversions.normalize(n);
    const double x = n[Ox::SiO2];
    const std::size_t row = x >= 0.55 ? 0 : (x >= 0.45 ? 1 : 2);

    const double t = T - kCelsiusOffset;
    double lnEta = 0.0;
    for (std::size_t j = 0; j < kBottingaWeillComponents; ++j)
        lnEta += c[j] * (kBottingaWeill[row][j].s * t + kBottingaWeill[row][j].c);
    return finiteOrThrow(lnEta, "Viscosity (Bottinga & Weill 1972)");
}

double viscosityGiordanoDingwell2003(const TAnalysis& melt, double T) {
    const char* model = "Viscosity (Giordano & Dingwell 2003)";
    // All iron as FeO: the model counts total iron, so its split does not matter.
    TAnalysis a = melt;
    a.oxides[Ox::FeO] += a.oxides[Ox::Fe2O3];
    a.oxides[Ox::Fe2O3] = 0.0;
    TMoleConversions().cationsToOxides(a.oxides);
    double oxides = 0.0;
    for (double v : a.oxides)
        oxides += v;
    if (!(oxides > 0.0)) throw EFloatingPointError(std::string(model) + ": the melt has no oxides");
    normalizeTotal(a, "none", 0.0);  // mol%, H2O and traces counted in the total

    const Oxides& x = a.oxides;
    const double sm =
        x[Ox::FeO] / 2.0 + x[Ox::MnO] + x[Ox::MgO] + x[Ox::CaO] + x[Ox::Na2O] + x[Ox::K2O];

    // Temperature dependence of the three parameters, t in degrees Celsius. Their poles lie at
    // 281 and 437 degrees Celsius, far below any melt this program handles.
    const double t = T - kCelsiusOffset;
    const double aT = (0.01808103 * t - 17.80106) / (1.0 - 0.0022869 * t);
    const double bT = 1.0 / (2.5124 * std::exp(-0.0063679 * t) + 0.02532 + 4.04562e-05 * t);
    const double cT = (1.0 - 0.0016569 * t) / (0.017954 - 6.390597e-05 * t);
    const double log10EtaPaS = bT * cT / (cT + sm) + aT;

    // log10 of the viscosity in Pa s to ln of the viscosity in poise (1 Pa s = 10 poise):
    // ln(10 x 10^y) = (y + 1) ln 10.
    return finiteOrThrow((log10EtaPaS + 1.0) * std::numbers::ln10, model);
}

double meltViscosity(const TAnalysis& melt, double T, ViscosityModel model) {
    switch (model) {
        case ViscosityModel::BottingaWeill1972:
            return viscosityBottingaWeill1972(melt.oxides, T);
        case ViscosityModel::GiordanoDingwell2003:
            return viscosityGiordanoDingwell2003(melt, T);
    }
    throw std::invalid_argument("Unknown viscosity model");
}

}  // namespace varnodel
