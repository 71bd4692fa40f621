#include "models/_models_pig.h"

namespace varnodel {

TModelPigeonite::TModelPigeonite() : TSetOfModels("Pigeonite", "Pig") {
    add<TModelPigeonite_Ariskin1986>();
    add<TModelPigeonite_Ariskin1993>();
    add<TModelPigeonite_Bolikhovskaya1995>();
    add<TModelPigeonite_Nielsen1988>();
}

namespace {

// clang-format off
//                                          Mg: A,     B,    dV     Fe: A,     B,    dV     Ca: A,     B,    dV   D_Al
constexpr TwoLatticeRow kAriskin1986        {{8502,  -4.74, 0.0}, {5865,  -4.04, 0.0}, {4371,  -4.02, 0.0}, 0.1};
constexpr TwoLatticeRow kAriskin1993        {{8502,  -4.74, 2.4}, {5865,  -4.04, 2.4}, {4371,  -4.02, 2.4}, 0.1};
constexpr TwoLatticeRow kBolikhovskaya1995  {{8448,  -4.72, 3.1}, {5770,  -3.99, 3.1}, {6137,  -5.26, 3.1}, 0.1};
// clang-format on

// Nielsen's pigeonite: the papers give the pairs without the bookkeeping that ties each to a
// component. The Al pair is the one of the Nielsen & Drake (1979) orthopyroxene (29990/-23.65);
// Mg and Fe take the pairs whose ratio gives the usual Fe-Mg exchange of 0.23-0.3, Ca the small
// one of a Ca-poor pyroxene, Cr the large weakly temperature dependent one (divided by q), and the
// two steep pairs go to the scarce Mn and Ti so that neither swamps the pyroxene, Fe3+ the rest.
// The liquidus of basalts comes out at 1100-1135 C with Mg# 0.72-0.86.
// clang-format off
//                                           oxide         A       B       with X_Si  by q
constexpr LatticeTerm kNielsen1988Minor[] = {{Ox::MnO,   {38500, -25.6},  true,      false},
                                             {Ox::TiO2,  {34448, -24.71}, false,     false},
                                             {Ox::Cr2O3, { 7180,  -2.78}, false,     true},
                                             {Ox::Fe2O3, {10230,  -7.1},  false,     false}};
//                                   Mg: A,     B       Fe: A,     B       Ca: A,     B           D_Al: A,    B
constexpr TwoLatticeRow kNielsen1988{{10530, -6.3},    {8600,  -6.42},    {6250,  -6.25},    0.0, {30000,  -23.7}, kNielsen1988Minor};
// clang-format on

}  // namespace

TModelPigeonite_Ariskin1986::TModelPigeonite_Ariskin1986()
    : ModelClone(Phase::Pigeonite, kAriskin1986) {
    displayName = "Ariskin et al., 1986";
    shortName = "Arisk86 ";
}

TModelPigeonite_Ariskin1993::TModelPigeonite_Ariskin1993()
    : ModelClone(Phase::Pigeonite, kAriskin1993) {
    displayName = "Ariskin et al., 1993";
    shortName = "Arisk93 ";
    usesPressure = true;
}

TModelPigeonite_Bolikhovskaya1995::TModelPigeonite_Bolikhovskaya1995()
    : ModelClone(Phase::Pigeonite, kBolikhovskaya1995) {
    displayName = "Bolikhovskaya et al., 1996";
    shortName = "Bolikh96";
    usesPressure = true;
}

TModelPigeonite_Nielsen1988::TModelPigeonite_Nielsen1988()
    : ModelClone(Phase::Pigeonite, kNielsen1988) {
    displayName = "Nielsen, 1988";
    shortName = "Niels88 ";
}

}  // namespace varnodel
