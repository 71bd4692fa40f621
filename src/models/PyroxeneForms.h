// The shapes shared by the pyroxene-melt models of clinopyroxene, orthopyroxene and pigeonite:
// the pyroxene writer, the partition coefficients and the two-lattice form of Nielsen & Drake
// (1979), Ariskin et al. (1986, 1993), Bolikhovskaya et al. (1995, 1996) and Nielsen (1985, 1988).
#pragma once

#include <span>

#include "core/Model.h"

namespace varnodel {

// A partition coefficient D = exp((A + dV·0.0239·P/1.986)/T + B), T in K and P in bar: the
// volume term of Ariskin et al. (1993) with dV in cm3/mol (0.0239 cal/(bar·cm3), R = 1.986
// cal/(mol·K)). dV = 0 for the models without a pressure term.
struct Arrhenius {
    double A = 0.0;
    double B = 0.0;
    double dV = 0.0;

    double at(double T, double P) const;
};

// Every pyroxene model: the mineral is built in cation fractions, written back in wt% under the
// mineral's phase name, and characterised by its Mg-number MgO/(MgO + FeO) of those fractions.
class TPyroxeneModel : public TModel {
  public:
    void Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) override;

    // The pyroxene in equilibrium with the melt of `assemblage` at T (K), in cation fractions.
    virtual Oxides pyroxeneFractions(const TAssemblage& assemblage, double T) const = 0;

    Phase mineral() const { return mineral_; }

  protected:
    explicit TPyroxeneModel(Phase mineral) : mineral_(mineral) {}

    // Raises EModelError_GetT unless T (K) is finite and above zero.
    void checkLiquidus(double T) const;

  private:
    Phase mineral_;
};

// A minor component of the Nielsen models, on the modifier lattice: adds ½·D·X (times X_Si for a
// divalent cation that enters with silica, divided by q for Cr) to the pyroxene.
struct LatticeTerm {
    std::size_t oxide;
    Arrhenius D;
    bool withSilica = false;
    bool byDivisor = false;
};

// One model of the two-lattice form: D_Mg, D_Fe, D_Ca, D_Al (a constant when alConstant > 0)
// and the Nielsen minor terms.
struct TwoLatticeRow {
    Arrhenius mg;
    Arrhenius fe;
    Arrhenius ca;
    double alConstant = 0.0;
    Arrhenius al{};
    std::span<const LatticeTerm> minor{};
};

// The two-lattice pyroxene: with the melt as `toTwoLattice` fractions X,
//   r(T) = 0.5 − (D_Ca·X_Ca + D_Mg·X_Mg + D_Fe·X_Fe)·X_Si/2 − D_Al·X_Al/2 − minor terms,
// and the pyroxene MgO = ½·D_Mg·X_Mg·X_Si (likewise FeO, CaO), Al2O3 = D_Al·X_Al, half of it on
// the tetrahedral site so that SiO2 = 0.5 − D_Al·X_Al/2: the fractions sum to one where r = 0.
class TTwoLatticePyroxene : public TPyroxeneModel {
  public:
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    Oxides pyroxeneFractions(const TAssemblage& assemblage, double T) const override;

  protected:
    TTwoLatticePyroxene(Phase mineral, const TwoLatticeRow& row)
        : TPyroxeneModel(mineral), row_(&row) {}

  private:
    // The pyroxene's share of each component at T (MgO, FeO, CaO before the X_Si/2 factor).
    struct Uptake {
        double mg, fe, ca, al, xSi;
        Oxides minor;
    };
    Uptake uptake(const TAssemblage& assemblage, double T) const;

    const TwoLatticeRow* row_;  // a static table
};

// Nielsen's Fe3+/Fe2+ divisor of the Cr term: q = 51 − 50·Fe2+/(Fe2+ + Fe3+) from the melt's
// cation moles, replaced by 2.3125 when q > 5 (as in his 1988 olivine).
double nielsenDivisor(const Oxides& cationMoles);

}  // namespace varnodel
