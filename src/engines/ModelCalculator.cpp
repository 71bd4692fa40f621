#include "engines/ModelCalculator.h"

#include <cmath>
#include <functional>
#include <memory>

#include "core/Constants.h"
#include "core/Errors.h"
#include "core/MoleConversions.h"
#include "core/NumberFormat.h"
#include "engines/MineralRoutines.h"
#include "engines/ScaledSettings.h"
#include "models/MeltProperties.h"
#include "models/TModelOlivine_Kd.h"
#include "models/TOxydationState.h"
#include "models/_models_H2O.h"

namespace varnodel {

namespace {

// Fe2O3/FeO by weight of a cation ratio Fe2+/Fe3+.
constexpr double kFe2O3PerFeO = 79.845 / 71.85;
constexpr int kSplitPasses = 100;

TAnalysis& meltIn(TAssemblage& assemblage) {
    for (auto it = assemblage.phases.rbegin(); it != assemblage.phases.rend(); ++it)
        if (it->name == phaseName(Phase::Melt)) return *it;
    throw EInputError("The analysis " + assemblage.name + " has no melt");
}

// A value that a model may fail to give: its failure goes to the diagnostics log.
std::optional<double> attempt(RunReporter& reporter, const std::string& what,
                              const std::function<double()>& compute) {
    try {
        const double value = compute();
        if (std::isfinite(value)) return value;
        reporter.debugLine(what + " is not a number");
    } catch (const EVarnodelError& e) {
        reporter.debugLine(what + ": " + e.what());
    }
    return std::nullopt;
}

void requireWithin(double value, double lo, double hi, const char* what) {
    if (!std::isfinite(value)) throw EInputError(std::string(what) + " is not a number");
    if (value < lo || value > hi)
        throw EInputError(std::string(what) + " " + shortestGeneral(value) + " is outside " +
                          shortestGeneral(lo) + "-" + shortestGeneral(hi));
}

// The melt as the engines hold it: not-determined oxides 0, traces in wt%, totalled to 100 wt%
// with its H2O, in cation moles.
void prepareMelt(TAnalysis& melt) {
    TMoleConversions conv;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        if (melt.notDetermined[k]) melt.oxides[k] = 0.0;
    melt.notDetermined = {};
    if (melt.volatile_.value < 0.0) melt.volatile_.value = 0.0;  // -1: not determined
    conv.ppmToWt(melt);
    double total = 0.0;
    for (double v : melt.oxides)
        total += v;
    if (!(total > 0.0) || !std::isfinite(total))
        throw EInputError("The melt has no oxides to calculate with");
    normalizeTotal(melt, "none", 0.0);
    conv.wtToMoles(melt);
}

// Splits the melt's iron (cation moles) for the Fe2+/Fe3+ ratio R, keeping the total.
void splitAtRatio(TAnalysis& melt, double R) {
    const double iron = melt.oxides[Ox::FeO] + melt.oxides[Ox::Fe2O3];
    melt.oxides[Ox::Fe2O3] = iron / (1.0 + R);
    melt.oxides[Ox::FeO] = iron - melt.oxides[Ox::Fe2O3];
}

// The olivine-melt Kd of each option of the Kd settings, the other settings as the run has them.
std::vector<CalcKd> olivineKds(const RunContext& context, const TAssemblage& assemblage, double T,
                               RunReporter& reporter) {
    const TParameters& p = context.settings.parameters;
    struct Option {
        std::string name;
        bool TParameters::*flag;
    };
    const Option options[] = {
        {"KD(Fe-Mg) = " + shortestGeneral(p.kdFeMg), &TParameters::fixedKdOption},
        {"KD(Fe-Mg) after Sobolev & Quellmark 1994", &TParameters::sobolevQuellmarkOption},
        {"Ln(KD(Fe-Mg)) = " + shortestGeneral(p.lnKdA) + " / T + " + shortestGeneral(p.lnKdB) +
             " * P / T + " + shortestGeneral(p.lnKdC),
         &TParameters::lnKdOption},
        {"KD(Fe-Mg) after Toplis 2005", &TParameters::toplisOption},
    };
    const Oxides& melt = meltOf(assemblage).oxides;
    std::vector<CalcKd> kds;
    for (const Option& option : options) {
        auto own = std::make_shared<RunContext>(context);
        TParameters& q = own->settings.parameters;
        q.fixedKdOption = q.sobolevQuellmarkOption = q.lnKdOption = q.toplisOption = false;
        q.*option.flag = true;
        TModelOlivine_Kd model;
        model.setContext(own);
        CalcKd kd{option.name,
                  attempt(reporter, option.name,
                          [&] { return model.exchangeCoefficient(assemblage, T); }),
                  std::nullopt};
        if (kd.kd) kd.fo = melt[Ox::MgO] / (melt[Ox::MgO] + *kd.kd * melt[Ox::FeO]);
        if (kd.fo && !std::isfinite(*kd.fo)) kd.fo.reset();
        kds.push_back(std::move(kd));
    }
    return kds;
}

}  // namespace

CalcResult calculateModels(RunSnapshot& snapshot, const TAssemblage& analysis,
                           const CalcConditions& conditions, const MlaModels& models,
                           RunReporter& reporter) {
    requireWithin(conditions.temperatureC, -273.0 + 1.0, 5000.0, "The temperature (C)");
    requireWithin(conditions.pressureKbar, 0.0, 1000.0, "The pressure (kbar)");
    requireWithin(conditions.fluidH2O, 0.0, 1.0, "The H2O fraction of the fluid");
    if (conditions.logFO2) requireWithin(*conditions.logFO2, -100.0, 100.0, "The log fO2");
    const double T = conditions.temperatureC + kCelsiusOffset;
    const double P = std::max(conditions.pressureKbar * 1000.0, 1.0);  // bar

    const ScaledRunSettings scaled(snapshot, snapshot.settings());
    MineralRoutines routines(snapshot, reporter);
    routines.configureOxidation();
    TOxydationState& oxidation = routines.oxidation();

    TAssemblage work = analysis;
    work.pressure = P;
    TAnalysis& melt = meltIn(work);
    prepareMelt(melt);

    CalcResult r;
    r.sample = analysis.name;
    // The melt's log fO2: the one given, or the settings' buffer and shift; in the other modes
    // (a fixed Fe2/Fe3, a closed system, the olivine relation) the one the split iron records.
    const TParameters& p = snapshot.settings().parameters;
    std::optional<double> logFO2 = conditions.logFO2;
    if (!logFO2 && p.bufferMode && !isFe3FreeBuffer(p.bufferModel)) {
        const TModel* buffer = snapshot.registry->bufferTable().getItem(p.bufferModel);
        if (buffer != nullptr) logFO2 = buffer->getLogFO2(p.bufferOffset, T);
    }
    if (logFO2) {
        // The composition sums count the Fe2O3 itself: split until the split gives itself.
        for (int pass = 0; pass < kSplitPasses; ++pass) {
            const double before = melt.oxides[Ox::Fe2O3];
            oxidation.setMelt(melt.oxides);
            splitAtRatio(melt, oxidation.fe2Fe3AtLogFO2(*logFO2, T));
            if (std::fabs(melt.oxides[Ox::Fe2O3] - before) < 1e-13) break;
        }
        r.logFO2 = logFO2;
    } else {
        routines.splitIron(work, T);
        if (melt.oxides[Ox::Fe2O3] > 0.0 && melt.oxides[Ox::FeO] > 0.0) {
            oxidation.setMelt(melt.oxides);
            const double recorded = oxidation.logFO2FromMelt(melt.oxides, T);
            if (std::isfinite(recorded)) r.logFO2 = recorded;
        }
    }

    // Fe3+/ΣFe of the melt at its log fO2 by every oxidation model.
    for (const auto& model : snapshot.registry->oxidationModels().models) {
        CalcOxidation o{{model->displayName, model->shortName}, std::nullopt, std::nullopt};
        if (r.logFO2) {
            TOxydationState own;
            own.selectModel(model->shortName);
            own.setMelt(melt.oxides);
            const double R = own.fe2Fe3AtLogFO2(*r.logFO2, T);
            if (std::isfinite(R) && R > 0.0) {
                o.fe3OverFeTotal = 1.0 / (1.0 + R);
                o.fe2o3OverFeO = kFe2O3PerFeO / R;
            }
        }
        r.oxidation.push_back(o);
    }

    const THash& buffers = snapshot.registry->bufferTable();
    for (std::size_t k = 0; k < buffers.count(); ++k) {
        const TModel* buffer = buffers.getItemByIndex(k);
        if (isFe3FreeBuffer(buffer->displayName)) continue;
        r.buffers.push_back({buffer->displayName, buffer->getLogFO2(0.0, T)});
    }

    r.h2oWtPercent = attempt(reporter, "H2O solubility (Moore et al., 1998)", [&] {
        double h2o = 0.0;
        snapshot.registry->h2oSolubilityModel().getMeltH2O(work, h2o, conditions.fluidH2O, T);
        return h2o * kVolatileMass;
    });

    r.densityLange = attempt(reporter, "Density (Lange & Carmichael 1987)", [&] {
        return meltDensity(melt, T, DensityModel::LangeCarmichael1987).density;
    });
    r.densityNelson = attempt(reporter, "Density (Nelson & Carmichael 1979)", [&] {
        return meltDensity(melt, T, DensityModel::NelsonCarmichael1979).density;
    });
    r.lnViscosityBottinga = attempt(reporter, "Viscosity (Bottinga & Weill 1972)", [&] {
        return meltViscosity(melt, T, ViscosityModel::BottingaWeill1972);
    });
    r.lnViscosityGiordano = attempt(reporter, "Viscosity (Giordano & Dingwell 2003)", [&] {
        return meltViscosity(melt, T, ViscosityModel::GiordanoDingwell2003);
    });

    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        const auto mineral = static_cast<Phase>(i);
        for (TModel* model : mlaModelsOf(*snapshot.registry, models, mineral)) {
            const std::string what =
                model->displayName + " (" + std::string(phaseName(mineral)) + ")";
            CalcMineral m{
                mineral, {model->displayName, model->shortName}, std::nullopt, std::nullopt};
            TAssemblage own = work;
            m.liquidusK = attempt(reporter, what + ", liquidus", [&] {
                return routines.modelLiquidus(*model, own, P, ModelMessage::Failure);
            });
            own = work;
            m.value = attempt(reporter, what + ", mineral", [&] {
                double value = 0.0;
                model->Get_Mineral_Composition(own, value, T);
                const std::string why = MineralRoutines::impossibleMineral(
                    *model, i, findPhase(own.phases, phaseName(mineral)));
                if (!why.empty()) throw EModelError_GetT(why);
                return value;
            });
            routines.takeMessage(*model);
            r.minerals.push_back(m);
        }
    }

    r.kds = olivineKds(snapshot.context(), work, T, reporter);

    r.melt = melt;
    TMoleConversions().molesToWt(r.melt);
    return r;
}

}  // namespace varnodel
