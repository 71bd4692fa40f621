// A melt held at its olivine liquidus, with the olivine in equilibrium with it: the temperature
// and redox step, the olivine rebuilt with the minor elements of its host, and the transfers of
// olivine between melt and crystals. The melt-inclusion calculations (the Fe-loss
// reconstruction and the diffusion profiles) are written on it. Melts and olivine in the molar
// form (cation moles per 100 g); temperatures in kelvin.
#pragma once

#include <cstdint>
#include <string_view>

#include "core/Assemblage.h"
#include "core/RunReporter.h"
#include "engines/MineralRoutines.h"
#include "models/RunState.h"

namespace varnodel {

// How the olivine is rebuilt around its minor elements.
enum class OlivineRebuild : std::uint8_t {
    // The Fe-loss reconstruction: the model's other slots stay, Cr takes M and T sites
    // (s = Mn + Ca + Cr / 2, Si = 1/3 - Cr / 2).
    KeepModelSlots,
    // The diffusion profiles: every slot cleared first, Cr on the M sites alone (s = Mn + Ca,
    // Si = 1/3).
    FromZero,
};

// The set's minor elements of an olivine with the olivine number `fo` (fraction), as cation
// fractions of the three-cation formula; all 0 for the set None.
struct OlivineMinorElements {
    double ca = 0.0;
    double mn = 0.0;
    double cr = 0.0;
};
OlivineMinorElements olivineMinorElements(OlivineMinorSet set, double fo);

// Rewrites `olivine` (molar form, any total) for the olivine number `fo` (fraction) on a
// three-cation formula with the set's CaO, MnO and Cr2O3 (MnO and Cr2O3 only when the melt holds
// that oxide above zero; else the model's value stays), then scales it to 100 g. H2O is not
// touched.
void SetOlivineMinorElements(TAnalysis& olivine, const TAnalysis& melt, double fo,
                             OlivineMinorSet set,
                             OlivineRebuild rebuild = OlivineRebuild::KeepModelSlots);

// Total iron of a melt in the molar form as FeO, wt%.
double feoTotal(const TAnalysis& molar);

class OlivineMelt {
  public:
    // Works on the melt (phase "melt") of `assemblage`, in the molar form before the first step,
    // at the assemblage's pressure (bar), with the snapshot's olivine model, oxidation settings
    // and olivine corrections; the snapshot's context must hold the scaled settings
    // (ScaledRunSettings). Throws FatalError (reason in the run's error text) when the snapshot
    // has no olivine model or the assemblage no melt.
    OlivineMelt(RunSnapshot& snapshot, TAssemblage& assemblage, RunReporter& reporter,
                OlivineMinorSet minorSet, OlivineRebuild rebuild = OlivineRebuild::KeepModelSlots);

    // Settles T, T_model and the melt's Fe2O3/FeO together (at most 101 passes), brings the melt
    // to 100 g and computes the temperatures once more. A model that fails ends the run
    // (FatalError "Inconsistent set of models for olivine. Called from getFe2Fe3. ...").
    void getFe2Fe3();
    // The olivine in equilibrium with the melt at the current temperatures (by the Fe-Mg Kd
    // option when on, else by the olivine model), with the host's minor elements: sets fo() and
    // olivine().
    void olivineComposition();
    // getFe2Fe3 followed by olivineComposition.
    void equilibriumStep();

    // Removes a fraction f of olivine in equilibrium with the melt that remains
    // (GetMeltAndOlivTdown). The melt and olivine fractions are the caller's to book.
    void GetMeltAndOlivTdown(double f);
    // (1 - g) of the melt plus g of `olivine`, oxides and H2O; then the equilibrium step (or
    // only getFe2Fe3 when `settle` is false).
    void mixOlivine(double g, const TAnalysis& olivine, bool settle = true);
    // Moves x cation moles of the melt's FeO into MgO (x < 0: MgO into FeO).
    void exchangeFeForMg(double x);

    const TAnalysis& melt() const;
    TAnalysis& melt();
    const TAnalysis& olivine() const { return olivine_; }
    double T() const { return T_; }            // corrected olivine liquidus, K
    double modelT() const { return modelT_; }  // the model's own, K
    double fo() const { return fo_; }
    double feoTotal() const { return varnodel::feoTotal(melt()); }

  private:
    [[noreturn]] void fail(const std::string& text);
    [[noreturn]] void failedModel(const char* where);

    RunSnapshot& snap_;
    TAssemblage& assemblage_;
    RunReporter& reporter_;
    MineralRoutines routines_;
    OlivineMinorSet minorSet_;
    OlivineRebuild rebuild_;
    std::size_t meltIndex_ = 0;
    TAnalysis olivine_;
    double T_ = 0.0;
    double modelT_ = 0.0;
    double fo_ = 0.0;
};

}  // namespace varnodel
