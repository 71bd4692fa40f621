#include "io/SettingsKeys.h"

#include <cstdio>

#include "core/NumberFormat.h"

namespace varnodel::settingsfile {

std::string_view mineralKey(std::size_t m) {
    return kPhases[m].name;
}

std::string trimmed(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string lower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

std::string normalisedModelName(std::string_view name) {
    std::string result;
    for (char c : lower(name)) {
        if (c == ' ') continue;
        result += c == '&' ? ',' : c;
    }
    return result;
}

int oxideIndex(std::string_view symbol) {
    for (std::size_t i = 0; i < kOxideCount; ++i)
        if (trimmed(kOxides[i].label) == symbol) return static_cast<int>(i);
    return -1;
}

std::size_t elementBySymbol(std::string_view symbol, bool withH2O) {
    for (std::size_t i = 0; i < kTraceCount; ++i)
        if (trimmed(kTraces[i].name) == symbol) return i + 1;
    return withH2O && symbol == kVolatileName ? kH2OElementIndex : 0;
}

std::string elementSymbol(std::size_t element) {
    return element == kH2OElementIndex ? std::string(kVolatileName)
                                       : trimmed(kTraces[element - 1].name);
}

TModel* findModel(const TSetOfModels& set, std::string_view name) {
    if (trimmedRight(name).empty()) return nullptr;
    if (TModel* model = set.getByName(name)) return model;
    for (auto it = set.models.rbegin(); it != set.models.rend(); ++it)
        if (trimmedRight((*it)->shortName) == trimmedRight(name)) return it->get();
    return nullptr;
}

std::string modelName(const TSetOfModels& set, const TModel* model) {
    if (model == nullptr) return {};
    if (set.getByName(model->displayName) == model) return model->displayName;
    return trimmedRight(model->shortName);
}

std::size_t positionIn(const TSetOfModels& set, const TModel* model) {
    for (std::size_t i = 0; i < set.models.size(); ++i)
        if (set.models[i].get() == model) return i;
    return set.models.size();
}

std::string tomlString(std::string_view text) {
    std::string result = "\"";
    for (char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            result += '\\';
            result += c;
        } else if (u < 0x20 || u == 0x7f) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04X", u);
            result += escape;
        } else {
            result += c;
        }
    }
    return result + '"';
}

std::string tomlNumber(double value) {
    std::string text = shortestGeneral(value);
    if (text.find_first_of(".Ee") == std::string::npos) text += ".0";
    return text;
}

std::string typeName(const toml::node& node) {
    switch (node.type()) {
        case toml::node_type::table:
            return "a table";
        case toml::node_type::array:
            return "an array";
        case toml::node_type::string:
            return "a text";
        case toml::node_type::integer:
            return "an integer";
        case toml::node_type::floating_point:
            return "a floating-point number";
        case toml::node_type::boolean:
            return "a boolean";
        case toml::node_type::date:
            return "a date";
        case toml::node_type::time:
            return "a time";
        case toml::node_type::date_time:
            return "a date-time";
        default:
            return "nothing";
    }
}

std::string joinKey(const std::string& path, std::string_view name) {
    return path.empty() ? std::string(name) : path + "." + std::string(name);
}

std::size_t stopCondition(const TStopBlock& stop) {
    for (std::size_t k = 0; k < kStopKinds; ++k)
        if (stop.flags[k]) return k;
    return Stop::Crystallisation;
}

}  // namespace varnodel::settingsfile
