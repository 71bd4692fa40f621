// The trace-element Kd set file (.conf): the constant partition coefficients of the eight
// minerals and their per-element choices (constant Kd, the mineral's model, a trace-element
// model), TAB separated, so that a set can be kept and loaded into another session.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "models/RunState.h"

namespace varnodel {

// The file's text for the settings of `state`.
std::string kdSetText(const RunState& state);

// Writes kdSetText(state) to `file`; throws std::ios_base::failure when it cannot.
void writeKdSetFile(const RunState& state, const std::filesystem::path& file);

struct KdSetLoad {
    bool found = false;                // false: the file does not exist and nothing changed
    std::vector<std::string> skipped;  // the entries that named no model, each with its place
};

// Reads a Kd set into `state`: every Kd above 0 replaces the constant Kd and makes the choice
// "Kd"; each choice of the second table replaces the element's choice, "M:" + a model's short
// name also making that model the mineral's selected one. A choice that names no model of the
// program is skipped and listed, the element keeping its choice. Throws EInputError naming the
// file when one exists but cannot be read (a folder, a device, a read error), before anything
// has changed.
KdSetLoad readKdSetFile(RunState& state, const std::filesystem::path& file);
KdSetLoad readKdSetText(RunState& state, const std::string& text, const std::string& source);

// The same on the parts of a run state: its settings, its model slots and the registry the
// slots point into.
KdSetLoad readKdSetFile(RunSettings& settings, std::array<TModel*, kPhaseCount>& slots,
                        const ModelRegistry& registry, const std::filesystem::path& file);
KdSetLoad readKdSetText(RunSettings& settings, std::array<TModel*, kPhaseCount>& slots,
                        const ModelRegistry& registry, const std::string& text,
                        const std::string& source);

}  // namespace varnodel
