#include "io/RevFiles.h"

#include <cmath>

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

bool olivineKdDefined(const RevState& s, const TAnalysis& melt) {
    return s.hasBeenAdded[1] && s.T[1] != 0.0 && s.composition[1] > 0.0 &&
           melt.oxides[Ox::FeO] > 0.0;
}
bool compositionDefined(const RevState& s, std::size_t i) {
    return s.hasBeenAdded[i] && s.composition[i] >= 0.0;
}

// The minerals shown after the leader: those added, in mineral order, then (for temperatures)
// the other active ones.
std::vector<std::size_t> addedAfterLeader(const RevState& s) {
    std::vector<std::size_t> order{s.leader};
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (i != s.leader && s.active[i] && s.hasBeenAdded[i]) order.push_back(i);
    return order;
}

std::vector<std::size_t> withModel(const RevRunInfo& info) {
    std::vector<std::size_t> minerals;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (info.models[i] != nullptr) minerals.push_back(i);
    return minerals;
}

}  // namespace

RevFiles::RevFiles(std::string base, PresentElements present, RunReporter& reporter,
                   OutputSink& sink, bool exportReady)
    : base_(std::move(base)),
      present_(std::move(present)),
      reporter_(reporter),
      sink_(sink),
      exportReady_(exportReady) {}

void RevFiles::runHeader(const RevRunInfo& info) {
    ReportFile r(base_ + "_calc_param.csv", reporter_, sink_);
    const RunSettings& s = *info.userSettings;
    const TParameters& p = s.parameters;
    const std::vector<std::size_t> minerals = withModel(info);

    r.line("****************** New calculation ********************");
    r.line("Modelling reverse of fractional crystallisation");
    std::string chosen;
    for (std::size_t i : minerals)
        chosen += (chosen.empty() ? "" : ", ") + label(i);
    r.line("Minerals chosen for calculations are:");
    r.line("   " + chosen);

    for (std::size_t i : minerals) {
        const TMineralOptions& o = s.minerals[i];
        r.line("   The model used for " + label(i) + " is: " + info.models[i]->displayName);
        if (i == 1) {
            if (const std::string kd = olivineKdLine(p); !kd.empty()) r.line(kd);
        }
        if (o.h2oCorrection) r.line(h2oCorrectionLine(label(i), o));
        if (o.pressureCorrection) r.line(pressureCorrectionLine(label(i), o));
    }

    r.line(oxidationMethodLine(p));
    if (!(p.bufferMode && isFe3FreeBuffer(p.bufferModel))) {
        // On a buffer the model gives the melt's Fe2O3 from fO2; otherwise it gives the fO2
        // that the melt's Fe2O3 records.
        r.line(std::string(p.bufferMode ? "   f(O2) is calculated " : "   ") +
               "following the model of " + info.oxidationModelName);
        if (p.bufferMode && p.bufferOffset != 0.0)
            r.line("    deviation from the buffer equals " + shortestGeneral(p.bufferOffset) +
                   " log units");
    }

    const TPressureBlock& block = *info.pressureBlock;
    r.line("Initial Pressure = " + shortestGeneral(block.pressure) + " kbar");
    if (block.dPdTMode) {
        r.line("   During calculations Pressure is continuously increased at " +
               shortestGeneral(block.dPdT) + " bar / degree");
    } else if (block.stepsMode && block.steps[1][1] > 0.0) {
        bool first = true;
        for (std::size_t row = 1; row < kPressureSteps && block.steps[row][1] > 0.0; ++row) {
            const std::string stage = shortestGeneral(block.steps[row][1]) +
                                      " % crystals added to " +
                                      shortestGeneral(block.steps[row][0]) + " kbars";
            r.line(first ? "   During calculations Pressure is increased at " + stage
                         : std::string(45, ' ') + "at " + stage);
            first = false;
        }
    } else {
        r.line("   During calculations Pressure is kept constant");
    }

    if (!present_.traces.empty()) {
        r.line("Kds for minerals:");
        std::string names = "Name ";
        for (std::size_t i : minerals)
            names += rightAligned(label(i), 8);
        r.line(names);
        for (std::size_t index : present_.traces) {
            std::string row = std::string(kTraces[index - 1].name) + "   ";
            for (std::size_t i : minerals) {
                const std::string& choice = s.minerals[i].traceChoices[index - 1];
                row += rightAligned(
                    choice == "Kd" ? shortestGeneral(s.kd.at(i, index)) : trimmedRight(choice), 8);
            }
            r.line(row);
        }
    }

    r.line(densityModelLine(p));
    r.line(viscosityModelLine(p));

    for (std::size_t i : minerals) {
        if (i == 1) continue;  // olivine is never excluded
        const TMineralOptions& o = s.minerals[i];
        const bool oxide = i == 7 || i == 8;  // no Fo or composition condition
        const auto& f = o.exclusionFlags;
        const auto& v = o.otherSettings;
        if (!(f[Exclusion::Temperature] || f[Exclusion::MeltMgO] ||
              (!oxide && (f[Exclusion::Fo] || f[Exclusion::Composition]))))
            continue;
        const std::string m = label(i);
        r.line("Parameters for excluding " + m + " from calculations:");
        if (f[Exclusion::Temperature])
            r.line("   Upper temperature limit for " + m + ": " +
                   shortestGeneral(v[Exclusion::Temperature]) + "(C)");
        if (f[Exclusion::MeltMgO])
            r.line("   Max melt MgO content for " + m + ": " +
                   shortestGeneral(v[Exclusion::MeltMgO]) + " wt%");
        if (!oxide && f[Exclusion::Fo])
            r.line("   Upper Fo limit for " + m + ": " + shortestGeneral(v[Exclusion::Fo]) +
                   " mol%");
        if (!oxide && f[Exclusion::Composition])
            r.line("   Upper compositional limit for " + m + ": " +
                   shortestGeneral(v[Exclusion::Composition]) + " mol%");
    }

    r.line("Parameters to stop calculations at:");
    for (const std::string& line : stopTargetLines(p.stop))
        r.line(line);

    r.line("The amount of a mineral phase which will be added to");
    r.line("   100% of melt on each step is:    " + shortestGeneral(p.calculationStep) + " %");
    for (const std::string& line : h2oWarningLines(s, mineralModels(info.models), info.meltHasH2O))
        r.line(line);
}

void RevFiles::startingComposition(const RevRunInfo&, const TAnalysis& melt) {
    log(std::string(9, ' ') + labelLine(present_));
    log("Melt     " + valueLine(WeightComposition::fromMolar(melt), present_));
}

void RevFiles::stepNotices(const RevRunInfo&, const RevState& state) {
    if (state.finalStep) {
        log("");
        log("                    The final composition:");
    }
    for (std::size_t i = 2; i < kPhaseCount; ++i)
        if (state.excludedNow[i]) {
            log("");
            log("         " + std::string(kPhases[i].name) +
                " will be excluded from calculations after this step");
        }
}

void RevFiles::printedStep(const RevRunInfo& info, const RevState& state, const TAnalysis& melt,
                           double pressureBar) {
    logStep(info, state, melt, pressureBar);
    if (exportReady_)
        append(base_ + ".csv", resultsRow(info, state, melt, pressureBar), "Rev.PrintFileForExport",
               melt.name);
    writeMineralRows(info, state, melt);
}

void RevFiles::logStep(const RevRunInfo& info, const RevState& state, const TAnalysis& melt,
                       double pressureBar) {
    const TParameters& p = info.settings->parameters;
    const std::size_t leader = state.leader;
    log(std::string(9, ' ') + labelLine(present_));
    log("Melt     " + valueLine(WeightComposition::fromMolar(melt), present_));
    const std::vector<std::size_t> order = addedAfterLeader(state);
    for (std::size_t i : order) {
        const TAnalysis mineral = findPhase(state.minerals, kPhases[i].name);
        log(label(i) + "      " + valueLine(WeightComposition::fromMolar(mineral), present_, true));
    }

    std::string numbers;
    for (std::size_t i : order) {
        numbers += trimmedRight(compositionLabel(i)) + "= " +
                   fixedField(state.composition[i] * 100.0, 5, 2);
        if (i == 1 && olivineKdDefined(state, melt))
            numbers += " Kd(Olv-Melt)= " + fixedField(olivineKd(state.composition[1], melt), 5, 3);
        numbers += "; ";
    }
    log(numbers);

    std::string temperatures =
        "T=" + fixedText(state.T[leader] - kCelsiusOffset, 6, 1) + " (" + label(leader) + ");";
    if (state.oxidationDefined)
        temperatures += " Lg(fO2)=" + fixedText(state.lgfO2, 5, 1) +
                        " dNNO=" + fixedText(state.dNNO, 3, 1) + ";";
    for (bool added : {true, false})
        for (std::size_t i = 1; i < kPhaseCount; ++i)
            if (i != leader && state.active[i] && state.hasBeenAdded[i] == added &&
                state.T[i] != 0.0)
                temperatures +=
                    " T" + label(i) + "=" + fixedText(state.T[i] - kCelsiusOffset, 6, 1);
    log(temperatures);

    const double M = state.totalMass;
    std::string proportions = "Proportions (wt%) :";
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (state.added[i] != 0.0)
            proportions += " " + label(i) + " " + fixedText(state.added[i] / M * 100.0, 6, 3) + ";";
    proportions += " The starting melt " + fixedText((1.0 - state.fluid) / M * 100.0, 6, 3);
    if (state.fluid > 0.0) proportions += "; Fluid " + fixedText(state.fluid / M * 100.0, 6, 3);
    if (state.fluid < 0.0)
        proportions += "; The amount of fluid added into the melt " +
                       fixedText(-state.fluid / M * 100.0, 6, 3);
    log(proportions);

    std::string physical = "Pressure: " + fixedText(pressureBar / 1000.0, 7, 3) + " kbar; " +
                           "Density: " + fixedText(state.density, 7, 3);
    if (p.densityModel == DensityModel::NelsonCarmichael1979) {
        physical +=
            " g/cm3;  T expansion: " + fixedText(state.thermalExpansion * 10000.0, 5, 3) + "e-04;";
    } else {
        physical += " g/cm3";
    }
    physical += "  Viscosity: v=" + fixedText(std::exp(state.lnViscosity), 4, 0) +
                " poise; ln(v)=" + fixedText(state.lnViscosity, 5, 1);
    log(physical);
}

std::string RevFiles::resultsRow(const RevRunInfo& info, const RevState& state,
                                 const TAnalysis& melt, double pressureBar) const {
    const std::vector<std::size_t> minerals = withModel(info);
    std::string row = compositionFields(WeightComposition::fromMolar(melt), present_);
    row += fixedField(state.T[state.leader] - kCelsiusOffset, 5, 1) + ",";
    for (std::size_t i : minerals)
        row += state.T[i] == 0.0 ? "-1," : fixedField(state.T[i] - kCelsiusOffset, 5, 1) + ",";
    for (std::size_t i : minerals) {
        row += compositionDefined(state, i) ? fixedField(state.composition[i] * 100.0, 5, 2) + ","
                                            : "-1.00,";
        if (i == 1)
            row += olivineKdDefined(state, melt)
                       ? fixedField(olivineKd(state.composition[1], melt), 5, 3) + ","
                       : "-1.00,";
    }
    row += fixedField(pressureBar / 1000.0, 7, 3) + ",";
    row += state.oxidationDefined
               ? fixedField(state.lgfO2, 6, 2) + "," + fixedField(state.dNNO, 4, 1) + ","
               : "n.d.,n.d.,";
    row += fixedField(state.density, 6, 3) + "," + fixedField(state.lnViscosity, 5, 2) + ",";
    const double M = state.totalMass;
    row += fixedField((1.0 - state.fluid) / M * 100.0, 7, 4) + ",";
    for (std::size_t i : minerals)
        row += fixedField(state.added[i] / M * 100.0, 7, 4) + ",";
    row += fixedField(state.fluid / M * 100.0, 7, 4) + ",";
    row += info.analysisName;
    return row;
}

void RevFiles::writeMineralRows(const RevRunInfo& info, const RevState& state,
                                const TAnalysis& melt) {
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        // A mineral not added yet has no composition to write.
        if (!state.active[i] || !state.hasBeenAdded[i] || info.models[i] == nullptr) continue;
        std::string header;
        for (const auto& oxide : kOxides)
            header += std::string(oxide.label) + ",";
        if (present_.h2o) header += std::string(kVolatileName) + ",";
        for (std::size_t index : present_.traces)
            header += std::string(kTraces[index - 1].name) + ",";
        header += "T (C),Melt fraction," + compositionLabel(i) + ",Model,Sample";
        const TAnalysis mineral = findPhase(state.minerals, kPhases[i].name);
        std::string row = compositionFields(WeightComposition::fromMolar(mineral), present_);
        row += fixedField(state.T[i] - kCelsiusOffset, 6, 1) + ",";
        row += fixedField(state.totalMass * 100.0, 7, 4) + ",";
        row += fixedField(state.composition[i] * 100.0, 7, 4) + ",";
        row += label(i) + "-" + info.models[i]->shortName + ",";
        row += info.analysisName;
        append(base_ + "_" + label(i) + ".csv", row, "Fr.PrintFileForExport", melt.name, header);
    }
}

void RevFiles::append(const std::string& file, const std::string& line, const std::string& writer,
                      const std::string& sample, const std::string& header) {
    try {
        sink_.appendLine(file, line, header);
    } catch (const std::ios_base::failure&) {
        reporter_.message(writeErrorMessage(base_, writer, sample));
        throw;
    }
}

std::string revResultsHeader(const PerPhase<bool>& withModel, const PresentElements& present) {
    std::vector<std::size_t> minerals;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        if (withModel[i]) minerals.push_back(i);
    std::string h = compositionHeader(present, "_melt,");
    h += "Temperature,";
    for (std::size_t i : minerals)
        h += "Temperature_" + label(i) + ",";
    for (std::size_t i : minerals) {
        h += label(i) + "_" + compositionLabel(i) + ",";
        if (i == 1) h += "Olv_Kd,";
    }
    h += "Pressure(kbar),Lg(fO2),dNNO,density,Ln(viscosity),";
    h += "Starting_melt_%,";
    for (std::size_t i : minerals)
        h += label(i) + "_%,";
    h += "Fluid_%,Sample";
    return h;
}

}  // namespace varnodel
