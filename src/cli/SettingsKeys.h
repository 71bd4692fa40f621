// The keys, names and bounds of the settings file and the texts of its values: what its reader
// and its writer share.
#pragma once

#include <toml++/toml.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "core/Model.h"
#include "core/Parameters.h"

namespace varnodel::cli::settingsfile {

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
inline constexpr Bounds kOutputInterval{0.0001, 100.0};

inline constexpr std::string_view kStopNames[kStopKinds] = {
    "crystallisation", "melt-mgo", "temperature", "fo", "an", "cpx", "opx", "pig"};

inline constexpr std::string_view kOxidationModes[] = {"buffer", "olivine", "ratio", "closed"};
inline constexpr std::string_view kPressureModes[] = {"constant", "dpdt", "steps"};
inline constexpr std::string_view kKdModes[] = {"none", "constant", "equation", "sobolev-quellmark",
                                                "toplis"};
inline constexpr std::string_view kInclusionModes[] = {"instant", "cooling-rate"};

// The names the density and viscosity dialogs show, in the order of the model index.
inline constexpr std::string_view kDensityNames[] = {"Lange, Carmichael 1987",
                                                     "Nelson, Carmichael 1979"};
inline constexpr std::string_view kViscosityNames[] = {"Bottinga, Weill 1972",
                                                       "Giordano, Dingwell 2003"};

struct OutputKey {
    std::string_view name;
    double TParameters::*interval;
    bool TParameters::*flag;
    std::string_view comment;
};

inline constexpr OutputKey kOutputKeys[] = {
    {"crystallisation", &TParameters::outputCrystallisation, &TParameters::outputByCrystallisation,
     "% of crystallisation"},
    {"temperature", &TParameters::outputTemperature, &TParameters::outputByTemperature,
     "degrees C of the leading temperature"},
    {"fo", &TParameters::outputFo, &TParameters::outputByFo, "mol% Fo of olivine"},
    {"an", &TParameters::outputAn, &TParameters::outputByAn, "mol% An of plagioclase"},
    {"cpx", &TParameters::outputClinopyroxene, &TParameters::outputByClinopyroxene,
     "mol% Mg# of clinopyroxene"},
    {"opx", &TParameters::outputOrthopyroxene, &TParameters::outputByOrthopyroxene,
     "mol% Mg# of orthopyroxene"},
    {"pig", &TParameters::outputPigeonite, &TParameters::outputByPigeonite,
     "mol% Mg# of pigeonite"},
};

struct InclusionKey {
    std::string_view name;
    double TMeltInclusionSettings::*field;
    Bounds bounds;
    std::string_view comment;
};

// The fields of "Diffusion profiles modelling" on the melt-inclusion tab, with their bounds.
inline constexpr InclusionKey kInclusionKeys[] = {
    {"cooling_interval", &TMeltInclusionSettings::coolingInterval, {1.0, 500.0}, "degrees C"},
    {"inclusion_radius", &TMeltInclusionSettings::inclusionRadius, {1.0, 1000.0}, "micrometres"},
    {"final_extent",
     &TMeltInclusionSettings::finalExtent,
     {1.0, 100.0},
     "% of re-equilibration (instant cooling)"},
    {"cooling_rate",
     &TMeltInclusionSettings::coolingRate,
     {-1000.0, 1000.0},
     "degrees C per day (cooling-rate mode)"},
    {"reheating_temperature",
     &TMeltInclusionSettings::reheatingTemperature,
     {100.0, 2500.0},
     "T exp of the reheating experiment, degrees C"},
};

// The table name of mineral m (1-8): "olivine" ... "magnetite".
std::string_view mineralKey(std::size_t m);

// Without the blanks (and tabs) around it; without the blanks at its end; in lower case.
std::string trimmed(std::string_view text);
std::string trimmedRight(std::string_view text);
std::string lower(std::string_view text);

// Position of `name` in `names`, or -1.
template <std::size_t N>
int indexIn(const std::string_view (&names)[N], std::string_view name) {
    for (std::size_t i = 0; i < N; ++i)
        if (names[i] == name) return static_cast<int>(i);
    return -1;
}

template <std::size_t N>
std::string listOf(const std::string_view (&names)[N]) {
    std::string text;
    for (std::size_t i = 0; i < N; ++i)
        text += (i == 0 ? "" : i + 1 == N ? " or " : ", ") + std::string(names[i]);
    return text;
}

// The names of the density and viscosity models as the dialogs show them, also as the main
// window shows them ("Bottinga , Weill 1972") or as the reports write them ("Lange & Carmichael
// 1987"): case, blanks and "&" for "," do not matter.
std::string normalisedModelName(std::string_view name);

template <std::size_t N>
int indexOfNormalised(const std::string_view (&names)[N], std::string_view name) {
    for (std::size_t i = 0; i < N; ++i)
        if (normalisedModelName(names[i]) == normalisedModelName(name)) return static_cast<int>(i);
    return -1;
}

// Oxide position by its symbol ("SiO2"), or -1.
int oxideIndex(std::string_view symbol);

// Element index 1-37 by its symbol ("Ni", "B"), 38 for "H2O" when `withH2O`, else 0.
std::size_t elementBySymbol(std::string_view symbol, bool withH2O);

// The symbol of element 1-38 ("Ni", "H2O").
std::string elementSymbol(std::size_t element);

// A model of `set` by its display name or its short name; the short name may be given with or
// without its trailing blanks.
TModel* findModel(const TSetOfModels& set, std::string_view name);

// The name a model is written under: its display name, or its short name when another model
// of the set shares the display name.
std::string modelName(const TSetOfModels& set, const TModel* model);

// The position of `model` in `set`, or the set's size.
std::size_t positionIn(const TSetOfModels& set, const TModel* model);

// A TOML basic string.
std::string tomlString(std::string_view text);

// A TOML float that reads back as the same double.
std::string tomlNumber(double value);

// "a table", "an array", "a text" ...: what a value is, for the error texts.
std::string typeName(const toml::node& node);

// "path.name", or "name" at the top.
std::string joinKey(const std::string& path, std::string_view name);

// The condition whose flag is on (the first, should there be several), else crystallisation.
std::size_t stopCondition(const TStopBlock& stop);

}  // namespace varnodel::cli::settingsfile
