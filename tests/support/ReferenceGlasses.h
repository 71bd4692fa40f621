// The reference glasses of tests/data/reference_glasses.csv as melts for model tests.
#pragma once

#include <fstream>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Assemblage.h"
#include "core/MoleConversions.h"

namespace varnodel::test {

struct ReferenceGlass {
    std::string name;
    TAnalysis melt;  // wt%, total iron as FeO, H2O as given
};

// Columns: Name, the twelve oxides with FeOt in place of Fe2O3 + FeO (so eleven), H2O.
inline std::vector<ReferenceGlass> referenceGlasses() {
    std::ifstream in(std::string(VARNODEL_TEST_DATA_DIR) + "/reference_glasses.csv");
    if (!in) throw std::runtime_error("reference_glasses.csv not found");
    std::vector<ReferenceGlass> glasses;
    std::string line;
    std::getline(in, line);  // header
    constexpr std::size_t kColumns[] = {Ox::SiO2, Ox::TiO2, Ox::Al2O3, Ox::FeO,  Ox::MnO,  Ox::MgO,
                                        Ox::CaO,  Ox::Na2O, Ox::K2O,   Ox::P2O5, Ox::Cr2O3};
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        std::stringstream row(line);
        std::string cell;
        ReferenceGlass glass;
        std::getline(row, glass.name, ',');
        for (std::size_t column : kColumns) {
            std::getline(row, cell, ',');
            glass.melt.oxides[column] = std::stod(cell);
        }
        std::getline(row, cell, ',');
        glass.melt.volatile_.value = std::stod(cell);
        glass.melt.name = "melt";
        glasses.push_back(glass);
    }
    return glasses;
}

// The glass's melt with a share `fe3` of its iron as Fe2O3 (same total iron as FeO), H2O set,
// converted to cation moles and put into an assemblage at `pressureBar`.
inline TAssemblage meltAssemblage(const ReferenceGlass& glass, double fe3 = 0.0, double h2o = 0.0,
                                  double pressureBar = 1.0) {
    TAnalysis melt = glass.melt;
    const double feOt = melt.oxides[Ox::FeO];
    melt.oxides[Ox::FeO] = feOt * (1.0 - fe3);
    melt.oxides[Ox::Fe2O3] = feOt * fe3 * 159.69 / (2.0 * 71.85);
    melt.volatile_.value = h2o;
    TMoleConversions().wtToMoles(melt);
    TAssemblage assemblage;
    assemblage.name = glass.name;
    assemblage.pressure = pressureBar;
    assemblage.phases.push_back(melt);
    return assemblage;
}

}  // namespace varnodel::test
