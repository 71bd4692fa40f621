#include "core/MoleConversions.h"

namespace varnodel {

namespace {
constexpr bool kTwoCationOxide[kOxideCount] = {false, false, true, true, false, false,
                                               false, false, true, true, true,  true};
}

void TMoleConversions::wtToMoles(TAnalysis& a) const {
    for (std::size_t i = 0; i < kOxideCount; ++i)
        a.oxides[i] /= kOxides[i].massPerCation;
    a.volatile_.value /= kVolatileMass;
    for (std::size_t i = 0; i < kTraceCount; ++i)
        a.traces[i].value /= kTraces[i].mass;
}

void TMoleConversions::molesToWt(TAnalysis& a) const {
    for (std::size_t i = 0; i < kOxideCount; ++i)
        a.oxides[i] *= kOxides[i].massPerCation;
    a.volatile_.value *= kVolatileMass;
    for (std::size_t i = 0; i < kTraceCount; ++i)
        a.traces[i].value *= kTraces[i].mass;
}

void TMoleConversions::ppmToWt(TAnalysis& a) const {
    for (auto& trace : a.traces)
        trace.value /= 10000.0;
}

void TMoleConversions::cationsToOxides(Oxides& x) const {
    for (std::size_t i = 0; i < kOxideCount; ++i)
        if (kTwoCationOxide[i]) x[i] /= 2.0;
}

void TMoleConversions::oxidesToCations(Oxides& x) const {
    for (std::size_t i = 0; i < kOxideCount; ++i)
        if (kTwoCationOxide[i]) x[i] *= 2.0;
}

void TMoleConversions::normalize(Oxides& x) {
    double sum = 0.0;
    for (double v : x)
        sum += v;
    for (double& v : x)
        v /= sum;
    lastSum = sum;
}

void TMoleConversions::denormalize(Oxides& x) const {
    for (double& v : x)
        v *= lastSum;
}

namespace {
// Components counted on the modifier lattice, divided by its sum (Al is handled apart).
constexpr std::size_t kModifiers[] = {Ox::TiO2, Ox::Fe2O3, Ox::FeO,  Ox::MnO,
                                      Ox::MgO,  Ox::CaO,   Ox::P2O5, Ox::Cr2O3};
constexpr std::size_t kFormers[] = {Ox::SiO2, Ox::Na2O, Ox::K2O};
}  // namespace

void TMoleConversions::toTwoLattice(Oxides& x) {
    modifierSum = x[Ox::TiO2] + x[Ox::Al2O3] + x[Ox::Fe2O3] + x[Ox::FeO] + x[Ox::MnO] + x[Ox::MgO] +
                  x[Ox::CaO] + x[Ox::P2O5] + x[Ox::Cr2O3] - x[Ox::Na2O] - x[Ox::K2O];
    formerSum = x[Ox::SiO2] + x[Ox::Na2O] + x[Ox::K2O];
    for (std::size_t i : kModifiers)
        x[i] /= modifierSum;
    // Uses the alkalis before they are divided.
    x[Ox::Al2O3] = (x[Ox::Al2O3] - x[Ox::Na2O] - x[Ox::K2O]) / modifierSum;
    for (std::size_t i : kFormers)
        x[i] /= formerSum;
}

void TMoleConversions::fromTwoLattice(Oxides& x) const {
    for (std::size_t i : kModifiers)
        x[i] *= modifierSum;
    for (std::size_t i : kFormers)
        x[i] *= formerSum;
    x[Ox::Al2O3] = x[Ox::Al2O3] * modifierSum + x[Ox::Na2O] + x[Ox::K2O];
}

void TMoleConversions::toLangmuirComponents(Oxides& x) {
    const double s = x[Ox::SiO2] + x[Ox::TiO2] + x[Ox::Al2O3] + x[Ox::Fe2O3] + x[Ox::FeO] +
                     x[Ox::MgO] + x[Ox::CaO] + x[Ox::Na2O];
    langmuirSum = s;
    x[Ox::TiO2] /= s;
    const double d = x[Ox::Al2O3] - x[Ox::Na2O];
    x[Ox::CaO] = (x[Ox::CaO] - d / 2.0) * 2.0 / s;
    x[Ox::Al2O3] = 1.5 * d / s;
    x[Ox::Na2O] = 2.0 * x[Ox::Na2O] / s;
    x[Ox::FeO] = (x[Ox::FeO] + x[Ox::Fe2O3]) / s;
    x[Ox::MgO] /= s;
}

void TMoleConversions::toDrakeComponents(Oxides& x) {
    const double s = (x[Ox::Al2O3] + x[Ox::Na2O] + x[Ox::K2O]) / 2.0 + x[Ox::SiO2];
    x[Ox::SiO2] /= s;
    x[Ox::Na2O] /= s;
    alSiSum = s;
}

void TMoleConversions::toAlSiComponents(Oxides& x) {
    const double s = x[Ox::SiO2] + x[Ox::Al2O3];
    const double r = x[Ox::TiO2] + x[Ox::Fe2O3] + x[Ox::FeO] + x[Ox::MnO] + x[Ox::MgO] +
                     x[Ox::CaO] + x[Ox::P2O5] + x[Ox::Cr2O3];
    alSiSum = s;
    alSiRest = r;
    x[Ox::Al2O3] = (x[Ox::Al2O3] - x[Ox::Na2O] - x[Ox::K2O]) / s;
    x[Ox::SiO2] /= s;
    x[Ox::Na2O] /= s;
    x[Ox::CaO] /= r;
}

void TMoleConversions::toGaetaniWatsonComponents(Oxides& x) {
    x[Ox::SiO2] += x[Ox::P2O5];
    x[Ox::FeO] += x[Ox::Fe2O3];
    double c = x[Ox::Al2O3] - x[Ox::Na2O] - x[Ox::K2O];
    x[Ox::Al2O3] = c;
    x[Ox::Na2O] *= 2.0;
    x[Ox::K2O] *= 2.0;
    if (c / 2.0 < x[Ox::CaO]) {
        c *= 1.5;
        x[Ox::Al2O3] = c;
        x[Ox::CaO] -= c / 3.0;
    }
    double s = 0.0;
    for (std::size_t i = 0; i < kOxideCount; ++i)
        if (i != Ox::Fe2O3 && i != Ox::P2O5) s += x[i];
    gwSum = s;
    for (double& v : x)
        v /= s;
}

Oxides cationFractionsToWtPercent(const Oxides& fractions) {
    Oxides wt{};
    double total = 0.0;
    for (std::size_t i = 0; i < kOxideCount; ++i) {
        wt[i] = fractions[i] * kOxides[i].massPerCation;
        total += wt[i];
    }
    if (total > 0.0)
        for (double& v : wt)
            v *= 100.0 / total;
    return wt;
}

TAnalysis combineByMass(const TAnalysis& a, const TAnalysis& b, const TAnalysis& c, double mA,
                        double mB, double mC, const ActiveElements& active) {
    const double total = mA + mB - mC;
    const auto mix = [&](double va, double vb, double vc) {
        return (mA * va + mB * vb - mC * vc) / total;
    };
    TAnalysis result = a;
    for (std::size_t i = 0; i < kOxideCount; ++i)
        result.oxides[i] = mix(a.oxides[i], b.oxides[i], c.oxides[i]);
    if (active.volatile_)
        result.volatile_.value = mix(a.volatile_.value, b.volatile_.value, c.volatile_.value);
    for (std::size_t i = 0; i < kTraceCount; ++i)
        if (active.traces[i])
            result.traces[i].value = mix(a.traces[i].value, b.traces[i].value, c.traces[i].value);
    // Back to 100 g, so that rounding does not accumulate over thousands of steps.
    TMoleConversions conv;
    conv.molesToWt(result);
    normalizeTotal(result, "none", 0.0);
    conv.wtToMoles(result);
    return result;
}

double traceOxideFactor(std::size_t i) {
    return 1.0 + 16.0 * kTraces[i].oxygenPerCation / kTraces[i].mass;
}

void normalizeTotal(TAnalysis& a, std::string_view mode, double h) {
    const bool withWater = mode == "none";
    if (!withWater && mode != "fluid") return;
    double total = 0.0;
    for (double v : a.oxides)
        total += v;
    for (std::size_t i = 0; i < kTraceCount; ++i)
        total += a.traces[i].value * traceOxideFactor(i);
    if (withWater) total += a.volatile_.value;
    if (!(total > 0.0)) return;  // nothing to scale, and no division by zero
    const double k = (withWater ? 100.0 : 100.0 - h) / total;
    for (double& v : a.oxides)
        v *= k;
    for (auto& trace : a.traces)
        trace.value *= k;
    if (withWater) a.volatile_.value *= k;
}

}  // namespace varnodel
