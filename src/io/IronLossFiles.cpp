#include "io/IronLossFiles.h"

#include "core/NumberFormat.h"
#include "io/OutputFiles.h"
#include "io/ReportLines.h"

namespace varnodel {

namespace {

constexpr double kCelsius = 273.0;

// Fixed notation with one more blank below 10, so that the columns stay aligned.
std::string aligned(double value) {
    return (value < 10.0 ? " " : "") + fixedText(value, 5, 2);
}

const char* minorSetName(OlivineMinorSet set) {
    switch (set) {
        case OlivineMinorSet::Komatiites:
            return "komatiite";
        case OlivineMinorSet::HighCaBoninites:
            return "high-Ca boninite";
        case OlivineMinorSet::MorbBabb:
            return "MORB/BABB";
        case OlivineMinorSet::None:
            break;
    }
    return "all set to 0";
}

}  // namespace

IronLossFiles::IronLossFiles(std::string base, RunReporter& reporter, OutputSink& sink)
    : base_(std::move(base)), reporter_(reporter), sink_(sink) {}

void IronLossFiles::progressHeader() {
    reporter_.logLine(kIronLossProgressHeader);
}

void IronLossFiles::progress(const IronLossProgress& line) {
    reporter_.logLine(ironLossProgressLine(line));
}

void IronLossFiles::resultRow(const IronLossRow& row) {
    try {
        sink_.appendLine(base_ + ".csv", ironLossRow(row));
    } catch (const std::ios_base::failure&) {
        reporter_.message(writeErrorMessage(base_, "IronLoss.PrintFileForExport", row.sample));
        throw;
    }
}

std::string ironLossHeader() {
    std::string header;
    for (const OxideInfo& oxide : kOxides)
        header += std::string(oxide.label) + ",";
    return header + "H2O,T_CALC,T_RUN,FO_CALC,FO_Host,FEO*,FEO_Final,OL_PER,MELT_PER,CORR_COEF," +
           "SAMP_NO,No.";
}

std::string ironLossRow(const IronLossRow& row) {
    std::string text;
    for (double v : row.melt.oxides)
        text += fixedField(v, 6, 3) + ",";
    text += fixedField(row.melt.volatile_.value, 6, 3) + ",";
    text += fixedField(row.T - kCelsius, 4, 0) + ",";
    text += fixedField(row.tRun, 4, 0) + ",";
    text += fixedField(row.foCalc * 100.0, 5, 2) + ",";
    text += fixedField(row.foHost * 100.0, 5, 2) + ",";
    text += fixedField(row.feoTotal, 6, 3) + ",";
    text += fixedField(row.feoTarget, 5, 2) + ",";
    text += fixedField(row.olivineFraction * 100.0, 6, 2) + ",";
    text += fixedField(row.meltFraction * 100.0, 6, 2) + ",";
    text += fixedField(row.corrCoef, 5, 3) + ",";
    return text + csvField(row.sample) + "," + std::to_string(row.number);
}

std::string ironLossProgressLine(const IronLossProgress& p) {
    return fixedText(p.tRun, 6, 1) + " " + fixedText(p.T - kCelsius, 6, 1) + " " +
           aligned(p.meltMgO) + " " + fixedText(p.foHost * 100.0, 5, 2) + " " +
           fixedText(p.foCalc * 100.0, 5, 2) + " " + aligned(p.feoTarget) + " " +
           aligned(p.feoMelt) + "  " + fixedText(p.analysisNumber, 3, 0) + "  " + p.sample;
}

std::vector<std::string> ironLossParameterLines(const RunSettings& settings,
                                                const ModelRegistry& registry,
                                                const TModel& olivineModel, bool withH2O,
                                                bool closedSystemUndefined) {
    const TParameters& p = settings.parameters;
    const TMineralOptions& o = settings.minerals[static_cast<std::size_t>(Phase::Olivine)];
    const std::string olv(phaseInfo(Phase::Olivine).abbreviation);
    std::vector<std::string> lines{
        "", "****************** New calculation ********************",
        "", "Correcting MI in olivine for post-entrapment re-equilibration",
        "", "The model used for " + olv + " is: " + olivineModel.displayName};
    if (const std::string kd = olivineKdLine(p); !kd.empty()) lines.push_back(kd);
    if (o.h2oCorrection) lines.push_back(h2oCorrectionLine(olv, o));
    if (o.pressureCorrection) lines.push_back(pressureCorrectionLine(olv, o));
    lines.push_back(oxidationMethodLine(p));
    if ((p.bufferMode && !isFe3FreeBuffer(p.bufferModel)) || p.closedSystemMode) {
        const TModel* model = registry.oxidationModels().getByNameShort(p.oxidationModel);
        lines.push_back(
            std::string(p.closedSystemMode && closedSystemUndefined ? "   "
                                                                    : "   f(O2) is calculated ") +
            "following the model of " + (model != nullptr ? model->displayName : p.oxidationModel));
    }
    if (p.bufferMode && p.bufferOffset != 0.0)
        lines.push_back("    deviation from the buffer equals " + shortestGeneral(p.bufferOffset) +
                        " log units");
    lines.push_back("Calculation Pressure = 1 atm");
    lines.push_back(std::string("Choice for minor elements in olivine (Ca Mn Cr) is: ") +
                    minorSetName(p.meltInclusions.olivineMinorSet));
    const auto warning = h2oWarningLines(
        settings, {{static_cast<std::size_t>(Phase::Olivine), &olivineModel}}, withH2O);
    lines.insert(lines.end(), warning.begin(), warning.end());
    lines.push_back("");
    return lines;
}

void writeIronLossParameterReport(const std::string& base, RunReporter& reporter, OutputSink& sink,
                                  const std::vector<std::string>& lines) {
    ReportFile report(base + "_calc_param.csv", reporter, sink);
    for (const std::string& line : lines)
        report.line(line);
}

}  // namespace varnodel
