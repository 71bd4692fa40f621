#include "engines/OlivineMelt.h"

#include <algorithm>
#include <cmath>

#include "core/Errors.h"

namespace varnodel {

namespace {

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
      routines_(snapshot, reporter),
      minorSet_(minorSet),
      rebuild_(rebuild) {
    if (!routines_.hasModel(kOlivine)) fail("No olivine model is chosen. Calculation aborted");
    meltIndex_ = assemblage_.phases.size();
    for (std::size_t k = 0; k < assemblage_.phases.size(); ++k)
        if (assemblage_.phases[k].name == phaseName(Phase::Melt)) meltIndex_ = k;
    if (meltIndex_ == assemblage_.phases.size()) fail("The analysis has no melt");
    routines_.configureOxidation();
}

void OlivineMelt::fail(const std::string& text) {
    snap_.context().errorText = text;
    throw FatalError(text);
}

void OlivineMelt::failedModel(const char* where) {
    fail("Inconsistent set of models for " + std::string(phaseName(Phase::Olivine)) +
         ". Called from " + where + ". Calculation aborted");
}

const TAnalysis& OlivineMelt::melt() const {
    return assemblage_.phases[meltIndex_];
}

TAnalysis& OlivineMelt::melt() {
    return assemblage_.phases[meltIndex_];
}

void OlivineMelt::getFe2Fe3() {
    std::optional<MineralLiquidus> liquidus;
    try {
        liquidus =
            routines_.settleIron(kOlivine, assemblage_, assemblage_.pressure,
                                 routines_.correction(kOlivine, melt(), assemblage_.pressure),
                                 MineralRoutines::IronSettling::InclusionMelt);
    } catch (const ENoMineralsLeft&) {
        // The olivine was the run's only mineral; the reason is in the diagnostics log.
    }
    // (A model's "no liquidus", 0, is no temperature to hold an inclusion at either.)
    if (!liquidus || liquidus->modelT <= 0.0) failedModel("getFe2Fe3");
    modelT_ = liquidus->modelT;
    T_ = liquidus->T;
}

void OlivineMelt::olivineComposition() {
    std::optional<TAnalysis> olivine;
    try {
        olivine = routines_.equilibriumMineral(kOlivine, assemblage_, {modelT_, T_});
    } catch (const ENoMineralsLeft&) {
    }
    if (!olivine) failedModel("the olivine composition");
    const double fo = compositionNumber(kOlivine, *olivine);
    if (!(fo > 0.0 && fo < 1.0))
        throw EFloatingPointError(routines_.model(kOlivine)->displayName +
                                  " gave an olivine with Fo out of (0, 1)");
    SetOlivineMinorElements(*olivine, melt(), fo, minorSet_, rebuild_);
    olivine->name = std::string(phaseName(Phase::Olivine));
    olivine_ = *olivine;
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
