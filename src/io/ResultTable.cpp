#include "io/ResultTable.h"

#include <algorithm>
#include <array>

#include "core/Composition.h"

#include "core/Errors.h"
#include "core/NumberFormat.h"
#include "io/CsvRecords.h"
#include "io/InputFile.h"

namespace varnodel {

namespace {

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

// The composition labels are padded inside the names too ("Olv_Fo    _magma").
std::string columnName(std::string_view header) {
    std::string name(trimmed(header));
    for (std::size_t at; (at = name.find(" _")) != std::string::npos;)
        name.erase(at, 1);
    return name;
}

bool isPlaceholder(std::string_view text) {
    return text.empty() || text == "n.d." || text == "-1" || text == "-1.00";
}

bool has(const std::vector<std::string>& names, std::string_view name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// The calculation whose suffix ends the file's stem (or comes before a mineral's short label).
std::optional<Calculation> calculationOfName(const std::filesystem::path& file, bool mineral) {
    const std::string stem = file.stem().string();
    for (const CalculationInfo& info : kCalculations) {
        const std::string suffix(info.suffix);
        if (mineral ? stem.rfind(suffix + "_") != std::string::npos
                    : stem.size() >= suffix.size() &&
                          stem.compare(stem.size() - suffix.size(), suffix.size(), suffix) == 0)
            return info.calculation;
    }
    return std::nullopt;
}

void recognise(ResultTable& table, const std::vector<std::string>& names) {
    const std::string& first = names.front();
    const auto is = [&](ResultKind kind, std::optional<Calculation> calculation) {
        table.kind = kind;
        table.calculation = calculation;
    };
    if (first == "SiO2_magma" && has(names, "Melt_%_magma")) {
        is(ResultKind::Fractional, Calculation::Fractional);
    } else if (first == "SiO2_melt" && has(names, "Starting_melt_%")) {
        is(ResultKind::Reverse, Calculation::Reverse);
    } else if (has(names, "P(kbar)") && has(names, "Pcalc") && has(names, "H2Ocalc")) {
        is(ResultKind::MLA, Calculation::MLA);
    } else if (has(names, "T_CALC") && has(names, "FEO*") && has(names, "SAMP_NO")) {
        is(ResultKind::IronLoss, Calculation::IronLoss);
    } else if (has(names, "T (C)") && has(names, "Model") && names.back() == "Sample") {
        const auto model = std::find(names.begin(), names.end(), "Model");
        table.mineral =
            model == names.begin() ? std::string() : mineralOfCompositionLabel(*(model - 1));
        if (table.mineral.empty()) return;
        is(ResultKind::Mineral, calculationOfName(table.file, true));
    } else if (first == "OriginalRim_X" && has(names, "FullProfile_X")) {
        const auto calculation = calculationOfName(table.file, false);
        is(ResultKind::Profile,
           calculation == Calculation::ProfileCR ? Calculation::ProfileCR : Calculation::ProfileIC);
    } else if (first == "Profile_X_1" && has(names, "Profile_FeO_1")) {
        is(ResultKind::CoolingProfiles, Calculation::ProfileCR);
    } else if (first == "SiO2" && has(names, "Re-eq.%") && has(names, "Time(days)")) {
        is(ResultKind::CoolingMelts, Calculation::ProfileCR);
    } else {
        return;
    }
    table.columns.resize(names.size());
    for (std::size_t c = 0; c < names.size(); ++c)
        table.columns[c].name = names[c];
}

}  // namespace

std::string mineralOfCompositionLabel(std::string_view label) {
    for (std::size_t i = 1; i < kPhases.size(); ++i)
        if (trimmed(kPhases[i].compositionLabel) == label)
            return std::string(trimmed(kPhases[i].abbreviation));
    return {};
}

std::string_view resultKindName(ResultKind kind) {
    switch (kind) {
        case ResultKind::Fractional:
            return "forward crystallisation results";
        case ResultKind::Reverse:
            return "reverse crystallisation results";
        case ResultKind::MLA:
            return "liquidus association results";
        case ResultKind::IronLoss:
            return "Fe-loss reconstruction results";
        case ResultKind::Mineral:
            return "mineral compositions";
        case ResultKind::Profile:
            return "diffusion profiles";
        case ResultKind::CoolingProfiles:
            return "diffusion profiles per temperature step";
        case ResultKind::CoolingMelts:
            return "melts per temperature step";
    }
    return "results";
}

const ResultColumn* ResultTable::column(std::string_view name) const {
    for (const ResultColumn& c : columns)
        if (c.name == name) return &c;
    return nullptr;
}

std::string ResultTable::sample(std::size_t row) const {
    for (std::string_view name : {"Sample", "SAMP_NO", "Name"})
        if (const ResultColumn* c = column(name); c != nullptr && row < c->texts.size())
            return c->texts[row];
    return {};
}

ResultTable parseResultTable(const std::string& text, const std::filesystem::path& file) {
    std::vector<CsvRecord> records = csvRecords(text);
    ResultTable table;
    table.file = file;
    std::vector<std::string> names;
    if (!records.empty()) {
        for (const CsvField& field : records.front())
            names.push_back(columnName(field.text));
        // Every header field ends with ",", except the last of some tables.
        while (!names.empty() && names.back().empty())
            names.pop_back();
    }
    if (!names.empty()) recognise(table, names);
    if (table.columns.empty())
        throw EInputError("Not a result file: " + file.string() +
                          " (its first line is not the header of any calculation's results)");
    for (std::size_t r = 1; r < records.size(); ++r) {
        const CsvRecord& record = records[r];
        if (record.size() == 1 && trimmed(record.front().text).empty()) continue;  // blank line
        for (std::size_t c = 0; c < table.columns.size(); ++c) {
            ResultColumn& column = table.columns[c];
            const CsvField* field = c < record.size() ? &record[c] : nullptr;
            const std::string_view value = field ? trimmed(field->text) : std::string_view();
            column.texts.emplace_back(value);
            double number = 0.0;
            if (field && !field->quoted && !isPlaceholder(value) && parseNumber(value, number)) {
                column.values.emplace_back(number);
            } else {
                column.values.emplace_back();
                if (!isPlaceholder(value)) column.numeric = false;
            }
        }
        ++table.rows;
    }
    return table;
}

ResultTable readResultTable(const std::filesystem::path& file) {
    return parseResultTable(readInputFile(file, kMaxDataFileSize, "the result file"), file);
}

}  // namespace varnodel
