#include "models/_models_oxydations.h"

namespace varnodel {

namespace {

// Composition terms in the component order
// SiO2, TiO2, Al2O3, Fe2O3, FeO, MnO, MgO, CaO, Na2O, K2O, P2O5, Cr2O3.
// In the Sack et al. row the Fe2O3 term applies to the Fe2O3 kept in the working copy beside the
// total iron counted as FeO.
// clang-format off
constexpr OxidationCoefficients kSack1980{
    OxidationForm::SackKilinc, 0.21813, 13184.7, -4.49933,
    {-2.15036, 0.0, -8.35163, -8.99016, -4.49508, 0.0, -5.43639, 0.073113, 3.54148, 4.18688, 0.0, 0.0},
    {},
    {}};

constexpr OxidationCoefficients kKilinc1983{
    OxidationForm::SackKilinc, 0.2185, 12670.0, -7.54,
    {0.0, 0.0, -2.24, 0.0, 1.55, 0.0, 0.0, 2.96, 8.42, 9.59, 0.0, 0.0},
    {},
    {}};

constexpr OxidationCoefficients kKress1988{
    OxidationForm::Kress, 0.232, 11540.0, -5.54,
    {0.0, 0.0, -5900.0, 0.0, 0.0, 0.0, 0.0, 5880.0, 12760.0, 13290.0, 0.0, 0.0},
    {},
    {}};

constexpr OxidationCoefficients kBorisov1990{
    OxidationForm::Borisov, 0.1735, 771.7, 1.914,
    //   SiO2       TiO2        Al2O3     Fe2O3  FeO       MnO   MgO       CaO        Na2O      K2O       P2O5  Cr2O3
    {  0.01647,  -0.5359,    -0.119,    0.0,  -0.252,   0.0,   0.0552,  -0.01685, -0.1844,  -0.2514,   0.0,  0.0},
    {-70.91,    816.3,      132.8,      0.0, 448.4,     0.0, -112.0,      3.876,  408.7,    491.6,     0.0,  0.0},
    { -0.001511,  0.0007999,  0.001424, 0.0,   0.00692, 0.0,   0.002478, -0.001097, 0.009416, 0.006207, 0.0,  0.0}};
// clang-format on

void setNames(TModel& model, const char* displayName, const char* shortName, bool isDefault) {
    model.displayName = displayName;
    model.shortName = shortName;
    model.selected = isDefault;
    model.isDefault = isDefault;
}

}  // namespace

TModelOxydation_Sack1980::TModelOxydation_Sack1980() : ModelClone(kSack1980) {
    setNames(*this, "Sack et al., 1980", "Sack80  ", false);
}

TModelOxydation_Kilinc1983::TModelOxydation_Kilinc1983() : ModelClone(kKilinc1983) {
    setNames(*this, "Kilinc et al., 1983", "Kilinc83", false);
}

TModelOxydation_Kress1988::TModelOxydation_Kress1988() : ModelClone(kKress1988) {
    setNames(*this, "Kress and Carmichael, 1988", "Kress88 ", false);
}

TModelOxydation_Borisov1990::TModelOxydation_Borisov1990() : ModelClone(kBorisov1990) {
    setNames(*this, "Borisov and Shapkin, 1990", "Boris90 ", true);
}

void registerOxidationModels(TSetOfModels& set) {
    set.add<TModelOxydation_Sack1980>();
    set.add<TModelOxydation_Kilinc1983>();
    set.add<TModelOxydation_Kress1988>();
    set.add<TModelOxydation_Borisov1990>();
}

const OxidationCoefficients* findOxidationCoefficients(std::string_view shortName) {
    if (shortName == "Sack80  ") return &kSack1980;
    if (shortName == "Kilinc83") return &kKilinc1983;
    if (shortName == "Kress88 ") return &kKress1988;
    if (shortName == "Boris90 ") return &kBorisov1990;
    return nullptr;
}

}  // namespace varnodel
