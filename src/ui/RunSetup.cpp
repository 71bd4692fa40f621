#include "ui/RunSetup.h"

#include <algorithm>
#include <array>
#include <sstream>
#include <system_error>

#include "core/Errors.h"
#include "io/AnalysesFile.h"
#include "io/OutputFiles.h"
#include "io/ProfileFiles.h"
#include "io/ReportLines.h"
#include "io/SettingsKeys.h"

namespace varnodel {

namespace fs = std::filesystem;

void chooseOutput(TOptions& options, const fs::path& target) {
    std::error_code ec;
    const bool folderOnly = !target.has_filename() || fs::is_directory(target, ec);
    const fs::path folder = folderOnly                 ? target
                            : target.has_parent_path() ? target.parent_path()
                                                       : fs::path(".");
    if (!fs::is_directory(folder, ec))
        throw EInputError("the output folder " + folder.string() +
                          (fs::exists(folder, ec) ? " is not a folder" : " does not exist"));
    TOptions chosen = options;
    if (folderOnly) {
        chosen.outputDirectory = folder.string();
    } else {
        chosen.outputDirectory = target.has_parent_path() ? folder.string() : "";
        chosen.outputName = target.stem().string();
    }
    if (chosen.outputName.empty())
        throw EInputError("the output " + target.string() + " names no file");
    options = std::move(chosen);
}

namespace {

bool sameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    return !a.empty() && !b.empty() && fs::equivalent(a, b, ec);
}

}  // namespace

std::string overwriteClash(const fs::path& file, const std::string& base,
                           std::initializer_list<std::pair<fs::path, std::string_view>> others) {
    for (const auto& [other, role] : others)
        if (sameFile(file, other)) return "is " + std::string(role);
    if (!base.empty() && isOldResult(base, file))
        return "would be deleted as an old result of " + base + ".csv";
    return {};
}

namespace {

// The analyses read from `name` into the run state for `calculation`, or why none can be used.
DataFileLoad useAnalyses(RunState& state, const AnalysesData& loaded, const std::string& name,
                         Calculation calculation) {
    DataFileLoad result;
    result.warnings = loaded.warnings;
    result.readingWarnings = loaded.warningCount;
    if (loaded.warningCount > loaded.warnings.size())
        result.warnings.push_back(name + ": " +
                                  std::to_string(loaded.warningCount - loaded.warnings.size()) +
                                  " more warnings");
    // Columns read but not used by this calculation would otherwise look like they took part.
    const bool inclusions = calculation == Calculation::IronLoss ||
                            calculation == Calculation::ProfileIC ||
                            calculation == Calculation::ProfileCR;
    std::vector<std::string> unused = loaded.conditionColumns;
    if (!inclusions)
        unused.insert(unused.end(), loaded.inclusionColumns.begin(), loaded.inclusionColumns.end());
    if (!unused.empty() && !inclusions) {
        std::string list;
        for (const auto& column : unused)
            list += (list.empty() ? "" : ", ") + column;
        result.warnings.push_back(name + ": column" + (unused.size() > 1 ? "s " : " ") + list +
                                  " not used by " + std::string(tabCaption(calculation)) +
                                  " (the settings give its pressure and conditions)");
    }
    if (loaded.analyses.empty()) {
        if (!loaded.problem.empty()) result.error = loaded.problem + "\n";
        result.error += "no analysis of " + name + " can be used";
        return result;
    }
    result.present = PresentElements{loaded.h2oPresent, loaded.presentTraces};
    state.settings.active = activeElements(loaded);
    state.options.stopFromFile = loaded.stopFromFile;
    state.options.wholeFile = true;
    state.analyses = loaded.analyses;
    state.rejectedRows = loaded.rejected;
    return result;
}

}  // namespace

DataFileLoad loadDataFile(RunState& state, const fs::path& file, Calculation calculation,
                          RunReporter& reporter) {
    DataFileLoad result;
    std::error_code ec;
    if (fs::is_directory(file, ec)) {
        result.error = "the data file " + file.string() + " is a folder";
        return result;
    }
    if (!fs::exists(file, ec)) {
        result.error = "the data file " + file.string() + " does not exist";
        return result;
    }
    result =
        useAnalyses(state, loadAnalysesFile(file, std::string(tabCaption(calculation)), reporter),
                    file.string(), calculation);
    if (result.ok()) state.options.dataFileName = file.string();
    return result;
}

DataFileLoad loadDataText(RunState& state, const std::string& text, const std::string& name,
                          Calculation calculation, RunReporter& reporter) {
    std::istringstream in(text);
    return useAnalyses(state,
                       readAnalyses(in, name, std::string(tabCaption(calculation)), reporter), name,
                       calculation);
}

bool chooseAnalysis(RunState& state, std::size_t position) {
    if (position == 0 || position > state.analyses.size()) return false;
    TAssemblage chosen = state.analyses[position - 1];
    chosen.pressureBlock = state.composition.pressureBlock;
    state.composition = std::move(chosen);
    state.options.wholeFile = false;
    return true;
}

std::string chooseProfileStart(RunState& state, bool fromDataFile, std::size_t position) {
    if (fromDataFile && !state.analyses.empty()) {
        state.profileComposition =
            state.analyses[std::min(std::max<std::size_t>(position, 1), state.analyses.size()) - 1];
        state.options.wholeFile = false;
    } else if (!(meltOf(state.profileComposition).oxides[Ox::SiO2] > 1.0)) {
        state.profileComposition = state.composition;
    }
    TMeltInclusionSettings& mi = state.settings.parameters.meltInclusions;
    if (!mi.loadLastResult) return {};
    try {
        const std::filesystem::path folder =
            std::filesystem::path(baseName(state.options, "")).parent_path();
        const LastResultStart last = readLastResultStart(lastResultPath(folder));
        mi.inclusionRadius = last.radius;
        TAnalysis melt = last.melt;
        melt.name = std::string(phaseName(Phase::Melt));
        state.profileComposition.phases = {melt};
        state.profileComposition.name = last.melt.name;
    } catch (const EInputError& e) {
        return e.what();
    }
    return {};
}

AnalysisLookup analysisNamed(const RunState& state, const std::string& name) {
    AnalysisLookup found;
    std::string lines;
    int count = 0;
    for (std::size_t k = 0; k < state.analyses.size(); ++k) {
        if (state.analyses[k].name != name) continue;
        if (count++ == 0) found.position = k + 1;
        lines += (lines.empty() ? "" : ", ") + std::to_string(state.analyses[k].line);
    }
    if (count == 0) found.error = "no analysis of the data file has this name";
    if (count > 1)
        found.error = std::to_string(count) + " analyses have this name (lines " + lines + ")";
    if (!found.error.empty()) found.position = 0;
    return found;
}

std::vector<std::string> h2oRunWarnings(Calculation calculation, const RunState& state,
                                        const MlaModels& mla) {
    const bool wholeFile = state.options.wholeFile && !state.analyses.empty();
    std::vector<std::string> wet;
    for (const TAssemblage& sample : wholeFile ? state.analyses : std::vector{state.composition})
        if (meltOf(sample).volatile_.value > 0.0) wet.push_back(sample.name);
    if (wet.empty()) return {};

    std::vector<MineralModel> models;
    if (calculation == Calculation::MLA) {
        for (std::size_t i = 1; i < kPhaseCount; ++i)
            for (const TModel* model : mlaModelsOf(state.registry(), mla, static_cast<Phase>(i)))
                models.push_back({i, model});
    } else if (calculation == Calculation::IronLoss) {
        const auto olivine = static_cast<std::size_t>(Phase::Olivine);
        if (state.slots[olivine] != nullptr) models.push_back({olivine, state.slots[olivine]});
    } else {
        std::array<const TModel*, kPhaseCount> slots{};
        std::copy(state.slots.begin(), state.slots.end(), slots.begin());
        models = mineralModels(slots);
    }

    // A batch of hundreds names a few and counts the rest.
    constexpr std::size_t kNamed = 3;
    std::string who;
    for (std::size_t k = 0; k < std::min(wet.size(), kNamed); ++k)
        who += (k == 0 ? "" : ", ") + wet[k];
    if (wet.size() > kNamed) who += " and " + std::to_string(wet.size() - kNamed) + " more";
    who += wet.size() == 1 ? " holds" : " hold";

    std::vector<std::string> warnings;
    for (const MineralModel& m : modelsIgnoringH2O(state.settings, models))
        warnings.push_back(who + " H2O, which the " + std::string(kPhases[m.mineral].name) +
                           " model " + m.model->displayName +
                           " does not incorporate, and no correction for H2O has been set (" +
                           "minerals." + std::string(settingsfile::mineralKey(m.mineral)) +
                           ".h2o_correction)");
    return warnings;
}

}  // namespace varnodel
