// Any result table a run writes, read back into named columns for plotting: the main table of
// each calculation, the per-mineral files, the diffusion-profile files. Placeholders ("n.d.",
// "-1", "-1.00" and empty fields) read as missing values, never as numbers.
#pragma once

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/Calculations.h"

namespace varnodel {

enum class ResultKind {
    Fractional,       // base + ".csv" of a forward run
    Reverse,          // base + ".csv" of a reverse run
    MLA,              // base + ".csv" of a liquidus association
    IronLoss,         // base + ".csv" of a Fe-loss reconstruction
    Mineral,          // base + "_" + short label + ".csv" of a forward, reverse or MLA run
    Profile,          // base + ".csv" of a diffusion-profile run
    CoolingProfiles,  // "_PR.csv": the profile after each temperature step
    CoolingMelts,     // "_COMP.csv": the melt after each temperature step
};

std::string_view resultKindName(ResultKind kind);

struct ResultColumn {
    std::string name;  // the header's name, without the blanks that pad it
    std::vector<std::optional<double>> values;
    std::vector<std::string> texts;  // each field as written, without its padding
    bool numeric = true;             // every field that is not a placeholder reads as a number
};

struct ResultTable {
    std::filesystem::path file;
    ResultKind kind = ResultKind::Fractional;
    std::optional<Calculation> calculation;  // when the header or the file name tells
    std::string mineral;                     // the short label ("Olv") of a per-mineral file
    std::vector<ResultColumn> columns;
    std::size_t rows = 0;

    const ResultColumn* column(std::string_view name) const;  // exact name, or null
    // The analysis each row belongs to ("Sample", "SAMP_NO" or "Name"; empty when none).
    std::string sample(std::size_t row) const;
};

// The short label of the mineral whose composition number is `label` ("Fo" -> "Olv"), or "".
std::string mineralOfCompositionLabel(std::string_view label);

// Reads a result file; throws EInputError naming the file when it cannot be read or is not the
// result table of any calculation.
ResultTable readResultTable(const std::filesystem::path& file);
// The same from the file's text; `file` names it in messages and tells its calculation.
ResultTable parseResultTable(const std::string& text, const std::filesystem::path& file);

}  // namespace varnodel
