#include "io/MlaFiles.h"

#include <filesystem>

#include "core/Calculations.h"
#include "core/Constants.h"
#include "core/NumberFormat.h"
#include "io/OutputFiles.h"
#include "io/ReportLines.h"

namespace varnodel {

namespace {

constexpr double kCelsius = kCelsiusOffset;

std::string abbreviation(Phase mineral) {
    return std::string(phaseInfo(mineral).abbreviation);
}

// A mineral as the models write it (oxides and H2O in wt%, traces in wt%) in the units of the
// result tables.
WeightComposition weightOfMineral(const TAnalysis& mineral) {
    WeightComposition c;
    c.oxides = mineral.oxides;
    c.h2o = mineral.volatile_.value;
    for (std::size_t i = 0; i < kTraceCount; ++i)
        c.tracesPpm[i] = mineral.traces[i].value * 10000.0;
    c.notDetermined = mineral.notDetermined;
    return c;
}

}  // namespace

MlaFiles::MlaFiles(std::string base, PresentElements present, RunReporter& reporter,
                   OutputSink& sink)
    : base_(std::move(base)), present_(std::move(present)), reporter_(reporter), sink_(sink) {}

void MlaFiles::startingComposition(const std::string& sample, const TAnalysis& melt) {
    reporter_.logLine("");
    reporter_.logLine(sample);
    reporter_.logLine(std::string(9, ' ') + labelLine(present_));
    reporter_.logLine(std::string(9, ' ') +
                      valueLine(WeightComposition::fromMolar(melt), present_));
}

void MlaFiles::mineralRow(const MlaMineralRow& row) {
    const std::string file = base_ + "_" + abbreviation(row.mineral) + ".csv";
    append(file, mlaMineralFileRow(row, present_), row.sample,
           calculationInfo(Calculation::MLA).mineralWriter,
           mlaMineralHeader(row.mineral, present_));
}

void MlaFiles::resultRow(const MlaResultRow& row) {
    append(base_ + ".csv", mlaResultsRow(row, present_), row.sample,
           calculationInfo(Calculation::MLA).resultsWriter);
}

void MlaFiles::append(const std::string& file, const std::string& line, const std::string& sample,
                      std::string_view writer, const std::string& header) {
    try {
        sink_.appendLine(file, line, header);
    } catch (const std::ios_base::failure&) {
        reporter_.message(writeErrorMessage(base_, std::string(writer), sample));
        throw;
    }
}

std::string mlaResultsHeader(const ModelRegistry& registry, const MlaModels& models,
                             const PresentElements& present) {
    std::string header = compositionHeader(present, ",") + "P(kbar),log(fO2),Pcalc,H2Ocalc,";
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        const auto mineral = static_cast<Phase>(i);
        const std::string label = trimmedRight(phaseInfo(mineral).compositionLabel);
        for (const TModel* model : mlaModelsOf(registry, models, mineral))
            header += csvField("T " + model->shortName) + "," +
                      csvField(label + " " + model->shortName) + ",";
    }
    return header + "Sample";
}

std::string mlaMineralHeader(Phase mineral, const PresentElements& present) {
    return compositionHeader(present, ",") + "T (C)," +
           std::string(phaseInfo(mineral).compositionLabel) + ",Model," + "Sample";
}

std::string mlaResultsRow(const MlaResultRow& row, const PresentElements& present) {
    const WeightComposition c = WeightComposition::fromMolar(row.melt);
    std::string text;
    for (std::size_t k = 0; k < kOxideCount; ++k)
        text += c.notDetermined[k] ? "-1.00," : fixedField(c.oxides[k], 7, 4) + ",";
    if (present.h2o) text += row.h2oNotDetermined ? "-1," : fixedField(c.h2o, 7, 4) + ",";
    for (std::size_t index : present.traces)
        text += fixedField(c.tracesPpm[index - 1], 5, present.traceDecimals) + ",";
    text += fixedField(row.pressureBar / 1000.0, 7, 3) + ",";
    text += csvField(row.oxygen) + ",";
    text += fixedField(row.estimatedPressure, 7, 3) + ",";
    text +=
        row.estimatedH2O < 0.0 ? "-1," : fixedField(row.estimatedH2O * kVolatileMass, 7, 4) + ",";
    for (const MlaModelResult& m : row.models) {
        text += m.failed
                    ? "-1,-1,"
                    : fixedText(m.T - kCelsius, 5, 2) + "," + fixedText(m.X * 100.0, 5, 2) + ",";
    }
    return text + csvField(row.sample);
}

std::string mlaMineralFileRow(const MlaMineralRow& row, const PresentElements& present) {
    return compositionFields(weightOfMineral(row.composition), present) +
           fixedField(row.T - kCelsius, 6, 1) + "," + fixedField(row.X, 7, 4) + "," +
           csvField(abbreviation(row.mineral) + "-" + row.model->shortName) + "," +
           csvField(row.sample);
}

std::vector<std::string> mlaParameterLines(const RunSettings& settings,
                                           const ModelRegistry& registry, const MlaModels& models,
                                           double pressureKbar, bool meltHasH2O) {
    const TParameters& p = settings.parameters;
    std::vector<std::string> lines{"Estimation of Melt liquidus assemblage",
                                   "Minerals and models chosen for calculations are:"};
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        const auto mineral = static_cast<Phase>(i);
        const std::vector<TModel*> chosen = mlaModelsOf(registry, models, mineral);
        if (chosen.empty()) continue;
        std::string line = "   " + registry.mineralSet(mineral).displayName + ": ";
        for (std::size_t k = 0; k < chosen.size(); ++k)
            line += (k == 0 ? "" : ", ") + chosen[k]->displayName;
        lines.push_back(line);
    }
    for (std::size_t i = 1; i < kPhaseCount; ++i) {
        const auto mineral = static_cast<Phase>(i);
        if (mlaModelsOf(registry, models, mineral).empty()) continue;
        const TMineralOptions& o = settings.minerals[i];
        if (o.h2oCorrection) lines.push_back(h2oCorrectionLine(abbreviation(mineral), o));
        if (o.pressureCorrection) lines.push_back(pressureCorrectionLine(abbreviation(mineral), o));
    }

    lines.push_back(oxidationMethodLine(p));
    if (p.bufferMode) {
        if (!isFe3FreeBuffer(p.bufferModel)) {
            const TModel* model = registry.oxidationModels().getByNameShort(p.oxidationModel);
            lines.push_back("  following the model of " +
                            (model != nullptr ? model->displayName : p.oxidationModel));
        }
        if (p.bufferOffset != 0.0)
            lines.push_back("    deviation from the buffer equals " +
                            shortestGeneral(p.bufferOffset) + " log units");
    }
    lines.push_back("Pressure = " + shortestGeneral(pressureKbar) + " kbar");
    std::vector<MineralModel> evaluated;
    for (std::size_t i = 1; i < kPhaseCount; ++i)
        for (const TModel* model : mlaModelsOf(registry, models, static_cast<Phase>(i)))
            evaluated.push_back({i, model});
    const auto warning = h2oWarningLines(settings, evaluated, meltHasH2O);
    lines.insert(lines.end(), warning.begin(), warning.end());
    return lines;
}

void writeMlaParameterReport(const std::string& base, RunReporter& reporter, OutputSink& sink,
                             const RunSettings& settings, const ModelRegistry& registry,
                             const MlaModels& models, double pressureKbar, bool meltHasH2O) {
    ReportFile report(base + "_calc_param.csv", reporter, sink);
    for (const std::string& line :
         mlaParameterLines(settings, registry, models, pressureKbar, meltHasH2O))
        report.line(line);
}

}  // namespace varnodel
