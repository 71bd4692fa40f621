// Spinel-melt equilibrium models. The spinel is written back in wt% with SiO2, CaO, Na2O, K2O
// and P2O5 not determined; its characteristic number is Cr# = Cr / (Cr + Al).
#pragma once

#include "core/Model.h"

namespace varnodel {

// Ariskin & Nikolaev 1996, Contrib. Mineral. Petrol. 123: chromian spinel at 1 atm; T in kelvin,
// melt in cation fractions, fO2 from the melt's Fe2+/Fe3+.
class TModelSpinel_Ariskin_Nikolaev1996 : public ModelClone<TModelSpinel_Ariskin_Nikolaev1996> {
  public:
    TModelSpinel_Ariskin_Nikolaev1996();
    // In residual mode: 1 - (Cr + Al + Fe3+) / 2 of the spinel formula at T.
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    void Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) override;

  private:
    // Cations of the spinel AB2O4 partitioned from the melt at T: B site (Cr, Al, Fe3+) before
    // it is filled to two, A site (Mg, Fe2+) filled to one.
    struct Spinel {
        double cr, al, fe3, mg, fe2;
        double octahedral() const { return cr + al + fe3; }
    };
    Spinel partition(const Oxides& melt, double T) const;
    double liquidus(const TAssemblage& assemblage);
    [[noreturn]] void unrealistic(bool compositionPath);
};

// Nielsen 1985, Computers & Geosciences 11 (EQUIL): spinel on the two-lattice melt, T in kelvin.
class TModelSpinel_Nielsen1985 : public ModelClone<TModelSpinel_Nielsen1985> {
  public:
    TModelSpinel_Nielsen1985();
    // The liquidus by the model's own stepping search from 1350 K (not by bisection); in
    // residual mode the residual at T.
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    void Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) override;

    double residual(const TAssemblage& assemblage, double T) const;
    // D of Al: its low-temperature form up to 1448.5 K, its high-temperature form above.
    static double aluminiumPartition(double T);
};

// The spinel models in registration order.
class TModelSpinel : public TSetOfModels {
  public:
    TModelSpinel();
};

}  // namespace varnodel
