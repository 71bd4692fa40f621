#include "io/SettingsFile.h"

#include <toml++/toml.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <initializer_list>
#include <optional>
#include <sstream>
#include <vector>

#include "core/Errors.h"
#include "core/NumberFormat.h"
#include "io/InputFile.h"
#include "io/KdSetFile.h"
#include "io/SettingsKeys.h"
#include "models/LiquidusCorrection.h"

namespace varnodel {

namespace {

// The usual abbreviations of the buffers beside their names in the table ("Ni-NiO" is NNO,
// "Fe-W" the iron-wustite IW, ...); any of them in any case.
constexpr std::pair<std::string_view, std::string_view> kBufferAliases[] = {
    {"NNO", "Ni-NiO"}, {"FMQ", "QFM"},    {"IW", "Fe-W"},   {"FEW", "Fe-W"},
    {"HM", "MH"},      {"CCO", "Co-CoO"}, {"QIF", "QFFe"},  {"QFI", "QFFe"},
    {"QFFE", "QFFe"},  {"WM", "WM"},      {"FE3", "Fe3=0"},
};

std::string upperCase(std::string_view text) {
    std::string upper(text);
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return upper;
}

// The key of the buffer `name` names in `buffers`, by its key, its short name or an alias, in
// any case; empty when none.
std::string bufferKey(const THash& buffers, std::string_view name) {
    const std::string wanted = upperCase(name);
    for (const auto& [alias, key] : kBufferAliases)
        if (wanted == alias) return std::string(key);
    for (std::size_t i = 0; i < buffers.count(); ++i) {
        std::string shortName = buffers.getItemByIndex(i)->shortName;
        shortName.erase(shortName.find_last_not_of(' ') + 1);
        if (wanted == upperCase(buffers.keyAt(i)) || wanted == upperCase(shortName))
            return buffers.keyAt(i);
    }
    return {};
}

using namespace settingsfile;

// --- reading ---------------------------------------------------------------------------------

// An override and where its values came from, for the error texts.
struct Override {
    std::string key;  // dotted
    std::string origin;
};

// What a settings file sets; assigned to the run state only when everything has been read.
struct Draft {
    RunSettings settings;
    std::array<TModel*, kPhaseCount> slots;
    TAssemblage composition;
    MlaChoice mla;
    TAssemblage profileComposition;
};

class Reader {
  public:
    Reader(const ModelRegistry& registry, std::string source, std::vector<Override> overrides)
        : registry_(registry), source_(std::move(source)), overrides_(std::move(overrides)) {}

    void read(const toml::table& root, Draft& draft);

    std::vector<std::string> warnings;

  private:
    std::string where(const std::string& key, const toml::source_region& region) const;
    [[noreturn]] void fail(const std::string& key, const toml::source_region& region,
                           const std::string& what) const;
    void warn(const std::string& key, const toml::source_region& region, const std::string& what);

    void checkKeys(const toml::table& table, const std::string& path,
                   std::initializer_list<std::string_view> known) const;
    const toml::table* subTable(const toml::table& parent, const std::string& path,
                                std::string_view name) const;
    const toml::table& asTable(const toml::node& node, const std::string& key) const;
    double number(const toml::node& node, const std::string& key, Bounds bounds);
    bool boolean(const toml::node& node, const std::string& key) const;
    std::string text(const toml::node& node, const std::string& key) const;
    template <std::size_t N>
    int choice(const toml::node& node, const std::string& key,
               const std::string_view (&names)[N]) const;
    toml::source_region regionOf(const std::string& key) const;

    void readComposition(const toml::table& table, Draft& draft);
    // The oxides, H2O and traces of a melt table (`path`.oxides, ...) into `melt`; `active`, when
    // given, takes the elements present.
    void readMelt(const toml::table& table, const std::string& path, TAnalysis& melt,
                  ActiveElements* active);
    void readProfile(const toml::table& table, Draft& draft);
    void readModels(const toml::table& table, Draft& draft);
    void readMinerals(const toml::table& table, Draft& draft);
    void readMineral(const toml::table& table, const std::string& path, std::size_t m,
                     Draft& draft);
    void readOlivineKd(const toml::table& table, Draft& draft);
    void readOxidation(const toml::table& table, Draft& draft);
    void readPressure(const toml::table& table, Draft& draft);
    void readRun(const toml::table& table, Draft& draft);
    void readStop(const toml::table& table, Draft& draft);
    void readOutput(const toml::table& table, Draft& draft);
    void readMeltInclusions(const toml::table& table, Draft& draft);
    void readMla(const toml::table& table, Draft& draft);
    void readTraces(const toml::table& table, Draft& draft);
    void reconcile(Draft& draft);

    const ModelRegistry& registry_;
    std::string source_;
    std::vector<Override> overrides_;
    const toml::table* root_ = nullptr;
};

std::string Reader::where(const std::string& key, const toml::source_region& region) const {
    // A node parsed from an override carries the override as its source.
    if (region.path &&
        std::any_of(overrides_.begin(), overrides_.end(),
                    [&region](const Override& o) { return o.origin == *region.path; }))
        return *region.path;
    for (auto it = overrides_.rbegin(); it != overrides_.rend(); ++it) {
        const std::string& set = it->key;
        // The override's own key, a key inside the value it sets, or a table its dotted key
        // opened (`--set bogus.key=1` makes the table "bogus", which has no place in a file).
        if (key == set || key.starts_with(set + ".") || key.starts_with(set + "[") ||
            (set.starts_with(key + ".") && region.begin.line == 0))
            return it->origin;
    }
    std::string text = source_;
    if (region.begin.line > 0)
        text += ":" + std::to_string(region.begin.line) + ":" + std::to_string(region.begin.column);
    return text;
}

void Reader::fail(const std::string& key, const toml::source_region& region,
                  const std::string& what) const {
    throw EInputError(where(key, region) + ": " + key + ": " + what);
}

void Reader::warn(const std::string& key, const toml::source_region& region,
                  const std::string& what) {
    warnings.push_back(where(key, region) + ": " + key + ": " + what);
}

void Reader::checkKeys(const toml::table& table, const std::string& path,
                       std::initializer_list<std::string_view> known) const {
    for (auto&& [name, node] : table)
        if (std::find(known.begin(), known.end(), name.str()) == known.end())
            fail(joinKey(path, name.str()), name.source(),
                 node.is_table() ? "unknown table" : "unknown key");
}

const toml::table& Reader::asTable(const toml::node& node, const std::string& key) const {
    if (!node.is_table()) fail(key, node.source(), "expected a table, got " + typeName(node));
    return *node.as_table();
}

const toml::table* Reader::subTable(const toml::table& parent, const std::string& path,
                                    std::string_view name) const {
    const toml::node* node = parent.get(name);
    return node == nullptr ? nullptr : &asTable(*node, joinKey(path, name));
}

double Reader::number(const toml::node& node, const std::string& key, Bounds bounds) {
    double value = 0.0;
    if (const auto* integer = node.as_integer())
        value = static_cast<double>(integer->get());
    else if (const auto* floating = node.as_floating_point())
        value = floating->get();
    else
        fail(key, node.source(), "expected a number, got " + typeName(node));
    if (!std::isfinite(value)) fail(key, node.source(), "expected a finite number");
    const double clamped = std::clamp(value, bounds.min, bounds.max);
    if (clamped != value)
        warn(key, node.source(),
             shortestGeneral(value) + " is outside " + shortestGeneral(bounds.min) + " to " +
                 shortestGeneral(bounds.max) + "; " + shortestGeneral(clamped) + " is used");
    return clamped;
}

bool Reader::boolean(const toml::node& node, const std::string& key) const {
    if (const auto* flag = node.as_boolean()) return flag->get();
    fail(key, node.source(), "expected true or false, got " + typeName(node));
}

std::string Reader::text(const toml::node& node, const std::string& key) const {
    if (const auto* string = node.as_string()) return string->get();
    fail(key, node.source(), "expected a text, got " + typeName(node));
}

template <std::size_t N>
int Reader::choice(const toml::node& node, const std::string& key,
                   const std::string_view (&names)[N]) const {
    const std::string value = text(node, key);
    const int index = indexIn(names, value);
    if (index < 0)
        fail(key, node.source(), "unknown mode \"" + value + "\" (" + listOf(names) + ")");
    return index;
}

toml::source_region Reader::regionOf(const std::string& key) const {
    const auto view = root_->at_path(key);
    return view ? view.node()->source() : toml::source_region{};
}

void Reader::read(const toml::table& root, Draft& draft) {
    root_ = &root;
    checkKeys(root, "",
              {"composition", "models", "minerals", "olivine_kd", "oxidation", "pressure", "run",
               "stop", "output", "melt_inclusions", "mla", "traces", "profile"});
    if (const auto* t = subTable(root, "", "composition")) readComposition(*t, draft);
    if (const auto* t = subTable(root, "", "models")) readModels(*t, draft);
    if (const auto* t = subTable(root, "", "minerals")) readMinerals(*t, draft);
    if (const auto* t = subTable(root, "", "olivine_kd")) readOlivineKd(*t, draft);
    if (const auto* t = subTable(root, "", "oxidation")) readOxidation(*t, draft);
    if (const auto* t = subTable(root, "", "pressure")) readPressure(*t, draft);
    if (const auto* t = subTable(root, "", "run")) readRun(*t, draft);
    if (const auto* t = subTable(root, "", "stop")) readStop(*t, draft);
    if (const auto* t = subTable(root, "", "output")) readOutput(*t, draft);
    if (const auto* t = subTable(root, "", "melt_inclusions")) readMeltInclusions(*t, draft);
    if (const auto* t = subTable(root, "", "mla")) readMla(*t, draft);
    if (const auto* t = subTable(root, "", "profile")) readProfile(*t, draft);
    // After every other key, so that the set replaces what the tables of the minerals hold.
    if (const auto* t = subTable(root, "", "traces")) readTraces(*t, draft);
    reconcile(draft);
}

void Reader::readComposition(const toml::table& table, Draft& draft) {
    const std::string path = "composition";
    checkKeys(table, path, {"name", "pressure", "oxides", "H2O", "traces", "host_fo", "final_feo"});
    TAssemblage& composition = draft.composition;
    if (const auto* node = table.get("name")) {
        composition.name = text(*node, path + ".name");
        // The name ends every row of the result tables: a line break would split the row.
        if (std::any_of(composition.name.begin(), composition.name.end(),
                        [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; }))
            fail(path + ".name", node->source(),
                 "a name cannot hold a line break, a tab or another control character");
    }
    if (const auto* node = table.get("pressure"))
        composition.pressureBlock.pressure = number(*node, path + ".pressure", kInitialPressure);

    TAnalysis melt = meltOf(composition);
    readMelt(table, path, melt, &draft.settings.active);
    storePhase(composition.phases, std::move(melt), phaseName(Phase::Melt));

    // Host olivine Fo and final FeO* of a melt inclusion: "" when not given.
    const auto inclusionValue = [&](std::string_view name, std::string& target) {
        const auto* node = table.get(name);
        if (node == nullptr) return;
        const std::string key = joinKey(path, name);
        if (const auto* string = node->as_string(); string && string->get().empty())
            target.clear();
        else
            target = shortestGeneral(number(*node, key, kEntryDefault));
    };
    inclusionValue("host_fo", composition.meltInclusions.hostFo);
    inclusionValue("final_feo", composition.meltInclusions.wholeRockFeO);
}

void Reader::readMelt(const toml::table& table, const std::string& path, TAnalysis& melt,
                      ActiveElements* active) {
    if (const auto* oxides = subTable(table, path, "oxides")) {
        // The table is the whole melt: an oxide it does not name is 0, not a left-over of the
        // composition it replaces.
        melt.oxides = {};
        melt.notDetermined = {};
        for (auto&& [name, node] : *oxides) {
            const std::string key = path + ".oxides." + std::string(name.str());
            const int i = oxideIndex(name.str());
            if (i < 0) fail(key, name.source(), "unknown key");
            const auto index = static_cast<std::size_t>(i);
            if (const auto* string = node.as_string(); string && lower(string->get()) == "n.d.")
                melt.notDetermined[index] = true;
            else
                melt.oxides[index] = number(node, key, kEntryDefault);
        }
    }
    // An element counts as present in the composition when it has a value above 0.
    if (const auto* node = table.get("H2O")) {
        melt.volatile_.value = number(*node, path + ".H2O", kEntryDefault);
        if (active != nullptr) active->volatile_ = melt.volatile_.value > 0.0;
    }
    if (const auto* traces = subTable(table, path, "traces")) {
        for (auto& trace : melt.traces)
            trace.value = 0.0;
        for (auto&& [name, node] : *traces) {
            const std::string key = path + ".traces." + std::string(name.str());
            const std::size_t e = elementBySymbol(name.str(), false);
            if (e == 0) fail(key, name.source(), "unknown key");
            melt.traces[e - 1].value = number(node, key, kTracePpm);
        }
        if (active != nullptr)
            for (std::size_t i = 0; i < kTraceCount; ++i)
                active->traces[i] = melt.traces[i].value > 0.0;
    }
}

void Reader::readProfile(const toml::table& table, Draft& draft) {
    checkKeys(table, "profile", {"composition"});
    const auto* composition = subTable(table, "profile", "composition");
    if (composition == nullptr) return;
    const std::string path = "profile.composition";
    checkKeys(*composition, path, {"oxides", "H2O", "traces"});
    std::vector<TAnalysis>& phases = draft.profileComposition.phases;
    TAnalysis melt = phases.empty() ? TAnalysis{} : phases[0];
    readMelt(*composition, path, melt, nullptr);
    melt.name = std::string(phaseName(Phase::Melt));
    if (phases.empty()) phases.emplace_back();
    phases[0] = std::move(melt);
}

void Reader::readModels(const toml::table& table, Draft& draft) {
    for (auto&& [name, node] : table) {
        const std::string key = "models." + std::string(name.str());
        const std::size_t m = mineralIndex(name.str());
        if (m == 0) fail(key, name.source(), node.is_table() ? "unknown table" : "unknown key");
        const std::string value = text(node, key);
        if (trimmedRight(value).empty()) {
            draft.slots[m] = nullptr;
            continue;
        }
        TModel* model = findModel(registry_.mineralSet(static_cast<Phase>(m)), value);
        if (model == nullptr) fail(key, node.source(), "unknown model \"" + value + "\"");
        draft.slots[m] = model;
    }
}

void Reader::readMinerals(const toml::table& table, Draft& draft) {
    for (auto&& [name, node] : table) {
        const std::string path = "minerals." + std::string(name.str());
        const std::size_t m = mineralIndex(name.str());
        if (m == 0) fail(path, name.source(), node.is_table() ? "unknown table" : "unknown key");
        readMineral(asTable(node, path), path, m, draft);
    }
}

void Reader::readMineral(const toml::table& table, const std::string& path, std::size_t m,
                         Draft& draft) {
    checkKeys(table, path,
              {"fractionation", "pressure_correction", "h2o_correction", "exclude", "exclude_when",
               "kd", "traces"});
    TMineralOptions& options = draft.settings.minerals[m];
    if (const auto* node = table.get("fractionation"))
        options.fractionation = number(*node, path + ".fractionation", kEntryDefault);
    if (const auto* node = table.get("pressure_correction")) {
        setPressureCorrection(options,
                              number(*node, path + ".pressure_correction", kPressureSlope));
    }
    if (const auto* node = table.get("h2o_correction")) {
        const std::string key = path + ".h2o_correction";
        if (node->is_string()) {
            // The presets of the H2O-correction dialog by name.
            const std::string preset = lower(text(*node, key));
            H2OCorrectionCoefficients c;
            if (preset == "default")
                c = defaultH2OCorrection(static_cast<Phase>(m));
            else if (preset == "faloon-quellmark")
                c = kQuellmarkH2OCorrection;
            else if (preset != "none")
                fail(key, node->source(),
                     "unknown correction \"" + text(*node, key) +
                         "\" (default, faloon-quellmark, none or [A, B])");
            setH2OCorrection(options, c.a, c.b);
        } else {
            const auto* pair = node->as_array();
            if (pair == nullptr || pair->size() != 2)
                fail(key, node->source(),
                     "expected [A, B], \"default\", \"faloon-quellmark\" or \"none\", got " +
                         typeName(*node));
            const double a = number(*pair->get(0), key + "[0]", kH2OA);
            setH2OCorrection(options, a, number(*pair->get(1), key + "[1]", kH2OB));
        }
    }
    // The limits of "Exclude mineral" and the conditions that are on.
    if (const auto* limits = subTable(table, path, "exclude")) {
        for (auto&& [name, node] : *limits) {
            const std::string key = path + ".exclude." + std::string(name.str());
            const int k = indexIn(kExclusionNames, name.str());
            if (k < 0) fail(key, name.source(), "unknown key (" + listOf(kExclusionNames) + ")");
            options.otherSettings[static_cast<std::size_t>(k)] = number(
                node, key, k == Exclusion::Temperature ? kExclusionTemperature : kEntryDefault);
        }
    }
    if (const auto* node = table.get("exclude_when")) {
        const std::string key = path + ".exclude_when";
        const auto* names = node->as_array();
        if (names == nullptr)
            fail(key, node->source(), "expected an array, got " + typeName(*node));
        options.exclusionFlags.fill(false);
        for (std::size_t i = 0; i < names->size(); ++i) {
            const int k =
                choice(*names->get(i), key + "[" + std::to_string(i) + "]", kExclusionNames);
            options.exclusionFlags[static_cast<std::size_t>(k)] = true;
        }
    }
    if (const auto* kd = subTable(table, path, "kd")) {
        for (auto&& [name, node] : *kd) {
            const std::string key = path + ".kd." + std::string(name.str());
            const std::size_t e = elementBySymbol(name.str(), true);
            if (e == 0) fail(key, name.source(), "unknown key");
            draft.settings.kd.at(m, e) = number(node, key, kEntryDefault);
        }
    }
    if (const auto* traces = subTable(table, path, "traces")) {
        for (auto&& [name, node] : *traces) {
            const std::string key = path + ".traces." + std::string(name.str());
            const std::size_t e = elementBySymbol(name.str(), true);
            if (e == 0) fail(key, name.source(), "unknown key");
            const std::string value = text(node, key);
            std::string& target = options.traceChoices[e - 1];
            if (lower(value) == "kd") {
                target = "Kd";
            } else if (lower(value) == "model") {
                target = "Model";
            } else {
                const TModel* model = findModel(registry_.traceModels(), value);
                if (model == nullptr)
                    fail(key, node.source(), "unknown trace-element model \"" + value + "\"");
                if (!model->unavailable.empty()) fail(key, node.source(), model->unavailable);
                if (!model->forMineral[m])
                    fail(key, node.source(),
                         "the trace-element model \"" + value + "\" does not apply to " +
                             std::string(mineralKey(m)));
                if (e == kH2OElementIndex || !model->forTrace[e - 1])
                    fail(key, node.source(),
                         "the trace-element model \"" + value + "\" does not compute " +
                             elementSymbol(e));
                target = model->shortName;
            }
        }
    }
}

void Reader::readOlivineKd(const toml::table& table, Draft& draft) {
    const std::string path = "olivine_kd";
    checkKeys(table, path, {"use_for_composition", "mode", "kd", "a", "b", "c"});
    TParameters& p = draft.settings.parameters;
    if (const auto* node = table.get("use_for_composition"))
        p.olivineKdModelOption = boolean(*node, path + ".use_for_composition");
    if (const auto* node = table.get("mode")) {
        const int mode = choice(*node, path + ".mode", kKdModes);
        p.fixedKdOption = mode == 1;
        p.lnKdOption = mode == 2;
        p.sobolevQuellmarkOption = mode == 3;
        p.toplisOption = mode == 4;
    }
    if (const auto* node = table.get("kd")) p.kdFeMg = number(*node, path + ".kd", kEntryDefault);
    if (const auto* node = table.get("a")) p.lnKdA = number(*node, path + ".a", kLnKd);
    if (const auto* node = table.get("b")) p.lnKdB = number(*node, path + ".b", kLnKd);
    if (const auto* node = table.get("c")) p.lnKdC = number(*node, path + ".c", kLnKd);
}

void Reader::readOxidation(const toml::table& table, Draft& draft) {
    const std::string path = "oxidation";
    checkKeys(table, path, {"mode", "buffer", "shift", "model", "ratio", "a", "b"});
    TParameters& p = draft.settings.parameters;
    if (const auto* node = table.get("mode")) {
        const int mode = choice(*node, path + ".mode", kOxidationModes);
        p.bufferMode = mode == 0;
        p.equationMode = mode == 1;
        p.fixedRatioMode = mode == 2;
        p.closedSystemMode = mode == 3;
    }
    if (const auto* node = table.get("buffer")) {
        const std::string name = text(*node, path + ".buffer");
        const THash& buffers = registry_.bufferTable();
        const std::string key = bufferKey(buffers, name);
        if (key.empty() || buffers.getItem(key) == nullptr) {
            std::string known;
            for (std::size_t i = 0; i < buffers.count(); ++i)
                known += (i == 0 ? "" : ", ") + buffers.keyAt(i);
            fail(path + ".buffer", node->source(),
                 "unknown buffer \"" + name + "\" (the buffers: " + known +
                     "; also NNO, FMQ, IW, HM, CCO, QIF)");
        }
        p.bufferModel = key;
    }
    if (const auto* node = table.get("shift"))
        p.bufferOffset = number(*node, path + ".shift", kBufferShift);
    if (const auto* node = table.get("model")) {
        const std::string name = text(*node, path + ".model");
        const TModel* model = findModel(registry_.oxidationModels(), name);
        if (model == nullptr)
            fail(path + ".model", node->source(), "unknown model \"" + name + "\"");
        p.oxidationModel = model->shortName;
    }
    if (const auto* node = table.get("ratio"))
        p.fixedRatio = number(*node, path + ".ratio", kFixedRatio);
    if (const auto* node = table.get("a"))
        p.equationA = number(*node, path + ".a", kOlivineEquation);
    if (const auto* node = table.get("b"))
        p.equationB = number(*node, path + ".b", kOlivineEquation);
}

void Reader::readPressure(const toml::table& table, Draft& draft) {
    const std::string path = "pressure";
    checkKeys(table, path, {"mode", "dpdt", "steps"});
    TPressureBlock& block = draft.composition.pressureBlock;
    if (const auto* node = table.get("mode")) {
        const int mode = choice(*node, path + ".mode", kPressureModes);
        block.dPdTMode = mode == 1;
        block.stepsMode = mode == 2;
    }
    if (const auto* node = table.get("dpdt")) block.dPdT = number(*node, path + ".dpdt", kDpDt);
    if (const auto* node = table.get("steps")) {
        const std::string key = path + ".steps";
        const auto* rows = node->as_array();
        if (rows == nullptr) fail(key, node->source(), "expected an array, got " + typeName(*node));
        if (rows->size() > kPressureSteps - 1)
            fail(key, node->source(),
                 "at most " + std::to_string(kPressureSteps - 1) + " rows [P kbar, F %]");
        // Row 0 is the starting pressure, which the run takes from the current pressure.
        for (std::size_t r = 1; r < kPressureSteps; ++r)
            block.steps[r] = {0.0, 0.0};
        for (std::size_t r = 0; r < rows->size(); ++r) {
            const std::string rowKey = key + "[" + std::to_string(r) + "]";
            const auto* row = rows->get(r)->as_array();
            if (row == nullptr || row->size() != 2)
                fail(rowKey, rows->get(r)->source(),
                     "expected [P kbar, F %], got " + typeName(*rows->get(r)));
            block.steps[r + 1][0] = number(*row->get(0), rowKey + "[0]", kEntryDefault);
            block.steps[r + 1][1] = number(*row->get(1), rowKey + "[1]", kEntryDefault);
        }
    }
}

void Reader::readRun(const toml::table& table, Draft& draft) {
    const std::string path = "run";
    checkKeys(table, path, {"step", "density", "viscosity", "cotectic", "h2o_saturated"});
    TParameters& p = draft.settings.parameters;
    if (const auto* node = table.get("step"))
        p.calculationStep = number(*node, path + ".step", kCalculationStep);
    if (const auto* node = table.get("density")) {
        const std::string name = text(*node, path + ".density");
        const int index = indexOfNormalised(kDensityNames, name);
        if (index < 0) fail(path + ".density", node->source(), "unknown model \"" + name + "\"");
        p.densityModel = static_cast<DensityModel>(index);
    }
    if (const auto* node = table.get("viscosity")) {
        const std::string name = text(*node, path + ".viscosity");
        const int index = indexOfNormalised(kViscosityNames, name);
        if (index < 0) fail(path + ".viscosity", node->source(), "unknown model \"" + name + "\"");
        p.viscosityModel = static_cast<ViscosityModel>(index);
    }
    if (const auto* node = table.get("cotectic"))
        p.cotecticOption = boolean(*node, path + ".cotectic");
    if (const auto* node = table.get("h2o_saturated"))
        p.h2oSaturatedOption = boolean(*node, path + ".h2o_saturated");
}

void Reader::readStop(const toml::table& table, Draft& draft) {
    const std::string path = "stop";
    checkKeys(table, path, {"condition", "value"});
    TStopBlock& stop = draft.settings.parameters.stop;
    // Like the stop dialog: exactly one condition is on; a value alone goes to the condition
    // that is on. Only that condition's value is used, so the others go back to their defaults
    // and the table says everything about stopping.
    std::size_t condition = stopCondition(stop);
    if (const auto* node = table.get("condition"))
        condition = static_cast<std::size_t>(choice(*node, path + ".condition", kStopNames));
    const double kept = stop.values[condition];
    stop = TParameters{}.stop;
    stop.values[condition] = kept;
    if (const auto* node = table.get("value"))
        stop.values[condition] =
            number(*node, path + ".value",
                   condition == Stop::Temperature ? kStopTemperature : kEntryDefault);
    stop.flags = {};
    stop.flags[condition] = true;
}

void Reader::readOutput(const toml::table& table, Draft& draft) {
    const std::string path = "output";
    std::vector<std::string> names;
    for (const auto& key : kOutputKeys) {
        names.emplace_back(key.name);
        names.push_back("use_" + std::string(key.name));
    }
    names.emplace_back("trace_decimals");
    for (auto&& [name, node] : table)
        if (std::find(names.begin(), names.end(), name.str()) == names.end())
            fail(joinKey(path, name.str()), name.source(),
                 node.is_table() ? "unknown table" : "unknown key");
    TParameters& p = draft.settings.parameters;
    for (const auto& key : kOutputKeys) {
        const std::string intervalKey = joinKey(path, key.name);
        const std::string flagKey = path + ".use_" + std::string(key.name);
        if (const auto* node = table.get(key.name))
            p.*key.interval = number(*node, intervalKey, kOutputInterval);
        if (const auto* node = table.get("use_" + std::string(key.name)))
            p.*key.flag = boolean(*node, flagKey);
    }
    if (const auto* node = table.get("trace_decimals")) {
        const std::string key = path + ".trace_decimals";
        const double decimals = number(*node, key, kTraceDecimals);
        if (decimals != std::floor(decimals))
            fail(key, node->source(), "expected a whole number of decimals");
        p.traceDecimals = static_cast<int>(decimals);
    }
}

void Reader::readMeltInclusions(const toml::table& table, Draft& draft) {
    const std::string path = "melt_inclusions";
    checkKeys(table, path,
              {"mode", "cooling_interval", "inclusion_radius", "final_extent", "cooling_rate",
               "reheating_temperature", "simulate_reheating", "load_last_result",
               "olivine_minor_elements"});
    TMeltInclusionSettings& mi = draft.settings.parameters.meltInclusions;
    if (const auto* node = table.get("olivine_minor_elements"))
        mi.olivineMinorSet = static_cast<OlivineMinorSet>(
            choice(*node, path + ".olivine_minor_elements", kOlivineMinorSets));
    if (const auto* node = table.get("mode")) {
        const int mode = choice(*node, path + ".mode", kInclusionModes);
        mi.instantCooling = mode == 0;
        mi.coolingRateMode = mode == 1;
    }
    for (const auto& key : kInclusionKeys)
        if (const auto* node = table.get(key.name))
            mi.*key.field = number(*node, joinKey(path, key.name), key.bounds);
    if (const auto* node = table.get("simulate_reheating"))
        mi.simulateReheating = boolean(*node, path + ".simulate_reheating");
    if (const auto* node = table.get("load_last_result"))
        mi.loadLastResult = boolean(*node, path + ".load_last_result");
}

void Reader::readMla(const toml::table& table, Draft& draft) {
    // The table says everything: a mineral it does not name has no model evaluated.
    draft.mla = MlaChoice{};
    for (auto&& [name, node] : table) {
        const std::string key = "mla." + std::string(name.str());
        const std::size_t m = mineralIndex(name.str());
        if (m == 0) fail(key, name.source(), node.is_table() ? "unknown table" : "unknown key");
        const auto* names = node.as_array();
        if (names == nullptr) fail(key, node.source(), "expected an array, got " + typeName(node));
        const TSetOfModels& set = registry_.mineralSet(static_cast<Phase>(m));
        std::vector<bool> chosen(set.models.size(), false);
        for (std::size_t i = 0; i < names->size(); ++i) {
            const std::string value = text(*names->get(i), key + "[" + std::to_string(i) + "]");
            if (value == "*") {
                chosen.assign(chosen.size(), true);
                continue;
            }
            const TModel* model = findModel(set, value);
            if (model == nullptr)
                fail(key, names->get(i)->source(), "unknown model \"" + value + "\"");
            chosen[positionIn(set, model)] = true;
        }
        auto& positions = draft.mla.models[m - 1];
        for (std::size_t i = 0; i < chosen.size(); ++i)
            if (chosen[i]) positions.push_back(i);
    }
    // Saved settings name every mineral, so a table that leaves some out is most likely one
    // typed to change a single mineral: say what that does to the others.
    std::string left;
    for (std::size_t m = 1; m < kPhaseCount; ++m)
        if (!table.contains(mineralKey(m)))
            left += (left.empty() ? "" : ", ") + std::string(mineralKey(m));
    if (!left.empty())
        warn("mla", table.source(),
             "a mineral the table does not name has no model evaluated (" + left +
                 "); name it, with [\"*\"] for every model of its set");
}

// The rules by which the windows keep settings consistent with each other.
void Reader::readTraces(const toml::table& table, Draft& draft) {
    const std::string path = "traces";
    checkKeys(table, path, {"kd_file"});
    const toml::node* node = table.get("kd_file");
    if (node == nullptr) return;
    const std::string key = path + ".kd_file";
    const std::string name = text(*node, key);
    if (name.empty()) return;
    // A name in the settings file is taken from the file's folder, one given by --set from the
    // current folder.
    const bool fromOverride = std::any_of(
        overrides_.begin(), overrides_.end(),
        [&key](const Override& o) { return key == o.key || key.starts_with(o.key + "."); });
    std::filesystem::path file(name);
    if (file.is_relative() && !fromOverride)
        file = std::filesystem::path(source_).parent_path() / file;
    // Unlike the dialog, which ignores a missing file, a run must not go on without the set
    // its settings name.
    KdSetLoad load;
    try {
        load = readKdSetFile(draft.settings, draft.slots, registry_, file);
    } catch (const EInputError& e) {
        fail(key, node->source(), e.what());
    }
    if (!load.found)
        fail(key, node->source(), "the Kd set file " + file.string() + " does not exist");
    for (const auto& skipped : load.skipped)
        warn(key, node->source(), skipped + "; skipped");
}

void Reader::reconcile(Draft& draft) {
    TParameters& p = draft.settings.parameters;

    const CotecticEffect cotectic = applyCotecticSwitch(draft.settings);
    for (std::size_t m = 1; m < kPhaseCount; ++m) {
        const std::string path = "minerals." + std::string(mineralKey(m));
        if (cotectic.pressureCleared[m])
            warn(path + ".pressure_correction", regionOf(path + ".pressure_correction"),
                 "switched off because run.cotectic is on");
        if (cotectic.h2oCleared[m])
            warn(path + ".h2o_correction", regionOf(path + ".h2o_correction"),
                 "switched off because run.cotectic is on");
    }

    // A model with the W flag has the melt's H2O in its liquidus already: a correction on top
    // of it counts the H2O twice. Allowed (a user may want it), but never unnoticed.
    for (std::size_t m = 1; m < kPhaseCount; ++m) {
        const TModel* model = draft.slots[m];
        if (model == nullptr || !model->usesWater || !draft.settings.minerals[m].h2oCorrection)
            continue;
        const std::string key = "minerals." + std::string(mineralKey(m)) + ".h2o_correction";
        warn(key, regionOf(key),
             model->displayName +
                 " accounts for H2O itself (W in varnodel-cli models); the correction lowers "
                 "its liquidus a second time");
    }

    // "Model" takes a trace from the mineral's own model: one that does not compute it would
    // give the mineral none of it (and the melt all of it), a wrong result that looks right.
    for (std::size_t m = 1; m < kPhaseCount; ++m) {
        const TModel* model = draft.slots[m];
        if (model == nullptr) continue;
        const auto& choices = draft.settings.minerals[m].traceChoices;
        for (std::size_t e = 0; e < kTraceCount; ++e) {
            if (choices[e] != "Model" || model->forTrace[e]) continue;
            std::string symbol(kTraces[e].name);
            symbol.erase(symbol.find_last_not_of(' ') + 1);
            const std::string key = "minerals." + std::string(mineralKey(m)) + ".traces." + symbol;
            std::string able;
            for (const auto& other : registry_.mineralSet(static_cast<Phase>(m)).models)
                if (other->forTrace[e]) able += (able.empty() ? "" : ", ") + other->displayName;
            fail(key, regionOf(key),
                 "\"Model\": " + model->displayName + " does not compute " + symbol +
                     (able.empty() ? "; no " + std::string(mineralKey(m)) + " model does"
                                   : "; only " + able + " does") +
                     " (use \"Kd\" or a trace-element model)");
        }
    }

    if (dropShiftOfFe3Zero(p))
        warn("oxidation.shift", regionOf("oxidation.shift"),
             "the buffer Fe3=0 takes no shift; 0 is used");

    switch (reconcileKdModes(p)) {
        case KdModeFix::ModesCleared:
            warn("olivine_kd.mode", regionOf("olivine_kd.mode"),
                 "not used while olivine_kd.use_for_composition is false");
            break;
        case KdModeFix::ConstantChosen:
            warn("olivine_kd.mode", regionOf("olivine_kd.mode"),
                 "none chosen while olivine_kd.use_for_composition is true; \"constant\" is used");
            break;
        case KdModeFix::None:
            break;
    }

    if (p.equationMode) {
        const std::size_t blocker = olivineEquationBlocker(draft.slots);
        if (blocker != 0) {
            const std::string problem =
                blocker == 1 ? "models.olivine has no model"
                             : "models." + std::string(mineralKey(blocker)) + " is set";
            fail("oxidation.mode", regionOf("oxidation.mode"),
                 "\"olivine\" needs olivine to be the only mineral with a model (" + problem + ")");
        }
    }
}

// --- files and overrides ---------------------------------------------------------------------

// The full key a line of a settings file defines, seen with `table` as the open table (which a
// header line changes): "stop.value" for "value = 1" under "[stop]". Empty for other lines.
std::string definedKey(std::string line, std::string& table) {
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '"') quoted = !quoted;
        if (line[i] == '#' && !quoted) {
            line.resize(i);
            break;
        }
    }
    std::string key;
    const auto equals = line.find('=');
    const bool header = line.find_first_not_of(" \t") != std::string::npos &&
                        line[line.find_first_not_of(" \t")] == '[';
    for (char c : header ? line : line.substr(0, equals))
        if (c != ' ' && c != '\t' && c != '[' && c != ']') key.push_back(c);
    if (header) return table = key;
    if (equals == std::string::npos || key.empty()) return {};
    return table.empty() ? key : table + "." + key;
}

// toml++ says "cannot redefine existing integer 'value'": the key without its table, and only
// the second line. The user needs the full key and both lines.
std::optional<std::string> duplicateKey(const std::string& text, std::size_t errorLine) {
    std::vector<std::string> keys;
    std::string table;
    std::istringstream lines(text);
    for (std::string line; keys.size() < errorLine && std::getline(lines, line);)
        keys.push_back(definedKey(line, table));
    if (keys.size() < errorLine || keys.back().empty()) return std::nullopt;
    const std::string& key = keys.back();
    for (std::size_t l = 0; l + 1 < keys.size(); ++l)
        if (keys[l] == key || keys[l].starts_with(key + "."))
            return key + " is defined twice, on lines " + std::to_string(l + 1) + " and " +
                   std::to_string(errorLine);
    return std::nullopt;
}

toml::table parseFile(const std::filesystem::path& file) {
    const std::string name = file.string();
    const std::string content = readInputFile(file, kMaxSettingsFileSize, "the settings file");
    try {
        return toml::parse(content, name);
    } catch (const toml::parse_error& e) {
        const std::string place = name + ":" + std::to_string(e.source().begin.line) + ":" +
                                  std::to_string(e.source().begin.column) + ": ";
        const bool redefined = e.description().find("cannot redefine") != std::string_view::npos;
        if (const auto twice =
                redefined ? duplicateKey(content, e.source().begin.line) : std::nullopt)
            throw EInputError(place + *twice);
        throw EInputError(place + std::string(e.description()));
    }
}

// Sets the keys of `from` in `into`; the tables a dotted key opens are merged, every value
// (inline tables included) replaces what was there.
void merge(toml::table& into, toml::table& from) {
    for (auto&& [name, node] : from) {
        auto* target = into.get(name.str());
        auto* table = node.as_table();
        if (table != nullptr && !table->is_inline() && target != nullptr && target->is_table())
            merge(*target->as_table(), *table);
        else
            into.insert_or_assign(name.str(), std::move(node));
    }
}

// The dotted key an override sets.
std::string overrideKey(const toml::table& parsed) {
    std::string key;
    const toml::table* table = &parsed;
    while (table != nullptr && table->size() == 1) {
        auto [name, node] = *table->begin();  // a pair of references, held by value
        key = joinKey(key, name.str());
        const auto* next = node.as_table();
        table = next != nullptr && !next->is_inline() ? next : nullptr;
    }
    return key;
}

Override applyOverride(toml::table& root, const std::string& argument) {
    const std::string origin = "--set " + argument;
    const auto equals = argument.find('=');
    if (equals == std::string::npos || argument.find_first_of("\r\n") != std::string::npos)
        throw EInputError(origin + ": expected KEY=VALUE");
    const std::string key = trimmed(argument.substr(0, equals));
    const std::string value = trimmed(argument.substr(equals + 1));
    if (key.empty()) throw EInputError(origin + ": expected KEY=VALUE");
    toml::table parsed;
    try {
        parsed = toml::parse(key + " = " + value, origin);
    } catch (const toml::parse_error&) {
        // A bare word: `--set oxidation.mode=ratio` means the text "ratio".
        try {
            parsed = toml::parse(key + " = " + tomlString(value), origin);
        } catch (const toml::parse_error&) {
            throw EInputError(origin + ": \"" + key + "\" is not a key");
        }
    }
    Override result{overrideKey(parsed), origin};
    merge(root, parsed);
    return result;
}

std::vector<std::string> load(RunState& state, MlaChoice& mla,
                              const std::optional<std::filesystem::path>& file,
                              const std::vector<std::string>& arguments) {
    toml::table root = file ? parseFile(*file) : toml::table{};
    std::vector<Override> overrides;
    for (const auto& argument : arguments)
        overrides.push_back(applyOverride(root, argument));

    Draft draft{state.settings, state.slots, state.composition, mla, state.profileComposition};
    Reader reader(state.registry(), file ? file->string() : "--set", std::move(overrides));
    reader.read(root, draft);

    state.settings = std::move(draft.settings);
    state.slots = draft.slots;
    state.composition = std::move(draft.composition);
    state.profileComposition = std::move(draft.profileComposition);
    mla = std::move(draft.mla);
    return std::move(reader.warnings);
}

}  // namespace

MlaChoice MlaChoice::selectedIn(const ModelRegistry& registry) {
    MlaChoice choice;
    for (std::size_t s = 0; s < kMineralCount; ++s) {
        const auto& models = registry.mineralSets()[s]->models;
        for (std::size_t i = 0; i < models.size(); ++i)
            if (models[i]->selected) choice.models[s].push_back(i);
    }
    return choice;
}

std::vector<TModel*> MlaChoice::chosen(const ModelRegistry& registry, Phase mineral) const {
    const TSetOfModels& set = registry.mineralSet(mineral);
    std::vector<TModel*> result;
    for (std::size_t i : models.at(static_cast<std::size_t>(mineral) - 1))
        result.push_back(set.models.at(i).get());
    return result;
}

std::vector<std::string> loadSettings(RunState& state, MlaChoice& mla,
                                      const std::optional<std::filesystem::path>& file,
                                      const std::vector<std::string>& overrides) {
    return load(state, mla, file, overrides);
}

std::vector<std::string> applySettingOverrides(RunState& state, MlaChoice& mla,
                                               const std::vector<std::string>& overrides) {
    return load(state, mla, std::nullopt, overrides);
}

}  // namespace varnodel
