// Oxidation state of the melt: the published relations between Fe3+/Fe2+ of a silicate melt,
// temperature (K), oxygen fugacity (bar) and melt composition (oxide mole fractions). The models
// hold only their coefficients; TOxydationState does the arithmetic.
#pragma once

#include <string_view>

#include "core/Model.h"

namespace varnodel {

// Which of the three shapes of the relation a model's coefficients belong to.
enum class OxidationForm {
    SackKilinc,  // ln(XFe2O3/XFeO) = a ln fO2 + b/T + c + sum d_i X_i
    Kress,       // ln(XFe2O3/XFeO) = a ln fO2 + (b + sum d_i X_i)/T + c
    Borisov,     // log(Fe3/Fe2) = a log fO2 + b/T + c + sums of d1, d2/T, d3 log fO2 in mol%
};

struct OxidationCoefficients {
    OxidationForm form;
    double a;
    double b;
    double c;
    Oxides d1;  // composition terms, one per oxide in the component order
    Oxides d2;  // Borisov & Shapkin only: terms divided by T
    Oxides d3;  // Borisov & Shapkin only: terms multiplied by log fO2
};

class TModelOxydation : public TModel {
  public:
    explicit TModelOxydation(const OxidationCoefficients& coefficients)
        : coefficients_(&coefficients) {}
    const OxidationCoefficients& coefficients() const { return *coefficients_; }

  private:
    const OxidationCoefficients* coefficients_;  // static tables: copies share them
};

// Sack, Carmichael, Rivers & Ghiorso 1980, Contrib. Mineral. Petrol. 75.
class TModelOxydation_Sack1980 : public ModelClone<TModelOxydation_Sack1980, TModelOxydation> {
  public:
    TModelOxydation_Sack1980();
};

// Kilinc, Carmichael, Rivers & Sack 1983, Contrib. Mineral. Petrol. 83.
class TModelOxydation_Kilinc1983 : public ModelClone<TModelOxydation_Kilinc1983, TModelOxydation> {
  public:
    TModelOxydation_Kilinc1983();
};

// Kress & Carmichael 1988, American Mineralogist 73.
class TModelOxydation_Kress1988 : public ModelClone<TModelOxydation_Kress1988, TModelOxydation> {
  public:
    TModelOxydation_Kress1988();
};

// Borisov & Shapkin 1990, Geochemistry International 27.
class TModelOxydation_Borisov1990
    : public ModelClone<TModelOxydation_Borisov1990, TModelOxydation> {
  public:
    TModelOxydation_Borisov1990();
};

// Fills the set of oxidation-state models in registration order.
void registerOxidationModels(TSetOfModels& set);

// The coefficients of the model with this eight-character short name ("Sack80  ", "Kilinc83",
// "Kress88 ", "Boris90 "), or nullptr. Lets a mineral model that needs the melt's fO2 reach the
// run's oxidation model by the name kept in the run settings.
const OxidationCoefficients* findOxidationCoefficients(std::string_view shortName);

}  // namespace varnodel
