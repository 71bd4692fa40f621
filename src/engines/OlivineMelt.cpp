#include "engines/OlivineMelt.h"

#include <algorithm>
#include <cmath>

#include "core/Errors.h"
#include "models/LiquidusCorrection.h"
#include "models/TModelOlivine_Kd.h"

namespace varnodel {

namespace {

constexpr double kFe3Tolerance = 1e-7;  // cation moles
constexpr int kFe3Passes = 101;
constexpr double kFoTolerance = 1e-8;  // x 100
constexpr int kRemovalCycles = 40;
constexpr std::size_t kOlivine = static_cast<std::size_t>(Phase::Olivine);

}  // namespace

OlivineMinorElements olivineMinorElements(OlivineMinorSet set, double fo) {
    switch (set) {
        case OlivineMinorSet::Komatiites:
            return {0.001873, 0.000918, 0.001348};
        case OlivineMinorSet::HighCaBoninites:
            return {0.001273, 0.000918, 0.001048};
        case OlivineMinorSet::MorbBabb: {
            // The fits fall below zero for Ca above Fo 96.4 and for Mn above Fo 96.8, where an
            // olivine holds none of them rather than a negative amount.
            const double mn = std::max(0.0, (-0.0420356 * fo + 0.0406831) / 3.0);
            if (fo < 0.77) return {0.00105223, mn, 0.00017};
            return {std::max(0.0, (-0.835775 * fo * fo + 1.43271 * fo - 0.604499) / 3.0), mn,
                    std::max(0.0, (0.00894163 * fo - 0.006568) / 3.0)};
        }
        case OlivineMinorSet::None:
            break;
    }
    return {};
}

void SetOlivineMinorElements(TAnalysis& olivine, const TAnalysis& melt, double fo,
                             OlivineMinorSet set, OlivineRebuild rebuild) {
    Oxides& x = olivine.oxides;
    if (rebuild == OlivineRebuild::FromZero) {
        x.fill(0.0);
    } else {
        double cations = 0.0;
        for (double v : x)
            cations += v;
        if (cations > 0.0)
            for (double& v : x)
                v /= cations;
    }
    if (set != OlivineMinorSet::None) {
        const OlivineMinorElements m = olivineMinorElements(set, fo);
        x[Ox::CaO] = m.ca;
        if (melt.oxides[Ox::MnO] > 0.0) x[Ox::MnO] = m.mn;
        if (melt.oxides[Ox::Cr2O3] > 0.0) x[Ox::Cr2O3] = m.cr;
    }
    const bool chromiumOnBothSites = rebuild == OlivineRebuild::KeepModelSlots;
    const double cr = chromiumOnBothSites ? x[Ox::Cr2O3] / 2.0 : 0.0;
    const double s = x[Ox::MnO] + x[Ox::CaO] + cr;
    x[Ox::MgO] = (2.0 / 3.0 - s) * fo;
    x[Ox::FeO] = 2.0 / 3.0 - s - x[Ox::MgO];
    x[Ox::SiO2] = 1.0 / 3.0 - cr;
    double mass = 0.0;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        mass += x[k] * kOxides[k].massPerCation;
    for (double& v : x)
        v *= 100.0 / mass;
}

double feoTotal(const TAnalysis& molar) {
    return (molar.oxides[Ox::Fe2O3] + molar.oxides[Ox::FeO]) * kOxides[Ox::FeO].massPerCation;
}

OlivineMelt::OlivineMelt(RunSnapshot& snapshot, TAssemblage& assemblage, RunReporter& reporter,
                         OlivineMinorSet minorSet, OlivineRebuild rebuild)
    : snap_(snapshot),
      assemblage_(assemblage),
      reporter_(reporter),
      minorSet_(minorSet),
      rebuild_(rebuild),
      model_(snapshot.slots[kOlivine]) {
    if (model_ == nullptr) {
        snap_.context().errorText = "No olivine model is chosen. Calculation aborted";
        throw FatalError(snap_.context().errorText);
    }
    meltIndex_ = assemblage_.phases.size();
    for (std::size_t k = 0; k < assemblage_.phases.size(); ++k)
        if (assemblage_.phases[k].name == phaseName(Phase::Melt)) meltIndex_ = k;
    if (meltIndex_ == assemblage_.phases.size()) {
        snap_.context().errorText = "The analysis has no melt";
        throw FatalError(snap_.context().errorText);
    }
    oxidation_.configure(snap_.settings().parameters, snap_.registry->bufferTable());
}

const TAnalysis& OlivineMelt::melt() const {
    return assemblage_.phases[meltIndex_];
}

TAnalysis& OlivineMelt::melt() {
    return assemblage_.phases[meltIndex_];
}

void OlivineMelt::takeMessage(TModel& m) {
    if (m.message.empty()) return;
    reporter_.debugLine(m.message);
    m.message.clear();
}

void OlivineMelt::liquidus() {
    double t = 0.0;
    model_->Get_Temperature(assemblage_, t);
    ++snap_.context().modelCalls;
    takeMessage(*model_);
    if (!std::isfinite(t) || t <= 0.0)
        throw EModelError_GetT(model_->displayName + " gave no liquidus temperature");
    const LiquidusCorrection dT =
        liquidusCorrection(snap_.settings().minerals[kOlivine],
                           melt().volatile_.value * kVolatileMass, assemblage_.pressure);
    modelT_ = t;
    T_ = dT.corrected(t);
}

void OlivineMelt::getFe2Fe3() {
    const bool equation = snap_.settings().parameters.equationMode;
    try {
        bool settled = false;
        for (int pass = 1; pass <= kFe3Passes && !settled; ++pass) {
            const double remembered = melt().oxides[Ox::Fe2O3];
            liquidus();
            oxidation_.setMeltIronRatio(assemblage_, snap_.context(), equation ? modelT_ : T_,
                                        model_);
            settled = std::fabs(remembered - melt().oxides[Ox::Fe2O3]) < kFe3Tolerance;
        }
        if (!settled) {
            reporter_.debugLine("Could not reach the target difference between the old and");
            reporter_.debugLine(
                " new Fe3+ values in 100 cycles. The Fe2+/Fe3+ value is approximated during "
                "this step.");
            reporter_.debugLine("");
        }
        TAnalysis& m = melt();
        conv_.molesToWt(m);
        normalizeTotal(m, "none", 0.0);
        conv_.wtToMoles(m);
        liquidus();
    } catch (const EModelError_GetT& e) {
        takeMessage(*model_);
        reporter_.debugLine(e.what());
        snap_.context().errorText = "Inconsistent set of models for " +
                                    std::string(phaseName(Phase::Olivine)) +
                                    ". Called from getFe2Fe3. Calculation aborted";
        throw FatalError(snap_.context().errorText);
    }
}

void OlivineMelt::olivineComposition() {
    const bool byKd = snap_.settings().parameters.olivineKdModelOption;
    TModelOlivine_Kd kd;
    kd.setContext(snap_.registry->sharedContext());
    TModel& m = byKd ? static_cast<TModel&>(kd) : *model_;
    double fo = 0.0;
    try {
        m.Get_Mineral_Composition(assemblage_, fo, byKd ? T_ : modelT_);
    } catch (const EModelError_GetT& e) {
        takeMessage(m);
        reporter_.debugLine(e.what());
        snap_.context().errorText = "Inconsistent set of models for " +
                                    std::string(phaseName(Phase::Olivine)) +
                                    ". Called from the olivine composition. Calculation aborted";
        throw FatalError(snap_.context().errorText);
    }
    takeMessage(m);
    if (!std::isfinite(fo) || fo <= 0.0 || fo >= 1.0)
        throw EFloatingPointError(m.displayName + " gave an olivine Fo out of (0, 1)");
    TAnalysis olivine = findPhase(assemblage_.phases, phaseName(Phase::Olivine));
    conv_.wtToMoles(olivine);
    SetOlivineMinorElements(olivine, melt(), fo, minorSet_, rebuild_);
    olivine.name = std::string(phaseName(Phase::Olivine));
    olivine_ = olivine;
    fo_ = fo;
}

void OlivineMelt::equilibriumStep() {
    getFe2Fe3();
    olivineComposition();
}

void OlivineMelt::GetMeltAndOlivTdown(double f) {
    const TAnalysis start = melt();
    equilibriumStep();
    for (int cycle = 1;; ++cycle) {
        const double remembered = fo_;
        TAnalysis& m = melt();
        for (std::size_t k = 0; k < kOxideCount; ++k)
            m.oxides[k] = (start.oxides[k] - f * olivine_.oxides[k]) / (1.0 - f);
        m.volatile_.value = (start.volatile_.value - f * olivine_.volatile_.value) / (1.0 - f);
        equilibriumStep();
        if (100.0 * std::fabs(remembered - fo_) <= kFoTolerance) return;
        if (cycle == kRemovalCycles) {
            reporter_.debugLine("Exit from GetMeltAndOlivTdown procedure by # of cycles");
            return;
        }
    }
}

void OlivineMelt::mixOlivine(double g, const TAnalysis& olivine, bool settle) {
    TAnalysis& m = melt();
    for (std::size_t k = 0; k < kOxideCount; ++k)
        m.oxides[k] = (1.0 - g) * m.oxides[k] + g * olivine.oxides[k];
    m.volatile_.value = (1.0 - g) * m.volatile_.value + g * olivine.volatile_.value;
    if (settle) {
        equilibriumStep();
    } else {
        getFe2Fe3();
    }
}

void OlivineMelt::exchangeFeForMg(double x) {
    TAnalysis& m = melt();
    m.oxides[Ox::FeO] -= x;
    m.oxides[Ox::MgO] += x;
}

}  // namespace varnodel
