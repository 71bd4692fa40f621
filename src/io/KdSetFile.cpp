#include "io/KdSetFile.h"

#include <fstream>
#include <sstream>

#include "core/NumberFormat.h"
#include "io/InputFile.h"

namespace varnodel {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kSeparatorLine = "-----------------------------------------";
constexpr std::string_view kModelMark = "M:";
constexpr std::size_t kKdLines = 1;       // first line of the Kd table (0-based)
constexpr std::size_t kChoiceLines = 11;  // first line of the choice table

std::string headerLine() {
    std::string line = "Mineral";
    for (const auto& trace : kTraces)
        line += "\t" + std::string(trace.name);
    return line + "\t" + std::string(kVolatileName);
}

std::string abbreviation(std::size_t mineral) {
    return std::string(kPhases[mineral].abbreviation);
}

std::vector<std::string> split(const std::string& line) {
    std::vector<std::string> fields;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
        fields.push_back(line.substr(start, tab - start));
    fields.push_back(line.substr(start));
    return fields;
}

// Short names are eight characters; a file edited by hand may have lost their trailing blanks.
std::string padded8(std::string name) {
    if (name.size() < 8) name.resize(8, ' ');
    return name;
}

std::string elementName(std::size_t element) {
    return element == kH2OElementIndex ? std::string(kVolatileName)
                                       : std::string(kTraces[element - 1].name);
}

}  // namespace

std::string kdSetText(const RunState& state) {
    const RunSettings& s = state.settings;
    std::string text = headerLine() + "\n";
    for (std::size_t m = 1; m <= kMineralCount; ++m) {
        text += abbreviation(m);
        for (std::size_t e = 1; e <= kTraceChoiceCount; ++e)
            text += "\t" + shortestGeneral(s.kd.at(m, e));
        text += "\n";
    }
    text += std::string(kSeparatorLine) + "\n" + headerLine() + "\n";
    for (std::size_t m = 1; m <= kMineralCount; ++m) {
        text += abbreviation(m);
        for (const std::string& choice : s.minerals[m].traceChoices) {
            text += "\t";
            if (choice == "Model")
                text += std::string(kModelMark) +
                        (state.slots[m] != nullptr ? state.slots[m]->shortName : std::string());
            else
                text += choice;
        }
        text += "\n";
    }
    return text;
}

void writeKdSetFile(const RunState& state, const fs::path& file) {
    std::ofstream out;
    out.exceptions(std::ios::failbit | std::ios::badbit);
    out.open(file, std::ios::binary | std::ios::trunc);
    out << kdSetText(state);
    out.close();
}

KdSetLoad readKdSetText(RunSettings& s, std::array<TModel*, kPhaseCount>& slots,
                        const ModelRegistry& registry, const std::string& text,
                        const std::string& source) {
    KdSetLoad load;
    load.found = true;
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
    }
    for (std::size_t m = 1; m <= kMineralCount && kKdLines + m - 1 < lines.size(); ++m) {
        const auto fields = split(lines[kKdLines + m - 1]);
        if (fields.size() < 2) continue;  // a line that does not split
        for (std::size_t e = 1; e <= kTraceChoiceCount && e < fields.size(); ++e) {
            const double kd = parseBounded(fields[e]);
            if (kd > 0.0) {
                s.kd.at(m, e) = kd;
                s.minerals[m].traceChoices[e - 1] = "Kd";
            }
        }
    }
    const TSetOfModels& traceModels = registry.traceModels();
    for (std::size_t m = 1; m <= kMineralCount && kChoiceLines + m - 1 < lines.size(); ++m) {
        const std::size_t lineIndex = kChoiceLines + m - 1;
        const auto fields = split(lines[lineIndex]);
        if (fields.size() < 2) continue;
        auto& choices = s.minerals[m].traceChoices;
        for (std::size_t e = 1; e <= kTraceChoiceCount && e < fields.size(); ++e) {
            const std::string& field = fields[e];
            const auto skip = [&](const std::string& why) {
                load.skipped.push_back(source + ", line " + std::to_string(lineIndex + 1) + ", " +
                                       elementName(e) + " in " + std::string(kPhases[m].name) +
                                       ": \"" + field + "\" " + why);
            };
            // The file names the choice "Kd" as plainly as any other: take it, so that a load
            // gives the saved choices whatever the session held before.
            if (field == "Kd" || field == "Model") {
                choices[e - 1] = field;
            } else if (field.compare(0, kModelMark.size(), kModelMark) == 0) {
                const std::string name = padded8(field.substr(kModelMark.size()));
                TModel* model = registry.mineralSet(static_cast<Phase>(m)).getByNameShort(name);
                if (model == nullptr)
                    skip("is no model of " + std::string(kPhases[m].name));
                else if (!model->unavailable.empty())
                    skip("cannot be used: " + model->unavailable);
                else {
                    slots[m] = model;
                    choices[e - 1] = "Model";
                }
            } else if (!field.empty()) {
                const std::string name = padded8(field);
                const TModel* model = traceModels.getByNameShort(name);
                if (model == nullptr)
                    skip("is no trace-element model");
                else if (!model->unavailable.empty())
                    skip("cannot be used: " + model->unavailable);
                else if (!model->forMineral[m] || e == kH2OElementIndex || !model->forTrace[e - 1])
                    skip("does not compute this element in this mineral");
                else
                    choices[e - 1] = model->shortName;
            }
        }
    }
    return load;
}

KdSetLoad readKdSetFile(RunSettings& settings, std::array<TModel*, kPhaseCount>& slots,
                        const ModelRegistry& registry, const fs::path& file) {
    std::error_code ec;
    if (!fs::exists(file, ec) && !fs::is_symlink(file, ec)) return {};
    const std::string text = readInputFile(file, kMaxSettingsFileSize, "the Kd set file");
    return readKdSetText(settings, slots, registry, text, file.string());
}

KdSetLoad readKdSetText(RunState& state, const std::string& text, const std::string& source) {
    return readKdSetText(state.settings, state.slots, state.registry(), text, source);
}

KdSetLoad readKdSetFile(RunState& state, const fs::path& file) {
    return readKdSetFile(state.settings, state.slots, state.registry(), file);
}

}  // namespace varnodel
