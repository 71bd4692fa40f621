#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <limits>
#include <string>
#include <typeindex>
#include <vector>

#include "core/Errors.h"
#include "models/_models_cpx.h"
#include "models/_models_opx.h"
#include "models/_models_pig.h"
#include "support/ReferenceGlasses.h"

namespace varnodel {
namespace {

const std::vector<test::ReferenceGlass>& glasses() {
    static const std::vector<test::ReferenceGlass> all = test::referenceGlasses();
    return all;
}

bool isBasalt(const test::ReferenceGlass& glass) {
    return glass.name.find("basalt") != std::string::npos ||
           glass.name.find("MORB") != std::string::npos;
}

// The sixteen pyroxene models as the program registers them.
struct PyroxeneSets {
    TModelClinopyroxene cpx;
    TModelOrthopyroxene opx;
    TModelPigeonite pig;

    std::vector<TModel*> all() const {
        std::vector<TModel*> models;
        for (const TSetOfModels* set :
             {static_cast<const TSetOfModels*>(&cpx), static_cast<const TSetOfModels*>(&opx),
              static_cast<const TSetOfModels*>(&pig)})
            for (const auto& model : set->models)
                models.push_back(model.get());
        return models;
    }
};

constexpr std::size_t kModelCount = 16;

double liquidus(TModel& model, const TAssemblage& assemblage) {
    double T = 0.0;
    model.Get_Temperature(assemblage, T);
    return T;
}

// --- registration ---------------------------------------------------------------------------

TEST(Pyroxene, SetsHoldTheModelsInOrderWithTheirNamesAndFlags) {
    struct Entry {
        std::type_index type;
        const char* displayName;
        const char* shortName;
        bool pressure;
        bool water;
        double tolerance;
    };
    // The years of three display names differ from the class names on purpose.
    const Entry expected[] = {
        {typeid(TModelClinoPyroxene_Ariskin1986), "Ariskin et al., 1986", "Arisk86 ", false, false,
         0.01},
        {typeid(TModelClinoPyroxene_Ariskin1993), "Ariskin et al., 1993", "Arisk93 ", true, false,
         0.01},
        {typeid(TModelClinoPyroxene_Quellmark2001), "Quellmark, 2001", "Quellm01", true, true,
         0.01},
        {typeid(TModelClinoPyroxene_Langmuir1992), "Langmuir et al., 1992", "Langm92 ", true, false,
         0.01},
        {typeid(TModelClinoPyroxene_Nielsen1985), "Nielsen, 1985", "Niels85 ", false, false, 0.01},
        {typeid(TModelClinoPyroxene_Nielsen1988), "Nielsen, 1988", "Niels88 ", false, false, 0.01},
        {typeid(TModelClinoPyroxene_Nielsen_Drake1979), "Nielsen & Drake, 1979", "Niels79 ", false,
         false, 0.01},
        {typeid(TModelClinoPyroxene_Weaver_Langmuir1990), "Weaver & Langmuir, 1990", "Weaver90",
         false, false, 0.01},
        {typeid(TModelOrthopyroxene_Ariskin1993), "Ariskin et al., 1993", "Arisk93 ", true, false,
         0.0001},
        {typeid(TModelOrthopyroxene_Beattie1993), "Beattie, 1983", "Beatt83 ", true, false, 0.01},
        {typeid(TModelOrthopyroxene_Bolikhovskaya1996), "Bolikhovskaya et al., 1995", "Bolikh95",
         true, false, 0.01},
        {typeid(TModelOrthopyroxene_Nielsen_Drake1979), "Nielsen & Drake, 1979", "Niels79 ", false,
         false, 0.01},
        {typeid(TModelPigeonite_Ariskin1986), "Ariskin et al., 1986", "Arisk86 ", false, false,
         0.01},
        {typeid(TModelPigeonite_Ariskin1993), "Ariskin et al., 1993", "Arisk93 ", true, false,
         0.01},
        {typeid(TModelPigeonite_Bolikhovskaya1995), "Bolikhovskaya et al., 1996", "Bolikh96", true,
         false, 0.01},
        {typeid(TModelPigeonite_Nielsen1988), "Nielsen, 1988", "Niels88 ", false, false, 0.01},
    };
    const PyroxeneSets sets;
    EXPECT_EQ(sets.cpx.displayName, "Clinopyroxene");
    EXPECT_EQ(sets.opx.abbreviation, "Opx");
    EXPECT_EQ(sets.pig.abbreviation, "Pig");
    EXPECT_EQ(sets.cpx.models.size(), 8u);
    EXPECT_EQ(sets.opx.models.size(), 4u);
    EXPECT_EQ(sets.pig.models.size(), 4u);
    const auto models = sets.all();
    ASSERT_EQ(models.size(), std::size(expected));
    for (std::size_t i = 0; i < models.size(); ++i) {
        const TModel& m = *models[i];
        const Entry& e = expected[i];
        SCOPED_TRACE(e.displayName);
        EXPECT_EQ(std::type_index(typeid(m)), e.type);
        EXPECT_EQ(m.displayName, e.displayName);
        EXPECT_EQ(m.shortName, e.shortName);
        EXPECT_EQ(m.usesPressure, e.pressure);
        EXPECT_EQ(m.usesWater, e.water);
        EXPECT_FALSE(m.hasTraces);
        EXPECT_FALSE(m.selected);
        EXPECT_FALSE(m.isDefault);
        EXPECT_EQ(m.tolerance, e.tolerance);
    }
}

// --- Ariskin et al. 1993 against 1986 -------------------------------------------------------

// The 1993 coefficients are those of 1986 plus a volume term dV·0.0239·P/1.986 that vanishes
// only at P = 0 bar: the default 1 bar of an assemblage already moves the numerators.
template <class Ariskin1986, class Ariskin1993>
void expectSameAtZeroPressure() {
    for (const auto& glass : glasses()) {
        SCOPED_TRACE(glass.name);
        Ariskin1986 old;
        Ariskin1993 revised;
        TAssemblage a = test::meltAssemblage(glass, 0.1, 0.0, 0.0);
        TAssemblage b = a;
        const double T = liquidus(old, a);
        EXPECT_EQ(liquidus(revised, b), T);
        double mgOld = 0.0;
        double mgRevised = 0.0;
        old.Get_Mineral_Composition(a, mgOld, T);
        revised.Get_Mineral_Composition(b, mgRevised, T);
        EXPECT_EQ(mgRevised, mgOld);
        EXPECT_EQ(meltOf(a).oxides, meltOf(b).oxides);
        EXPECT_EQ(a.phases.back().oxides, b.phases.back().oxides);

        // 5 kbar raises every numerator, hence the liquidus.
        b.pressure = 5000.0;
        EXPECT_GT(liquidus(revised, b), T + 1.0);
    }
}

TEST(Pyroxene, Ariskin1993IsAriskin1986AtZeroPressure) {
    expectSameAtZeroPressure<TModelClinoPyroxene_Ariskin1986, TModelClinoPyroxene_Ariskin1993>();
    expectSameAtZeroPressure<TModelPigeonite_Ariskin1986, TModelPigeonite_Ariskin1993>();
}

// --- a liquidus by hand ---------------------------------------------------------------------

// Ariskin et al. (1986) clinopyroxene for the Juan de Fuca MORB glass VG-2, all iron as FeO,
// worked from the wt% without the program's conversions: cation moles, the two lattices
// (modifiers Ti+Al+Fe+Mn+Mg+Ca+P−Na−K, formers Si+Na+K, Al less the alkalis), then
//   r(T) = 0.5 − (e^(2408/T−1.24)·X_Ca + e^(8521/T−5.16)·X_Mg + e^(13535/T−9.87)·X_Fe)·X_Si/2
//          − 0.2·X_Al/2
// halved to its root: X_Mg 0.22324, X_Fe 0.22094, X_Ca 0.26585, X_Al 0.25101, X_Si 0.90519,
// T = 1432.481 K (1159.48 C), Mg# 0.77209.
TEST(Pyroxene, ClinopyroxeneAriskin1986LiquidusOfMorbByHand) {
    const double si = 50.81 / 60.08, ti = 1.85 / 79.95, al = 14.06 / 50.98, fe = 11.84 / 71.85,
                 mn = 0.22 / 70.94, mg = 6.71 / 40.3, ca = 11.12 / 56.08, na = 2.62 / 30.99,
                 k = 0.19 / 47.1, p = 0.20 / 70.97;
    const double modifiers = ti + al + fe + mn + mg + ca + p - na - k;
    const double xMg = mg / modifiers, xFe = fe / modifiers, xCa = ca / modifiers;
    const double xAl = (al - na - k) / modifiers, xSi = si / (si + na + k);
    const auto dMg = [](double T) { return std::exp(8521 / T - 5.16); };
    const auto dFe = [](double T) { return std::exp(13535 / T - 9.87); };
    const auto r = [&](double T) {
        return 0.5 - (std::exp(2408 / T - 1.24) * xCa + dMg(T) * xMg + dFe(T) * xFe) * xSi / 2 -
               0.2 * xAl / 2;
    };
    double lo = 1000.0, hi = 2000.0;  // r < 0 below the liquidus
    for (int i = 0; i < 100; ++i)
        (r((lo + hi) / 2) < 0 ? lo : hi) = (lo + hi) / 2;
    const double root = (lo + hi) / 2;
    ASSERT_NEAR(root, 1432.481, 0.001);

    const auto& glass = glasses().front();
    ASSERT_EQ(glass.name, "VG-2 Juan de Fuca MORB glass");
    TModelClinoPyroxene_Ariskin1986 model;
    TAssemblage a = test::meltAssemblage(glass);
    const double T = liquidus(model, a);
    EXPECT_NEAR(T, root, model.tolerance);
    double mgNumber = 0.0;
    model.Get_Mineral_Composition(a, mgNumber, root);
    EXPECT_NEAR(mgNumber, dMg(root) * xMg / (dMg(root) * xMg + dFe(root) * xFe), 1e-12);
    EXPECT_NEAR(mgNumber, 0.77209, 0.00001);
}

// Beattie (1993) orthopyroxene for VG-2 with all iron as FeO, by hand from the published D_Mg
// relation on the melt's cation fractions: D_Mg = 3.90829 and, from his thermometer,
// 1433.018 K at 1 bar and 1506.995 K at 10 kbar; the model's extra silica term 2·ln(2·X_Si)
// (X_Si = 0.47815) raises these to 1445.242 and 1519.850 K. The pyroxene's M sites hold
// exactly 0.5 and its Mg# is D_Mg·X_Mg/(D_Mg·X_Mg + D_Fe·X_Fe) = 0.772827.
TEST(Pyroxene, OrthopyroxeneBeattie1993FollowsThePublishedPartitionOfMg) {
    const auto& glass = glasses().front();
    TModelOrthopyroxene_Beattie1993 model;
    for (const auto& [pressure, expected] : {std::pair{1.0, 1445.2425}, {10000.0, 1519.8504}}) {
        TAssemblage a = test::meltAssemblage(glass, 0.0, 0.0, pressure);
        EXPECT_NEAR(liquidus(model, a), expected, 1e-4) << pressure;
    }
    TAssemblage a = test::meltAssemblage(glass);
    const Oxides f = model.pyroxeneFractions(a, 1445.0);
    EXPECT_NEAR(f[Ox::MgO] + f[Ox::FeO] + f[Ox::MnO] + f[Ox::CaO], 0.5, 1e-12);
    EXPECT_NEAR(f[Ox::MgO] / (f[Ox::MgO] + f[Ox::FeO]), 0.772827, 1e-6);
}

// --- Quellmark 2001 -------------------------------------------------------------------------

// The Quellmark clinopyroxene on a stand-in olivine liquidus that depends on pressure, so that
// each step of the correction can be checked on its own.
class QuellmarkOnStandInOlivine
    : public ModelClone<QuellmarkOnStandInOlivine, TModelClinoPyroxene_Quellmark2001> {
  protected:
    double fordOlivineLiquidus(const TAssemblage& a) const override {
        return 1500.0 + 0.004 * a.pressure;
    }
};

TEST(Pyroxene, Quellmark2001ShiftsTheAriskin1986Liquidus) {
    const auto& glass = glasses()[2];
    QuellmarkOnStandInOlivine quellmark;
    TModelClinoPyroxene_Ariskin1986 ariskin;
    ariskin.tolerance = quellmark.tolerance;
    const double tA = liquidus(ariskin, test::meltAssemblage(glass));
    const double tF1 = 1500.004;
    const double base = tA + 0.09523 * (tF1 - 273.0) - 108.81;

    // 1 bar, dry: no pressure term at all.
    EXPECT_NEAR(liquidus(quellmark, test::meltAssemblage(glass, 0.0, 0.0, 1.0)), base, 1e-9);
    // 0 bar: the pressure term is −0.001/0.182 and the olivine's own pressure shift −0.004.
    EXPECT_NEAR(liquidus(quellmark, test::meltAssemblage(glass, 0.0, 0.0, 0.0)),
                base - 0.001 / 0.182 - 0.004, 1e-9);
    // 5 kbar: 1/0.182 K per kbar above 1 bar, plus the olivine's shift between 1 and 5000 bar.
    EXPECT_NEAR(liquidus(quellmark, test::meltAssemblage(glass, 0.0, 0.0, 5000.0)),
                base + 4999.0 / 1000.0 / 0.182 + 0.004 * 4999.0, 1e-9);
    // H2O lowers it by 74.403·H^0.352, H in wt%: 74.403 K for 1 wt%, 94.25 K for 2 wt%.
    EXPECT_NEAR(liquidus(quellmark, test::meltAssemblage(glass, 0.0, 1.0, 1.0)), base - 74.403,
                1e-9);
    EXPECT_NEAR(liquidus(quellmark, test::meltAssemblage(glass, 0.0, 2.0, 1.0)),
                base - 74.403 * std::pow(2.0, 0.352), 1e-9);
}

TEST(Pyroxene, Quellmark2001WritesTheAriskin1986Pyroxene) {
    const auto& glass = glasses()[2];
    QuellmarkOnStandInOlivine quellmark;
    TModelClinoPyroxene_Ariskin1986 ariskin;
    ariskin.tolerance = quellmark.tolerance;
    TAssemblage dry = test::meltAssemblage(glass);
    const double tA = liquidus(ariskin, dry);

    // Dry: the Ariskin pyroxene at the T given. Wet: at the dry Ariskin liquidus, whatever T.
    double mgQuellmark = 0.0, mgAriskin = 0.0;
    TAssemblage wet = test::meltAssemblage(glass, 0.0, 2.0);
    quellmark.Get_Mineral_Composition(wet, mgQuellmark, tA - 80.0);
    ariskin.Get_Mineral_Composition(dry, mgAriskin, tA);
    EXPECT_NEAR(mgQuellmark, mgAriskin, 1e-12);
    quellmark.Get_Mineral_Composition(dry, mgQuellmark, tA - 80.0);
    ariskin.Get_Mineral_Composition(dry, mgAriskin, tA - 80.0);
    EXPECT_NEAR(mgQuellmark, mgAriskin, 1e-12);
}

// --- Nielsen's divisor ----------------------------------------------------------------------

TEST(Pyroxene, NielsenDivisorIsReplacedAboveFive) {
    const auto q = [](double fe2, double fe3) {
        Oxides moles{};
        moles[Ox::FeO] = fe2;
        moles[Ox::Fe2O3] = fe3;
        return nielsenDivisor(moles);
    };
    EXPECT_EQ(q(1.0, 0.0), 1.0);      // 51 − 50
    EXPECT_EQ(q(15.0, 1.0), 4.125);   // 51 − 50·15/16, kept
    EXPECT_EQ(q(29.0, 3.0), 2.3125);  // 51 − 50·29/32 = 5.6875, replaced
    EXPECT_EQ(q(1.0, 1.0), 2.3125);   // 26, replaced
}

// --- every model on the reference glasses ---------------------------------------------------

struct Case {
    std::size_t model;
    std::size_t glass;
};

// Published models that honestly leave 900-1400 C for a glass outside the basalts they were fitted
// to; everything else, and every basalt, must stay inside.
bool outsideItsRange(const TModel& model, const test::ReferenceGlass& glass) {
    const bool andesite = glass.name.find("andesite") != std::string::npos;
    const bool komatiite = glass.name.find("komatiite") != std::string::npos;
    // The Langmuir clinopyroxenes put the Al-rich, Ca-poor andesite StHs6/80 at 895 C.
    if (andesite && (model.shortName == "Langm92 " || model.shortName == "Weaver90")) return true;
    // The orthopyroxenes of Nielsen & Drake, Beattie and Bolikhovskaya put the 22 wt% MgO
    // komatiite at 1408-1442 C, with a liquidus orthopyroxene of Mg# 0.92-0.93.
    if (komatiite && (dynamic_cast<const TModelOrthopyroxene_Nielsen_Drake1979*>(&model) ||
                      dynamic_cast<const TModelOrthopyroxene_Beattie1993*>(&model) ||
                      dynamic_cast<const TModelOrthopyroxene_Bolikhovskaya1996*>(&model)))
        return true;
    return false;
}

class PyroxeneOnGlass : public ::testing::TestWithParam<Case> {};

TEST_P(PyroxeneOnGlass, LiquidusAndPyroxeneAreSound) {
    PyroxeneSets sets;
    TModel& model = *sets.all().at(GetParam().model);
    const auto& glass = glasses().at(GetParam().glass);
    TAssemblage a = test::meltAssemblage(glass, 0.1);

    double T = 0.0;
    T = liquidus(model, a);
    EXPECT_TRUE(model.message.empty()) << model.message;
    if (isBasalt(glass) || !outsideItsRange(model, glass)) {
        EXPECT_GT(T - 273.0, 900.0);
        EXPECT_LT(T - 273.0, 1400.0);
    }

    // At its own liquidus the pyroxene's cation fractions make one whole.
    const auto& pyroxene = dynamic_cast<const TPyroxeneModel&>(model);
    double sum = 0.0;
    for (double f : pyroxene.pyroxeneFractions(a, T)) {
        EXPECT_GE(f, 0.0);
        sum += f;
    }
    EXPECT_NEAR(sum, 1.0, 1e-4);

    double mgNumber = -1.0;
    model.Get_Mineral_Composition(a, mgNumber, T);
    EXPECT_GT(mgNumber, 0.0);
    EXPECT_LT(mgNumber, 1.0);
    const TAnalysis written = findPhase(a.phases, phaseName(pyroxene.mineral()));
    double total = 0.0;
    for (double w : written.oxides)
        total += w;
    EXPECT_NEAR(total, 100.0, 1e-9);
    // The Mg-number is that of the pyroxene written back, read from its wt%.
    const double mg = written.oxides[Ox::MgO] / kOxides[Ox::MgO].massPerCation;
    const double fe = written.oxides[Ox::FeO] / kOxides[Ox::FeO].massPerCation;
    EXPECT_NEAR(mgNumber, mg / (mg + fe), 1e-12);
    EXPECT_EQ(meltOf(a).oxides, test::meltAssemblage(glass, 0.1).phases.front().oxides);
}

std::vector<Case> allCases() {
    std::vector<Case> cases;
    for (std::size_t m = 0; m < kModelCount; ++m)
        for (std::size_t g = 0; g < glasses().size(); ++g)
            cases.push_back({m, g});
    return cases;
}

std::string modelLabel(std::size_t index) {
    PyroxeneSets sets;
    const TModel& model = *sets.all().at(index);
    const char* set = index < 8 ? "Cpx" : index < 12 ? "Opx" : "Pig";
    std::string label = set;
    for (char c : model.shortName)
        if (std::isalnum(static_cast<unsigned char>(c))) label += c;
    return label;
}

std::string glassLabel(std::size_t index) {
    std::string label;
    for (char c : glasses().at(index).name.substr(0, glasses().at(index).name.find(' ')))
        if (std::isalnum(static_cast<unsigned char>(c))) label += c;
    return label;
}

INSTANTIATE_TEST_SUITE_P(Pyroxenes, PyroxeneOnGlass, ::testing::ValuesIn(allCases()),
                         [](const ::testing::TestParamInfo<Case>& info) {
                             return modelLabel(info.param.model) + "_" +
                                    glassLabel(info.param.glass);
                         });

// --- every model: pressure and bad input ----------------------------------------------------

class PyroxeneModel : public ::testing::TestWithParam<std::size_t> {};

// A model with a pressure term has a higher liquidus at 10 kbar; one without is not moved at all.
TEST_P(PyroxeneModel, PressureMovesOnlyModelsWithAPressureTerm) {
    PyroxeneSets sets;
    TModel& model = *sets.all().at(GetParam());
    const auto& glass = glasses().front();
    double atOneBar = 0.0;
    atOneBar = liquidus(model, test::meltAssemblage(glass, 0.1, 0.0, 1.0));
    const double atTenKbar = liquidus(model, test::meltAssemblage(glass, 0.1, 0.0, 10000.0));
    if (model.usesPressure)
        EXPECT_GT(atTenKbar, atOneBar + 5.0);
    else
        EXPECT_EQ(atTenKbar, atOneBar);
}

// No NaN leaves a model: a melt or a temperature that is not a finite number ends in
// EModelError_GetT naming the model, so that the engines drop the mineral.
TEST_P(PyroxeneModel, NonFiniteInputRaisesModelErrorNamingTheModel) {
    PyroxeneSets sets;
    TModel& model = *sets.all().at(GetParam());
    const auto& glass = glasses().front();
    const auto expectNamedFailure = [&](auto&& call) {
        try {
            call();
            ADD_FAILURE() << "no EModelError_GetT";
        } catch (const EModelError_GetT& e) {
            EXPECT_NE(std::string(e.what()).find(model.displayName), std::string::npos) << e.what();
        }
    };
    const double nan = std::numeric_limits<double>::quiet_NaN();

    TAssemblage bad = test::meltAssemblage(glass, 0.1);
    bad.phases.front().oxides[Ox::MgO] = nan;
    expectNamedFailure([&] { liquidus(model, bad); });
    double value = 0.5;
    expectNamedFailure([&] { model.Get_Mineral_Composition(bad, value, 1450.0); });

    TAssemblage good = test::meltAssemblage(glass, 0.1);
    expectNamedFailure([&] { model.Get_Mineral_Composition(good, value, nan); });
    expectNamedFailure([&] {
        model.Get_Mineral_Composition(good, value, std::numeric_limits<double>::infinity());
    });
    EXPECT_EQ(value, 0.5);
    EXPECT_EQ(good.phases.size(), 1u);  // nothing written back
}

INSTANTIATE_TEST_SUITE_P(Pyroxenes, PyroxeneModel, ::testing::Range<std::size_t>(0, kModelCount),
                         [](const ::testing::TestParamInfo<std::size_t>& info) {
                             return modelLabel(info.param);
                         });

}  // namespace
}  // namespace varnodel
