// Ilmenite-melt equilibrium models.
#pragma once

#include "core/Model.h"
#include "models/AriskinBarmina1999Form.h"

namespace varnodel {

// Ariskin & Barmina 1999, Contrib. Mineral. Petrol. 134: ilmenite at 1 atm; T in kelvin, melt in
// cation fractions, fO2 from the melt's Fe2+/Fe3+ (kept as the run's lgfO2).
class TModelIlmenite_Ariskin_Barmina_1999
    : public ModelClone<TModelIlmenite_Ariskin_Barmina_1999, AriskinBarmina1999Form> {
  public:
    TModelIlmenite_Ariskin_Barmina_1999();
};

// Nielsen 1985, Computers & Geosciences 11 (EQUIL): ilmenite on the two-lattice melt, T in kelvin.
class TModelIlmenite_Nielsen1985 : public ModelClone<TModelIlmenite_Nielsen1985> {
  public:
    TModelIlmenite_Nielsen1985();
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    // Ilmenite as FeTiO3, MgTiO3 and Cr2O3 in the proportions of the three terms of the
    // residual; returns Mg# = Mg / (Mg + Fe).
    void Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) override;

  private:
    struct Components {
        double ilmenite, geikielite, eskolaite;  // FeTiO3, MgTiO3, Cr2O3
    };
    static Components components(const TAssemblage& assemblage, double T);
};

// The ilmenite models in registration order.
class TModelIlmenite : public TSetOfModels {
  public:
    TModelIlmenite();
};

}  // namespace varnodel
