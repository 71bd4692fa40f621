// A mineral model whose behaviour a test sets: an olivine-like (Mg,Fe)2SiO4 whose Mg/(Mg+Fe)
// follows the melt's through a constant exchange coefficient, with a liquidus linear in the
// melt's MgO, and failures on demand.
#pragma once

#include <cmath>
#include <functional>
#include <limits>
#include <memory>

#include "core/Errors.h"
#include "core/Model.h"
#include "core/MoleConversions.h"
#include "models/RunState.h"

namespace varnodel::test {

class StandInMineral : public ModelClone<StandInMineral> {
  public:
    StandInMineral() {
        displayName = "Stand-in";
        shortName = "StandIn ";
    }

    void Get_Temperature(const TAssemblage& a, double& T) override {
        if (++temperatureCalls > failAfter) throw EModelError_GetT(displayName + " has failed");
        if (onTemperature) onTemperature(temperatureCalls);
        const double mgo = meltOf(a).oxides[Ox::MgO];
        T = nanTemperatureAfter < temperatureCalls ? std::numeric_limits<double>::quiet_NaN()
                                                   : liquidus + slope * (mgo - referenceMgO);
    }

    // Mg/(Mg+Fe) of the crystals = (Mg/Fe of the melt) / kd, as the olivine-melt Fe-Mg
    // exchange of Roeder & Emslie (1970, Contrib. Mineral. Petrol.).
    void Get_Mineral_Composition(TAssemblage& a, double& value, double) override {
        if (++compositionCalls > compositionFailAfter)
            throw EModelError_GetT(displayName + " has no composition");
        const TAnalysis melt = meltOf(a);
        const double mg = melt.oxides[Ox::MgO], fe = melt.oxides[Ox::FeO];
        value = mg / (mg + kd * fe);
        Oxides fractions{};
        fractions[Ox::SiO2] = 1.0 / 3.0;
        fractions[Ox::MgO] = 2.0 / 3.0 * value;
        fractions[Ox::FeO] = 2.0 / 3.0 * (1.0 - value);
        Oxides wt = cationFractionsToWtPercent(fractions);
        if (cr2o3 > 0.0) {  // chromite-like crystals: Cr2O3 in place of part of the olivine
            for (double& v : wt)
                v *= 1.0 - cr2o3 / 100.0;
            wt[Ox::Cr2O3] = cr2o3;
        }
        if (compositionCalls > nanCompositionAfter)
            wt[Ox::MgO] = std::numeric_limits<double>::quiet_NaN();
        storeMineral(a, mineral, wt);
    }

    Phase mineral = Phase::Olivine;  // the phase it writes
    double liquidus = 1500.0;        // K, at the reference MgO
    double referenceMgO = 0.0;       // cation moles per 100 g
    double slope = 1000.0;           // K per cation mole of MgO
    double kd = 0.3;
    double cr2o3 = 0.0;  // wt% of Cr2O3 in the crystals, whatever the melt holds
    long failAfter = std::numeric_limits<long>::max();  // calls before it throws
    long nanTemperatureAfter = std::numeric_limits<long>::max();
    long nanCompositionAfter = std::numeric_limits<long>::max();
    long compositionFailAfter = std::numeric_limits<long>::max();  // calls before it throws
    std::function<void(long)> onTemperature;  // after each call, with their count
    long temperatureCalls = 0;
    long compositionCalls = 0;
};

// Registers a stand-in as the model of `mineral` in the state's own set and chooses it. The run
// works on a clone: see `standInOf`.
inline StandInMineral& addStandIn(RunState& state, Phase mineral) {
    auto model = std::make_unique<StandInMineral>();
    model->mineral = mineral;
    StandInMineral& ref = *model;
    state.registry().mineralSet(mineral).models.push_back(std::move(model));
    state.slots[static_cast<std::size_t>(mineral)] = &ref;
    return ref;
}

// The run's clone of the stand-in of `mineral` (still there after its slot was emptied).
inline const StandInMineral& standInOf(const RunSnapshot& snap, Phase mineral) {
    return dynamic_cast<const StandInMineral&>(*snap.registry->mineralSet(mineral).models.back());
}

}  // namespace varnodel::test
