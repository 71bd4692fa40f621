// The melts the model sweeps run on: the reference glasses and hostile melts, in wt% with the
// iron as FeO.
#pragma once

#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "support/ReferenceGlasses.h"

namespace varnodel::test {

// A melt in wt% (iron as FeO), named after what makes it hostile.
struct SweepMelt {
    std::string name;
    TAnalysis melt;
};

inline TAnalysis wtMelt(std::initializer_list<std::pair<std::size_t, double>> oxides,
                        double h2o = 0.0) {
    TAnalysis melt;
    melt.name = "melt";
    for (const auto& [k, v] : oxides)
        melt.oxides[k] = v;
    melt.volatile_.value = h2o;
    return melt;
}

inline std::vector<SweepMelt> glassMelts() {
    std::vector<SweepMelt> melts;
    for (const auto& g : referenceGlasses())
        melts.push_back({g.name, g.melt});
    return melts;
}

inline std::vector<SweepMelt> hostileMelts() {
    const TAnalysis basalt = referenceGlasses().front().melt;  // VG-2
    const auto changed = [&](std::initializer_list<std::pair<std::size_t, double>> oxides,
                             double h2o = 0.0) {
        TAnalysis m = basalt;
        for (const auto& [k, v] : oxides)
            m.oxides[k] = v;
        m.volatile_.value = h2o;
        return m;
    };
    return {
        {"all SiO2", wtMelt({{Ox::SiO2, 100.0}})},
        {"no MgO", changed({{Ox::MgO, 0.0}})},
        {"no FeO", changed({{Ox::FeO, 0.0}})},
        {"no CaO", changed({{Ox::CaO, 0.0}})},
        {"no alkalis", changed({{Ox::Na2O, 0.0}, {Ox::K2O, 0.0}})},
        {"picrite 25 MgO", wtMelt({{Ox::SiO2, 45.0},
                                   {Ox::TiO2, 1.0},
                                   {Ox::Al2O3, 9.5},
                                   {Ox::FeO, 11.5},
                                   {Ox::MnO, 0.18},
                                   {Ox::MgO, 25.0},
                                   {Ox::CaO, 6.5},
                                   {Ox::Na2O, 1.2},
                                   {Ox::K2O, 0.3},
                                   {Ox::P2O5, 0.1},
                                   {Ox::Cr2O3, 0.25}})},
        {"rhyolite 75 SiO2", wtMelt({{Ox::SiO2, 75.0},
                                     {Ox::TiO2, 0.2},
                                     {Ox::Al2O3, 13.0},
                                     {Ox::FeO, 1.5},
                                     {Ox::MnO, 0.05},
                                     {Ox::MgO, 0.3},
                                     {Ox::CaO, 1.2},
                                     {Ox::Na2O, 4.0},
                                     {Ox::K2O, 4.5},
                                     {Ox::P2O5, 0.05}})},
        {"30 H2O", changed({}, 30.0)},
        {"fayalite melt", wtMelt({{Ox::SiO2, 50.0}, {Ox::FeO, 50.0}})},
        {"forsterite melt", wtMelt({{Ox::SiO2, 50.0}, {Ox::MgO, 50.0}})},
        {"ferrobasalt 30 FeO", changed({{Ox::FeO, 30.0}})},
        {"peralkaline", changed({{Ox::Al2O3, 5.0}, {Ox::Na2O, 12.0}})},
        {"Ti K P Cr rich",
         changed({{Ox::TiO2, 10.0}, {Ox::K2O, 8.0}, {Ox::P2O5, 5.0}, {Ox::Cr2O3, 2.0}})},
    };
}

}  // namespace varnodel::test
