// Plagioclase-melt equilibrium models. Melt in cation moles, pressure in bar, T in kelvin; An
// (anorthite fraction) is returned as a fraction and the plagioclase stored in wt%.
#pragma once

#include "core/Model.h"

namespace varnodel {

// The plagioclase models in registration order.
class TModelPlagioclase : public TSetOfModels {
  public:
    TModelPlagioclase();
};

// Stores the phase "plagioclase" with anorthite fraction `An` and, per five-cation formula,
// `fe` Fe2+ and `mg` Mg cations: with f = (fe + mg)/2, Na = (1 - An)(1 - f), Ca = (1 - f) An,
// Al = 2 - Na - f, Si = Na + 2, converted to wt% summing to 100. Without Fe and Mg this is
// Ab NaAlSi3O8 + An CaAl2Si2O8. `flagMinorOxides` marks the oxides other than SiO2, Al2O3, FeO,
// MgO, CaO and Na2O not determined.
void storePlagioclase(TAssemblage& assemblage, double An, double fe = 0.0, double mg = 0.0,
                      bool flagMinorOxides = false);

// The common form of the plagioclase models: the melt is saturated where
//   r(T) = S - K_An(T) X_Ca X_Al^2 X_Si^2 - K_Ab(T) X_Na X_Si^3 = 0
// (anorthite and albite terms, in each model's melt components), and at T the plagioclase has
// Ab = (albite term) / S, An = 1 - Ab.
class PlagioclaseCommonForm : public TModel {
  public:
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    void Get_Mineral_Composition(TAssemblage& assemblage, double& An, double T) override;

    struct Terms {
        double S = 1.0;
        double anorthite = 0.0;
        double albite = 0.0;
    };

  protected:
    PlagioclaseCommonForm(const char* displayName, const char* shortName, bool pressure,
                          bool water);

    virtual Terms terms(const TAssemblage& assemblage, double T) const = 0;
    // The Ab of the plagioclase at T; the albite term over S unless a model writes it apart.
    virtual double albiteFraction(const TAssemblage& assemblage, double T) const;
};

// Ariskin, Frenkel, Barmina & Nielsen (1993), COMAGMAT, Computers & Geosciences 19, 1155-1170:
// Si-Al lattice components, with a composition term L = ln((Na + K) Al / Si^2) and a pressure
// term V = 0.0239 P / 1.986 (P in bar).
class TModelPlagioclase_Ariskin1993
    : public ModelClone<TModelPlagioclase_Ariskin1993, PlagioclaseCommonForm> {
  public:
    TModelPlagioclase_Ariskin1993();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) const override;
    double albiteFraction(const TAssemblage& assemblage, double T) const override;
};

// Ariskin & Barmina (1990), Geochemistry International 27(9), 129-134: the 1993 form without
// its pressure terms.
class TModelPlagioclase_Ariskin_Barmina1990
    : public ModelClone<TModelPlagioclase_Ariskin_Barmina1990, PlagioclaseCommonForm> {
  public:
    TModelPlagioclase_Ariskin_Barmina1990();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) const override;
};

// Drake (1976), Geochimica et Cosmochimica Acta 40, 457-465: anorthite in cation fractions,
// albite in Drake's Si and Na components.
class TModelPlagioclase_Drake1976
    : public ModelClone<TModelPlagioclase_Drake1976, PlagioclaseCommonForm> {
  public:
    TModelPlagioclase_Drake1976();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) const override;
};

// Nielsen & Dungan (1983), Contributions to Mineralogy and Petrology 84, 310-326: two-lattice
// components, one formula unit of five cations (S = 0.2).
class TModelPlagioclase_Nielsen_Dungan1983
    : public ModelClone<TModelPlagioclase_Nielsen_Dungan1983, PlagioclaseCommonForm> {
  public:
    TModelPlagioclase_Nielsen_Dungan1983();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) const override;
};

// Nielsen (1985), EQUIL, Computers & Geosciences 11, 531-546: as Nielsen & Dungan 1983 with
// recalibrated constants.
class TModelPlagioclase_Nielsen1985
    : public ModelClone<TModelPlagioclase_Nielsen1985, PlagioclaseCommonForm> {
  public:
    TModelPlagioclase_Nielsen1985();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) const override;
};

// Weaver & Langmuir (1990), Computers & Geosciences 16, 1-19: Langmuir components, constants
// that depend on b = X_Al / (X_Al + 1.5 X_Na).
class TModelPlagioclase_Weaver_Langmuir1990
    : public ModelClone<TModelPlagioclase_Weaver_Langmuir1990, PlagioclaseCommonForm> {
  public:
    TModelPlagioclase_Weaver_Langmuir1990();
    bool residualIsMonotonic(const TAssemblage& assemblage) override;

  protected:
    Terms terms(const TAssemblage& assemblage, double T) const override;

  private:
    mutable SearchCache<Oxides> melt_;  // the Langmuir components
};

// Langmuir, Klein & Plank (1992), AGU Geophysical Monograph 71, 183-280: Weaver & Langmuir
// with a pressure term in the albite constant.
class TModelPlagioclase_Langmuir1992
    : public ModelClone<TModelPlagioclase_Langmuir1992, PlagioclaseCommonForm> {
  public:
    TModelPlagioclase_Langmuir1992();
    bool residualIsMonotonic(const TAssemblage& assemblage) override;

  protected:
    Terms terms(const TAssemblage& assemblage, double T) const override;

  private:
    mutable SearchCache<Oxides> melt_;  // the Langmuir components
};

// Quellmark (2001): the Weaver & Langmuir (1990) plagioclase recalibrated against the Ford et
// al. (1983) olivine liquidus on the olivine-plagioclase cotectic, with H2O and pressure terms
// (5 K/kbar on the liquidus, 2575.3 K/kbar over T on An); the plagioclase carries Fe and Mg.
class TModelPlagioclase_Quellmark2001 : public ModelClone<TModelPlagioclase_Quellmark2001> {
  public:
    TModelPlagioclase_Quellmark2001();
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    void Get_Mineral_Composition(TAssemblage& assemblage, double& An, double T) override;
};

// Brisande & Gerya (1998): the liquidus of Ariskin et al. 1993 lowered by 50 K per wt% H2O, and
// An from a subregular plagioclase solution in exchange with the melt's Ca/Na, with a water
// term scaled by the melt's H2O relative to saturation (Moore et al. 1998).
class TModelPlagioclase_Brisande1998 : public ModelClone<TModelPlagioclase_Brisande1998> {
  public:
    TModelPlagioclase_Brisande1998();
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    void Get_Mineral_Composition(TAssemblage& assemblage, double& An, double T) override;
};

}  // namespace varnodel
