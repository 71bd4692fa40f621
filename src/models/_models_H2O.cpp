#include "models/_models_H2O.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <string_view>

#include "core/Errors.h"
#include "core/MoleConversions.h"
#include "models/ModelRegistry.h"
#include "models/TOxydationState.h"

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

// --- Quellmark 2001 -------------------------------------------------------------------------

namespace {

constexpr std::string_view kQuellmark = "Quellmark, 2001";

TModel& quellmarkMember(const ModelRegistry& registry, Phase mineral, RunContext& run) {
    TModel* model = registry.mineralSet(mineral).getByName(kQuellmark);
    if (model == nullptr) {
        run.errorText = "The H2O estimate needs the \"Quellmark, 2001\" model of " +
                        std::string(phaseName(mineral));
        throw FatalError(run.errorText);
    }
    return *model;
}

}  // namespace

TModelH2O_Quellmark2001::TModelH2O_Quellmark2001(const ModelRegistry& registry, TModel* olivineSlot)
    : registry_(&registry), olivineSlot_(olivineSlot) {
    displayName = "Quellmark, 2001";
    shortName = "Quellm01";
    setContext(registry.sharedContext());
}

double TModelH2O_Quellmark2001::dryLiquidus(TModel& model, TAssemblage& work,
                                            TOxydationState& oxidation) {
    constexpr int kIronCycles = 101;
    constexpr double kIronTolerance = 1e-7;  // cation moles of Fe2O3 between two cycles
    TAnalysis melt = meltOf(work);
    melt.oxides[Ox::FeO] += melt.oxides[Ox::Fe2O3];
    melt.oxides[Ox::Fe2O3] = 0.0;
    bool settled = false;
    for (int cycle = 0; cycle < kIronCycles && !settled; ++cycle) {
        const double before = melt.oxides[Ox::Fe2O3];
        storePhase(work.phases, melt, phaseName(Phase::Melt));
        double T = 0.0;
        model.Get_Temperature(work, T);
        oxidation.setMeltIronRatio(work, context(), T, olivineSlot_);
        melt = meltOf(work);
        settled = std::fabs(melt.oxides[Ox::Fe2O3] - before) < kIronTolerance;
    }
    if (!settled)
        message =
            "Could not reach the target difference between the old and new Fe3+ values in 100 "
            "cycles. The Fe2+/Fe3+ value is approximated during this step.";

    const double h2o = melt.volatile_.value;
    melt.volatile_.value = 0.0;
    storePhase(work.phases, melt, phaseName(Phase::Melt));
    double T = 0.0;
    model.Get_Temperature(work, T);
    melt.volatile_.value = h2o;
    storePhase(work.phases, melt, phaseName(Phase::Melt));
    return T;
}

void TModelH2O_Quellmark2001::getMeltH2O(const TAssemblage& assemblage, double& H2O, double,
                                         double) {
    constexpr double kTolerance = 1e-7;  // cation moles of H2O between two rounds
    constexpr int kMaxRounds = 100;      // the estimate settles in a few; this guards the loop
    // Olivine up to this far (K) above plagioclase is still put on the cotectic.
    constexpr double kLargestGap = 18.0;
    TModel& olivine = quellmarkMember(*registry_, Phase::Olivine, context());
    TModel& plagioclase = quellmarkMember(*registry_, Phase::Plagioclase, context());
    TOxydationState oxidation;
    oxidation.configure(context().settings.parameters, registry_->bufferTable());

    // The plagioclase liquidus compared here is its own: a gap left by an earlier estimate
    // must not feed back into this one (it would move T_pl onto T_ol and make the rounds
    // alternate between the cases below).
    context().olPlGap = 0.0;
    double gap = 0.0;

    TAssemblage work = assemblage;
    const double initial = meltOf(work).volatile_.value;
    double estimate = initial;
    for (int round = 0; round < kMaxRounds; ++round) {
        const double previous = estimate;
        const double tOl = dryLiquidus(olivine, work, oxidation);
        const double tPl = dryLiquidus(plagioclase, work, oxidation);
        gap = 0.0;
        if (tPl > tOl) {
            estimate = std::pow((tPl - tOl) / 47.3464, 1.0 / 0.684861) / kVolatileMass;
        } else if (tOl - tPl >= kLargestGap) {
            estimate = initial;
            constexpr std::string_view kWarning = " Could not estimate H2O because Tol > Tpl";
            if (message.find(kWarning) == std::string::npos) message += kWarning;
        } else {
            estimate = 0.0;
            gap = tOl - tPl;
        }
        if (!std::isfinite(estimate))
            throw EModelError_GetT(displayName + ": no finite H2O estimate");
        TAnalysis melt = meltOf(work);
        melt.volatile_.value = estimate;
        storePhase(work.phases, melt, phaseName(Phase::Melt));
        if (std::fabs(estimate - previous) < kTolerance) break;
    }
    context().olPlGap = gap;
    H2O = estimate;
}

}  // namespace varnodel
