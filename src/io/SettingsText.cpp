// The settings file written out: every key with its value and a comment.
#include <sstream>

#include "core/NumberFormat.h"
#include "io/SettingsFile.h"
#include "io/SettingsKeys.h"

namespace varnodel {

namespace {

using namespace settingsfile;

// --- writing ---------------------------------------------------------------------------------

class Writer {
  public:
    explicit Writer(std::ostream& out) : out_(out) {}

    void section(std::string_view name, std::string_view comment = {}) {
        out_ << (first_ ? "" : "\n");
        first_ = false;
        line("[" + std::string(name) + "]", comment);
    }
    void line(const std::string& text, std::string_view comment = {}) {
        out_ << text;
        if (!comment.empty())
            out_ << std::string(text.size() < kCommentColumn ? kCommentColumn - text.size() : 1,
                                ' ')
                 << "# " << comment;
        out_ << '\n';
    }
    void comment(std::string_view text) { out_ << "# " << text << '\n'; }
    void value(std::string_view key, const std::string& value, std::string_view comment) {
        line(std::string(key) + " = " + value, comment);
    }
    void number(std::string_view key, double value, std::string_view comment) {
        this->value(key, tomlNumber(value), comment);
    }
    void text(std::string_view key, std::string_view value, std::string_view comment) {
        this->value(key, tomlString(value), comment);
    }
    void flag(std::string_view key, bool on, std::string_view comment) {
        this->value(key, on ? "true" : "false", comment);
    }

  private:
    static constexpr std::size_t kCommentColumn = 34;
    std::ostream& out_;
    bool first_ = true;
};

template <class Value>
std::string inlineTable(const std::vector<std::pair<std::string, Value>>& entries,
                        std::string (*format)(Value)) {
    std::string text = "{ ";
    for (std::size_t i = 0; i < entries.size(); ++i)
        text += (i == 0 ? "" : ", ") + entries[i].first + " = " + format(entries[i].second);
    return text + " }";
}

std::string numberText(double value) {
    return tomlNumber(value);
}
std::string tomlStringOf(std::string value) {
    return tomlString(value);
}

// The oxides, H2O and traces of a melt (wt%, ppm).
void writeMelt(Writer& w, const TAnalysis& melt) {
    std::vector<std::pair<std::string, std::string>> oxides;
    for (std::size_t i = 0; i < kOxideCount; ++i)
        oxides.emplace_back(trimmed(kOxides[i].label), melt.notDetermined[i]
                                                           ? tomlString("n.d.")
                                                           : tomlNumber(melt.oxides[i]));
    w.comment("wt%; \"n.d.\" = not determined; an oxide left out is 0");
    w.value("oxides", inlineTable<std::string>(oxides, [](std::string s) { return s; }), "");
    w.number("H2O", melt.volatile_.value, "wt%");
    std::vector<std::pair<std::string, double>> traces;
    for (std::size_t i = 0; i < kTraceCount; ++i)
        traces.emplace_back(trimmed(kTraces[i].name), melt.traces[i].value);
    w.comment("trace elements, ppm; an element above 0 takes part in the run");
    w.value("traces", inlineTable<double>(traces, numberText), "");
}

void writeComposition(Writer& w, const RunState& state) {
    const TAssemblage& composition = state.composition;
    const TAnalysis melt = meltOf(composition);
    w.section("composition", "the starting melt, used when no data file is given");
    w.text("name", composition.name, "name of the analysis");
    w.number("pressure", composition.pressureBlock.pressure, "initial pressure, kbar");
    writeMelt(w, melt);
    const auto inclusion = [&](std::string_view key, const std::string& value,
                               std::string_view comment) {
        double number = 0.0;
        if (!value.empty() && parseNumber(value, number))
            w.number(key, number, comment);
        else
            w.text(key, "", comment);
    };
    inclusion("host_fo", composition.meltInclusions.hostFo,
              "melt inclusions: Fo of the host olivine, %; \"\" = not given");
    inclusion("final_feo", composition.meltInclusions.wholeRockFeO,
              "melt inclusions: final FeO*, wt%; \"\" = not given");
}

void writeModels(Writer& w, const RunState& state) {
    w.section("models", "one model per mineral, by display name or short name; \"\" = not used");
    for (std::size_t m = 1; m < kPhaseCount; ++m) {
        const TSetOfModels& set = state.registry().mineralSet(static_cast<Phase>(m));
        w.text(mineralKey(m), modelName(set, state.slots[m]), "");
    }
}

std::string traceChoiceText(const RunState& state, const std::string& choice) {
    if (choice == "Kd" || choice == "Model") return choice;
    const TSetOfModels& traces = state.registry().traceModels();
    if (const TModel* model = findModel(traces, choice)) return modelName(traces, model);
    return trimmedRight(choice);
}

void writeMinerals(Writer& w, const RunState& state) {
    for (std::size_t m = 1; m < kPhaseCount; ++m) {
        const TMineralOptions& options = state.settings.minerals[m];
        w.section("minerals." + std::string(mineralKey(m)));
        w.number("fractionation", options.fractionation,
                 "% of each step's crystals removed to the cumulate");
        w.number("pressure_correction", options.pressureSlope, "deg/kbar, 0 = off");
        w.value(
            "h2o_correction",
            "[" + tomlNumber(options.h2oA) + ", " + tomlNumber(options.h2oB) + "]",
            "A and B of dT = -A*H2O(wt%)^B, both 0 = off; or \"default\", \"faloon-quellmark\", "
            "\"none\"");
        std::vector<std::pair<std::string, double>> limits;
        std::string when;
        for (std::size_t k = 0; k < std::size(kExclusionNames); ++k) {
            limits.emplace_back(std::string(kExclusionNames[k]), options.otherSettings[k]);
            if (options.exclusionFlags[k])
                when += (when.empty() ? "" : ", ") + tomlString(kExclusionNames[k]);
        }
        w.value("exclude", inlineTable<double>(limits, numberText),
                "reverse runs: limits of exclusion, degrees C, wt% MgO, mol% Fo, mol%");
        w.value("exclude_when", "[" + when + "]",
                "the limits that exclude the mineral once reached (not olivine; spinel is only "
                "reported)");
        std::vector<std::pair<std::string, double>> kd;
        std::vector<std::pair<std::string, std::string>> choices;
        for (std::size_t e = 1; e <= kTraceChoiceCount; ++e) {
            kd.emplace_back(elementSymbol(e), state.settings.kd.at(m, e));
            choices.emplace_back(elementSymbol(e),
                                 traceChoiceText(state, options.traceChoices[e - 1]));
        }
        w.comment("constant partition coefficients, mineral/melt");
        w.value("kd", inlineTable<double>(kd, numberText), "");
        w.comment("per element: \"Kd\", \"Model\" (the mineral's model) or a trace-element model");
        w.value("traces", inlineTable<std::string>(choices, tomlStringOf), "");
    }
}

void writeOlivineKd(Writer& w, const TParameters& p) {
    w.section("olivine_kd", "olivine from the Fe-Mg exchange coefficient");
    w.flag("use_for_composition", p.olivineKdModelOption,
           "olivine composition from the Kd instead of the olivine model");
    std::string_view mode = kKdModes[0];
    if (p.fixedKdOption) mode = kKdModes[1];
    if (p.lnKdOption) mode = kKdModes[2];
    if (p.sobolevQuellmarkOption) mode = kKdModes[3];
    if (p.toplisOption) mode = kKdModes[4];
    w.text("mode", mode, listOf(kKdModes));
    w.number("kd", p.kdFeMg, "KD(Fe-Mg) of the constant mode");
    w.number("a", p.lnKdA, "Ln(KD) = a/T(K) + b*P(kbar)/T(K) + c");
    w.number("b", p.lnKdB, "");
    w.number("c", p.lnKdC, "");
}

void writeOxidation(Writer& w, const RunState& state) {
    const TParameters& p = state.settings.parameters;
    w.section("oxidation", "oxidation state of the melt");
    std::string_view mode = kOxidationModes[0];
    if (p.equationMode) mode = kOxidationModes[1];
    if (p.fixedRatioMode) mode = kOxidationModes[2];
    if (p.closedSystemMode) mode = kOxidationModes[3];
    w.text("mode", mode, listOf(kOxidationModes));
    w.text("buffer", p.bufferModel, "oxygen buffer of the buffer mode");
    w.number("shift", p.bufferOffset, "log units from the buffer");
    const TSetOfModels& models = state.registry().oxidationModels();
    const TModel* model = findModel(models, p.oxidationModel);
    w.text("model", model ? modelName(models, model) : trimmedRight(p.oxidationModel),
           "melt oxidation-state model of the buffer mode");
    w.number("ratio", p.fixedRatio, "Fe2/Fe3 of the ratio mode");
    w.number("a", p.equationA, "olivine mode: Fe2/Fe3 = a*Fo(%) + b");
    w.number("b", p.equationB, "");
}

void writePressure(Writer& w, const TPressureBlock& block) {
    w.section("pressure", "pressure path; the initial pressure is composition.pressure");
    w.text("mode",
           block.stepsMode  ? "steps"
           : block.dPdTMode ? "dpdt"
                            : "constant",
           listOf(kPressureModes));
    w.number("dpdt", block.dPdT, "bar/degree");
    std::string steps = "[";
    std::size_t rows = kPressureSteps - 1;
    while (rows > 0 && block.steps[rows][0] == 0.0 && block.steps[rows][1] == 0.0)
        --rows;
    for (std::size_t r = 1; r <= rows; ++r)
        steps += (r == 1 ? "[" : ", [") + tomlNumber(block.steps[r][0]) + ", " +
                 tomlNumber(block.steps[r][1]) + "]";
    w.value("steps", steps + "]", "[P kbar, F %], up to five rows");
}

void writeRun(Writer& w, const TParameters& p) {
    w.section("run");
    w.number("step", p.calculationStep, "% of the melt crystallised per step");
    w.text("density", kDensityNames[static_cast<std::size_t>(p.densityModel)],
           listOf(kDensityNames));
    w.text("viscosity", kViscosityNames[static_cast<std::size_t>(p.viscosityModel)],
           listOf(kViscosityNames));
    w.flag("cotectic", p.cotecticOption,
           "start on the Olv-Plg cotectic; switches the corrections off");
    w.flag("h2o_saturated", p.h2oSaturatedOption, "start with an H2O-saturated melt");
}

void writeStop(Writer& w, const TParameters& p) {
    w.section("stop", "one condition, as in the stop dialog");
    const std::size_t condition = stopCondition(p.stop);
    w.text("condition", kStopNames[condition], listOf(kStopNames));
    w.number("value", p.stop.values[condition], "%, wt% MgO, degrees C or mol%, by the condition");
}

void writeOutput(Writer& w, const TParameters& p) {
    w.section("output", "intermediate output: print a step every interval");
    for (const auto& key : kOutputKeys) {
        w.number(key.name, p.*key.interval, key.comment);
        w.flag("use_" + std::string(key.name), p.*key.flag, "");
    }
    w.value("trace_decimals", std::to_string(p.traceDecimals),
            "decimals of the trace elements (ppm) in the result tables, 0 to 6");
}

void writeMeltInclusions(Writer& w, const TMeltInclusionSettings& mi) {
    w.section("melt_inclusions", "diffusion profiles around melt inclusions in olivine");
    w.text("mode", mi.coolingRateMode ? kInclusionModes[1] : kInclusionModes[0],
           listOf(kInclusionModes));
    for (const auto& key : kInclusionKeys)
        w.number(key.name, mi.*key.field, key.comment);
    w.flag("simulate_reheating", mi.simulateReheating, "");
    w.flag("load_last_result", mi.loadLastResult, "");
    w.text("olivine_minor_elements",
           kOlivineMinorSets[static_cast<std::size_t>(mi.olivineMinorSet)],
           "Ca, Mn, Cr of the host olivine: " + listOf(kOlivineMinorSets));
}

void writeProfile(Writer& w, const RunState& state) {
    w.section("profile.composition",
              "the starting melt of the diffusion profiles (left here by ironloss "
              "--write-settings)");
    const auto& phases = state.profileComposition.phases;
    writeMelt(w, phases.empty() ? TAnalysis{} : phases[0]);
}

void writeTraces(Writer& w) {
    w.section("traces", "trace-element partitioning");
    w.text("kd_file", "",
           "Kd set file (.conf) loaded after the other keys: its Kd values above 0 and its "
           "choices replace those of [minerals.*]");
}

void writeMla(Writer& w, const RunState& state, const MlaChoice& mla) {
    w.section("mla", "models of the liquidus association per mineral; \"*\" = every model");
    for (std::size_t m = 1; m < kPhaseCount; ++m) {
        const TSetOfModels& set = state.registry().mineralSet(static_cast<Phase>(m));
        std::string names = "[";
        for (std::size_t i = 0; i < mla.models[m - 1].size(); ++i)
            names += (i == 0 ? "" : ", ") +
                     tomlString(modelName(set, set.models.at(mla.models[m - 1][i]).get()));
        w.value(mineralKey(m), names + "]", "");
    }
}

}  // namespace

std::string settingsText(const RunState& state, const MlaChoice& mla) {
    std::ostringstream out;
    Writer w(out);
    out << "# Varnodel settings: every key with its value. Keys left out keep their defaults.\n\n";
    writeComposition(w, state);
    writeModels(w, state);
    writeMinerals(w, state);
    writeTraces(w);
    writeOlivineKd(w, state.settings.parameters);
    writeOxidation(w, state);
    writePressure(w, state.composition.pressureBlock);
    writeRun(w, state.settings.parameters);
    writeStop(w, state.settings.parameters);
    writeOutput(w, state.settings.parameters);
    writeMeltInclusions(w, state.settings.parameters.meltInclusions);
    writeMla(w, state, mla);
    writeProfile(w, state);
    return out.str();
}

std::string defaultSettingsText() {
    const RunState state;
    return settingsText(state, MlaChoice::selectedIn(state.registry()));
}

}  // namespace varnodel
