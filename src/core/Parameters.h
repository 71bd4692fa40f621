// The run settings: the parameters record, the per-mineral options, the partition-coefficient
// table and the output options. Plain values, copied whole into every run.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "core/Assemblage.h"
#include "core/Composition.h"

namespace varnodel {

enum class DensityModel : std::uint8_t { LangeCarmichael1987 = 0, NelsonCarmichael1979 = 1 };
enum class ViscosityModel : std::uint8_t { BottingaWeill1972 = 0, GiordanoDingwell2003 = 1 };

// The minor elements (Ca, Mn, Cr) that the host olivine of melt inclusions is given, in the order
// of the choice "Set of minor elements (Ca, Mn, Cr) in Olivine".
enum class OlivineMinorSet : std::uint8_t {
    None = 0,  // the olivine model's own
    Komatiites = 1,
    HighCaBoninites = 2,
    MorbBabb = 3,  // MORB or BABB: functions of Fo
};

// Settings of the melt-inclusion calculations (Fe-loss reconstruction and diffusion profiles).
struct TMeltInclusionSettings {
    double coolingInterval = 100.0;  // degrees Celsius
    double inclusionRadius = 150.0;  // micrometres
    double rimStep = 1e-4;           // crystallisation step per rim step, fraction of the melt
    double finalExtent = 50.0;       // final extent of re-equilibration, %
    double coolingRate = 240.0;      // degrees Celsius per day
    double reheatingTemperature = 1250.0;  // T_exp, degrees Celsius
    bool simulateReheating = false;
    bool loadLastResult = false;
    bool instantCooling = true;
    bool coolingRateMode = false;
    OlivineMinorSet olivineMinorSet = OlivineMinorSet::None;

    bool operator==(const TMeltInclusionSettings&) const = default;
};

struct TParameters {
    // Oxidation state of the melt: exactly one of the four modes is on.
    std::string oxidationModel = "Boris90 ";  // short name of the oxidation-state model
    bool equationMode = false;                // (Fe2/Fe3)melt = a x Fo + b
    bool fixedRatioMode = false;              // (Fe2/Fe3)melt fixed
    bool closedSystemMode = false;            // closed for oxygen
    bool bufferMode = true;                   // fO2 on a buffer plus an offset
    double equationA = 0.0;
    double equationB = 9.0;
    double bufferOffset = 0.0;  // log units
    double fixedRatio = 9.0;
    std::string bufferModel = "QFM";  // key in the buffer table

    // Output intervals.
    double outputCrystallisation = 1.0;  // %
    double outputTemperature = 10.0;     // degrees
    double outputFo = 1.0;               // mol%
    double outputPigeonite = 1.0;
    double outputClinopyroxene = 1.0;
    double outputAn = 1.0;
    double outputOrthopyroxene = 1.0;
    bool outputByCrystallisation = true;
    bool outputByFo = false;
    bool outputByAn = false;
    bool outputByClinopyroxene = false;
    bool outputByOrthopyroxene = false;
    bool outputByPigeonite = false;
    bool outputByTemperature = false;
    // Decimals of the trace elements (ppm) in the result tables: one hides sub-ppm elements.
    int traceDecimals = 1;

    TMeltInclusionSettings meltInclusions;

    // Stop targets in the order of the stop kinds: %, wt% MgO, degrees Celsius, then mol%.
    // Only the degree of crystallisation is on, at 0: a default run stops after its first step.
    TStopBlock stop{{0.0, 5.0, 1100.0, 85.0, 80.0, 80.0, 80.0, 80.0},
                    {true, false, false, false, false, false, false, false}};

    double calculationStep = 0.01;  // % of the current melt crystallised per step

    // Olivine-melt Fe-Mg exchange.
    double kdFeMg = 0.3;
    double lnKdA = 0.0;  // Ln(KD) = A / T + B x P / T + C
    double lnKdB = 0.0;
    double lnKdC = -1.204;
    bool cotecticOption = false;      // start on the olivine-plagioclase cotectic
    bool h2oSaturatedOption = false;  // start H2O-saturated
    bool fixedKdOption = false;
    bool sobolevQuellmarkOption = false;
    bool lnKdOption = false;
    bool toplisOption = false;
    bool olivineKdModelOption = false;  // olivine from the Kd model instead of the olivine model

    DensityModel densityModel = DensityModel::LangeCarmichael1987;
    ViscosityModel viscosityModel = ViscosityModel::BottingaWeill1972;

    bool operator==(const TParameters&) const = default;
};

// The conditions of "Exclude mineral", in the order of `otherSettings` and `exclusionFlags`.
namespace Exclusion {
enum : std::size_t { Temperature = 0, MeltMgO, Fo, Composition };
}

inline constexpr std::size_t kTraceChoiceCount = kTraceCount + 1;  // the traces and H2O

struct TMineralOptions {
    bool pressureCorrection = false;
    double pressureSlope = 0.0;  // degrees per kbar: dT = (P - 1 bar) x slope / 1000
    bool h2oCorrection = false;
    double h2oA = 0.0;  // dT = -a x H2O(wt%)^b
    double h2oB = 0.0;
    // The limits of the reverse run's "Exclude mineral" conditions, indexed by `Exclusion`:
    // degrees Celsius, wt% MgO of the melt, mol% Fo of olivine, mol% of the mineral's own
    // composition number. A limit counts only while its flag is set.
    std::array<double, 4> otherSettings{1200.0, 9.0, 90.0, 90.0};
    std::array<bool, 4> exclusionFlags{};
    double fractionation = 100.0;  // % of each step's crystals removed to the cumulate
    // Per element (traces 1-37 at 0-36, H2O at 37): "Kd", "Model" or a trace model's name.
    std::array<std::string, kTraceChoiceCount> traceChoices{};

    bool operator==(const TMineralOptions&) const = default;
};

// Constant partition coefficients, minerals 1-8 by elements 1-38 (the traces, then H2O).
class TKdTable {
  public:
    double& at(std::size_t mineral, std::size_t element) { return kd_[mineral - 1][element - 1]; }
    double at(std::size_t mineral, std::size_t element) const {
        return kd_[mineral - 1][element - 1];
    }
    // By the element's name (two-character form or "H2O") and the mineral's phase name;
    // throws std::invalid_argument for an unknown name.
    double traceKd(std::string_view element, std::string_view mineral) const;

    bool operator==(const TKdTable&) const = default;

  private:
    std::array<std::array<double, kTraceChoiceCount>, kMineralCount> kd_{};
};

struct TOptions {
    std::string outputDirectory;  // empty: the current directory
    std::string outputName = "Varnodel_Output";
    std::string dataFileName;
    char separator = ',';
    std::string baseName;  // output folder + output name + the calculation's suffix
    bool exportReady = false;
    bool stopFromFile = false;  // take the stop targets from the data file
    bool wholeFile = false;     // run every analysis of the data file

    bool operator==(const TOptions&) const = default;
};

// The "Fe3=0" buffer (any case): a melt without ferric iron, not an fO2 to record.
bool isFe3FreeBuffer(std::string_view bufferName);

// Everything a run copies at its start.
struct RunSettings {
    TParameters parameters;
    std::array<TMineralOptions, kPhaseCount> minerals = defaultMineralOptions();
    TKdTable kd;
    ActiveElements active;

    static std::array<TMineralOptions, kPhaseCount> defaultMineralOptions();

    bool operator==(const RunSettings&) const = default;
};

}  // namespace varnodel
