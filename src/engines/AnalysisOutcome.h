// How the run of one analysis ended, in the terms a batch reports it: every engine fills one,
// the dispatcher collects them into the batch's status file and summary.
#pragma once

#include <string>
#include <vector>

namespace varnodel {

enum class RunOutcome {
    Completed,    // reached its stop condition
    Interrupted,  // the user asked it to stop
    Failed,       // ended with an error, reported through the reporter
};

enum class OutcomeKind {
    Completed,       // ran to its end (a calculation without a stop condition)
    StopCondition,   // stopped by its stop condition
    NoMineralsLeft,  // ended: every mineral left the run
    ModelFailure,    // ended: a model could not give what the run needs
    Error,           // ended: an error of the numbers, the files or the platform
    Rejected,        // the data file's row was not read as an analysis
    Interrupted,     // the user stopped the batch during or before it
};

// A mineral that left the run, and why (the line the diagnostics log got).
struct MineralExit {
    std::string mineral;
    std::string why;
};

// The stop targets as a run that reached one names it, in the order both crystallisations test
// them: Fo, temperature, melt MgO, degree of crystallisation, An, the three pyroxene Mg#.
inline constexpr const char* kStopConditionNames[] = {
    "Fo", "temperature",       "melt MgO",          "degree of crystallisation",
    "An", "clinopyroxene Mg#", "orthopyroxene Mg#", "pigeonite Mg#",
};

struct AnalysisOutcome {
    OutcomeKind kind = OutcomeKind::Completed;
    std::string reason;  // empty: the dispatcher takes the texts the run showed
    std::vector<MineralExit> mineralsLeft;
    int printedSteps = 0;

    AnalysisOutcome() = default;
    // The coarse outcome alone, for an engine that fills no more.
    AnalysisOutcome(RunOutcome outcome)  // NOLINT(google-explicit-constructor)
        : kind(outcome == RunOutcome::Completed     ? OutcomeKind::Completed
               : outcome == RunOutcome::Interrupted ? OutcomeKind::Interrupted
                                                    : OutcomeKind::Error) {}

    bool endedEarly() const {
        return kind == OutcomeKind::NoMineralsLeft || kind == OutcomeKind::ModelFailure ||
               kind == OutcomeKind::Error;
    }
    bool failed() const { return endedEarly(); }
};

}  // namespace varnodel
