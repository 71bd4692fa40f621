// The messages with which every engine ends a run on an error of the numbers or of the
// platform, so that each calculation reports them alike.
#pragma once

#include <exception>
#include <string>

#include "core/RunContext.h"
#include "core/RunReporter.h"

namespace varnodel {

// Shows the message of `error` for the analysis `sample` and returns true when it is one of the
// errors every engine reports (a number that is not finite, input/output, memory, an invalid
// index); returns false for any other, which the caller passes on. The run's error text, if
// any, is added to the floating-point message and cleared.
bool reportRunError(std::exception_ptr error, const std::string& sample, RunContext& context,
                    RunReporter& reporter);

}  // namespace varnodel
