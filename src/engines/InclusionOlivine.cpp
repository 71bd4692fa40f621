#include "engines/InclusionOlivine.h"

#include <cmath>

#include "core/Errors.h"
#include "models/LiquidusCorrection.h"
#include "models/TModelOlivine_Kd.h"

namespace varnodel {

namespace {

constexpr double kFe3Tolerance = 1e-7;
constexpr int kFe3Passes = 101;
constexpr int kRemovalCycles = 40;
constexpr double kRemovalTolerance = 1e-8;  // of 100 x Fo
constexpr double kPressureBar = 1.0;

// Scales the twelve slots of a molar olivine so that it weighs 100 g.
Oxides toHundredGrams(Oxides x) {
    double weight = 0.0;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        weight += x[k] * kOxides[k].massPerCation;
    if (!(weight > 0.0)) throw EFloatingPointError("An olivine without weight");
    for (double& v : x)
        v *= 100.0 / weight;
    return x;
}

}  // namespace

Oxides olivineMinorCations(OlivineMinorSet set, double fo, const TAnalysis& meltMolar) {
    Oxides m{};
    double ca = 0.0, mn = 0.0, cr = 0.0;
    const double morbMn = (-0.0420356 * fo + 0.0406831) / 3.0;
    switch (set) {
        case OlivineMinorSet::None:
            return m;
        case OlivineMinorSet::Komatiites:
            ca = 0.001873, mn = 0.000918, cr = 0.001348;
            break;
        case OlivineMinorSet::HighCaBoninites:
            ca = 0.001273, mn = 0.000918, cr = 0.001048;
            break;
        case OlivineMinorSet::MorbBabb:
            if (fo < 0.77) {
                ca = 0.00105223, mn = morbMn, cr = 0.00017;
            } else {
                ca = (-0.835775 * fo * fo + 1.43271 * fo - 0.604499) / 3.0;
                mn = morbMn;
                cr = (0.00894163 * fo - 0.006568) / 3.0;
            }
            break;
    }
    m[Ox::CaO] = ca;
    if (meltMolar.oxides[Ox::MnO] > 0.0) m[Ox::MnO] = mn;
    if (meltMolar.oxides[Ox::Cr2O3] > 0.0) m[Ox::Cr2O3] = cr;
    return m;
}

Oxides profileOlivine(OlivineMinorSet set, double fo, const TAnalysis& meltMolar) {
    Oxides x = olivineMinorCations(set, fo, meltMolar);
    const double s = x[Ox::MnO] + x[Ox::CaO];
    x[Ox::MgO] = (2.0 / 3.0 - s) * fo;
    x[Ox::FeO] = 2.0 / 3.0 - s - x[Ox::MgO];
    x[Ox::SiO2] = 1.0 / 3.0;
    return toHundredGrams(x);
}

Oxides shellOlivine(OlivineMinorSet set, double fo, const TAnalysis& meltMolar) {
    Oxides x = olivineMinorCations(set, fo, meltMolar);
    x[Ox::SiO2] = 1.0 / 3.0;
    x[Ox::FeO] = 2.0 / 3.0 * (1.0 - fo);
    x[Ox::MgO] = 2.0 / 3.0 * fo - (x[Ox::MnO] + x[Ox::CaO]);
    return toHundredGrams(x);
}

InclusionOlivine::InclusionOlivine(RunSnapshot& snapshot, RunReporter& reporter,
                                   const TAnalysis& meltWt, OlivineMinorSet minorSet)
    : snap_(snapshot),
      reporter_(reporter),
      olivineModel_(snapshot.slots[static_cast<std::size_t>(Phase::Olivine)]),
      minorSet_(minorSet) {
    if (olivineModel_ == nullptr) fatal("No olivine model is chosen. Calculation aborted");
    TAnalysis melt = meltWt;
    melt.name = std::string(phaseName(Phase::Melt));
    conv_.ppmToWt(melt);
    conv_.wtToMoles(melt);
    for (std::size_t k = 0; k < kOxideCount; ++k)
        if (melt.notDetermined[k]) melt.oxides[k] = 0.0;
    assemblage_.phases = {melt};
    assemblage_.pressure = kPressureBar;
    assemblage_.name = meltWt.name;
    oxidation_.configure(snap_.settings().parameters, snap_.registry->bufferTable());
}

void InclusionOlivine::fatal(const std::string& text) {
    snap_.context().errorText = text;
    throw FatalError(text);
}

void InclusionOlivine::takeMessage(TModel& model) {
    if (model.message.empty()) return;
    reporter_.debugLine(model.message);
    model.message.clear();
}

double InclusionOlivine::meltFeOStar() const {
    return (melt().oxides[Ox::Fe2O3] + melt().oxides[Ox::FeO]) * kOxides[Ox::FeO].massPerCation;
}

TAnalysis InclusionOlivine::meltWt() const {
    TAnalysis m = melt();
    conv_.molesToWt(m);
    for (std::size_t e = 0; e < kTraceCount; ++e)
        m.traces[e].value *= 1e4;
    return m;
}

void InclusionOlivine::liquidus() {
    const char* const failed =
        "Inconsistent set of models for olivine. Called from getFe2Fe3. Calculation aborted";
    double t = 0.0;
    try {
        olivineModel_->Get_Temperature(assemblage_, t);
    } catch (const EModelError_GetT& e) {
        takeMessage(*olivineModel_);
        reporter_.debugLine(e.what());
        fatal(failed);
    }
    takeMessage(*olivineModel_);
    if (!std::isfinite(t) || t <= 0.0) fatal(failed);
    modelT_ = t;
    const double h2oWt = melt().volatile_.value * kVolatileMass;
    const LiquidusCorrection c = liquidusCorrection(
        snap_.settings().minerals[static_cast<std::size_t>(Phase::Olivine)], h2oWt, kPressureBar);
    T_ = c.corrected(t);
    if (!std::isfinite(T_)) throw EFloatingPointError("The corrected olivine liquidus");
}

void InclusionOlivine::getFe2Fe3() {
    const bool equation = snap_.settings().parameters.equationMode;
    bool settled = false;
    for (int pass = 1; pass <= kFe3Passes; ++pass) {
        const double remembered = melt().oxides[Ox::Fe2O3];
        liquidus();
        try {
            oxidation_.setMeltIronRatio(assemblage_, snap_.context(), equation ? modelT_ : T_,
                                        olivineModel_);
        } catch (const EModelError_GetT& e) {
            takeMessage(*olivineModel_);
            reporter_.debugLine(e.what());
            fatal(
                "Inconsistent set of models for olivine. Called from getFe2Fe3. "
                "Calculation aborted");
        }
        if (std::fabs(remembered - melt().oxides[Ox::Fe2O3]) < kFe3Tolerance) {
            settled = true;
            break;
        }
    }
    if (!settled) {
        reporter_.debugLine("Could not reach the target difference between the old and");
        reporter_.debugLine(
            " new Fe3+ values in 100 cycles. The Fe2+/Fe3+ value is approximated during this "
            "step.");
        reporter_.debugLine("");
    }
    TAnalysis& m = melt();
    conv_.molesToWt(m);
    normalizeTotal(m, "none", 0.0);
    conv_.wtToMoles(m);
    liquidus();
}

void InclusionOlivine::olivineComposition() {
    const bool byKd = snap_.settings().parameters.olivineKdModelOption;
    double fo = 0.0;
    try {
        if (byKd) {
            TModelOlivine_Kd kd;
            kd.setContext(snap_.registry->sharedContext());
            kd.Get_Mineral_Composition(assemblage_, fo, T_);
            takeMessage(kd);
        } else {
            olivineModel_->Get_Mineral_Composition(assemblage_, fo, modelT_);
            takeMessage(*olivineModel_);
        }
    } catch (const EModelError_GetT& e) {
        takeMessage(*olivineModel_);
        reporter_.debugLine(e.what());
        fatal(
            "Inconsistent set of models for olivine. Called from getFe2Fe3. "
            "Calculation aborted");
    }
    if (!std::isfinite(fo) || fo <= 0.0 || fo > 1.0)
        throw EFloatingPointError("The Fo of the olivine in equilibrium with the melt: " +
                                  std::to_string(fo));
    fo_ = fo;
    olivine_ = profileOlivine(minorSet_, fo, melt());
    if (assemblage_.phases.size() > 1) assemblage_.phases.resize(1);
}

void InclusionOlivine::removeOlivine(double f) {
    const TAnalysis m0 = melt();
    equilibriumStep();
    for (int cycle = 1; cycle <= kRemovalCycles; ++cycle) {
        const double remembered = fo_;
        TAnalysis& m = melt();
        for (std::size_t k = 0; k < kOxideCount; ++k)
            m.oxides[k] = (m0.oxides[k] - f * olivine_[k]) / (1.0 - f);
        m.volatile_.value = m0.volatile_.value / (1.0 - f);
        equilibriumStep();
        if (100.0 * std::fabs(remembered - fo_) <= kRemovalTolerance) return;
    }
    reporter_.debugLine("Exit from GetMeltAndOlivTdown procedure by # of cycles");
}

}  // namespace varnodel
