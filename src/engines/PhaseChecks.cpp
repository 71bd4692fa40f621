#include "engines/PhaseChecks.h"

#include <cmath>
#include <string_view>

namespace varnodel {

namespace {

std::string_view trimmed(std::string_view name) {
    const auto first = name.find_first_not_of(' ');
    const auto last = name.find_last_not_of(' ');
    return first == std::string_view::npos ? name : name.substr(first, last - first + 1);
}

std::string problem(double value, std::string_view name) {
    if (!std::isfinite(value)) return std::string(trimmed(name)) + " that is not a number";
    if (value < 0.0) return "negative " + std::string(trimmed(name));
    return "";
}

// The first value of `phase` that no phase can have; oxide `exempt` may be below zero (but must
// be a number).
std::string firstProblem(const TAnalysis& phase, const ActiveElements& active, std::size_t exempt) {
    for (std::size_t k = 0; k < kOxideCount; ++k) {
        const double v = phase.oxides[k];
        if (k == exempt && std::isfinite(v)) continue;
        if (auto why = problem(v, kOxides[k].label); !why.empty()) return why;
    }
    if (active.volatile_)
        if (auto why = problem(phase.volatile_.value, kVolatileName); !why.empty()) return why;
    for (std::size_t i = 0; i < kTraceCount; ++i)
        if (active.traces[i])
            if (auto why = problem(phase.traces[i].value, kTraces[i].name); !why.empty())
                return why;
    return "";
}

}  // namespace

std::string withArticle(std::string_view noun) {
    const bool vowel =
        !noun.empty() && std::string_view("aeiou").find(noun.front()) != std::string_view::npos;
    return (vowel ? "an " : "a ") + std::string(noun);
}

std::string impossibleComposition(const TAnalysis& phase, const ActiveElements& active) {
    return firstProblem(phase, active, kOxideCount);
}

std::string impossibleMelt(const TAnalysis& melt, const ActiveElements& active) {
    return firstProblem(melt, active, Ox::Cr2O3);
}

}  // namespace varnodel
