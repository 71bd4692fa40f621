#include "core/MoleConversions.h"

#include <gtest/gtest.h>

#include <numeric>

namespace varnodel {
namespace {

// A basalt in cation moles, every component present.
Oxides basaltCations() {
    const Oxides wt{50.0, 1.5, 15.0, 1.5, 9.0, 0.2, 8.0, 11.0, 2.5, 0.4, 0.2, 0.05};
    Oxides x{};
    for (std::size_t i = 0; i < kOxideCount; ++i)
        x[i] = wt[i] / kOxides[i].massPerCation;
    return x;
}

void expectNear(const Oxides& a, const Oxides& b, double tol) {
    for (std::size_t i = 0; i < kOxideCount; ++i)
        EXPECT_NEAR(a[i], b[i], tol) << "component " << i;
}

TEST(MoleConversions, WtToMolesAndBack) {
    TAnalysis a;
    a.oxides[Ox::SiO2] = 60.08;
    a.oxides[Ox::Al2O3] = 50.98;
    a.volatile_.value = 36.0;
    a.traces[5].value = 58.69 * 3;  // Ni
    const TAnalysis original = a;
    TMoleConversions conv;
    conv.wtToMoles(a);
    EXPECT_DOUBLE_EQ(a.oxides[Ox::SiO2], 1.0);
    EXPECT_DOUBLE_EQ(a.oxides[Ox::Al2O3], 1.0);
    EXPECT_DOUBLE_EQ(a.volatile_.value, 2.0);
    EXPECT_DOUBLE_EQ(a.traces[5].value, 3.0);
    conv.molesToWt(a);
    expectNear(a.oxides, original.oxides, 1e-12);
    EXPECT_DOUBLE_EQ(a.volatile_.value, 36.0);
}

TEST(MoleConversions, PpmToWtTouchesOnlyTraces) {
    TAnalysis a;
    a.oxides[Ox::SiO2] = 50.0;
    a.volatile_.value = 1.0;
    a.traces[10].value = 250.0;
    TMoleConversions().ppmToWt(a);
    EXPECT_DOUBLE_EQ(a.traces[10].value, 0.025);
    EXPECT_EQ(a.oxides[Ox::SiO2], 50.0);
    EXPECT_EQ(a.volatile_.value, 1.0);
}

TEST(MoleConversions, OxidesHalveTheTwoCationComponents) {
    Oxides x;
    x.fill(2.0);
    TMoleConversions conv;
    conv.cationsToOxides(x);
    const Oxides expected{2, 2, 1, 1, 2, 2, 2, 2, 1, 1, 1, 1};
    expectNear(x, expected, 0.0);
    conv.oxidesToCations(x);
    for (double v : x)
        EXPECT_EQ(v, 2.0);
}

TEST(MoleConversions, NormalizeRemembersItsSum) {
    Oxides x = basaltCations();
    const Oxides original = x;
    TMoleConversions conv;
    conv.normalize(x);
    EXPECT_NEAR(std::accumulate(x.begin(), x.end(), 0.0), 1.0, 1e-15);
    EXPECT_DOUBLE_EQ(conv.lastSum, std::accumulate(original.begin(), original.end(), 0.0));
    conv.denormalize(x);
    expectNear(x, original, 1e-15);
}

TEST(MoleConversions, TwoLatticeByHandAndRoundTrip) {
    Oxides x = basaltCations();
    const Oxides original = x;
    const double modifiers =
        x[1] + x[2] + x[3] + x[4] + x[5] + x[6] + x[7] + x[10] + x[11] - x[8] - x[9];
    const double formers = x[0] + x[8] + x[9];
    TMoleConversions conv;
    conv.toTwoLattice(x);
    EXPECT_DOUBLE_EQ(conv.modifierSum, modifiers);
    EXPECT_DOUBLE_EQ(conv.formerSum, formers);
    EXPECT_DOUBLE_EQ(x[Ox::MgO], original[Ox::MgO] / modifiers);
    // Al not balanced by the alkalis, taken before they are divided.
    EXPECT_DOUBLE_EQ(x[Ox::Al2O3],
                     (original[Ox::Al2O3] - original[Ox::Na2O] - original[Ox::K2O]) / modifiers);
    EXPECT_DOUBLE_EQ(x[Ox::Na2O], original[Ox::Na2O] / formers);
    // The network formers add up to one on their lattice.
    EXPECT_NEAR(x[Ox::SiO2] + x[Ox::Na2O] + x[Ox::K2O], 1.0, 1e-15);
    conv.fromTwoLattice(x);
    expectNear(x, original, 1e-14);
}

TEST(MoleConversions, LangmuirComponents) {
    Oxides x = basaltCations();
    const Oxides o = x;
    const double s = o[0] + o[1] + o[2] + o[3] + o[4] + o[6] + o[7] + o[8];
    const double d = o[Ox::Al2O3] - o[Ox::Na2O];
    TMoleConversions conv;
    conv.toLangmuirComponents(x);
    EXPECT_DOUBLE_EQ(conv.langmuirSum, s);
    EXPECT_DOUBLE_EQ(x[Ox::TiO2], o[Ox::TiO2] / s);
    EXPECT_DOUBLE_EQ(x[Ox::CaO], (o[Ox::CaO] - d / 2) * 2 / s);
    EXPECT_DOUBLE_EQ(x[Ox::Al2O3], 1.5 * d / s);
    EXPECT_DOUBLE_EQ(x[Ox::Na2O], 2 * o[Ox::Na2O] / s);
    EXPECT_DOUBLE_EQ(x[Ox::FeO], (o[Ox::FeO] + o[Ox::Fe2O3]) / s);
    EXPECT_DOUBLE_EQ(x[Ox::MgO], o[Ox::MgO] / s);
    // Left as they were.
    EXPECT_EQ(x[Ox::SiO2], o[Ox::SiO2]);
    EXPECT_EQ(x[Ox::Fe2O3], o[Ox::Fe2O3]);
    EXPECT_EQ(x[Ox::K2O], o[Ox::K2O]);
}

TEST(MoleConversions, DrakeAndAlSiComponentsShareTheirSlot) {
    const Oxides o = basaltCations();
    Oxides x = o;
    TMoleConversions conv;
    conv.toDrakeComponents(x);
    const double drake = (o[Ox::Al2O3] + o[Ox::Na2O] + o[Ox::K2O]) / 2 + o[Ox::SiO2];
    EXPECT_DOUBLE_EQ(conv.alSiSum, drake);
    EXPECT_DOUBLE_EQ(x[Ox::SiO2], o[Ox::SiO2] / drake);
    EXPECT_DOUBLE_EQ(x[Ox::Na2O], o[Ox::Na2O] / drake);
    EXPECT_EQ(x[Ox::Al2O3], o[Ox::Al2O3]);

    x = o;
    conv.toAlSiComponents(x);
    const double s = o[Ox::SiO2] + o[Ox::Al2O3];
    const double r = o[1] + o[3] + o[4] + o[5] + o[6] + o[7] + o[10] + o[11];
    EXPECT_DOUBLE_EQ(conv.alSiSum, s);
    EXPECT_DOUBLE_EQ(conv.alSiRest, r);
    EXPECT_DOUBLE_EQ(x[Ox::Al2O3], (o[Ox::Al2O3] - o[Ox::Na2O] - o[Ox::K2O]) / s);
    EXPECT_DOUBLE_EQ(x[Ox::CaO], o[Ox::CaO] / r);
    EXPECT_EQ(x[Ox::MgO], o[Ox::MgO]);
}

TEST(MoleConversions, GaetaniWatsonComponentsSumToOneWithoutFe3AndP) {
    for (double calcium : {0.01, 0.5}) {  // both sides of the Al-Ca pairing test
        Oxides x = basaltCations();
        x[Ox::CaO] = calcium;
        const Oxides o = x;
        TMoleConversions conv;
        conv.toGaetaniWatsonComponents(x);
        double sum = 0.0;
        for (std::size_t i = 0; i < kOxideCount; ++i)
            if (i != Ox::Fe2O3 && i != Ox::P2O5) sum += x[i];
        EXPECT_NEAR(sum, 1.0, 1e-14);
        const double c = o[Ox::Al2O3] - o[Ox::Na2O] - o[Ox::K2O];
        const bool fewAl = c / 2 < o[Ox::CaO];
        EXPECT_DOUBLE_EQ(x[Ox::Al2O3] * conv.gwSum, fewAl ? 1.5 * c : c);
        EXPECT_DOUBLE_EQ(x[Ox::CaO] * conv.gwSum, fewAl ? o[Ox::CaO] - 0.5 * c : o[Ox::CaO]);
        EXPECT_DOUBLE_EQ(x[Ox::SiO2] * conv.gwSum, o[Ox::SiO2] + o[Ox::P2O5]);
        EXPECT_DOUBLE_EQ(x[Ox::Na2O] * conv.gwSum, 2 * o[Ox::Na2O]);
    }
}

TEST(NormalizeTotal, FluidModeWithTheWaterAlreadyOutsideLeavesAllUnchanged) {
    TAnalysis a;
    a.oxides = {48.0, 1.0, 15.0, 0.0, 9.0, 0.0, 8.0, 11.0, 3.0, 0.5, 0.5, 0.0};  // 96
    a.volatile_.value = 4.0;
    const TAnalysis original = a;
    normalizeTotal(a, "fluid", 4.0);
    expectNear(a.oxides, original.oxides, 1e-13);
    EXPECT_EQ(a.volatile_.value, 4.0);
}

TEST(NormalizeTotal, NoneModeCountsWaterAndTracesAsOxides) {
    TAnalysis a;
    a.oxides[Ox::SiO2] = 45.0;
    a.oxides[Ox::MgO] = 45.0;
    a.volatile_.value = 5.0;
    a.traces[5].value = 1.0;  // Ni, wt%: counted as NiO
    const double nio = 1.0 * (1 + 16.0 * 1.0 / 58.69);
    const double total = 95.0 + nio;
    normalizeTotal(a, "none", 123.0);  // h unused
    EXPECT_DOUBLE_EQ(a.oxides[Ox::SiO2], 45.0 * 100 / total);
    EXPECT_DOUBLE_EQ(a.volatile_.value, 5.0 * 100 / total);
    EXPECT_DOUBLE_EQ(a.traces[5].value, 100 / total);
    double sum = a.volatile_.value + a.traces[5].value * (1 + 16.0 / 58.69);
    for (double v : a.oxides)
        sum += v;
    EXPECT_NEAR(sum, 100.0, 1e-12);
}

TEST(NormalizeTotal, FluidModeScalesTheDryPartToTheRest) {
    TAnalysis a;
    a.oxides[Ox::SiO2] = 50.0;
    a.oxides[Ox::CaO] = 50.0;
    a.volatile_.value = 3.0;
    normalizeTotal(a, "fluid", 2.0);
    EXPECT_DOUBLE_EQ(a.oxides[Ox::SiO2], 49.0);
    EXPECT_EQ(a.volatile_.value, 3.0);
}

TEST(NormalizeTotal, UnknownModeOrEmptyCompositionChangesNothing) {
    TAnalysis a;
    a.oxides[Ox::SiO2] = 50.0;
    a.volatile_.value = 2.0;
    for (const char* mode : {"None", "", "dry"}) {
        TAnalysis b = a;
        normalizeTotal(b, mode, 2.0);
        EXPECT_EQ(b.oxides[Ox::SiO2], 50.0) << mode;
        EXPECT_EQ(b.volatile_.value, 2.0) << mode;
    }
    TAnalysis empty;
    normalizeTotal(empty, "none", 0.0);
    for (double v : empty.oxides)
        EXPECT_EQ(v, 0.0);  // no 0/0
}

TEST(MineralWriter, ForsteriteInWeightPercent) {
    // Mg2SiO4: one Si and two Mg per three cations.
    Oxides fractions{};
    fractions[Ox::SiO2] = 1.0 / 3.0;
    fractions[Ox::MgO] = 2.0 / 3.0;
    const Oxides wt = cationFractionsToWtPercent(fractions);
    EXPECT_NEAR(wt[Ox::SiO2], 100 * 60.08 / (60.08 + 2 * 40.3), 1e-12);
    EXPECT_NEAR(wt[Ox::SiO2] + wt[Ox::MgO], 100.0, 1e-12);
    const Oxides none = cationFractionsToWtPercent(Oxides{});
    for (double v : none)
        EXPECT_EQ(v, 0.0);
}

}  // namespace
}  // namespace varnodel

namespace varnodel {
namespace {

TAnalysis molar(const Oxides& wt, double h2o) {
    TAnalysis a;
    a.oxides = wt;
    a.volatile_.value = h2o;
    TMoleConversions().wtToMoles(a);
    return a;
}

double totalWt(TAnalysis a) {
    TMoleConversions().molesToWt(a);
    double sum = a.volatile_.value;
    for (double v : a.oxides)
        sum += v;
    for (std::size_t i = 0; i < kTraceCount; ++i)
        sum += a.traces[i].value * traceOxideFactor(i);
    return sum;
}

TEST(CombineByMass, TakingCrystalsOutAndPuttingThemBackIsTheIdentity) {
    const TAnalysis melt =
        molar({50.1, 1.5, 15, 1, 9, 0.2, 8, 11, 2.5, 0.4, 0.2, 0.1}, 1.0);  // 100 g
    Oxides forsterite{};
    forsterite[Ox::SiO2] = 41.0;
    forsterite[Ox::FeO] = 12.0;
    forsterite[Ox::MgO] = 47.0;
    const TAnalysis olivine = molar(forsterite, 0.0);
    ActiveElements active;
    active.volatile_ = true;
    // 1 of melt minus 0.1 of olivine, then the 0.9 left plus the 0.1 back.
    const TAnalysis residual = combineByMass(melt, olivine, olivine, 1.0, 0.0, 0.1, active);
    EXPECT_NEAR(totalWt(residual), 100.0, 1e-12);
    EXPECT_GT(residual.oxides[Ox::SiO2] * 60.08, 50.0);  // olivine is poorer in silica
    const TAnalysis back = combineByMass(residual, olivine, olivine, 0.9, 0.1, 0.0, active);
    for (std::size_t i = 0; i < kOxideCount; ++i)
        EXPECT_NEAR(back.oxides[i], melt.oxides[i], 1e-14) << i;
    EXPECT_NEAR(back.volatile_.value, melt.volatile_.value, 1e-14);
}

TEST(CombineByMass, WeightsByMassAndKeepsInactiveElementsOfTheFirst) {
    TAnalysis a = molar({60, 0, 0, 0, 0, 0, 40, 0, 0, 0, 0, 0}, 0.0);
    TAnalysis b = molar({40, 0, 0, 0, 0, 0, 60, 0, 0, 0, 0, 0}, 0.0);
    a.traces[10].value = 0.01 / 87.62;  // Sr, 100 ppm in the molar form
    b.traces[10].value = 0.03 / 87.62;
    a.traces[5].value = 1e-5;  // Ni, inactive
    b.traces[5].value = 9e-5;
    ActiveElements active;
    active.traces[10] = true;
    const TAnalysis mix = combineByMass(a, b, b, 3.0, 1.0, 0.0, active);
    // Before the return to 100 g: 55 SiO2, 45 MgO, 0.015 Sr (wt%), and a's Ni.
    const double scale = mix.oxides[Ox::SiO2] * 60.08 / 55.0;
    EXPECT_NEAR(mix.oxides[Ox::MgO] * 40.3, 45.0 * scale, 1e-12);
    EXPECT_NEAR(mix.traces[10].value * 87.62, 0.015 * scale, 1e-15);
    EXPECT_NEAR(mix.traces[5].value, 1e-5 * scale, 1e-18);
    EXPECT_NEAR(totalWt(mix), 100.0, 1e-12);
}

}  // namespace
}  // namespace varnodel
