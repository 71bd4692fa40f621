// The liquidus temperature of every registered mineral model on VG-2, one benchmark per model
// named "Liquidus/<mineral>/<short name>". The counter T_C is the liquidus found (degrees
// Celsius), so that a faster model that finds another temperature shows at once.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchMain.h"
#include "core/Errors.h"
#include "models/ModelRegistry.h"
#include "support/ReferenceGlasses.h"

namespace varnodel::bench {

namespace {

// A reference glass with a tenth of its iron as Fe3+ (Fe2/Fe3 = 9, the default of the
// fixed-ratio mode), dry, at 1 bar, in cation moles as the engines hand it to the models.
struct Melt {
    std::string name;  // the glass's short name (VG-2, KL2-G, ...)
    TAssemblage assemblage;
};

std::vector<Melt> referenceMelts() {
    std::vector<Melt> melts;
    for (const auto& glass : test::referenceGlasses())
        melts.push_back({glass.name.substr(0, glass.name.find(' ')),
                         test::meltAssemblage(glass, 0.1, 0.0, 1.0)});
    return melts;
}

std::string trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The first melt, VG-2 first, on which the model finds a liquidus; null when none.
const Melt* firstWorkingMelt(TModel& model, const std::vector<Melt>& melts) {
    for (const auto& melt : melts) {
        try {
            double t = 0.0;
            model.Get_Temperature(melt.assemblage, t);
            model.message.clear();
            return &melt;
        } catch (const EModelError_GetT&) {
            model.message.clear();
        }
    }
    return nullptr;
}

void liquidus(benchmark::State& state, TModel* model, const TAssemblage* melt) {
    double t = 0.0;
    for (auto _ : state) {
        model->Get_Temperature(*melt, t);
        benchmark::DoNotOptimize(t);
        model->message.clear();
    }
    state.counters["T_C"] = t - 273.0;
}

void noLiquidus(benchmark::State& state) {
    for (auto _ : state) {
    }
    state.SkipWithError("no liquidus on any reference glass");
}

}  // namespace

void registerLiquidusBenchmarks() {
    // The registry and the melts live as long as the program: the benchmarks run after this.
    static const auto registry = std::make_unique<ModelRegistry>();
    static const std::vector<Melt> melts = referenceMelts();
    for (const auto& set : registry->mineralSets()) {
        for (const auto& model : set->models) {
            std::string name = "Liquidus/" + set->abbreviation + "/" + trimmed(model->shortName);
            const Melt* melt = firstWorkingMelt(*model, melts);
            if (melt == nullptr) {
                benchmark::RegisterBenchmark(name.c_str(), noLiquidus);
                continue;
            }
            // A model with no liquidus on VG-2 (the chromian spinel on a glass without Cr2O3)
            // is measured on the first glass it works on, named in the benchmark.
            if (melt != &melts.front()) name += "/" + melt->name;
            benchmark::RegisterBenchmark(name.c_str(), liquidus, model.get(), &melt->assemblage)
                ->Unit(benchmark::kMicrosecond);
        }
    }
}

}  // namespace varnodel::bench
