// A melt inclusion's melt and the olivine in equilibrium with it at its liquidus, at 1 bar: the
// olivine liquidus with the user's corrections, the melt's Fe2O3/FeO at that temperature, the
// olivine composition with its minor elements, and the removal of olivine in equilibrium with
// the remaining melt. The diffusion-profile engines work through it.
#pragma once

#include <optional>
#include <stop_token>

#include "core/Assemblage.h"
#include "core/MoleConversions.h"
#include "core/RunReporter.h"
#include "models/RunState.h"
#include "models/TOxydationState.h"

namespace varnodel {

// "Set of minor elements (Ca, Mn, Cr) in Olivine".
enum class OlivineMinorSet : int { None = 0, Komatiites = 1, HighCaBoninites = 2, MorbBabb = 3 };

// Ca, Mn and Cr (cation moles per three-cation formula) of the olivine of fraction `fo` by the
// set; Mn and Cr only when `meltMolar` holds MnO, respectively Cr2O3; absent ones are 0.
Oxides olivineMinorCations(OlivineMinorSet set, double fo, const TAnalysis& meltMolar);

// The olivine of fraction `fo` built from nothing on a three-cation basis with the set's minor
// elements, Mg and Fe sharing the M sites the minor cations leave, in the molar form of 100 g.
Oxides profileOlivine(OlivineMinorSet set, double fo, const TAnalysis& meltMolar);

// The olivine of a shell melted back into the inclusion: Fe and Mg by `fo`, then the minor
// cations taken from the Mg; molar form of 100 g.
Oxides shellOlivine(OlivineMinorSet set, double fo, const TAnalysis& meltMolar);

// FeO wt% of an olivine in the molar form.
inline double olivineFeOWt(const Oxides& olivine) {
    return olivine[Ox::FeO] * kOxides[Ox::FeO].massPerCation;
}

class InclusionOlivine {
  public:
    // `snapshot` holds the run's own settings (equation A already scaled to Fo as a fraction)
    // and models; the olivine model is its olivine slot. `meltWt` is the melt in wt%.
    InclusionOlivine(RunSnapshot& snapshot, RunReporter& reporter, const TAnalysis& meltWt,
                     OlivineMinorSet minorSet);

    // The corrected liquidus T and the model's own T_model (K) of the current melt.
    void liquidus();
    // The melt's Fe2O3/FeO at its liquidus, settled by repetition; then the melt back to 100 g.
    void getFe2Fe3();
    // The olivine in equilibrium with the melt at its liquidus: Fo and the olivine.
    void olivineComposition();
    void equilibriumStep() {
        getFe2Fe3();
        olivineComposition();
    }
    // `GetMeltAndOlivTdown`: a fraction f of olivine leaves, the melt left in equilibrium with it.
    void removeOlivine(double f);

    TAnalysis& melt() { return assemblage_.phases[0]; }
    const TAnalysis& melt() const { return assemblage_.phases[0]; }
    const Oxides& olivine() const { return olivine_; }
    // Total iron as FeO, wt%.
    double meltFeOStar() const;
    double olivineFeO() const { return olivineFeOWt(olivine_); }
    double T() const { return T_; }
    double fo() const { return fo_; }
    // The melt in wt%, traces in ppm.
    TAnalysis meltWt() const;
    OlivineMinorSet minorSet() const { return minorSet_; }

  private:
    void fatal(const std::string& text);
    void takeMessage(TModel& model);

    RunSnapshot& snap_;
    RunReporter& reporter_;
    TModel* olivineModel_;
    OlivineMinorSet minorSet_;
    TAssemblage assemblage_;
    TMoleConversions conv_;
    TOxydationState oxidation_;
    Oxides olivine_{};
    double T_ = 0.0;
    double modelT_ = 0.0;
    double fo_ = 0.0;
};

}  // namespace varnodel
