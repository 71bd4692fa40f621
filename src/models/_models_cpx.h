// Clinopyroxene-melt equilibrium models: liquidus temperature (K) of augite and the augite in
// equilibrium with a melt given in cation moles; the pyroxene is written back in wt% and
// characterised by its Mg-number.
#pragma once

#include "core/Model.h"
#include "models/PyroxeneForms.h"

namespace varnodel {

// The clinopyroxene models in registration order.
class TModelClinopyroxene : public TSetOfModels {
  public:
    TModelClinopyroxene();
};

// Ariskin, Barmina & Frenkel (1986), Geokhimiya: two-lattice form.
class TModelClinoPyroxene_Ariskin1986
    : public ModelClone<TModelClinoPyroxene_Ariskin1986, TTwoLatticePyroxene> {
  public:
    TModelClinoPyroxene_Ariskin1986();
};

// Ariskin, Frenkel, Barmina & Nielsen (1993), Computers & Geosciences 19: the 1986
// coefficients with a volume term.
class TModelClinoPyroxene_Ariskin1993
    : public ModelClone<TModelClinoPyroxene_Ariskin1993, TTwoLatticePyroxene> {
  public:
    TModelClinoPyroxene_Ariskin1993();
};

// Nielsen (1985), Computers & Geosciences 11 (EQUIL): two-lattice form with Mn, Ti and Cr.
class TModelClinoPyroxene_Nielsen1985
    : public ModelClone<TModelClinoPyroxene_Nielsen1985, TTwoLatticePyroxene> {
  public:
    TModelClinoPyroxene_Nielsen1985();
};

// Nielsen (1988), Geochimica et Cosmochimica Acta 52: the 1985 terms with Fe3+ and Na.
class TModelClinoPyroxene_Nielsen1988
    : public ModelClone<TModelClinoPyroxene_Nielsen1988, TTwoLatticePyroxene> {
  public:
    TModelClinoPyroxene_Nielsen1988();
};

// Nielsen & Drake (1979), Geochimica et Cosmochimica Acta 43: two-lattice form.
class TModelClinoPyroxene_Nielsen_Drake1979
    : public ModelClone<TModelClinoPyroxene_Nielsen_Drake1979, TTwoLatticePyroxene> {
  public:
    TModelClinoPyroxene_Nielsen_Drake1979();
};

struct LangmuirRow;

// The clinopyroxene of Weaver & Langmuir (1990) and Langmuir et al. (1992), on the melt
// components of `toLangmuirComponents`:
//   r(T) = 1 − 2·(D_Na·X_Na + D_Mg·X_Mg + D_Fe·X_Fe) − D_Ti·X_Ti − D_Ca·X_Ca − 1.33·D_Al·X_Al.
class TLangmuirClinopyroxene : public TPyroxeneModel {
  public:
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    bool residualIsMonotonic(const TAssemblage& assemblage) override;
    Oxides pyroxeneFractions(const TAssemblage& assemblage, double T) const override;

  protected:
    explicit TLangmuirClinopyroxene(const LangmuirRow& row)
        : TPyroxeneModel(Phase::Clinopyroxene), row_(&row) {}

  private:
    struct Uptake {
        double na, mg, fe, ti, ca, al;  // D·X of each melt component
    };
    Uptake uptake(const TAssemblage& assemblage, double T) const;
    // The melt in Langmuir components, worked out once per liquidus search.
    const Oxides& components(const TAssemblage& assemblage) const;

    const LangmuirRow* row_;            // a static table
    mutable SearchCache<Oxides> melt_;  // the Langmuir components
};

// Langmuir, Klein & Plank (1992), AGU Geophysical Monograph 71: with pressure terms.
class TModelClinoPyroxene_Langmuir1992
    : public ModelClone<TModelClinoPyroxene_Langmuir1992, TLangmuirClinopyroxene> {
  public:
    TModelClinoPyroxene_Langmuir1992();
};

// Weaver & Langmuir (1990), Computers & Geosciences 16.
class TModelClinoPyroxene_Weaver_Langmuir1990
    : public ModelClone<TModelClinoPyroxene_Weaver_Langmuir1990, TLangmuirClinopyroxene> {
  public:
    TModelClinoPyroxene_Weaver_Langmuir1990();
};

// Quellmark (2001): the Ariskin et al. (1986) clinopyroxene liquidus shifted by the Ford et al.
// (1983) olivine liquidus, with a pressure slope of 1/0.182 K per kbar and an H2O depression.
class TModelClinoPyroxene_Quellmark2001
    : public ModelClone<TModelClinoPyroxene_Quellmark2001, TPyroxeneModel> {
  public:
    TModelClinoPyroxene_Quellmark2001();
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    Oxides pyroxeneFractions(const TAssemblage& assemblage, double T) const override;

  protected:
    // The liquidus (K) of a fresh Ford et al. (1983) olivine model for the assemblage as given
    // (its melt and pressure).
    virtual double fordOlivineLiquidus(const TAssemblage& assemblage) const;

  private:
    // The liquidus of a fresh Ariskin et al. (1986) clinopyroxene model at this model's
    // tolerance; its warning, if any, goes to `warning`.
    double ariskinLiquidus(const TAssemblage& assemblage, std::string& warning) const;
};

}  // namespace varnodel
