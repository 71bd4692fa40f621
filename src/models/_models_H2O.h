// H2O in silicate melts: the solubility of H2O at a given H2O fugacity, and the estimate of a
// melt's H2O from the gap between its olivine and plagioclase liquidus temperatures.
#pragma once

#include "core/Model.h"

namespace varnodel {

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

}  // namespace varnodel
