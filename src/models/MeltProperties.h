// Density and viscosity of the melt, reported by the engines at each printed step. Plain
// functions of the melt composition and temperature, not TModel classes.
//
// Inputs: the melt in cation moles (the molar form the engines keep), T in kelvin.
// None of them returns a number that is not finite: a melt without the components a model is
// formed from (no oxides at all, or a temperature at a pole of a fit) raises
// EFloatingPointError naming the model, which the engines report as a floating point error.
#pragma once

#include "core/Composition.h"
#include "core/Parameters.h"

namespace varnodel {

struct MeltDensity {
    double density = 0.0;           // g/cm3
    double thermalExpansion = 0.0;  // 1/K; only Nelson & Carmichael 1979 gives it, else 0
};

// Lange & Carmichael 1987, Geochim. Cosmochim. Acta 51, 2931-2946: partial molar volumes at
// 1773 K with their temperature derivatives. g/cm3.
double densityLangeCarmichael1987(const Oxides& cationMoles, double T);

// Nelson & Carmichael 1979, Contrib. Mineral. Petrol. 71, 117-124: partial molar volumes and
// thermal expansions referred to 1523 K. Density in g/cm3 and the melt's expansion in 1/K.
MeltDensity densityNelsonCarmichael1979(const Oxides& cationMoles, double T);

// The run's chosen density model on the melt's twelve oxides.
MeltDensity meltDensity(const TAnalysis& melt, double T, DensityModel model);

// Bottinga & Weill 1972, Am. J. Sci. 272, 438-475: ln of the viscosity in poise, linear in the
// model's eight components with coefficients by the melt's SiO2 mole fraction.
double viscosityBottingaWeill1972(const Oxides& cationMoles, double T);

// Giordano & Dingwell 2003, Earth Planet. Sci. Lett. 208, 337-349: the viscosity as a function
// of the structure modifiers SM (mol%) at each temperature. Takes the whole melt (H2O dilutes
// SM). ln of the viscosity in poise.
double viscosityGiordanoDingwell2003(const TAnalysis& melt, double T);

// The run's chosen viscosity model: ln of the viscosity in poise.
double meltViscosity(const TAnalysis& melt, double T, ViscosityModel model);

}  // namespace varnodel
