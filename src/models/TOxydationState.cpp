#include "models/TOxydationState.h"

#include <cmath>
#include <exception>
#include <numbers>

#include "core/Errors.h"
#include "core/MoleConversions.h"

namespace varnodel {

namespace {

constexpr double kLn10 = std::numbers::ln10;

// The constant of Kress & Carmichael 1988 that links their ratio R = XFe2O3/XFeO to the
// Fe2+/Fe3+ cation ratio of the melt: Fe2/Fe3 = (0.0776 (1 + R) + 1) / R.
constexpr double kKressComplex = 0.0776;

bool hasMelt(const TAssemblage& assemblage) {
    for (const auto& phase : assemblage.phases)
        if (phase.name == phaseName(Phase::Melt)) return true;
    return false;
}

}  // namespace

TOxydationState::TOxydationState() {
    selectModel("Boris90 ");
    // QFM, as the run settings have it after a reset.
    bufferSlope = -56280.0;
    bufferIntercept = 19.09;
}

void TOxydationState::selectModel(const TModelOxydation& model) {
    model_ = &model.coefficients();
    coefA = model_->a;
    coefB = model_->b;
    coefC = model_->c;
}

void TOxydationState::selectModel(std::string_view shortName) {
    const OxidationCoefficients* found = findOxidationCoefficients(shortName);
    if (found == nullptr)
        throw EInputError("Unknown oxidation-state model \"" + std::string(shortName) + "\"");
    model_ = found;
    coefA = found->a;
    coefB = found->b;
    coefC = found->c;
}

void TOxydationState::setMelt(const Oxides& melt) {
    // The mole fractions below see the total iron as FeO and the ferric iron once more as Fe2O3,
    // as the composition terms were fitted.
    Oxides x = melt;
    x[Ox::FeO] += x[Ox::Fe2O3];
    TMoleConversions conversions;
    conversions.cationsToOxides(x);
    conversions.normalize(x);

    const auto dot = [&x](const Oxides& d) {
        double s = 0.0;
        for (std::size_t i = 0; i < kOxideCount; ++i)
            s += d[i] * x[i];
        return s;
    };
    switch (model_->form) {
        case OxidationForm::Borisov:
            sum1 = 100.0 * dot(model_->d1);
            sum2 = 100.0 * dot(model_->d2);
            sum3 = 100.0 * dot(model_->d3);
            break;
        case OxidationForm::SackKilinc:
            sum1 = model_->c + dot(model_->d1);
            break;
        case OxidationForm::Kress:
            sum1 = dot(model_->d1);  // c enters with the fO2 term
            break;
    }
}

void TOxydationState::setMelt(const Oxides& melt, const TModelOxydation& model) {
    const OxidationCoefficients* chosen = model_;
    model_ = &model.coefficients();
    setMelt(melt);
    model_ = chosen;
}

void TOxydationState::setBuffer(const TModel& buffer, double shift) {
    bufferSlope = buffer.bufferA;
    bufferIntercept = kLn10 * shift + buffer.bufferB;
}

void TOxydationState::configure(const TParameters& parameters, const THash& buffers) {
    selectModel(parameters.oxidationModel);
    const TModel* buffer = buffers.getItem(parameters.bufferModel);
    if (buffer == nullptr)
        throw EInputError("Unknown oxygen buffer \"" + parameters.bufferModel + "\"");
    setBuffer(*buffer, parameters.bufferOffset);
}

double TOxydationState::fe2Fe3AtBuffer(double T) const {
    const double lnfO2 = bufferSlope / T + bufferIntercept;
    return fe2Fe3AtLogFO2(lnfO2 / kLn10, T);
}

double TOxydationState::fe2Fe3AtLogFO2(double logfO2, double T) const {
    const double lnfO2 = kLn10 * logfO2;
    switch (model_->form) {
        case OxidationForm::SackKilinc: {
            // R = XFe2O3 / XFeO, two ferric cations per Fe2O3.
            const double R = std::exp(coefA * lnfO2 + coefB / T + sum1);
            return 1.0 / (2.0 * R);
        }
        case OxidationForm::Kress: {
            const double R = std::exp(coefA * lnfO2 + (coefB + sum1) / T + coefC);
            return (kKressComplex * (1.0 + R) + 1.0) / R;
        }
        case OxidationForm::Borisov: {
            const double R = std::exp(
                kLn10 * (coefA * logfO2 + coefB / T + coefC + sum1 + sum2 / T + sum3 * logfO2));
            return 1.0 / R;
        }
    }
    return 0.0;
}

double TOxydationState::logFO2FromMelt(const Oxides& melt, double T) const {
    const double fe3 = melt[Ox::Fe2O3];
    const double fe2 = melt[Ox::FeO];
    switch (model_->form) {
        case OxidationForm::SackKilinc:
            return (std::log(fe3 / 2.0 / fe2) - coefB / T - sum1) / coefA / kLn10;
        case OxidationForm::Kress:
            return (std::log((1.0 + kKressComplex) * fe3 / (fe2 - kKressComplex * fe3)) -
                    (coefB + sum1) / T - coefC) /
                   coefA / kLn10;
        case OxidationForm::Borisov:
            return (std::log10(fe3 / fe2) - sum1 - sum2 / T - coefB / T - coefC) / (sum3 + coefA);
    }
    return 0.0;
}

double TOxydationState::ironRatio(TAssemblage& assemblage, RunContext& run, double T,
                                  TModel* olivine) {
    const TParameters& p = run.settings.parameters;
    const TAnalysis melt = meltOf(assemblage);
    if (p.equationMode) {
        constexpr const char* kInconsistent =
            "Inconsistent set of models. Called from Feratio_Calc with Fe3Fo option. Calculation "
            "aborted";
        double fo = 0.0;
        if (olivine == nullptr) {
            run.errorText = kInconsistent;
            throw FatalError(run.errorText);
        }
        try {
            // The olivine only gives Fo here; the assemblage does not take it as a phase.
            TAssemblage scratch = assemblage;
            olivine->Get_Mineral_Composition(scratch, fo, T);
        } catch (const EVarnodelError&) {
            throw;
        } catch (const std::exception&) {
            run.errorText = kInconsistent;
            throw FatalError(run.errorText);
        }
        if (!std::isfinite(fo))
            throw EModelError_GetT("The olivine of " + olivine->displayName +
                                   " has no finite Fo: no Fe2/Fe3 of the melt");
        const double R = p.equationA * fo + p.equationB;
        if (R <= 0.0) {
            run.errorText =
                "The chosen coefficients (A and B) for the equation Fe2/Fe3=A*Fo+B cannot be "
                "used with " +
                std::to_string(assemblage.number) +
                ", since the calculated Fe2/Fe3 value is <= 0. ";
            throw FatalError(run.errorText);
        }
        return R;
    }
    if (p.fixedRatioMode) return p.fixedRatio;
    if (p.closedSystemMode)
        return melt.oxides[Ox::Fe2O3] != 0.0 ? melt.oxides[Ox::FeO] / melt.oxides[Ox::Fe2O3] : -1.0;
    setMelt(melt.oxides);
    return fe2Fe3AtBuffer(T);
}

void TOxydationState::setMeltIronRatio(TAssemblage& assemblage, RunContext& run, double T,
                                       TModel* olivine) {
    if (!hasMelt(assemblage)) return;
    const double R = ironRatio(assemblage, run, T, olivine);
    if (!(R > 0.0)) return;  // closed system without Fe2O3: the melt stays as it is
    TAnalysis melt = meltOf(assemblage);
    const double total = melt.oxides[Ox::FeO] + melt.oxides[Ox::Fe2O3];
    if (std::isinf(R)) {
        // An fO2 so low that no ferric iron is left (the "Fe3=0" buffer).
        melt.oxides[Ox::Fe2O3] = 0.0;
        melt.oxides[Ox::FeO] = total;
    } else {
        melt.oxides[Ox::Fe2O3] = total / (R + 1.0);
        melt.oxides[Ox::FeO] = R * melt.oxides[Ox::Fe2O3];
    }
    storePhase(assemblage.phases, std::move(melt), phaseName(Phase::Melt));
}

}  // namespace varnodel
