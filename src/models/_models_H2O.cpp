#include "models/_models_H2O.h"

#include <algorithm>
#include <cmath>

#include "core/Errors.h"
#include "core/MoleConversions.h"

namespace varnodel {

namespace {

// The Cardano constants are the rounded ones this program has always used, so that results
// stay comparable with earlier versions: 1/3 and 2/27 to six digits, 2 pi/3 and 4 pi/3.
constexpr double kThird = 0.333333;
constexpr double kTwo27ths = 0.074074;
constexpr double kAngle120 = 2.0944;
constexpr double kAngle240 = 4.18879;

// The real root (the largest of three) of Z^3 - Z^2 + (A - B - B^2) Z - A B = 0, the
// compressibility factor of the Redlich-Kwong equation, through the depressed cubic.
double compressibility(double A, double B) {
    const double p = A - B - B * B;
    const double q = p * kThird - A * B - kTwo27ths;
    const double reduced = p - kThird;  // coefficient of the depressed cubic
    const double D = q * q / 4.0 + reduced * reduced * reduced / 27.0;
    if (D > 0.0) {
        const double root = std::sqrt(D);
        return std::cbrt(-q / 2.0 + root) + std::cbrt(-q / 2.0 - root) + kThird;
    }
    if (reduced >= 0.0) return kThird;  // D <= 0 with reduced = 0: the triple root
    // Three real roots: y_k = 2 sqrt(-reduced/3) cos(angle/3 + 2 pi k/3).
    const double cosine =
        std::clamp((-q / 2.0) / std::sqrt(-reduced * reduced * reduced / 27.0), -1.0, 1.0);
    const double third = std::acos(cosine) / 3.0;
    const double largest =
        std::max({std::cos(third), std::cos(third + kAngle120), std::cos(third + kAngle240)});
    return 2.0 * std::sqrt(-reduced * kThird) * largest + kThird;
}

}  // namespace

double h2oFugacity(double x, double T, double P) {
    const double t = T + 0.15;
    // h = a / (b R T^1.5) with a(T) of H2O in bar cm6 K^0.5 / mol2 (x 1e6), b = 14.5 cm3/mol and
    // R = 83.14 cm3 bar / (K mol); a(T) turns negative near 2700 K, where h is held positive.
    double h =
        (115.98 - 0.0016295 * t - 1.4984e-5 * t * t) / (std::pow(t, 1.5) * 83.14 * 1e-6 * 14.5);
    if (h < 1e-10) h = 0.001;
    const double B = P * 14.5 / (83.14 * t);
    const double A = h * B;
    const double Z = compressibility(A, B);
    double lnPhi = Z - 1.0 - std::log(std::max(Z - B, 1e-6)) - h * std::log(B / Z + 1.0);
    if (lnPhi < -37.0 || lnPhi > 37.0) lnPhi = 1e-6;
    return P * x * std::exp(lnPhi);
}

TModelH2O_Moore1998::TModelH2O_Moore1998() {
    displayName = "Moore et al., 1998";
    shortName = "Moore98 ";
    usesPressure = true;
}

void TModelH2O_Moore1998::getMeltH2O(const TAssemblage& assemblage, double& H2O, double x,
                                     double T) {
    constexpr double kTolerance = 1e-7;  // cation moles of H2O between two rounds
    constexpr int kMaxRounds = 1000;     // the rounds contract fast; this only guards the loop
    const double P = assemblage.pressure;
    const double lnFugacity = std::log(h2oFugacity(x, T, P));  // -inf for a fluid without H2O

    // X_H2O depends on the anhydrous moles W of the melt, and W on the H2O the melt is
    // renormalised with; the rounds stop when the two agree.
    TMoleConversions conv;
    TAnalysis melt = meltOf(assemblage);
    for (int round = 0; round < kMaxRounds; ++round) {
        const double previous = melt.volatile_.value;
        // Moore et al. take total iron as FeO.
        Oxides X = melt.oxides;
        X[Ox::FeO] += X[Ox::Fe2O3];
        X[Ox::Fe2O3] = 0.0;
        conv.cationsToOxides(X);
        double W = 0.0;
        for (double v : X)
            W += v;
        conv.normalize(X);
        const double Q = 2565.0 / T + (P / T) * (-1.997 * X[Ox::Al2O3] - 0.9275 * X[Ox::FeO] +
                                                 2.736 * X[Ox::Na2O]);
        const double xH2O = std::exp((1.171 * lnFugacity + Q - 14.21) / 2.0);
        const double moles = xH2O * W / (1.0 - xH2O);
        if (!std::isfinite(moles) || !(xH2O < 1.0))
            throw EModelError_GetT(displayName + ": no finite H2O solubility of the melt");

        // Renormalise the melt (with its own iron split) to 100 wt% with this H2O.
        melt.volatile_.value = moles;
        conv.molesToWt(melt);
        normalizeTotal(melt, "fluid", moles * kVolatileMass);
        conv.wtToMoles(melt);
        if (std::fabs(melt.volatile_.value - previous) < kTolerance) break;
    }
    H2O = melt.volatile_.value;
}

}  // namespace varnodel
