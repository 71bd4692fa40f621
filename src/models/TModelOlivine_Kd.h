// Olivine in equilibrium with the melt from an Fe-Mg exchange coefficient alone,
// Kd = (Fe/Mg)olivine / (Fe/Mg)melt, chosen by the run's Kd options. The engines use it directly
// in place of the olivine model; it is no member of the olivine set.
#pragma once

#include "core/Model.h"

namespace varnodel {

class TModelOlivine_Kd : public ModelClone<TModelOlivine_Kd> {
  public:
    TModelOlivine_Kd();
    // Fo = x_Mg / (x_Mg + Kd x_Fe) of the melt's cation moles, the olivine stored in wt%.
    void Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) override;

    // The exchange coefficient of the chosen option at T (K) for the melt of the assemblage.
    double exchangeCoefficient(const TAssemblage& assemblage, double T);
};

// Toplis (2005), Contrib. Mineral. Petrol. 149, 22-39, eqs. 11-12: the silica content adjusted
// for alkalis, from the melt's oxide mole fractions of SiO2 (x) and Na2O + K2O (n), then raised
// by 0.8 per wt% H2O.
double toplisAdjustedSilica(double x, double n, double h2oWtPercent);

}  // namespace varnodel
