#include "core/SettingsRules.h"

#include <algorithm>
#include <cctype>

namespace varnodel {

void setPressureCorrection(TMineralOptions& options, double slope) {
    options.pressureSlope = slope;
    options.pressureCorrection = slope != 0.0;
}

void setH2OCorrection(TMineralOptions& options, double a, double b) {
    options.h2oA = a;
    options.h2oB = b;
    options.h2oCorrection = a != 0.0 || b != 0.0;
}

CotecticEffect applyCotecticSwitch(RunSettings& settings) {
    CotecticEffect effect;
    if (!settings.parameters.cotecticOption) return effect;
    for (std::size_t m = 1; m < kPhaseCount; ++m) {
        TMineralOptions& options = settings.minerals[m];
        effect.pressureCleared[m] = options.pressureCorrection || options.pressureSlope != 0.0;
        effect.h2oCleared[m] = options.h2oCorrection || options.h2oA != 0.0 || options.h2oB != 0.0;
        setPressureCorrection(options, 0.0);
        setH2OCorrection(options, 0.0, 0.0);
    }
    return effect;
}

bool dropShiftOfFe3Zero(TParameters& p) {
    constexpr std::string_view kFe3Zero = "fe3=0";
    const bool isFe3Zero =
        p.bufferModel.size() == kFe3Zero.size() &&
        std::equal(kFe3Zero.begin(), kFe3Zero.end(), p.bufferModel.begin(),
                   [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
    if (!isFe3Zero || p.bufferOffset == 0.0) return false;
    p.bufferOffset = 0.0;
    return true;
}

KdModeFix reconcileKdModes(TParameters& p) {
    const bool anyKdMode =
        p.fixedKdOption || p.lnKdOption || p.sobolevQuellmarkOption || p.toplisOption;
    if (!p.olivineKdModelOption && anyKdMode) {
        p.fixedKdOption = p.lnKdOption = p.sobolevQuellmarkOption = p.toplisOption = false;
        return KdModeFix::ModesCleared;
    }
    if (p.olivineKdModelOption && !anyKdMode) {
        p.fixedKdOption = true;
        return KdModeFix::ConstantChosen;
    }
    return KdModeFix::None;
}

std::size_t olivineEquationBlocker(const std::array<TModel*, kPhaseCount>& slots) {
    if (slots[static_cast<std::size_t>(Phase::Olivine)] == nullptr) return 1;
    for (std::size_t m = 2; m < kPhaseCount; ++m)
        if (slots[m] != nullptr) return m;
    return 0;
}

}  // namespace varnodel
