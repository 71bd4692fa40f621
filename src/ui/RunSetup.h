// What a front end does to a run before it starts the dispatcher: where the results go, which
// files they must spare, the data file loaded into the run state and the analysis chosen from
// it. Shared by the command line and the windows; no toolkit and no option parser in here.
#pragma once

#include <cstddef>
#include <filesystem>
#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/Calculations.h"
#include "core/RunReporter.h"
#include "engines/MLA.h"
#include "io/CompositionText.h"
#include "models/RunState.h"

namespace varnodel {

// Points the output at `target`, as "File for output..." does: its folder and its name without
// extension; a folder alone (an existing one, or a path ending in a separator) keeps the
// default name. A folder that does not exist or a path that names no file throws EInputError
// and leaves `options` as they were.
void chooseOutput(TOptions& options, const std::filesystem::path& target);

// Why the run with result files `base` may not touch `file`: "is the data file" (or whatever
// role goes with an entry of `others` that is the same file), "would be deleted as an old
// result of <base>.csv" (not asked with an empty base: a run that deletes nothing), or empty
// when the file is safe.
std::string overwriteClash(
    const std::filesystem::path& file, const std::string& base,
    std::initializer_list<std::pair<std::filesystem::path, std::string_view>> others = {});

struct DataFileLoad {
    std::string error;                  // empty when the analyses were loaded
    std::vector<std::string> warnings;  // what the reader made of the file, one per line
    std::size_t readingWarnings = 0;    // of the reader's: fields not read as written and the like
    PresentElements present;            // the elements the file carries
    bool ok() const { return error.empty(); }
};

// Loads the analyses of a data file into the run state for `calculation` (whose tab the log
// lines name): the list of analyses, the elements present and whether stop values come from
// the file; the whole file is chosen. A file that cannot be used leaves the state as it was and
// says why in `error` (one or more lines).
DataFileLoad loadDataFile(RunState& state, const std::filesystem::path& file,
                          Calculation calculation, RunReporter& reporter);
// The same for the text of a data file that `name` stands for (in the lines of the log and the
// error texts), e.g. a table handed over by another program.
DataFileLoad loadDataText(RunState& state, const std::string& text, const std::string& name,
                          Calculation calculation, RunReporter& reporter);

// Makes analysis `position` (1-based) of the loaded list the current composition, at the
// window's pressure, for a run of that analysis alone. False, and nothing changed, when the list
// holds fewer analyses.
bool chooseAnalysis(RunState& state, std::size_t position);

// The starting melt of a diffusion-profile run: analysis `position` of the loaded data file when
// `fromDataFile` (the first for 0), else the profile composition when one is set, else the
// current composition. With "Load last result" on, the inclusion radius and the melt of
// "LAST_RES.DAT" in the output folder, as the window's tick box takes them. Returns why that
// file cannot be used, or empty.
std::string chooseProfileStart(RunState& state, bool fromDataFile, std::size_t position);

// The position (1-based) of the loaded analysis named `name`; when none or several have that
// name, `error` says so (naming the lines of the several).
struct AnalysisLookup {
    std::size_t position = 0;
    std::string error;
};
AnalysisLookup analysisNamed(const RunState& state, const std::string& name);

// The warnings a run of `calculation` deserves before it starts, one sentence each, naming the
// analyses concerned: melts with H2O that a chosen model leaves out of its liquidus with no
// correction for it set. (`mla`: the models the liquidus association evaluates.)
std::vector<std::string> h2oRunWarnings(Calculation calculation, const RunState& state,
                                        const MlaModels& mla);

}  // namespace varnodel
