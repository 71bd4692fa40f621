// What every engine computes for one mineral the same way: the forward run, the liquidus
// association, and the reverse and Fe-loss runs that heat a melt or add olivine to it. Written
// once here so that a mineral has one liquidus, one Fe3+/Fe2+ settling and one equilibrium
// composition whichever calculation asks.
//
// How an engine uses it: it makes one `MineralRoutines` for its run from its snapshot (the model
// slots, and in the snapshot's context the settings already scaled for the run, see
// ScaledSettings.h) and its reporter, calls `configureOxidation()` at set-up and, if it keeps
// per-mineral flags, hands `onDrop` what to do when a mineral leaves the run. Then, per
// mineral and with plain values (the assemblage holding the melt in the molar form, T in
// kelvin, pressure in bar):
//   correction(i, melt, P)            the user's H2O and pressure corrections of the liquidus
//   settleIron(i, assemblage, P, c)   `getFe2Fe3`: the liquidus and the melt's iron split settled
//                                     together; null when the mineral's model failed
//   equilibriumMineral(i, assemblage, liquidus)
//                                     the mineral in equilibrium (the olivine Kd option, trace
//                                     elements, the impossibility checks); null when it failed
//   h2oSolubility(assemblage, P, T, ...)
// A mineral whose model fails leaves the run through `dropMineral`: its slot is emptied, the
// reason goes to the diagnostics log, and with no mineral left the run ends (ENoMineralsLeft).
// The pieces (`modelLiquidus`, `splitIron`, `takeMessage`, `impossibleMineral`) serve an
// engine with a loop of its own, such as the liquidus association, which evaluates models that
// sit in no slot.
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/MoleConversions.h"
#include "core/RunReporter.h"
#include "engines/AnalysisOutcome.h"
#include "models/LiquidusCorrection.h"
#include "models/RunState.h"
#include "models/TOxydationState.h"

namespace varnodel {

// The position of the melt in the analysis of a run, its not-determined oxides set to 0 and the
// flags of its iron cleared (the run computes the split). An analysis without a melt ends the
// run (FatalError, the reason in the context's error text).
std::size_t prepareMelt(TAssemblage& analysis, RunContext& context);

// Throws EFloatingPointError naming `what` when `value` is not a finite number.
void requireFinite(double value, const char* what);

// A mineral's liquidus: as its model gave it, and with the user's corrections.
struct MineralLiquidus {
    double modelT = 0.0;  // K
    double T = 0.0;       // K
};

// What a message that a model leaves after its liquidus means: a warning for the log, or the
// model's failure (the liquidus association takes no liquidus from a model that complained).
enum class ModelMessage { Warning, Failure };

class MineralRoutines {
  public:
    MineralRoutines(RunSnapshot& snapshot, RunReporter& reporter);

    // Called with the mineral's index after its slot was emptied, before the test for minerals
    // left.
    void onDrop(std::function<void(std::size_t)> hook) { onDrop_ = std::move(hook); }

    TModel* model(std::size_t mineral) const { return snap_.slots[mineral]; }
    bool hasModel(std::size_t mineral) const { return model(mineral) != nullptr; }
    const RunSettings& settings() const { return snap_.settings(); }
    TOxydationState& oxidation() { return oxidation_; }

    // The oxidation model and buffer of the run's settings.
    void configureOxidation();

    // A model's warning goes to the diagnostics log and is cleared.
    void takeMessage(TModel& model) const;

    // The model's own liquidus of the melt of `assemblage` at `pressureBar` (counted in the
    // run's model calls). Throws EModelError_GetT for a liquidus that is not a number or below
    // absolute zero, and under ModelMessage::Failure for a model that left a message (the
    // message is then the error's text and is cleared). Exactly 0 is a model's "no liquidus".
    double modelLiquidus(TModel& model, TAssemblage& assemblage, double pressureBar,
                         ModelMessage message = ModelMessage::Warning);

    // The corrections of mineral `mineral` (1..8) for the H2O of `melt` (molar form).
    LiquidusCorrection correction(std::size_t mineral, const TAnalysis& melt,
                                  double pressureBar) const;

    // The melt's Fe2O3/FeO at T by the run's oxidation setting. Throws EModelError_GetT when
    // the equation mode's olivine gives no Fo.
    void splitIron(TAssemblage& assemblage, double T);
    // The same, but an olivine that gives no Fo has failed and leaves the run.
    void splitIronOrDropOlivine(TAssemblage& assemblage, double T);

    // The mineral's liquidus at `pressureBar`, as its model gives it and corrected. Null when
    // the mineral has no model or its model failed (it then left the run).
    std::optional<MineralLiquidus> liquidus(std::size_t mineral, TAssemblage& assemblage,
                                            double pressureBar,
                                            const LiquidusCorrection& correction);

    // `getFe2Fe3`: the mineral's liquidus and the melt's iron split, settled together (the split
    // at the corrected liquidus, in the equation mode at the model's), then the liquidus of the
    // final melt. Null when the mineral has no model or its model failed (it then left the run).
    // The melt-inclusion calculations bring the settled melt back to 100 g before its last
    // liquidus (IronSettling::InclusionMelt).
    enum class IronSettling { Melt, InclusionMelt };
    std::optional<MineralLiquidus> settleIron(std::size_t mineral, TAssemblage& assemblage,
                                              double pressureBar,
                                              const LiquidusCorrection& correction,
                                              IronSettling how = IronSettling::Melt);

    // The mineral in equilibrium with the melt at `liquidus`, in the molar form, its trace
    // elements by constant Kd or their model; the olivine from the chosen exchange coefficient
    // when the olivine-Kd option is on. It is also stored in the assemblage. Null when the
    // mineral failed and left the run; FatalError when the model wrote no phase.
    std::optional<TAnalysis> equilibriumMineral(std::size_t mineral, TAssemblage& assemblage,
                                                const MineralLiquidus& liquidus);

    // Why `phase` (wt% or molar) is no `mineral`: "<model> gave an olivine with negative CaO";
    // empty when it is one.
    static std::string impossibleMineral(const TModel& model, std::size_t mineral,
                                         const TAnalysis& phase);

    // The mineral leaves the run: `why` to the diagnostics log, its slot emptied, the hook
    // told; ENoMineralsLeft when it was the last.
    void dropMineral(std::size_t mineral, const std::string& why);
    // Every mineral that left the run so far, in order.
    const std::vector<MineralExit>& exits() const { return exits_; }

    // The H2O of a melt saturated with pure H2O fluid at `pressureBar` and T (cation moles).
    // Without it a run cannot go on: a failure is a FatalError whose text gives T and
    // `whereT` ("the liquidus of olivine (...)").
    double h2oSolubility(TAssemblage& assemblage, double pressureBar, double T,
                         const std::string& whereT);

  private:
    RunSnapshot& snap_;
    RunReporter& reporter_;
    TOxydationState oxidation_;
    TMoleConversions conv_;
    std::function<void(std::size_t)> onDrop_;
    std::vector<MineralExit> exits_;
};

}  // namespace varnodel
