// Conversions of a composition between wt%, cation moles, oxide moles, fractions and the
// component sets of individual published models.
#pragma once

#include <string_view>

#include "core/Composition.h"

namespace varnodel {

// Each conversion that divides by a sum keeps that sum so that its inverse can undo it. An
// instance is cheap: a model or engine keeps its own, so nothing is shared between runs.
class TMoleConversions {
  public:
    // wt% -> cation moles: oxides by their mass per cation, H2O by 18, traces by atomic mass.
    void wtToMoles(TAnalysis& a) const;
    void molesToWt(TAnalysis& a) const;
    // Trace values ppm -> wt%; oxides and H2O untouched.
    void ppmToWt(TAnalysis& a) const;

    // The two-cation oxides (Al2O3, Fe2O3, Na2O, K2O, P2O5, Cr2O3) halved or doubled.
    void cationsToOxides(Oxides& x) const;
    void oxidesToCations(Oxides& x) const;

    // Divides the twelve values by their sum, which `denormalize` multiplies back.
    void normalize(Oxides& x);
    void denormalize(Oxides& x) const;

    // Network formers (Si, Na, K) and modifiers, Al not balanced by alkalis counted as modifier.
    void toTwoLattice(Oxides& x);
    void fromTwoLattice(Oxides& x) const;

    // Weaver & Langmuir 1990, Langmuir et al. 1992.
    void toLangmuirComponents(Oxides& x);
    // Drake 1976 plagioclase.
    void toDrakeComponents(Oxides& x);
    // Ariskin 1993, Ariskin & Barmina 1990, Brisande & Gerya 1998 plagioclase.
    void toAlSiComponents(Oxides& x);
    // Gaetani & Watson 2002 olivine.
    void toGaetaniWatsonComponents(Oxides& x);

    double lastSum = 0.0;
    double formerSum = 0.0;
    double modifierSum = 0.0;
    double alSiSum = 0.0;  // shared by the Drake and the Al-Si components, as their inverses are
    double alSiRest = 0.0;
    double langmuirSum = 0.0;
    double gwSum = 0.0;
};

// A mineral given as cation fractions, in wt% summing to 100: each fraction times its mass per
// cation, the twelve products scaled together. All zeros stay zeros.
Oxides cationFractionsToWtPercent(const Oxides& fractions);

// Brings a composition in wt% (traces already in wt%) to a total of 100, each trace counted as
// its oxide. Mode "none": H2O is part of the total and scaled with the rest. Mode "fluid": the
// dry total is scaled to 100 - h and H2O left alone. Any other mode changes nothing.
void normalizeTotal(TAnalysis& a, std::string_view mode, double h);

// The mass-weighted mixture (mA·A + mB·B − mC·C) / (mA + mB − mC) of three compositions in the
// molar form (cation moles per 100 g, traces as wt% / atomic mass), over the twelve oxides and the
// active H2O and traces, brought back to 100 g. Every transfer of mass between melt, crystals,
// cumulate and fluid goes through it. Inactive elements keep the values of A.
TAnalysis combineByMass(const TAnalysis& a, const TAnalysis& b, const TAnalysis& c, double mA,
                        double mB, double mC, const ActiveElements& active);

// The weight of a trace element's oxide per unit weight of the element.
double traceOxideFactor(std::size_t traceIndex0);

}  // namespace varnodel
