// What the dispatcher keeps of each analysis of a batch: its run through a reporter that names
// the sample in every diagnostics line and keeps the texts it showed, and the batch's rows of
// the status file, the data file's rejected rows and the analyses that never ran included.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/Assemblage.h"
#include "core/RunReporter.h"
#include "io/StatusFile.h"

namespace varnodel {

// Passes everything on to `target`; diagnostics lines start with the sample's name, and the
// texts shown in message boxes are kept as the reason of an outcome that has none.
class SampleReporter : public RunReporter {
  public:
    SampleReporter(RunReporter& target, std::string sample)
        : target_(target), sample_(std::move(sample)) {}
    void logLine(const std::string& line) override { target_.logLine(line); }
    void debugLine(const std::string& line) override { target_.debugLine(sample_ + ": " + line); }
    void message(const std::string& text) override {
        shown_ += (shown_.empty() ? "" : " ") + text;
        target_.message(text);
    }
    const std::string& shown() const { return shown_; }

  private:
    RunReporter& target_;
    std::string sample_;
    std::string shown_;
};

// Runs one analysis with a SampleReporter over `target`.
AnalysisStatus runNamed(const TAssemblage& sample,
                        const std::function<AnalysisOutcome(RunReporter&)>& run,
                        RunReporter& target);

// The status rows of a batch in the data file's line order: `ran` for the first analyses of
// `samples` (in order), "interrupted" for the ones after them, which never ran, and the
// rejected rows.
std::vector<AnalysisStatus> batchStatuses(const std::vector<TAssemblage>& samples,
                                          const std::vector<AnalysisStatus>& ran,
                                          const std::vector<RejectedRow>& rejected,
                                          const std::string& notRunReason);

// The progress line of a batch: "[12/500] VG-2 - 0:34 elapsed, about 13:41 left" when `done`
// analyses of `total` took `elapsedSeconds` and the one named `name` is next; no estimate
// before the first has ended.
std::string progressText(int done, int total, double elapsedSeconds, const std::string& name);

}  // namespace varnodel
