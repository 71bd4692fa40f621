// The liquidus search takes most of the halving's signs from a few residual evaluations near the
// root when a model shows its residual monotonic. It must still return what the plain halving
// returns, bit for bit, with the same warnings and failures: over every registered mineral
// model, on the reference glasses and hostile melts, dry and wet at pressure, with the forward
// engine's tolerance and the models' own, starting cold, close to the last root and far from it.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/Errors.h"
#include "models/ModelRegistry.h"
#include "support/SweepMelts.h"

namespace varnodel {
namespace {

struct Outcome {
    bool failed = false;
    std::string error;
    double T = 0.0;
    std::string message;
};

Outcome liquidus(TModel& model, const TAssemblage& melt) {
    Outcome o;
    try {
        model.Get_Temperature(melt, o.T);
    } catch (const EModelError_GetT& e) {
        o.failed = true;
        o.error = e.what();
        o.T = 0.0;
    }
    o.message = model.message;
    model.message.clear();
    return o;
}

constexpr std::size_t kPathSteps = 40;

// Every sweep melt dry at 1 bar, again with a hair more Fe3+ (a search that starts at the last
// root), and wet at 5 kbar; then VG-2 losing MgO in small steps, as a forward run asks.
std::vector<TAssemblage> meltSequence() {
    std::vector<TAssemblage> melts;
    std::vector<test::SweepMelt> all = test::glassMelts();
    for (auto& m : test::hostileMelts())
        all.push_back(std::move(m));
    for (const auto& m : all) {
        const test::ReferenceGlass glass{m.name, m.melt};
        melts.push_back(test::meltAssemblage(glass, 0.1, 0.0, 1.0));
        melts.push_back(test::meltAssemblage(glass, 0.1 + 1e-7, 0.0, 1.0));
        melts.push_back(test::meltAssemblage(glass, 0.2, 2.0, 5000.0));
    }
    test::ReferenceGlass vg2 = test::referenceGlasses().front();
    for (std::size_t step = 0; step < kPathSteps; ++step) {
        vg2.melt.oxides[Ox::MgO] -= 0.02;
        melts.push_back(test::meltAssemblage(vg2, 0.1, 0.0, 1.0));
    }
    return melts;
}

TEST(LiquidusSearch, EveryModelFindsTheTemperatureOfThePlainHalving) {
    const ModelRegistry registry;
    const std::vector<TAssemblage> melts = meltSequence();
    for (const auto& set : registry.mineralSets()) {
        for (const auto& model : set->models) {
            for (const double tol : {model->tolerance, 1e-4}) {
                SCOPED_TRACE(set->abbreviation + " " + model->displayName +
                             " tol=" + std::to_string(tol));
                std::unique_ptr<TModel> fast = model->clone();
                std::unique_ptr<TModel> plain = model->clone();
                fast->setContext(std::make_shared<RunContext>());
                plain->setContext(std::make_shared<RunContext>());
                plain->fastLiquidusSearch = false;
                fast->tolerance = plain->tolerance = tol;
                std::uint64_t fastOnPath = 0, plainOnPath = 0;
                for (std::size_t k = 0; k < melts.size(); ++k) {
                    const TAssemblage& melt = melts[k];
                    if (k == melts.size() - kPathSteps) {
                        fastOnPath = fast->context().residualEvaluations;
                        plainOnPath = plain->context().residualEvaluations;
                    }
                    const Outcome expected = liquidus(*plain, melt);
                    const Outcome got = liquidus(*fast, melt);
                    ASSERT_EQ(got.failed, expected.failed) << melt.name << ": " << expected.error;
                    EXPECT_EQ(got.error, expected.error) << melt.name;
                    EXPECT_EQ(got.T, expected.T) << melt.name;  // bit for bit
                    EXPECT_EQ(got.message, expected.message) << melt.name;
                }
                // The models of the usual basalt run show their residuals monotonic: along the
                // path their searches must take a fraction of the halving's evaluations.
                const bool basaltModel =
                    (set->abbreviation == "Olv" && model->displayName == "Ford et al., 1983") ||
                    (set->abbreviation != "Olv" && model->displayName == "Langmuir et al., 1992");
                if (basaltModel) {
                    EXPECT_LT(3 * (fast->context().residualEvaluations - fastOnPath),
                              plain->context().residualEvaluations - plainOnPath);
                }
            }
        }
    }
}

}  // namespace
}  // namespace varnodel
