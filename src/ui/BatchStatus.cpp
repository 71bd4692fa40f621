#include "ui/BatchStatus.h"

#include <algorithm>

namespace varnodel {

AnalysisStatus runNamed(const TAssemblage& sample,
                        const std::function<AnalysisOutcome(RunReporter&)>& run,
                        RunReporter& target) {
    SampleReporter reporter(target, sample.name);
    AnalysisStatus status{sample.line, sample.name, run(reporter)};
    if (status.outcome.reason.empty()) status.outcome.reason = reporter.shown();
    return status;
}

std::vector<AnalysisStatus> batchStatuses(const std::vector<TAssemblage>& samples,
                                          const std::vector<AnalysisStatus>& ran,
                                          const std::vector<RejectedRow>& rejected,
                                          const std::string& notRunReason) {
    std::vector<AnalysisStatus> rows = ran;
    for (std::size_t k = ran.size(); k < samples.size(); ++k) {
        AnalysisStatus status{samples[k].line, samples[k].name, {}};
        status.outcome.kind = OutcomeKind::Interrupted;
        status.outcome.reason = notRunReason;
        rows.push_back(std::move(status));
    }
    for (const RejectedRow& row : rejected) {
        AnalysisStatus status{row.line, row.name, {}};
        status.outcome.kind = OutcomeKind::Rejected;
        status.outcome.reason = row.reason;
        rows.push_back(std::move(status));
    }
    std::stable_sort(
        rows.begin(), rows.end(),
        [](const AnalysisStatus& a, const AnalysisStatus& b) { return a.line < b.line; });
    return rows;
}

namespace {

// "0:34", "13:41", "2:05:09".
std::string duration(double seconds) {
    const auto total = static_cast<long long>(std::max(0.0, seconds) + 0.5);
    const long long h = total / 3600, m = total / 60 % 60, s = total % 60;
    const auto two = [](long long v) { return (v < 10 ? "0" : "") + std::to_string(v); };
    return h > 0 ? std::to_string(h) + ":" + two(m) + ":" + two(s)
                 : std::to_string(m) + ":" + two(s);
}

}  // namespace

std::string progressText(int done, int total, double elapsedSeconds, const std::string& name) {
    std::string text = "[" + std::to_string(done) + "/" + std::to_string(total) + "] " + name +
                       " - " + duration(elapsedSeconds) + " elapsed";
    if (done > 0 && done < total)
        text += ", about " + duration(elapsedSeconds / done * (total - done)) + " left";
    return text;
}

}  // namespace varnodel
