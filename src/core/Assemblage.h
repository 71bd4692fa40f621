// The sample record handed to every model and engine: its phases and the run fields that come
// with an analysis (pressure path, stop targets, melt-inclusion data).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "core/Composition.h"

namespace varnodel {

inline constexpr std::size_t kStopKinds = 8;

// Stop kinds, in the order of every stop block.
namespace Stop {
enum : std::size_t {
    Crystallisation = 0,  // degree of crystallisation, %
    MeltMgO,              // wt%
    Temperature,          // degrees Celsius
    Fo,
    An,
    Clinopyroxene,  // Mg# of clinopyroxene
    Orthopyroxene,
    Pigeonite
};
}

// Eight stop values with their flags, laid out like the run parameters' stop block.
struct TStopBlock {
    std::array<double, kStopKinds> values{};
    std::array<bool, kStopKinds> flags{};

    bool operator==(const TStopBlock&) const = default;
};

inline constexpr std::size_t kPressureSteps = 6;  // row 0 = start, rows 1..5 the steps

// The pressure path of a forward run: as entered, in kbar and %; the engine scales its copy.
struct TPressureBlock {
    double pressure = 0.001;  // current pressure, kbar
    double dPdT = 0.0;        // bar per degree
    bool dPdTMode = false;
    bool stepsMode = false;
    // (pressure, degree of crystallisation) per row.
    std::array<std::array<double, 2>, kPressureSteps> steps{};

    bool operator==(const TPressureBlock&) const = default;
};

struct TMeltInclusions {
    std::string hostFo;        // Fo of the host olivine, %
    std::string wholeRockFeO;  // FeO of the whole rock, wt%

    bool operator==(const TMeltInclusions&) const = default;
};

struct TAssemblage {
    std::vector<TAnalysis> phases;  // the melt is the phase named "melt"
    std::string name;
    std::string text;
    int number = 0;            // 1-based position in the list of analyses
    int line = 0;              // the data file's line it was read from; 0: not from a file
    double pressure = 1.0;     // bar inside the calculations
    double temperature = 0.0;  // degrees Celsius, as read from a data file
    double lgfO2 = 0.0;
    TPressureBlock pressureBlock;
    TStopBlock stop;
    bool hasStopBlock = false;  // the data file gave this analysis its own stop targets
    TMeltInclusions meltInclusions;

    bool operator==(const TAssemblage&) const = default;
};

// A data file's row that was not read as an analysis, and why.
struct RejectedRow {
    int line = 0;
    std::string name;  // the sample name field, when the row had one
    std::string reason;
    bool operator==(const RejectedRow&) const = default;
};

// The phase "melt" of the assemblage (the last of that name), or the blank analysis when there is
// none. A view into the assemblage: valid while its phase list is not changed.
inline const TAnalysis& meltOf(const TAssemblage& assemblage) {
    static const TAnalysis kBlank;
    for (auto it = assemblage.phases.rbegin(); it != assemblage.phases.rend(); ++it)
        if (it->name == phaseName(Phase::Melt)) return *it;
    return kBlank;
}

// True when the melt of any of `samples` holds H2O.
inline bool anyWithH2O(const std::vector<TAssemblage>& samples) {
    for (const TAssemblage& sample : samples)
        if (meltOf(sample).volatile_.value > 0.0) return true;
    return false;
}

// Stores a mineral written back by a model (oxides in wt%) under its phase name.
inline void storeMineral(TAssemblage& assemblage, Phase mineral, const Oxides& wtPercent) {
    TAnalysis phase;
    phase.oxides = wtPercent;
    storePhase(assemblage.phases, std::move(phase), phaseName(mineral));
}

}  // namespace varnodel
