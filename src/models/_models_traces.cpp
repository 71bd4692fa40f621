#include "models/_models_traces.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "core/Constants.h"
#include "core/Errors.h"

namespace varnodel {

namespace {

// Trace elements these models handle, by their 1-based position in the trace table.
constexpr std::size_t kCo = 5;
constexpr std::size_t kNi = 6;
constexpr std::size_t kSr = 11;
constexpr std::size_t kBa = 16;
static_assert(kTraces[kCo - 1].name == "Co" && kTraces[kNi - 1].name == "Ni");
static_assert(kTraces[kSr - 1].name == "Sr" && kTraces[kBa - 1].name == "Ba");

bool hasPhaseNamed(const TAssemblage& assemblage, std::string_view name) {
    return std::any_of(assemblage.phases.begin(), assemblage.phases.end(),
                       [name](const TAnalysis& phase) { return phase.name == name; });
}

// Cation fraction of oxide `oxide` among the twelve oxides of a phase in cation moles, and the
// total number of cation moles it is taken over.
struct CationFraction {
    double fraction;
    double cations;
};

CationFraction cationFraction(const TAnalysis& phase, std::size_t oxide) {
    double cations = 0.0;
    for (double v : phase.oxides)
        cations += v;
    return {phase.oxides[oxide] / cations, cations};
}

}  // namespace

// --- shared -------------------------------------------------------------------------------

TTraceModel::TTraceModel(std::string display, std::string shortName8, Phase mineral,
                         std::initializer_list<std::size_t> elements) {
    displayName = std::move(display);
    shortName = std::move(shortName8);
    hasTraces = true;
    forMineral[static_cast<std::size_t>(mineral)] = true;
    for (std::size_t element : elements)
        forTrace[element - 1] = true;
}

bool TTraceModel::assignedHere(Phase mineral, std::size_t element) const {
    const auto& choices =
        context().settings.minerals[static_cast<std::size_t>(mineral)].traceChoices;
    return choices[element - 1] == shortName;
}

bool TTraceModel::phasesPresent(const TAssemblage& assemblage, Phase mineral,
                                const char* missingText) {
    if (hasPhaseNamed(assemblage, phaseName(Phase::Melt)) &&
        hasPhaseNamed(assemblage, phaseName(mineral)))
        return true;
    message = missingText;
    return false;
}

void TTraceModel::partition(TAssemblage& assemblage, Phase mineral, std::size_t element,
                            double d) const {
    if (!std::isfinite(d))
        throw EModelError_GetT(displayName + ": the partition coefficient of " +
                               std::string(kTraces[element - 1].name) + " is not a number");
    const TAnalysis melt = meltOf(assemblage);
    TAnalysis phase = findPhase(assemblage.phases, phaseName(mineral));
    phase.traces[element - 1].value = melt.traces[element - 1].value * d;
    storePhase(assemblage.phases, std::move(phase), phaseName(mineral));
}

// --- Blundy & Wood 1991 -------------------------------------------------------------------

TModelTrace_Blundy_Wood1991::TModelTrace_Blundy_Wood1991()
    : ModelClone("Blundy & Wood, 1991", "Bl_Wo91 ", Phase::Plagioclase, {kSr, kBa}) {}

void TModelTrace_Blundy_Wood1991::get_Trace(TAssemblage& assemblage, double T) {
    if (!phasesPresent(assemblage, Phase::Plagioclase,
                       "Melt or plagioclase does not exist in the assemblage"))
        return;
    // The plagioclase's CaO and Na2O as the assemblage holds them: in cation moles this is
    // Ca/(Ca + Na), the anorthite fraction.
    const TAnalysis plagioclase = findPhase(assemblage.phases, phaseName(Phase::Plagioclase));
    const double ca = plagioclase.oxides[Ox::CaO];
    const double xAn = ca / (ca + plagioclase.oxides[Ox::Na2O]);

    // RT ln D (J/mol), Blundy & Wood 1991, their fits to plagioclase-melt data.
    constexpr struct {
        std::size_t element;
        double a;  // J/mol
        double b;  // J/mol per unit X_An
    } kFits[] = {
        {kSr, 26800.0, -26700.0},
        {kBa, 10200.0, -38200.0},
    };
    for (const auto& fit : kFits)
        if (assignedHere(Phase::Plagioclase, fit.element))
            partition(assemblage, Phase::Plagioclase, fit.element,
                      std::exp((fit.a + fit.b * xAn) / (kGasConstant * T)));
}

// --- Kinzler et al. 1990 ------------------------------------------------------------------

TModelTrace_Kinzler1990::TModelTrace_Kinzler1990()
    : ModelClone("Kinzler et al, 1990", "Kinzl90 ", Phase::Olivine, {kNi}) {
    unavailable =
        "Ni partitioning after Kinzler et al, 1990 is not available; choose Kd or "
        "Beattie, 1993 for Ni in olivine";
}

void TModelTrace_Kinzler1990::get_Trace(TAssemblage& assemblage, double) {
    if (!phasesPresent(assemblage, Phase::Olivine,
                       "Melt or olivine does not exist in the assemblage"))
        return;
    if (!assignedHere(Phase::Olivine, kNi)) return;
    // The melt-composition terms of this model (the regular-solution activity of Ni in the melt)
    // are not built. The settings refuse the choice; a caller that assigns it anyway ends its run
    // here rather than write a Ni content that does not come from the published model.
    context().errorText = unavailable;
    throw FatalError(context().errorText);
}

// --- Beattie et al. 1991 ------------------------------------------------------------------

TModelTrace_Beattie1991::TModelTrace_Beattie1991()
    : ModelClone("Beattie, 1993", "Beatt91 ", Phase::Olivine, {kNi, kCo}) {}

void TModelTrace_Beattie1991::get_Trace(TAssemblage& assemblage, double) {
    if (!phasesPresent(assemblage, Phase::Olivine,
                       "Melt or olivine does not exist in the assemblage"))
        return;
    // Beattie, Ford & Russell 1991 give molar partition coefficients: ratios of cation
    // fractions (single-cation oxide components, the olivine's fractions summing to one over its
    // three cations), as the Beattie 1993 olivine model of this program uses them. The fractions
    // are taken over the twelve oxides; traces at ppm level do not change them.
    const auto olivine =
        cationFraction(findPhase(assemblage.phases, phaseName(Phase::Olivine)), Ox::MgO);
    const auto melt = cationFraction(meltOf(assemblage), Ox::MgO);
    const double dMg = olivine.fraction / melt.fraction;
    // The phases are held as cation moles per 100 g, so a molar D becomes a ratio of the held
    // values by the phases' cation totals: X_ol = D X_melt  <=>  n_ol = D n_melt N_ol / N_melt.
    const double toHeld = olivine.cations / melt.cations;

    // D_M = s D_Mg + c. The lines fall below zero for D_Mg under 1.095 (Ni) and 0.49 (Co), far
    // outside natural olivine-melt pairs; a negative coefficient has no meaning and is taken as 0.
    constexpr struct {
        std::size_t element;
        double s;
        double c;
    } kLines[] = {
        {kNi, 3.346, -3.665},
        {kCo, 0.786, -0.385},
    };
    for (const auto& line : kLines) {
        if (!assignedHere(Phase::Olivine, line.element)) continue;
        const double d = line.s * dMg + line.c;  // a NaN passes on to the check of partition
        partition(assemblage, Phase::Olivine, line.element, (d < 0.0 ? 0.0 : d) * toHeld);
    }
}

// --- registration -------------------------------------------------------------------------

void registerTraceModels(TSetOfModels& set) {
    set.add<TModelTrace_Blundy_Wood1991>();
    set.add<TModelTrace_Kinzler1990>();
    set.add<TModelTrace_Beattie1991>();
}

}  // namespace varnodel
