#include "engines/FrPrint.h"

#include <cmath>

namespace varnodel {

bool PrintDecision::decide(double leaderT, const PerPhase<double>& composition,
                           const PerPhase<bool>& inAssemblage, double progress, bool requested) {
    if (requested) return true;
    const TParameters& p = parameters_;
    if (p.outputByTemperature && std::fabs(leaderT - lastTemperature_) >= p.outputTemperature) {
        lastTemperature_ = leaderT;
        return true;
    }
    struct ByComposition {
        bool on;
        Phase mineral;
        double interval;
    };
    const ByComposition byComposition[] = {
        {p.outputByFo, Phase::Olivine, p.outputFo},
        {p.outputByAn, Phase::Plagioclase, p.outputAn},
        {p.outputByClinopyroxene, Phase::Clinopyroxene, p.outputClinopyroxene},
        {p.outputByOrthopyroxene, Phase::Orthopyroxene, p.outputOrthopyroxene},
        {p.outputByPigeonite, Phase::Pigeonite, p.outputPigeonite},
    };
    for (const auto& test : byComposition) {
        const auto i = static_cast<std::size_t>(test.mineral);
        if (test.on && inAssemblage[i] &&
            std::fabs(composition[i] - lastComposition_[i]) >= test.interval) {
            lastComposition_[i] = composition[i];
            return true;
        }
    }
    // Marks fall on multiples of the interval, not on the step that passed them.
    if (p.outputByCrystallisation &&
        progress - lastCrystallisationMark_ >= p.outputCrystallisation) {
        lastCrystallisationMark_ += p.outputCrystallisation;
        return true;
    }
    int outside = 0;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (!inAssemblage[i]) ++outside;
    if (outside != outsideCount_) {
        outsideCount_ = outside;
        return true;
    }
    return false;
}

}  // namespace varnodel
