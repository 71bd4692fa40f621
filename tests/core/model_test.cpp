#include "core/Model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>

#include "core/Errors.h"

namespace varnodel {
namespace {

// A model whose residual is any function of T, with the usual liquidus-search shape.
class FunctionModel : public ModelClone<FunctionModel> {
  public:
    FunctionModel() { displayName = "Test model"; }
    explicit FunctionModel(std::function<double(double)> f, double tol = 0.01)
        : residual_(std::move(f)) {
        displayName = "Test model";
        tolerance = tol;
    }
    void Get_Temperature(const TAssemblage& a, double& T) override {
        if (residualMode) {
            ++evaluations;
            T = residual_(T);
            return;
        }
        T = solveLiquidus(a);
    }
    bool residualIsMonotonic(const TAssemblage&) override { return monotonic; }
    int evaluations = 0;
    bool monotonic = false;  // what the model claims of its residual

  private:
    std::function<double(double)> residual_;
};

class NamedModel : public ModelClone<NamedModel> {
  public:
    NamedModel(std::string name, std::string shortName_, bool isDefault_ = false) {
        displayName = std::move(name);
        shortName = std::move(shortName_);
        isDefault = isDefault_;
    }
};

TEST(TModel, BaseDefaults) {
    const NamedModel m("x", "x       ");
    EXPECT_EQ(m.tolerance, 0.01);
    EXPECT_FALSE(m.selected || m.isDefault || m.residualMode || m.usesPressure || m.usesWater ||
                 m.hasTraces);
    for (bool f : m.forTrace)
        EXPECT_FALSE(f);
    for (bool f : m.forMineral)
        EXPECT_FALSE(f);
    EXPECT_EQ(m.bufferA, 0.0);
}

TEST(TModel, BaseOperationsLeaveOutputsUnchanged) {
    NamedModel m("x", "x       ");
    TAssemblage a;
    double T = 1234.0;
    m.Get_Temperature(a, T);
    EXPECT_EQ(T, 1234.0);
    double value = 0.5;
    m.Get_Mineral_Composition(a, value, 1400.0);
    EXPECT_EQ(value, 0.5);
    EXPECT_TRUE(a.phases.empty());
}

TEST(TModel, LogFO2OfABuffer) {
    NamedModel qfm("QFM", "QFM");
    qfm.bufferA = -56280.0;
    qfm.bufferB = 19.09;
    // log fO2 = delta + (A/T + B)/ln 10
    EXPECT_NEAR(qfm.getLogFO2(0.0, 1473.0), (-56280.0 / 1473.0 + 19.09) / std::log(10.0), 1e-12);
    EXPECT_NEAR(qfm.getLogFO2(1.5, 1473.0) - qfm.getLogFO2(0.0, 1473.0), 1.5, 1e-12);
}

TEST(TModel, CloneIsIndependent) {
    NamedModel m("x", "x       ");
    auto copy = m.clone();
    copy->message = "changed";
    EXPECT_TRUE(m.message.empty());
    EXPECT_EQ(copy->displayName, "x");
}

TEST(TSetOfModels, LookupRules) {
    TSetOfModels set("Olivine", "Olv");
    set.add(std::make_unique<NamedModel>("Ford et al., 1983", "Ford83  ", true));
    set.add(std::make_unique<NamedModel>("Shared", "Shar1   "));
    set.add(std::make_unique<NamedModel>("Shared", "Shar2   ", true));
    set.add(std::make_unique<NamedModel>("Last", "Last    "));

    EXPECT_EQ(set.getByName("Shared")->shortName, "Shar2   ");  // the later one
    EXPECT_EQ(set.getByName("shared"), nullptr);                // case-sensitive
    EXPECT_EQ(set.getByName("Nowhere"), nullptr);
    EXPECT_EQ(set.getByNameShort("Ford83  ")->displayName, "Ford et al., 1983");
    EXPECT_EQ(set.getByNameShort("Ford83"), nullptr);  // the blanks belong to the name
    EXPECT_EQ(set.getDefaultModel()->shortName, "Shar2   ");

    TSetOfModels empty;
    EXPECT_EQ(empty.getDefaultModel(), nullptr);
}

TEST(TSetOfModels, CloneCopiesEveryModelInOrder) {
    TSetOfModels set("Olivine", "Olv");
    set.add(std::make_unique<NamedModel>("A", "A       "));
    set.add(std::make_unique<NamedModel>("B", "B       "));
    const auto copy = set.clone();
    ASSERT_EQ(copy->models.size(), 2u);
    EXPECT_EQ(copy->models[1]->displayName, "B");
    EXPECT_NE(copy->models[0].get(), set.models[0].get());
    EXPECT_EQ(copy->abbreviation, "Olv");
}

TEST(THash, KeysAreCaseInsensitiveAndFirstMatchWins) {
    THash table;
    table.addModel(std::make_unique<NamedModel>("Ni-NiO", "NNO"));
    table.addModel(std::make_unique<NamedModel>("QFM", "QFM"));
    table.add("qfm", std::make_unique<NamedModel>("second", "2"));  // no duplicate check
    EXPECT_EQ(table.count(), 3u);
    EXPECT_EQ(table.getItem("ni-nio")->shortName, "NNO");
    EXPECT_EQ(table.getItem("NI-NIO")->shortName, "NNO");
    EXPECT_EQ(table.getItem("QFM")->shortName, "QFM");
    EXPECT_EQ(table.getItem("Ni-Ni"), nullptr);

    table.setItem("Qfm", std::make_unique<NamedModel>("replaced", "R"));
    EXPECT_EQ(table.getItem("QFM")->shortName, "R");
    EXPECT_EQ(table.getItemByIndex(2)->shortName, "2");
    table.setItem("absent", std::make_unique<NamedModel>("ignored", "I"));
    EXPECT_EQ(table.count(), 3u);
    table.setItemByIndex(0, std::make_unique<NamedModel>("byIndex", "X"));
    EXPECT_EQ(table.getItem("ni-nio")->shortName, "X");
    EXPECT_EQ(table.keyAt(0), "Ni-NiO");
}

TEST(BisectTemperature, FindsTheRootOfAMonotonicResidual) {
    FunctionModel model([](double T) { return 1500.0 - T; });
    double T = 0;
    model.Get_Temperature(TAssemblage{}, T);
    EXPECT_NEAR(T, 1500.0, 0.01);
    EXPECT_TRUE(model.message.empty());
    EXPECT_FALSE(model.residualMode);
}

TEST(BisectTemperature, ExactZeroAtTheLowerEndReturnsItWithoutIterating) {
    FunctionModel model([](double T) { return T - 100.0; });
    double T = 0;
    model.Get_Temperature(TAssemblage{}, T);
    EXPECT_EQ(T, 100.0);
    EXPECT_EQ(model.evaluations, 1);
}

TEST(BisectTemperature, ExactZeroAtAMidpointStopsThere) {
    // The first midpoint of [100, 2500] is 1300.
    FunctionModel model([](double T) { return 1300.0 - T; });
    double T = 0;
    model.Get_Temperature(TAssemblage{}, T);
    EXPECT_EQ(T, 1300.0);
    EXPECT_EQ(model.evaluations, 2);
}

TEST(BisectTemperature, WarnsAfter101RoundsWithoutReachingTheTolerance) {
    // A tolerance the bracket can never get below, and a residual that is never exactly 0.
    FunctionModel model([](double T) { return T > 1234.5678 ? -1.0 : 1.0; }, -1.0);
    double T = 0;
    model.Get_Temperature(TAssemblage{}, T);
    EXPECT_NEAR(T, 1234.5678, 1e-9);
    EXPECT_EQ(model.message,
              "Could not reach the target difference between the old and new T values for Test "
              "model in 100 cycles. The T value is approximated during this step.");
    EXPECT_EQ(model.evaluations, 1 + 101);
}

TEST(BisectTemperature, ResidualWithoutSignChangeHasNoLiquidus) {
    // Positive everywhere: the halving converges to an end of the bracket.
    FunctionModel model([](double T) { return 1.0 + T * 1e-3; });
    double T = 0;
    EXPECT_THROW(model.Get_Temperature(TAssemblage{}, T), EModelError_GetT);
    EXPECT_NE(model.message.find("Could not reach the target difference"), std::string::npos);
    EXPECT_FALSE(model.residualMode);
}

TEST(BisectTemperature, ScanFindsTheLiquidusBelowASpuriousUpperCrossing) {
    // Negative at both ends and positive only between the liquidus (1000 K) and a spurious
    // crossing (1250 K), both below the first midpoint (1300 K): the plain halving drifts to
    // the upper end of the bracket, as a magnetite residual whose Al term grows with T does.
    FunctionModel model([](double T) { return (T - 1000.0) * (1250.0 - T); });
    double T = 0;
    model.Get_Temperature(TAssemblage{}, T);
    // Scanning down, the first step whose lower point is negative (the sign at the low end)
    // and upper point positive brackets the liquidus, not the crossing at 1250 K.
    EXPECT_NEAR(T, 1000.0, 0.01);
    EXPECT_TRUE(model.message.empty());
}

TEST(BisectTemperature, ScanFindsAHighRootNearTheTopOfTheBracket) {
    FunctionModel model([](double T) { return 2499.995 - T; });
    double T = 0;
    model.Get_Temperature(TAssemblage{}, T);
    EXPECT_NEAR(T, 2499.995, 0.01);
}

TEST(BisectTemperature, NonFiniteResidualIsAModelError) {
    FunctionModel model([](double T) { return std::log(T - 1000.0); });  // NaN below 1000
    double T = 0;
    EXPECT_THROW(model.Get_Temperature(TAssemblage{}, T), EModelError_GetT);
    EXPECT_FALSE(model.residualMode);
}

TEST(BisectTemperature, HalvingThatEndsInsideTheBracketIsUnchanged) {
    // The search is the plain halving: after k rounds the bracket is 2400 / 2^k wide.
    FunctionModel model([](double T) { return 1777.0 - T; }, 1.0);
    double T = 0;
    model.Get_Temperature(TAssemblage{}, T);
    EXPECT_NEAR(T, 1777.0, 0.5);
    EXPECT_EQ(model.evaluations, 1 + 12);  // 2400 / 2^12 < 1 <= 2400 / 2^11
}

// The search of a monotonic residual against the plain halving on roots where the halving's
// result is decided by one point: on a point of its last grid (2400 / 2^25 K apart with the
// forward engine's tolerance), one rounding step or a hair either side of it, mid-cell, beside
// the bracket's ends and beyond them; with a residual too flat for any of its signs to be
// certain, and falling as well as rising. Each model keeps the root of its last search, so the
// table also starts searches near, far from and at another model's roots.
TEST(BisectTemperature, MonotonicResidualGivesThePlainHalvingsTemperature) {
    const double w = 2400.0 / (1 << 25);
    const double grid = 100.0 + 12345677.0 * w;  // a point of the last round of the halving
    const double up = std::nextafter(grid, 3000.0), down = std::nextafter(grid, 0.0);
    const double roots[] = {grid,         up,           down,         grid + 1e-12,
                            grid - 1e-12, grid + w / 2, grid - w / 3, 1300.0,
                            1300.0 + w,   100.0 + w,    100.0 + 3e-4, 2500.0 - 3e-4,
                            2500.0 - w,   2600.0,       50.0,         grid + 0.37};
    for (const double slope : {1e-3, -2.5e-3, 1e-14}) {
        for (const double tol : {1e-4, 0.01}) {
            const auto residual = [&](double root) {
                return [root, slope](double T) { return (T - root) * slope; };
            };
            double root = 0.0;
            FunctionModel fast([&](double T) { return residual(root)(T); }, tol);
            FunctionModel plain([&](double T) { return residual(root)(T); }, tol);
            fast.monotonic = plain.monotonic = true;
            plain.fastLiquidusSearch = false;
            for (const double r : roots) {
                SCOPED_TRACE("root " + std::to_string(r) + " slope " + std::to_string(slope) +
                             " tol " + std::to_string(tol));
                root = r;
                double tFast = 0.0, tPlain = 0.0;
                bool fastFailed = false, plainFailed = false;
                try {
                    plain.Get_Temperature(TAssemblage{}, tPlain);
                } catch (const EModelError_GetT&) {
                    plainFailed = true;
                }
                try {
                    fast.Get_Temperature(TAssemblage{}, tFast);
                } catch (const EModelError_GetT&) {
                    fastFailed = true;
                }
                ASSERT_EQ(fastFailed, plainFailed);
                EXPECT_EQ(tFast, tPlain);
                EXPECT_EQ(fast.message, plain.message);
                fast.message.clear();
                plain.message.clear();
            }
        }
    }
}

}  // namespace
}  // namespace varnodel
