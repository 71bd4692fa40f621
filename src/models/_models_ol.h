// Olivine-melt equilibrium models: the liquidus temperature of olivine for a melt and the olivine
// in equilibrium with it. The melt comes in cation moles, temperatures are in kelvin, pressure in
// bar; the olivine goes back in wt% as the phase "olivine", its forsterite fraction returned.
#pragma once

#include "core/Model.h"

namespace varnodel {

// The olivine models in registration order.
class TModelOlivine : public TSetOfModels {
  public:
    TModelOlivine();
};

// Writes the olivine of a three-cation formula (SiO2 = 1/3, the minor cations given, Mg and Fe
// sharing the rest of the two M sites by `fo`) back into the assemblage in wt%, with the Ni the
// olivine takes as its trace "Ni" on the same basis. Throws EModelError_GetT naming `model` when
// the composition is not a finite number. Returns `fo`.
double storeOlivine(TAssemblage& assemblage, const TModel& model, double fo,
                    const Oxides& minor = {}, double ni = 0.0);

// The shared shape of most olivine models: the liquidus is the root of
//   r(T) = S - D_Fe(T) x_Fe - D_Mg(T) x_Mg - (the model's other olivine cations, if any)
// with S = 2/3 on melt cation or oxide fractions and S = 1 on Ariskin's two-lattice fractions,
// and the olivine at T has Fo = D_Mg x_Mg / (D_Mg x_Mg + D_Fe x_Fe).
class TOlivineCommonForm : public TModel {
  public:
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    void Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) override;

  protected:
    struct Terms {
        double dFe = 0.0, xFe = 0.0;
        double dMg = 0.0, xMg = 0.0;
        Oxides minor{};  // other olivine cations D_i x_i the residual counts and the olivine takes
        double constant = 0.0;  // a residual term that is no cation of the olivine
    };
    // The terms at T, in the unit the model's own equations take (see celsius).
    virtual Terms terms(const TAssemblage& assemblage, double T) = 0;

    double sites = 2.0 / 3.0;  // S
    bool celsius = false;      // the equations take degrees Celsius (converted with 273)
};

// Ford, Russell, Craven & Fisk (1983), J. Petrol. 24, 256-265: Mg and Fe2+ partition between
// olivine and melt on cation fractions, with pressure (bar) and composition terms.
class TModelOlivine_Ford1983 : public ModelClone<TModelOlivine_Ford1983, TOlivineCommonForm> {
  public:
    TModelOlivine_Ford1983();
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    bool residualIsMonotonic(const TAssemblage& assemblage) override;

  protected:
    Terms terms(const TAssemblage& assemblage, double T) override;

  private:
    // The melt in cation fractions, converted once per liquidus search.
    struct Melt {
        Oxides c{};                    // cation fractions
        std::array<double, 8> logs{};  // its composition terms, which do not depend on T
    };
    static Melt melt(const TAssemblage& assemblage);
    Melt cachedMelt_{};
    bool cacheValid_ = false;
};

// Ariskin, Barmina & Frenkel (1986), Geokhimiya: two-lattice melt, Al/Si term.
class TModelOlivine_Ariskin1986 : public ModelClone<TModelOlivine_Ariskin1986, TOlivineCommonForm> {
  public:
    TModelOlivine_Ariskin1986();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) override;
};

// Ariskin, Frenkel, Barmina & Nielsen (1993), Computers & Geosciences 19, 1155-1170 (COMAGMAT).
class TModelOlivine_Ariskin1993 : public ModelClone<TModelOlivine_Ariskin1993, TOlivineCommonForm> {
  public:
    TModelOlivine_Ariskin1993();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) override;
};

// Beattie (1993), Contrib. Mineral. Petrol. 115, 103-111: D_Mg from the olivine's cation balance,
// the liquidus directly from the thermodynamic expression of D_Mg.
class TModelOlivine_Beattie1993 : public ModelClone<TModelOlivine_Beattie1993> {
  public:
    TModelOlivine_Beattie1993();
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    void Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) override;
};

// Quellmark (2001): the Ford et al. (1983) liquidus lowered by the melt's H2O, and an olivine with
// Mn, Ca and Cr taken from fits to Fo.
class TModelOlivine_Quellmark2001 : public ModelClone<TModelOlivine_Quellmark2001> {
  public:
    TModelOlivine_Quellmark2001();
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    void Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) override;

  private:
    // Runs `call` on a fresh Ford et al. (1983) model of this run; its failures name this model.
    template <class Call>
    void withFord(Call call);
    double fordLiquidus(const TAssemblage& assemblage);
};

// Gaetani & Watson (2002), Chem. Geol. 183, 25-41: regular-solution partition of Mg and Fe.
class TModelOlivine_Gaetani_Watson2002
    : public ModelClone<TModelOlivine_Gaetani_Watson2002, TOlivineCommonForm> {
  public:
    TModelOlivine_Gaetani_Watson2002();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) override;
};

// Herzberg & O'Hara (2002), J. Petrol. 43, 1857-1883: the Beattie (1993) liquidus with D_Mg
// from an olivine whose Fe-Mg exchange coefficient depends on D_Mg.
class TModelOlivine_Herzberg_OHara2002 : public ModelClone<TModelOlivine_Herzberg_OHara2002> {
  public:
    TModelOlivine_Herzberg_OHara2002();
    void Get_Temperature(const TAssemblage& assemblage, double& T) override;
    void Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T) override;
};

// Langmuir, Klein & Plank (1992), AGU Geophys. Monogr. 71, 183-280.
class TModelOlivine_Langmuir1992
    : public ModelClone<TModelOlivine_Langmuir1992, TOlivineCommonForm> {
  public:
    TModelOlivine_Langmuir1992();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) override;
};

// Nielsen (1985), Computers & Geosciences 11, 531-546 (EQUIL): two-lattice melt, with Mn.
class TModelOlivine_Nielsen1985 : public ModelClone<TModelOlivine_Nielsen1985, TOlivineCommonForm> {
  public:
    TModelOlivine_Nielsen1985();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) override;
};

// Nielsen (1988), Geochim. Cosmochim. Acta 52, 27-38: two-lattice melt, with Mn, Cr and Ti.
class TModelOlivine_Nielsen1988 : public ModelClone<TModelOlivine_Nielsen1988, TOlivineCommonForm> {
  public:
    TModelOlivine_Nielsen1988();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) override;
};

// Putirka (2005), Geochem. Geophys. Geosyst. 6, Q05L08, equations A and B (degrees Celsius).
class TModelOlivine_Putirka2005ab
    : public ModelClone<TModelOlivine_Putirka2005ab, TOlivineCommonForm> {
  public:
    TModelOlivine_Putirka2005ab();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) override;
};

// Putirka (2005), equations C and D: with silica, alkali and H2O terms (degrees Celsius).
class TModelOlivine_Putirka2005cd
    : public ModelClone<TModelOlivine_Putirka2005cd, TOlivineCommonForm> {
  public:
    TModelOlivine_Putirka2005cd();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) override;
};

// Roeder & Emslie (1970), Contrib. Mineral. Petrol. 29, 275-289: on oxide mole fractions.
class TModelOlivine_Roedder_Emslie1970
    : public ModelClone<TModelOlivine_Roedder_Emslie1970, TOlivineCommonForm> {
  public:
    TModelOlivine_Roedder_Emslie1970();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) override;
};

// Sobolev & Slutsky (1984), Geologiya i Geofizika: cation fractions, pressure in kbar.
class TModelOlivine_Sobolev_Slutsky1984
    : public ModelClone<TModelOlivine_Sobolev_Slutsky1984, TOlivineCommonForm> {
  public:
    TModelOlivine_Sobolev_Slutsky1984();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) override;
};

// Weaver & Langmuir (1990), Computers & Geosciences 16, 1-19: all iron as one component.
class TModelOlivine_Weaver_Langmuir1990
    : public ModelClone<TModelOlivine_Weaver_Langmuir1990, TOlivineCommonForm> {
  public:
    TModelOlivine_Weaver_Langmuir1990();

  protected:
    Terms terms(const TAssemblage& assemblage, double T) override;
};

}  // namespace varnodel
