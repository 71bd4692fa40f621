#include "io/CompositionText.h"

#include "core/NumberFormat.h"

namespace varnodel {

PresentElements PresentElements::from(const ActiveElements& active) {
    PresentElements present;
    present.h2o = active.volatile_;
    for (std::size_t i = 0; i < kTraceCount; ++i)
        if (active.traces[i]) present.traces.push_back(i + 1);
    return present;
}

WeightComposition WeightComposition::fromMolar(const TAnalysis& molar) {
    WeightComposition c;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        c.oxides[k] = molar.oxides[k] * kOxides[k].massPerCation;
    c.h2o = molar.volatile_.value * kVolatileMass;
    for (std::size_t i = 0; i < kTraceCount; ++i)
        c.tracesPpm[i] = molar.traces[i].value * kTraces[i].mass * 10000.0;
    c.notDetermined = molar.notDetermined;
    return c;
}

std::string labelLine(const PresentElements& present) {
    std::string line;
    for (const auto& oxide : kOxides)
        line += " " + std::string(oxide.label);
    if (present.h2o) line += "   " + std::string(kVolatileName);
    for (std::size_t index : present.traces)
        line += "     " + std::string(kTraces[index - 1].name);
    return line;
}

std::string valueLine(const WeightComposition& c, const PresentElements& present, bool blankZeros) {
    const auto value = [blankZeros](double v) {
        return blankZeros && v == 0.0 ? std::string(6, ' ') : padded(v);
    };
    std::string line;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        line += c.notDetermined[k] ? "  n.d." : value(c.oxides[k]);
    if (present.h2o) line += value(c.h2o);
    for (std::size_t index : present.traces) {
        const double ppm = c.tracesPpm[index - 1];
        line += blankZeros && ppm == 0.0 ? std::string(7, ' ') : fixedField(ppm, 7, 1);
    }
    return line;
}

std::string compositionFields(const WeightComposition& c, const PresentElements& present, int width,
                              int decimals) {
    std::string fields;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        fields += c.notDetermined[k] ? "-1.00," : fixedField(c.oxides[k], width, decimals) + ",";
    if (present.h2o) fields += fixedField(c.h2o, width, decimals) + ",";
    for (std::size_t index : present.traces)
        fields += fixedField(c.tracesPpm[index - 1], 5, present.traceDecimals) + ",";
    return fields;
}

std::string compositionHeader(const PresentElements& present, const std::string& suffix) {
    std::string fields;
    for (const auto& oxide : kOxides)
        fields += std::string(oxide.label) + suffix;
    if (present.h2o) fields += std::string(kVolatileName) + suffix;
    for (std::size_t index : present.traces)
        fields += std::string(kTraces[index - 1].name) + suffix;
    return fields;
}

}  // namespace varnodel
