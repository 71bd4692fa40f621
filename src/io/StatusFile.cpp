#include "io/StatusFile.h"

namespace varnodel {

std::string_view outcomeText(OutcomeKind kind) {
    switch (kind) {
        case OutcomeKind::Completed:
            return "completed";
        case OutcomeKind::StopCondition:
            return "stopped by its stop condition";
        case OutcomeKind::NoMineralsLeft:
            return "ended: no minerals left";
        case OutcomeKind::ModelFailure:
            return "ended: model failure";
        case OutcomeKind::Error:
            return "ended: error";
        case OutcomeKind::Rejected:
            return "rejected row";
        case OutcomeKind::Interrupted:
            return "interrupted";
    }
    return "ended: error";
}

std::string csvQuoted(std::string_view text) {
    const bool quote = text.find_first_of(",\"\r\n") != std::string_view::npos ||
                       (!text.empty() && (text.front() == ' ' || text.back() == ' '));
    if (!quote) return std::string(text);
    std::string field = "\"";
    for (char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + "\"";
}

namespace {

// A reason on one line: the texts a run showed may hold line breaks.
std::string oneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    return text;
}

}  // namespace

std::string statusRow(const AnalysisStatus& status) {
    std::string minerals;
    for (const MineralExit& exit : status.outcome.mineralsLeft)
        minerals += (minerals.empty() ? "" : "; ") + exit.mineral + ": " + exit.why;
    return (status.line > 0 ? std::to_string(status.line) : std::string()) + "," +
           csvQuoted(status.name) + "," + std::string(outcomeText(status.outcome.kind)) + "," +
           csvQuoted(oneLine(status.outcome.reason)) + "," + csvQuoted(oneLine(minerals)) + "," +
           std::to_string(status.outcome.printedSteps);
}

void writeStatusFile(OutputSink& sink, const std::string& file,
                     const std::vector<AnalysisStatus>& statuses) {
    sink.createFile(file);
    sink.appendLine(file, std::string(kStatusHeader));
    for (const AnalysisStatus& status : statuses)
        sink.appendLine(file, statusRow(status));
}

std::string batchSummary(const std::vector<AnalysisStatus>& statuses) {
    int completed = 0, early = 0, rejected = 0, interrupted = 0;
    for (const AnalysisStatus& status : statuses) {
        const OutcomeKind kind = status.outcome.kind;
        if (kind == OutcomeKind::Completed || kind == OutcomeKind::StopCondition) ++completed;
        if (status.outcome.endedEarly()) ++early;
        if (kind == OutcomeKind::Rejected) ++rejected;
        if (kind == OutcomeKind::Interrupted) ++interrupted;
    }
    std::string text = std::to_string(completed) + " completed";
    if (early > 0) text += ", " + std::to_string(early) + " ended early";
    if (rejected > 0)
        text += ", " + std::to_string(rejected) + (rejected == 1 ? " row" : " rows") + " rejected";
    if (interrupted > 0) text += ", " + std::to_string(interrupted) + " interrupted";
    return text;
}

}  // namespace varnodel
