// The messages with which every engine ends a run on an error of the numbers or of the
// platform, so that each calculation reports them alike.
#pragma once

#include <exception>
#include <functional>
#include <string>

#include "core/RunContext.h"
#include "core/RunReporter.h"
#include "engines/AnalysisOutcome.h"

namespace varnodel {

// Runs `body` (set-up and steps of a crystallisation, forward or reverse) and ends it as every
// crystallisation ends: a fatal error, no mineral left, an error of the numbers or of the
// platform reported for the analysis `sample`, and a pending error text shown with it.
// `outcome.kind` comes in as what a run that reaches its end is; it leaves as how this one ended.
RunOutcome runCrystallisation(const std::function<RunOutcome()>& body, const std::string& sample,
                              RunContext& context, RunReporter& reporter, AnalysisOutcome& outcome);

// Shows the message of `error` for the analysis `sample` and returns true when it is one of the
// errors every engine reports (a number that is not finite, input/output, memory, an invalid
// index); returns false for any other, which the caller passes on. The run's error text, if
// any, is added to the floating-point message and cleared.
bool reportRunError(std::exception_ptr error, const std::string& sample, RunContext& context,
                    RunReporter& reporter);

}  // namespace varnodel
