// Orthopyroxene-melt equilibrium models: liquidus temperature (K) of orthopyroxene and the
// orthopyroxene in equilibrium with a melt given in cation moles; the pyroxene is written back in
// wt% and characterised by its Mg-number.
#pragma once

#include "core/Model.h"
#include "models/PyroxeneForms.h"

namespace varnodel {

// The orthopyroxene models in registration order.
class TModelOrthopyroxene : public TSetOfModels {
  public:
    TModelOrthopyroxene();
};

// Ariskin, Frenkel, Barmina & Nielsen (1993), Computers & Geosciences 19: two-lattice form with
// a volume term.
class TModelOrthopyroxene_Ariskin1993
    : public ModelClone<TModelOrthopyroxene_Ariskin1993, TTwoLatticePyroxene> {
  public:
    TModelOrthopyroxene_Ariskin1993();
};

// Beattie (1993), Contributions to Mineralogy and Petrology 115: the liquidus computed directly
// from the Mg partition coefficient, as for his olivine.
class TModelOrthopyroxene_Beattie1993
    : public ModelClone<TModelOrthopyroxene_Beattie1993, TPyroxeneModel> {
  public:
    TModelOrthopyroxene_Beattie1993();
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    Oxides pyroxeneFractions(const TAssemblage& assemblage, double T) const override;
};

// Bolikhovskaya, Ariskin & Frenkel (1995): two-lattice form with a volume term.
class TModelOrthopyroxene_Bolikhovskaya1996
    : public ModelClone<TModelOrthopyroxene_Bolikhovskaya1996, TTwoLatticePyroxene> {
  public:
    TModelOrthopyroxene_Bolikhovskaya1996();
};

// Nielsen & Drake (1979), Geochimica et Cosmochimica Acta 43: two-lattice form.
class TModelOrthopyroxene_Nielsen_Drake1979
    : public ModelClone<TModelOrthopyroxene_Nielsen_Drake1979, TTwoLatticePyroxene> {
  public:
    TModelOrthopyroxene_Nielsen_Drake1979();
};

}  // namespace varnodel
