// Pigeonite-melt equilibrium models: liquidus temperature (K) of pigeonite and the pigeonite in
// equilibrium with a melt given in cation moles; the pyroxene is written back in wt% and
// characterised by its Mg-number.
#pragma once

#include "core/Model.h"
#include "models/PyroxeneForms.h"

namespace varnodel {

// The pigeonite models in registration order.
class TModelPigeonite : public TSetOfModels {
  public:
    TModelPigeonite();
};

// Ariskin, Barmina & Frenkel (1986), Geokhimiya: two-lattice form.
class TModelPigeonite_Ariskin1986
    : public ModelClone<TModelPigeonite_Ariskin1986, TTwoLatticePyroxene> {
  public:
    TModelPigeonite_Ariskin1986();
};

// Ariskin, Frenkel, Barmina & Nielsen (1993), Computers & Geosciences 19: the 1986
// coefficients with a volume term.
class TModelPigeonite_Ariskin1993
    : public ModelClone<TModelPigeonite_Ariskin1993, TTwoLatticePyroxene> {
  public:
    TModelPigeonite_Ariskin1993();
};

// Bolikhovskaya, Ariskin & Frenkel (1996): two-lattice form with a volume term.
class TModelPigeonite_Bolikhovskaya1995
    : public ModelClone<TModelPigeonite_Bolikhovskaya1995, TTwoLatticePyroxene> {
  public:
    TModelPigeonite_Bolikhovskaya1995();
};

// Nielsen (1988), Geochimica et Cosmochimica Acta 52: two-lattice form with Mn, Ti, Cr and Fe3+.
class TModelPigeonite_Nielsen1988
    : public ModelClone<TModelPigeonite_Nielsen1988, TTwoLatticePyroxene> {
  public:
    TModelPigeonite_Nielsen1988();
};

}  // namespace varnodel
