#include "core/Parameters.h"

#include <cctype>
#include <stdexcept>

namespace varnodel {

double TKdTable::traceKd(std::string_view element, std::string_view mineral) const {
    const std::size_t e = elementIndex(element);
    const std::size_t m = mineralIndex(mineral);
    if (e == 0) throw std::invalid_argument("Unknown element \"" + std::string(element) + "\"");
    if (m == 0) throw std::invalid_argument("Unknown mineral \"" + std::string(mineral) + "\"");
    return at(m, e);
}

bool isFe3FreeBuffer(std::string_view bufferName) {
    std::string lower(bufferName);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower == "fe3=0";
}

std::array<TMineralOptions, kPhaseCount> RunSettings::defaultMineralOptions() {
    std::array<TMineralOptions, kPhaseCount> options{};
    for (std::size_t m = 1; m < kPhaseCount; ++m)
        options[m].traceChoices.fill("Kd");
    // Ilmenite and magnetite take other defaults for the settings of the other calculations.
    for (auto m : {Phase::Ilmenite, Phase::Magnetite})
        options[static_cast<std::size_t>(m)].otherSettings = {1100.0, 6.0, 90.0, 90.0};
    return options;
}

}  // namespace varnodel
