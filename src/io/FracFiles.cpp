#include "io/FracFiles.h"

#include <cctype>
#include <chrono>
#include <cmath>
#include <ctime>
#include <filesystem>

#include "core/Calculations.h"
#include "core/Constants.h"
#include "core/Model.h"
#include "core/NumberFormat.h"
#include "io/ReportLines.h"

namespace varnodel {

namespace {

std::string label(std::size_t mineral) {
    return std::string(kPhases[mineral].abbreviation);
}
std::string compositionLabel(std::size_t mineral) {
    return std::string(kPhases[mineral].compositionLabel);
}

bool oxidationDefined(const TParameters& p, const TAnalysis& melt) {
    return !(p.bufferMode && isFe3FreeBuffer(p.bufferModel)) && melt.oxides[Ox::Fe2O3] != 0.0 &&
           melt.oxides[Ox::FeO] != 0.0;
}

}  // namespace

std::string rowTimestamp() {
    const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
    return text;
}

FracFiles::FracFiles(std::string base, PresentElements present, RunReporter& reporter,
                     OutputSink& sink, bool exportReady)
    : base_(std::move(base)),
      present_(std::move(present)),
      reporter_(reporter),
      sink_(sink),
      exportReady_(exportReady) {}

void FracFiles::runHeader(const FracRunInfo& info) {
    report_ = std::make_unique<ReportFile>(base_ + "_calc_param.csv", reporter_, sink_);
    ReportFile& r = *report_;
    const RunSettings& s = *info.userSettings;
    const TParameters& p = s.parameters;

    r.line("");
    r.line("****************** New calculation ********************");
    r.line("");
    r.line("Modelling Crystallisation");

    std::string chosen;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (info.models[i] != nullptr) chosen += (chosen.empty() ? "" : ", ") + label(i);
    r.line("Minerals chosen for calculations are:");
    r.line("   " + chosen);

    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        if (info.models[i] == nullptr) continue;
        const TMineralOptions& o = s.minerals[i];
        r.line("   The model used for " + label(i) + " is: " + info.models[i]->displayName);
        if (i == 1) {
            if (const std::string kd = olivineKdLine(p); !kd.empty()) r.line(kd);
            r.line("    Olv fractionation is: " + shortestGeneral(o.fractionation) + " %");
        } else {
            r.line("    " + label(i) + " fractionation is: " + fixedField(o.fractionation, 5, 2) +
                   " %");
        }
        if (o.h2oCorrection) r.line(h2oCorrectionLine(label(i), o));
        if (o.pressureCorrection) r.line(pressureCorrectionLine(label(i), o));
    }

    r.line(oxidationMethodLine(p));
    if (p.bufferMode && !isFe3FreeBuffer(p.bufferModel)) {
        r.line("   f(O2) is calculated following the model of " + info.oxidationModelName);
        if (p.bufferOffset != 0.0)
            r.line("    deviation from the buffer equals " + shortestGeneral(p.bufferOffset) +
                   " log units");
    }

    const TPressureBlock& block = *info.pressureBlock;
    r.line("Initial Pressure = " + shortestGeneral(block.pressure) + " kbar");
    if (block.dPdTMode) {
        r.line("   During calculations Pressure is continuously changed at " +
               shortestGeneral(block.dPdT) + " bar / degree");
    } else if (block.stepsMode && block.steps[1][1] > 0.0) {
        bool first = true;
        for (std::size_t row = 1; row < kPressureSteps && block.steps[row][1] > 0.0; ++row) {
            const std::string step = shortestGeneral(block.steps[row][1]) +
                                     " % crystallisation to " +
                                     shortestGeneral(block.steps[row][0]) + " kbars";
            r.line(first ? "   During calculations Pressure is changed at " + step
                         : std::string(45, ' ') + "at " + step);
            first = false;
        }
    } else {
        r.line("   During calculations Pressure is kept constant");
    }

    if (!present_.traces.empty()) {
        r.line("Kds for minerals:");
        std::string names = "Name ";
        for (std::size_t i = 1; i < kPhaseCount; ++i)
            if (info.models[i] != nullptr) names += " " + rightAligned(label(i), 9);
        r.line(names);
        for (std::size_t index : present_.traces) {
            std::string row = std::string(kTraces[index - 1].name) + "   ";
            for (std::size_t i = 1; i < kPhaseCount; ++i) {
                if (info.models[i] == nullptr) continue;
                const std::string& choice = s.minerals[i].traceChoices[index - 1];
                const std::string entry =
                    choice == "Kd" ? shortestGeneral(s.kd.at(i, index)) : trimmedRight(choice);
                row += " " + rightAligned(entry, 9);
            }
            r.line(row);
        }
    }

    r.line(densityModelLine(p));
    r.line(viscosityModelLine(p));

    r.line("Parameters to stop calculations at:");
    for (const std::string& line : stopTargetLines(p.stop))
        r.line(line);

    r.line("The amount of a mineral phase which will be extracted from");
    r.line("   100% of melt on each step is:    " + shortestGeneral(p.calculationStep) + " %");
    for (const std::string& line : h2oWarningLines(s, mineralModels(info.models), info.meltHasH2O))
        r.line(line);
    report_.reset();  // closed: the rest of the run goes to the log and the tables
}

void FracFiles::startingComposition(const FracRunInfo& info, const TAnalysis& melt) {
    log("");
    log("The starting composition " + info.analysisName + " has been recalculated to 100%");
    log(std::string(9, ' ') + labelLine(present_));
    log(std::string(9, ' ') + valueLine(WeightComposition::fromMolar(melt), present_));
    if (info.h2oAdjusted)
        log("H2O content in the starting composition has been adjusted to match H2O saturation.");
}

void FracFiles::printedStep(const FracRunInfo& info, const FracState& state, const TAnalysis& melt,
                            double pressureBar, bool finalStep) {
    logStep(info, state, melt, pressureBar, finalStep);
    if (exportReady_) append(base_ + ".csv", exportRow(info, state, melt, pressureBar), melt.name);
    writeMineralRows(info, state, melt);
}

void FracFiles::logStep(const FracRunInfo& info, const FracState& state, const TAnalysis& melt,
                        double pressureBar, bool finalStep) {
    const TParameters& p = info.settings->parameters;
    const std::size_t leader = state.leader;
    if (finalStep) {
        log("");
        log("                    The final composition:");
    }
    log("");
    log(std::string(9, ' ') + labelLine(present_));
    log("Magma    " + valueLine(WeightComposition::fromMolar(state.magma), present_));
    log("Melt     " + valueLine(WeightComposition::fromMolar(melt), present_));

    // The leader first, then the other minerals in the assemblage.
    std::vector<std::size_t> order{leader};
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (i != leader && state.inAssemblage[i]) order.push_back(i);
    for (std::size_t i : order) {
        const TAnalysis crystals = findPhase(state.crystals, kPhases[i].name);
        const bool exists = !crystals.name.empty();
        log(label(i) + "      " +
            (exists ? valueLine(WeightComposition::fromMolar(crystals), present_, true)
                    : "    this phase does not exist"));
    }

    std::string numbers;
    for (std::size_t i : order) {
        numbers += trimmedRight(compositionLabel(i)) + "= " +
                   fixedField(state.composition[i] * 100.0, 5, 2);
        if (state.crystalsInCumulate[i] > 0.0) {
            const TAnalysis mean = findPhase(state.cumulate, kPhases[i].name);
            numbers += "(" + fixedField(compositionNumber(i, mean) * 100.0, 5, 2) + ")";
        }
        if (i == 1 && state.composition[1] > 0.0)
            numbers += " Kd(Olv-Melt)= " + fixedField(olivineKd(state.composition[1], melt), 5, 3);
        numbers += "; ";
    }
    log(numbers);

    std::string temperatures =
        "T=" + fixedField(state.T[leader] - kCelsiusOffset, 6, 1) + " (" + label(leader) + ");";
    if (oxidationDefined(p, melt))
        temperatures += " Lg(fO2)=" + fixedField(state.lgfO2, 5, 1) +
                        " dNNO=" + fixedField(state.dNNO, 3, 1) + ";";
    for (bool inAssemblage : {true, false})
        for (std::size_t i = 1; i < kPhaseCount; ++i)
            if (i != leader && info.models[i] != nullptr && !state.excluded[i] &&
                state.inAssemblage[i] == inAssemblage)
                temperatures +=
                    " T" + label(i) + "=" + fixedField(state.T[i] - kCelsiusOffset, 6, 1);
    log(temperatures);

    std::string amounts = "Amounts (wt%) of magma components: Melt " +
                          fixedField(state.meltFraction * 100.0, 6, 3) + ";";
    if (state.fluidFraction > 0.0)
        amounts += " Fluid " + fixedField(state.fluidFraction * 100.0, 6, 3) + ";";
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (state.crystalsInMagma[i] > 0.0)
            amounts += " " + label(i) + " " + fixedField(state.crystalsInMagma[i] * 100.0, 6, 3) +
                       (state.activeSincePrint[i] ? "*;" : ";");
    log(amounts);

    std::string physical = "Pressure: " + fixedField(pressureBar / 1000.0, 7, 3) + " kbar; " +
                           "Density: " + fixedField(state.density, 7, 3);
    if (p.densityModel == DensityModel::NelsonCarmichael1979) {
        physical +=
            " g/cm3;  T expansion: " + fixedField(state.thermalExpansion * 10000.0, 5, 3) + "e-04;";
    } else {
        physical += " g/cm3";
    }
    physical += "  Viscosity: v=" + fixedField(std::exp(state.lnViscosity), 4, 0) +
                " poise; ln(v)=" + fixedField(state.lnViscosity, 5, 1);
    log(physical);

    bool anyCumulate = false;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        anyCumulate = anyCumulate || state.crystalsInCumulate[i] > 0.0;
    if (anyCumulate) {
        log(std::string(9, ' ') + labelLine(present_));
        log("Cumulate " + valueLine(WeightComposition::fromMolar(state.cumulateTotal), present_));
        std::string cumulate = "Amounts (wt%) of cumulate minerals:";
        for (std::size_t i = 1; i < kPhaseCount; ++i)
            if (state.crystalsInCumulate[i] > 0.0)
                cumulate += " " + label(i) + " " +
                            fixedField(state.crystalsInCumulate[i] * 100.0, 6, 3) + ";";
        log(cumulate);
    }
}

std::string FracFiles::exportRow(const FracRunInfo& info, const FracState& state,
                                 const TAnalysis& melt, double pressureBar) const {
    const TParameters& p = info.settings->parameters;
    std::string row = compositionFields(WeightComposition::fromMolar(state.magma), present_);
    row += compositionFields(WeightComposition::fromMolar(melt), present_);
    row += compositionFields(WeightComposition::fromMolar(state.cumulateTotal), present_);
    row += fixedField(state.T[state.leader] - kCelsiusOffset, 7, 3) + ",";
    std::vector<std::size_t> minerals;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (info.models[i] != nullptr) minerals.push_back(i);
    for (std::size_t i : minerals)
        row += state.excluded[i] || state.T[i] == 0.0
                   ? "-1,"
                   : fixedField(state.T[i] - kCelsiusOffset, 7, 3) + ",";
    for (std::size_t i : minerals) {
        row +=
            state.inAssemblage[i] ? fixedField(state.composition[i] * 100.0, 5, 2) + "," : "-1.00,";
        if (i == 1)
            row += state.inAssemblage[1] && state.composition[1] > 0.0
                       ? fixedField(olivineKd(state.composition[1], melt), 5, 3) + ","
                       : "-1.00,";
    }
    for (std::size_t i : minerals) {
        if (state.crystalsInCumulate[i] > 0.0) {
            const TAnalysis mean = findPhase(state.cumulate, kPhases[i].name);
            row += fixedField(compositionNumber(i, mean) * 100.0, 5, 2) + ",";
        } else {
            row += "-1.00,";
        }
    }
    row += fixedField(pressureBar / 1000.0, 7, 3) + ",";
    row += oxidationDefined(p, melt)
               ? fixedField(state.lgfO2, 6, 2) + "," + fixedField(state.dNNO, 4, 1) + ","
               : "n.d.,n.d.,";
    row += fixedField(state.density, 6, 3) + "," + fixedField(state.lnViscosity, 5, 2) + ",";
    row += fixedField(state.meltFraction * 100.0, 7, 4) + ",";
    for (std::size_t i : minerals)
        row += fixedField(state.crystalsInMagma[i] * 100.0, 7, 4) + "," +
               (state.peritecticAmount[i] > 0.0 ? "Y," : "N,");
    row += fixedField(state.fluidFraction * 100.0, 7, 4) + ",";
    for (std::size_t i : minerals)
        row += fixedField(state.crystalsInCumulate[i] * 100.0, 7, 4) + ",";
    row += csvField(info.analysisName) + "," + rowTimestamp();
    return row;
}

void FracFiles::writeMineralRows(const FracRunInfo& info, const FracState& state,
                                 const TAnalysis& melt) {
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        if (!state.activeSincePrint[i] || info.models[i] == nullptr) continue;
        const std::string file = base_ + "_" + label(i) + ".csv";
        std::string header;
        for (const auto& oxide : kOxides)
            header += std::string(oxide.label) + ",";
        if (present_.h2o) header += std::string(kVolatileName) + ",";
        for (std::size_t index : present_.traces)
            header += std::string(kTraces[index - 1].name) + ",";
        header += "T (C),Melt fraction," + compositionLabel(i) + ",Model,Sample";
        const TAnalysis crystals = findPhase(state.crystals, kPhases[i].name);
        std::string row = compositionFields(WeightComposition::fromMolar(crystals), present_);
        row += fixedField(state.T[i] - kCelsiusOffset, 6, 1) + ",";
        row += fixedField(state.meltFraction * 100.0, 7, 4) + ",";
        row += fixedField(state.composition[i] * 100.0, 7, 4) + ",";
        row += csvField(label(i) + "-" + info.models[i]->displayName) + ",";
        row += csvField(info.analysisName);
        append(file, row, melt.name, header);
    }
}

void FracFiles::append(const std::string& file, const std::string& line, const std::string& sample,
                       const std::string& header) {
    try {
        sink_.appendLine(file, line, header);
    } catch (const std::ios_base::failure&) {
        reporter_.message(writeErrorMessage(
            base_, std::string(calculationInfo(Calculation::Fractional).mineralWriter), sample));
        throw;
    }
}

std::string fracExportHeader(const PerPhase<bool>& withModel, const PresentElements& present) {
    std::vector<std::size_t> minerals;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (withModel[i]) minerals.push_back(i);
    std::string h = compositionHeader(present, "_magma,") + compositionHeader(present, "_melt,") +
                    compositionHeader(present, "_cumulate,");
    h += "Temperature,";
    for (std::size_t i : minerals)
        h += "Temperature_" + label(i) + ",";
    for (std::size_t i : minerals) {
        h += label(i) + "_" + compositionLabel(i) + "_magma,";
        if (i == 1) h += "Olv_Kd,";
    }
    for (std::size_t i : minerals)
        h += label(i) + "_" + compositionLabel(i) + "_cumulate,";
    h += "Pressure(kbar),Lg(fO2),dNNO,density,Ln(viscosity),";
    h += "Melt_%_magma,";
    for (std::size_t i : minerals)
        h += label(i) + "_%_magma," + label(i) + "_Peritectic,";
    h += "Fluid_%_magma,";
    for (std::size_t i : minerals)
        h += label(i) + "_%_cumulate,";
    // The rows end with the date and time of the step; a column without a name would make CSV
    // readers take the first column as the index and shift every name by one.
    h += "Sample,Date";
    return h;
}

}  // namespace varnodel
