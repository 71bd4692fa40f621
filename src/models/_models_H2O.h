// H2O in silicate melts: the solubility of H2O at a given H2O fugacity, and the estimate of a
// melt's H2O from the gap between its olivine and plagioclase liquidus temperatures.
#pragma once

#include "core/Model.h"

namespace varnodel {

class ModelRegistry;
class TOxydationState;

// Fugacity of H2O (bar) in a fluid with H2O mole fraction x at T (K) and P (bar), from the
// modified Redlich-Kwong equation of state for pure H2O (Holloway 1977, in: Thermodynamics in
// Geology; Flowers 1979, Contrib. Mineral. Petrol. 69), with the constants and clamps this
// program has always used.
double h2oFugacity(double x, double T, double P);

// Moore, Vennemann & Carmichael (1998), "An empirical model for the solubility of H2O in magmas
// to 3 kilobars", American Mineralogist 83, 36-42:
//   2 ln X_H2O = 2565/T + (P/T)(-1.997 X_Al2O3 - 0.9275 X_FeOt + 2.736 X_Na2O)
//                + 1.171 ln fH2O - 14.21,
// T in K, P in bar, X anhydrous oxide mole fractions. getMeltH2O(assemblage, H2O, x, T): `x` is
// the H2O mole fraction of the fluid, T in K, P from the assemblage; returns the H2O (cation
// moles) of the melt saturated at those conditions, the melt renormalised to 100 wt% with it.
class TModelH2O_Moore1998 : public ModelClone<TModelH2O_Moore1998> {
  public:
    TModelH2O_Moore1998();
    void getMeltH2O(const TAssemblage& assemblage, double& H2O, double x, double T) override;
};

// Quellmark (2001): the H2O that puts a melt on the olivine-plagioclase cotectic, from the gap
// between the dry liquidus temperatures of the "Quellmark, 2001" olivine and plagioclase models
// of the registry: H2O (wt%) = ((T_pl - T_ol) / 47.3464)^(1 / 0.684861), the water that lowers
// the plagioclase liquidus onto the olivine one. The melt's iron is split at each liquidus with
// the run's oxidation settings; `olivineSlot` is the run's olivine model, which the oxidation
// mode "Dependence from Olivine composition" needs. getMeltH2O(assemblage, H2O, -, -) returns
// the estimate in cation moles; a small negative gap (olivine up to 18 K above plagioclase) is
// left in the run's olPlGap for the Quellmark plagioclase to close.
class TModelH2O_Quellmark2001 : public ModelClone<TModelH2O_Quellmark2001> {
  public:
    explicit TModelH2O_Quellmark2001(const ModelRegistry& registry, TModel* olivineSlot = nullptr);
    void getMeltH2O(const TAssemblage& assemblage, double& H2O, double a, double b) override;

  private:
    // The dry liquidus of `model` for the melt of `work` after the melt's iron has been split at
    // the model's (wet) liquidus until it settles; leaves the split in `work`.
    double dryLiquidus(TModel& model, TAssemblage& work, TOxydationState& oxidation);

    const ModelRegistry* registry_;
    TModel* olivineSlot_;
};

}  // namespace varnodel
