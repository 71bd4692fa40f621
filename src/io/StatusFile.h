// The status file of a batch (base + "_status.csv"): one row per analysis of the data file,
// rejected rows included, saying how its run ended; and the one-line summary of the batch.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "engines/AnalysisOutcome.h"
#include "io/OutputSink.h"

namespace varnodel {

struct AnalysisStatus {
    int line = 0;  // of the data file; 0 for a composition that came from no file
    std::string name;
    AnalysisOutcome outcome;
};

// "completed", "stopped by its stop condition", "ended: no minerals left", ...
std::string_view outcomeText(OutcomeKind kind);

// A field by the usual CSV rule: quoted (inner quotes doubled) when it holds a comma, a quote
// or a line break, or starts or ends with a blank; as it is otherwise.
std::string csvQuoted(std::string_view text);

inline constexpr std::string_view kStatusHeader =
    "Line,Sample,Outcome,Reason,Minerals left,Printed steps";

std::string statusRow(const AnalysisStatus& status);

// Writes the header and the rows to `file` through `sink`, replacing it; a DirectSink throws
// std::ios_base::failure when it cannot be written.
void writeStatusFile(OutputSink& sink, const std::string& file,
                     const std::vector<AnalysisStatus>& statuses);

// "489 completed, 6 ended early, 5 rows rejected": the completed always, the others when any;
// runs stopped by their stop condition count as completed.
std::string batchSummary(const std::vector<AnalysisStatus>& statuses);

}  // namespace varnodel
