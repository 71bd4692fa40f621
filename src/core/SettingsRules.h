// The rules every front end applies to the settings it edits: the bounds of each entry field,
// the names under which the density and viscosity models are offered, and the rules that keep
// settings consistent with each other. The command line, the windows and the Python module
// share them, so that a setting means the same whichever of them set it.
#pragma once

#include <array>
#include <cstddef>
#include <string_view>

#include "core/Model.h"
#include "core/Parameters.h"

namespace varnodel {

struct Bounds {
    double min;
    double max;
};

// The bounds of the entry fields of the windows and dialogs; a field without bounds of its own
// takes those of the number entry rule, 0 to 100.
inline constexpr Bounds kEntryDefault{0.0, 100.0};
inline constexpr Bounds kInitialPressure{0.001, 100.0};  // kbar
inline constexpr Bounds kCalculationStep{1e-5, 25.0};    // %
inline constexpr Bounds kTracePpm{0.0, 1e6};             // as read from data files
inline constexpr Bounds kPressureSlope{-100.0, 100.0};   // deg/kbar
inline constexpr Bounds kH2OA{0.0, 500.0};
inline constexpr Bounds kH2OB{-1.0, 1.0};
inline constexpr Bounds kLnKd{-1e9, 1e9};
inline constexpr Bounds kOlivineEquation{-1e6, 1e6};
inline constexpr Bounds kFixedRatio{0.001, 100.0};
inline constexpr Bounds kBufferShift{-10.0, 10.0};  // log units
inline constexpr Bounds kDpDt{-1000.0, 1000.0};     // bar/degree
inline constexpr Bounds kStopTemperature{0.0, 3000.0};
inline constexpr Bounds kExclusionTemperature{0.0, 3000.0};  // degrees C
inline constexpr Bounds kOutputInterval{0.0001, 100.0};
inline constexpr Bounds kTraceDecimals{0.0, 6.0};
// "Diffusion profiles modelling" on the melt-inclusion tab.
inline constexpr Bounds kCoolingInterval{1.0, 500.0};          // degrees C
inline constexpr Bounds kInclusionRadius{1.0, 1000.0};         // micrometres
inline constexpr Bounds kFinalExtent{1.0, 100.0};              // % of re-equilibration
inline constexpr Bounds kCoolingRate{-1000.0, 1000.0};         // degrees C per day
inline constexpr Bounds kReheatingTemperature{100.0, 2500.0};  // degrees C

// The names the density and viscosity dialogs show, in the order of the model index.
inline constexpr std::string_view kDensityNames[] = {"Lange, Carmichael 1987",
                                                     "Nelson, Carmichael 1979"};
inline constexpr std::string_view kViscosityNames[] = {"Bottinga, Weill 1972",
                                                       "Giordano, Dingwell 2003"};

// The correction dialogs: a mineral's pressure correction is on exactly when its slope is not 0,
// its H2O correction when A or B is not 0. The values are taken as given (already bounded).
void setPressureCorrection(TMineralOptions& options, double slope);
void setH2OCorrection(TMineralOptions& options, double a, double b);

// What the cotectic switch cleared, per mineral (1-8): a pressure correction, an H2O correction.
struct CotecticEffect {
    std::array<bool, kPhaseCount> pressureCleared{};
    std::array<bool, kPhaseCount> h2oCleared{};
};

// "As Pl-Ol cotectic" on switches off the pressure and H2O corrections of every mineral: the
// cotectic H2O is estimated for uncorrected liquidus temperatures. Nothing happens while the
// option is off.
CotecticEffect applyCotecticSwitch(RunSettings& settings);

// The buffer "Fe3=0" (in any case) takes no shift. True when a shift was dropped.
bool dropShiftOfFe3Zero(TParameters& parameters);

enum class KdModeFix {
    None,
    ModesCleared,    // a Kd mode was on without "Use Kd for composition": all cleared
    ConstantChosen,  // "Use Kd for composition" without a mode: the constant Kd is taken
};

// The Kd modes exist only while "Use Kd for composition" is on, and then exactly one is on.
KdModeFix reconcileKdModes(TParameters& parameters);

// Fe2/Fe3 from the olivine composition needs olivine to be the only mineral with a model:
// 0 when it is, 1 when olivine has none, else the first other mineral (2-8) that has one.
std::size_t olivineEquationBlocker(const std::array<TModel*, kPhaseCount>& slots);

}  // namespace varnodel
