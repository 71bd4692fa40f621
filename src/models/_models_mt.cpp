#include "models/_models_mt.h"

namespace varnodel {

namespace {
// ln D = a/T + b log fO2 + c + d X_Na2O + e X_K2O + f X_P2O5
// clang-format off
constexpr AriskinBarminaRows kMagnetiteRows{{
    //  a          b        c          d          e         f           multiplies
    { 20964.7,   0.6159,  -8.8187,  -10.1838,  32.7525,  -14.2506},  // X_FeO + X_Fe2O3 (Fe3+)
    { 17013.8,   0.1042, -10.1728,   -1.5938,  14.1291,  -11.7925},  // X_FeO + X_Fe2O3 (Fe2+)
    {-17128.7,   0.0105,  11.5136,   -0.8377,  -4.8338,    5.82},    // X_Al2O3
    { 14971.4,   0.2021,  -8.2121,  -10.2151,  13.6451,  -25.1426},  // X_MgO
    { 27422.6,  -0.1336, -20.3655,   10.5126,  22.0278,  -10.3297},  // X_TiO2
}};
// clang-format on
}  // namespace

TModelMagnetite_Ariskin_Barmina1999::TModelMagnetite_Ariskin_Barmina1999()
    : ModelClone(kMagnetiteRows, Phase::Magnetite, false) {
    displayName = "Ariskin, Barmina 1999";
    shortName = "Arisk99 ";
    tolerance = 0.01;
}

TModelMagnetite::TModelMagnetite() : TSetOfModels("Magnetite", "Mgt") {
    add<TModelMagnetite_Ariskin_Barmina1999>();
}

}  // namespace varnodel
