// The melt of an inclusion as the profile calculations hold it: an olivine-saturated melt of its
// own (at 1 bar, the olivine rebuilt from zero with the host's minor elements) that can be copied,
// a copy working on a melt of its own. Also the olivine of a shell of the wall melted back into
// the inclusion.
#pragma once

#include <memory>

#include "engines/OlivineMelt.h"

namespace varnodel {

// The olivine of a shell melted back into the inclusion, of olivine number `fo`: Fe and Mg by
// `fo` on the three-cation formula, the set's minor cations taken from the Mg; molar form of
// 100 g.
Oxides shellOlivine(OlivineMinorSet set, double fo, const TAnalysis& meltMolar);

// FeO wt% of an olivine in the molar form.
inline double olivineFeOWt(const Oxides& olivine) {
    return olivine[Ox::FeO] * kOxides[Ox::FeO].massPerCation;
}

class InclusionOlivine {
  public:
    // `meltWt` in wt% (traces in ppm); the melt is brought to its liquidus at once. The snapshot
    // holds the run's scaled settings.
    InclusionOlivine(RunSnapshot& snapshot, RunReporter& reporter, const TAnalysis& meltWt,
                     OlivineMinorSet minorSet);
    // A copy of the other's melt, settled at its liquidus again.
    InclusionOlivine(const InclusionOlivine& other);
    InclusionOlivine& operator=(const InclusionOlivine&) = delete;

    OlivineMelt& om() { return *om_; }
    const OlivineMelt& om() const { return *om_; }
    TAnalysis& melt() { return om_->melt(); }
    const TAnalysis& melt() const { return om_->melt(); }
    double T() const { return om_->T(); }
    double fo() const { return om_->fo(); }
    double meltFeOStar() const { return om_->feoTotal(); }
    double olivineFeO() const { return olivineFeOWt(om_->olivine().oxides); }
    OlivineMinorSet minorSet() const { return minorSet_; }
    // The melt in wt%, traces in ppm.
    TAnalysis meltWt() const;

  private:
    InclusionOlivine(RunSnapshot& snapshot, RunReporter& reporter, OlivineMinorSet minorSet,
                     const TAssemblage& assemblage);

    RunSnapshot& snap_;
    RunReporter& reporter_;
    OlivineMinorSet minorSet_;
    std::unique_ptr<TAssemblage> assemblage_;  // OlivineMelt keeps a reference to it
    std::unique_ptr<OlivineMelt> om_;
};

}  // namespace varnodel
