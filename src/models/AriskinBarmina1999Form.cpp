#include "models/AriskinBarmina1999Form.h"

#include <cmath>

#include "core/Errors.h"
#include "core/MoleConversions.h"
#include "models/TOxydationState.h"

namespace varnodel {

namespace {
constexpr double kNoFerricLogFO2 = -30.0;
}

double oxideMeltLogFO2(const RunContext& run, const Oxides& melt, double T) {
    if (melt[Ox::Fe2O3] == 0.0) return kNoFerricLogFO2;
    TOxydationState oxidation;
    oxidation.selectModel(run.settings.parameters.oxidationModel);
    oxidation.setMelt(melt);
    return oxidation.logFO2FromMelt(melt, T);
}

AriskinBarmina1999Form::Partition AriskinBarmina1999Form::partition(const TAssemblage& assemblage,
                                                                    double T) {
    Oxides x = meltOf(assemblage).oxides;
    const double logfO2 = oxideMeltLogFO2(context(), x, T);
    if (keepsLgfO2_) context().lgfO2 = logfO2;
    TMoleConversions().normalize(x);
    const double melt[5] = {x[Ox::FeO] + x[Ox::Fe2O3], x[Ox::FeO] + x[Ox::Fe2O3], x[Ox::Al2O3],
                            x[Ox::MgO], x[Ox::TiO2]};
    Partition p{};
    for (std::size_t i = 0; i < 5; ++i) {
        const AriskinBarminaRow& r = (*rows_)[i];
        const double lnD =
            r.a / T + r.b * logfO2 + r.c + r.d * x[Ox::Na2O] + r.e * x[Ox::K2O] + r.f * x[Ox::P2O5];
        p.cations[i] = std::exp(lnD) * melt[i];
        p.sum += p.cations[i];
    }
    return p;
}

void AriskinBarmina1999Form::Get_Temperature(const TAssemblage& assemblage, double& T) {
    if (residualMode) {
        T = 1.0 - partition(assemblage, T).sum;
        return;
    }
    T = solveLiquidus(assemblage);
}

void AriskinBarmina1999Form::Get_Mineral_Composition(TAssemblage& assemblage, double& value,
                                                     double T) {
    const Partition p = partition(assemblage, T);
    Oxides cations{};
    cations[Ox::Fe2O3] = p.cations[0] / p.sum;
    cations[Ox::FeO] = p.cations[1] / p.sum;
    cations[Ox::Al2O3] = p.cations[2] / p.sum;
    cations[Ox::MgO] = p.cations[3] / p.sum;
    cations[Ox::TiO2] = p.cations[4] / p.sum;
    const double mgNumber = cations[Ox::MgO] / (cations[Ox::MgO] + cations[Ox::FeO]);
    bool finite = std::isfinite(mgNumber);
    for (double c : cations)
        finite = finite && std::isfinite(c);
    if (!finite)
        throw EModelError_GetT("The " + std::string(phaseName(mineral_)) + " of " + displayName +
                               " has no finite composition");
    storeMineral(assemblage, mineral_, cationFractionsToWtPercent(cations));
    value = mgNumber;
}

}  // namespace varnodel
