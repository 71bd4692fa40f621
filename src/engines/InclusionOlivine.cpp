#include "engines/InclusionOlivine.h"

#include "core/Errors.h"
#include "core/MoleConversions.h"

namespace varnodel {

namespace {

constexpr double kPressureBar = 1.0;

}  // namespace

Oxides shellOlivine(OlivineMinorSet set, double fo, const TAnalysis& meltMolar) {
    Oxides x{};
    const OlivineMinorElements m = olivineMinorElements(set, fo);
    if (set != OlivineMinorSet::None) {
        x[Ox::CaO] = m.ca;
        if (meltMolar.oxides[Ox::MnO] > 0.0) x[Ox::MnO] = m.mn;
        if (meltMolar.oxides[Ox::Cr2O3] > 0.0) x[Ox::Cr2O3] = m.cr;
    }
    x[Ox::SiO2] = 1.0 / 3.0;
    x[Ox::FeO] = 2.0 / 3.0 * (1.0 - fo);
    x[Ox::MgO] = 2.0 / 3.0 * fo - (x[Ox::MnO] + x[Ox::CaO]);
    double weight = 0.0;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        weight += x[k] * kOxides[k].massPerCation;
    if (!(weight > 0.0)) throw EFloatingPointError("A shell olivine without weight");
    for (double& v : x)
        v *= 100.0 / weight;
    return x;
}

InclusionOlivine::InclusionOlivine(RunSnapshot& snapshot, RunReporter& reporter,
                                   OlivineMinorSet minorSet, const TAssemblage& assemblage)
    : snap_(snapshot),
      reporter_(reporter),
      minorSet_(minorSet),
      assemblage_(std::make_unique<TAssemblage>(assemblage)),
      om_(std::make_unique<OlivineMelt>(snapshot, *assemblage_, reporter, minorSet,
                                        OlivineRebuild::FromZero)) {
    om_->equilibriumStep();
}

InclusionOlivine::InclusionOlivine(RunSnapshot& snapshot, RunReporter& reporter,
                                   const TAnalysis& meltWt, OlivineMinorSet minorSet)
    : InclusionOlivine(snapshot, reporter, minorSet, [&] {
          TMoleConversions conv;
          TAnalysis melt = meltWt;
          melt.name = std::string(phaseName(Phase::Melt));
          conv.ppmToWt(melt);
          conv.wtToMoles(melt);
          for (std::size_t k = 0; k < kOxideCount; ++k)
              if (melt.notDetermined[k]) melt.oxides[k] = 0.0;
          melt.notDetermined[Ox::Fe2O3] = false;
          melt.notDetermined[Ox::FeO] = false;
          TAssemblage a;
          a.phases = {melt};
          a.pressure = kPressureBar;
          a.name = meltWt.name;
          return a;
      }()) {}

InclusionOlivine::InclusionOlivine(const InclusionOlivine& other)
    : InclusionOlivine(other.snap_, other.reporter_, other.minorSet_, [&] {
          TAssemblage a = *other.assemblage_;
          a.phases = {other.melt()};
          return a;
      }()) {}

TAnalysis InclusionOlivine::meltWt() const {
    TAnalysis m = melt();
    TMoleConversions().molesToWt(m);
    for (TElement& t : m.traces)
        t.value *= 1e4;  // back to ppm
    return m;
}

}  // namespace varnodel
