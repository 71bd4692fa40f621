// Compositions of phases: the fixed component, trace-element and phase tables, the TAnalysis
// record and the helpers that move phases in and out of an assemblage.
#pragma once

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace varnodel {

inline constexpr std::size_t kOxideCount = 12;
inline constexpr std::size_t kTraceCount = 37;
inline constexpr std::size_t kPhaseCount = 9;  // the melt and the eight minerals
inline constexpr std::size_t kMineralCount = 8;

// Positions of the twelve oxides in every composition array (0-based).
namespace Ox {
enum : std::size_t { SiO2 = 0, TiO2, Al2O3, Fe2O3, FeO, MnO, MgO, CaO, Na2O, K2O, P2O5, Cr2O3 };
}

using Oxides = std::array<double, kOxideCount>;

struct OxideInfo {
    std::string_view label;  // right-aligned to five characters, as shown in grids and headers
    double massPerCation;    // g per mole of cations
    int cationsPerFormula;
};

inline constexpr std::array<OxideInfo, kOxideCount> kOxides{{
    {" SiO2", 60.08, 1},
    {" TiO2", 79.95, 1},
    {"Al2O3", 50.98, 2},
    {"Fe2O3", 79.845, 2},
    {"  FeO", 71.85, 1},
    {"  MnO", 70.94, 1},
    {"  MgO", 40.3, 1},
    {"  CaO", 56.08, 1},
    {" Na2O", 30.99, 2},
    {"  K2O", 47.1, 2},
    {" P2O5", 70.97, 2},
    {"Cr2O3", 75.99, 2},
}};

// The melt of a new composition grid, wt%.
inline constexpr Oxides kDefaultMeltOxides{50.00, 1.00,  15.00, 0.00, 9.00, 0.10,
                                           10.00, 12.00, 2.50,  0.20, 0.10, 0.10};

inline constexpr std::string_view kVolatileName = "H2O";
inline constexpr double kVolatileMass = 18.0;

struct TraceInfo {
    std::string_view name;  // two characters, a one-letter symbol padded with a blank
    double mass;
    double oxygenPerCation;  // oxygen atoms per cation of the element's oxide
};

inline constexpr std::array<TraceInfo, kTraceCount> kTraces{{
    {"B ", 10.81, 1.5},  {"Be", 9.01, 1.0},   {"Sc", 44.96, 1.5},  {"V ", 50.94, 2.5},
    {"Co", 58.93, 1.0},  {"Ni", 58.69, 1.0},  {"Cu", 63.55, 1.0},  {"Zn", 65.41, 1.0},
    {"Ga", 69.72, 1.5},  {"Rb", 85.47, 0.5},  {"Sr", 87.62, 1.0},  {"Y ", 88.91, 1.5},
    {"Zr", 91.22, 2.0},  {"Nb", 92.91, 2.5},  {"Cs", 132.91, 0.5}, {"Ba", 137.33, 1.0},
    {"La", 138.91, 1.5}, {"Ce", 140.12, 1.5}, {"Pr", 140.91, 1.5}, {"Nd", 144.24, 1.5},
    {"Sm", 150.36, 1.5}, {"Eu", 151.96, 1.5}, {"Gd", 157.25, 1.5}, {"Tb", 158.93, 1.5},
    {"Dy", 162.5, 1.5},  {"Ho", 164.93, 1.5}, {"Er", 167.26, 1.5}, {"Tm", 168.93, 1.5},
    {"Yb", 173.04, 1.5}, {"Lu", 174.97, 1.5}, {"Hf", 178.49, 2.0}, {"Ta", 180.95, 2.5},
    {"Re", 186.21, 2.0}, {"Os", 190.23, 2.0}, {"Pb", 207.2, 1.0},  {"Th", 232.04, 2.0},
    {"U ", 238.03, 2.0},
}};

// Index into the per-mineral partition table that stands for H2O (1-37 are the traces).
inline constexpr std::size_t kH2OElementIndex = 38;

// Phase 0 is the melt, 1-8 the minerals in their fixed order.
enum class Phase : std::size_t {
    Melt = 0,
    Olivine,
    Plagioclase,
    Clinopyroxene,
    Orthopyroxene,
    Pigeonite,
    Spinel,
    Ilmenite,
    Magnetite
};

struct PhaseInfo {
    std::string_view name;              // the phase's name inside an assemblage
    std::string_view abbreviation;      // column headers
    std::string_view compositionLabel;  // the one number that characterises a mineral
};

inline constexpr std::array<PhaseInfo, kPhaseCount> kPhases{{
    {"melt", "M  ", ""},
    {"olivine", "Olv", "Fo    "},
    {"plagioclase", "Plg", "An    "},
    {"clinopyroxene", "Cpx", "Mg#Cpx"},
    {"orthopyroxene", "Opx", "Mg#Opx"},
    {"pigeonite", "Pig", "Mg#Pig"},
    {"spinel", "Spl", "Cr#Spl"},
    {"ilmenite", "Ilm", "Mg#Ilm"},
    {"magnetite", "Mgt", "Mg#Mgt"},
}};

constexpr const PhaseInfo& phaseInfo(Phase p) {
    return kPhases[static_cast<std::size_t>(p)];
}
constexpr std::string_view phaseName(Phase p) {
    return phaseInfo(p).name;
}

// Index 1-37 of a trace element by its two-character name, 38 for "H2O", 0 when unknown.
std::size_t elementIndex(std::string_view name);

// Index 1-8 of a mineral by its phase name, 0 for "melt" or an unknown name.
std::size_t mineralIndex(std::string_view phaseName);

// One named value. The names are those of the fixed element tables above, so a name is a view
// of the table's text: copying a composition copies numbers only.
struct TElement {
    std::string_view name;
    double value = 0.0;

    bool operator==(const TElement&) const = default;
};

// The composition of one phase. Stored and entered in wt% (oxides, H2O) and ppm (traces); the
// engines convert working copies to cation moles and back. A default-constructed record is the
// blank analysis: every number 0, the element names filled in.
struct TAnalysis {
    Oxides oxides{};
    std::array<bool, kOxideCount> notDetermined{};
    TElement volatile_{kVolatileName, 0.0};
    std::array<TElement, kTraceCount> traces = kBlankTraces;
    std::string text;
    std::string name;

    static constexpr std::array<TElement, kTraceCount> blankTraces() {
        std::array<TElement, kTraceCount> traces{};
        for (std::size_t i = 0; i < kTraceCount; ++i)
            traces[i].name = kTraces[i].name;
        return traces;
    }
    static const std::array<TElement, kTraceCount> kBlankTraces;

    bool operator==(const TAnalysis&) const = default;
};

inline constexpr std::array<TElement, kTraceCount> TAnalysis::kBlankTraces = blankTraces();

// The number that characterises a mineral (Fo, An, Mg#, Cr#) on its molar composition:
// CaO/(CaO + Na2O) for plagioclase, Cr2O3/(Cr2O3 + Al2O3) for spinel, MgO/(MgO + FeO) for the
// others; 0 when both are absent.
double compositionNumber(std::size_t mineral, const TAnalysis& molar);

// The lists of the volatile and of the trace elements present in the current data; only these
// take part in mass transfers between phases.
struct ActiveElements {
    bool volatile_ = false;
    std::array<bool, kTraceCount> traces{};

    bool operator==(const ActiveElements&) const = default;
};

// A copy of the last phase named `name` (exact comparison), or the blank analysis.
TAnalysis findPhase(const std::vector<TAnalysis>& phases, std::string_view name);

// Overwrites every phase named `name` with `analysis`, or appends it when none is. An analysis
// without a name takes `name`.
void storePhase(std::vector<TAnalysis>& phases, TAnalysis analysis, std::string_view name);

// a + k·b on the oxides, and on H2O and those traces that are active in the run; inactive
// elements keep the values of `a`.
TAnalysis addScaled(const TAnalysis& a, const TAnalysis& b, double k, const ActiveElements& active);

}  // namespace varnodel
