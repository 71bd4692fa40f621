// The settings file of the command-line program (TOML) and the `--set key=value` overrides: every
// setting the windows and dialogs of the desktop program edit, with the same bounds.
#pragma once

#include <array>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "models/RunState.h"

namespace varnodel {

// The models the melt liquidus association evaluates: per mineral set (olivine at [0] ...
// magnetite at [7]) the positions of the chosen models in their set, in the set's order.
struct MlaChoice {
    std::array<std::vector<std::size_t>, kMineralCount> models;

    // The models marked selected in the registry: the choice when no [mla] table is given.
    static MlaChoice selectedIn(const ModelRegistry& registry);

    // The chosen models of one mineral set, as models of `registry`.
    std::vector<TModel*> chosen(const ModelRegistry& registry, Phase mineral) const;

    bool operator==(const MlaChoice&) const = default;
};

// Reads the settings file `file` (when given) and then the overrides ("dotted.key=value"; a
// value that does not read as a TOML value is taken as a text) on top of `state` and `mla`.
// Keys that are not given keep their values. Numbers outside a setting's bounds are clamped;
// the returned warnings name each clamped or adjusted key. Anything wrong (an unreadable file,
// an unknown key or table, a value of the wrong type, an unknown model, buffer or mode) throws
// EInputError naming the file or override, the key and the line and column, and leaves `state`
// and `mla` as they were.
std::vector<std::string> loadSettings(RunState& state, MlaChoice& mla,
                                      const std::optional<std::filesystem::path>& file,
                                      const std::vector<std::string>& overrides = {});

// The overrides alone, on top of what `state` and `mla` hold.
std::vector<std::string> applySettingOverrides(RunState& state, MlaChoice& mla,
                                               const std::vector<std::string>& overrides);

// The complete settings file of `state` and `mla`: every key with its value and a one-line
// comment. Read back with loadSettings it gives the same settings (numbers are written with up
// to 15 significant digits, so every value that was once read from text comes back exactly).
std::string settingsText(const RunState& state, const MlaChoice& mla);

// settingsText of a freshly reset run state: the text of `varnodel-cli settings`.
std::string defaultSettingsText();

}  // namespace varnodel
