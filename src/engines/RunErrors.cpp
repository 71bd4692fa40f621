#include "engines/RunErrors.h"

#include <filesystem>
#include <ios>
#include <new>
#include <stdexcept>

#include "core/Errors.h"

namespace varnodel {

bool reportRunError(std::exception_ptr error, const std::string& sample, RunContext& context,
                    RunReporter& reporter) {
    const std::string memory =
        "A dynamic memory allocation or invalid pointer operation error with " + sample +
        ". Calculation aborted.";
    try {
        std::rethrow_exception(error);
    } catch (const EFloatingPointError& e) {
        reporter.debugLine(e.what());
        std::string text = "A floating point math error with " + sample + ". Calculation aborted.";
        if (!context.errorText.empty()) text += " " + context.errorText;
        context.errorText.clear();
        reporter.message(text);
    } catch (const std::ios_base::failure&) {
        reporter.message("A Input/Output error with " + sample + ". Calculation aborted.");
    } catch (const std::filesystem::filesystem_error&) {
        reporter.message("A Input/Output error with " + sample + ". Calculation aborted.");
    } catch (const std::bad_alloc&) {
        reporter.message(memory);
    } catch (const std::logic_error& e) {
        // An index out of range and the like: the invalid pointer operation of the list.
        reporter.debugLine(e.what());
        reporter.message(memory);
    } catch (...) {
        return false;
    }
    return true;
}

RunOutcome runCrystallisation(const std::function<RunOutcome()>& body, const std::string& sample,
                              RunContext& context, RunReporter& reporter,
                              AnalysisOutcome& outcome) {
    RunOutcome result = RunOutcome::Completed;
    try {
        result = body();
    } catch (const FatalError&) {
        result = RunOutcome::Failed;  // the reason is in the error text, shown below
        outcome.kind = OutcomeKind::ModelFailure;
    } catch (const ENoMineralsLeft& e) {
        reporter.debugLine(e.what());
        reporter.message("No minerals left in calculations with " + sample +
                         ". Calculation aborted.");
        result = RunOutcome::Failed;
        outcome.kind = OutcomeKind::NoMineralsLeft;
    } catch (...) {
        if (!reportRunError(std::current_exception(), sample, context, reporter)) throw;
        result = RunOutcome::Failed;
        outcome.kind = OutcomeKind::Error;
    }
    if (!context.errorText.empty()) {
        reporter.message(context.errorText + ". Analysis " + sample);
        context.errorText.clear();
        if (result != RunOutcome::Failed) outcome.kind = OutcomeKind::ModelFailure;
        result = RunOutcome::Failed;
    }
    if (result == RunOutcome::Interrupted) outcome.kind = OutcomeKind::Interrupted;
    return result;
}

}  // namespace varnodel
