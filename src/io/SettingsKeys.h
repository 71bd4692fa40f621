// The keys and names of the settings file and the texts of its values: what its reader
// and its writer share.
#pragma once

#include <toml++/toml.h>

#include <cstddef>
#include <string>
#include <string_view>

#include "core/Model.h"
#include "core/NumberFormat.h"
#include "core/Parameters.h"
#include "core/SettingsRules.h"

namespace varnodel::settingsfile {

inline constexpr std::string_view kStopNames[kStopKinds] = {
    "crystallisation", "melt-mgo", "temperature", "fo", "an", "cpx", "opx", "pig"};

// The conditions of "Exclude mineral" (reverse runs), in the order of `Exclusion`.
inline constexpr std::string_view kExclusionNames[] = {"temperature", "melt-mgo", "fo",
                                                       "composition"};

inline constexpr std::string_view kOxidationModes[] = {"buffer", "olivine", "ratio", "closed"};
inline constexpr std::string_view kPressureModes[] = {"constant", "dpdt", "steps"};
inline constexpr std::string_view kKdModes[] = {"none", "constant", "equation", "sobolev-quellmark",
                                                "toplis"};
inline constexpr std::string_view kInclusionModes[] = {"instant", "cooling-rate"};
// "Set of minor elements (Ca, Mn, Cr) in Olivine", in the order of OlivineMinorSet.
inline constexpr std::string_view kOlivineMinorSets[] = {"none", "komatiites", "high-Ca boninites",
                                                         "MORB or BABB"};

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
    {"cooling_interval", &TMeltInclusionSettings::coolingInterval, kCoolingInterval, "degrees C"},
    {"inclusion_radius", &TMeltInclusionSettings::inclusionRadius, kInclusionRadius, "micrometres"},
    {"final_extent", &TMeltInclusionSettings::finalExtent, kFinalExtent,
     "% of re-equilibration (instant cooling)"},
    {"cooling_rate", &TMeltInclusionSettings::coolingRate, kCoolingRate,
     "degrees C per day (cooling-rate mode)"},
    {"reheating_temperature", &TMeltInclusionSettings::reheatingTemperature, kReheatingTemperature,
     "T exp of the reheating experiment, degrees C"},
};

// The table name of mineral m (1-8): "olivine" ... "magnetite".
std::string_view mineralKey(std::size_t m);

// Without the blanks (and tabs) around it (trimmedRight of core/NumberFormat.h: without the
// blanks at its end); in lower case.
std::string trimmed(std::string_view text);
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

}  // namespace varnodel::settingsfile
