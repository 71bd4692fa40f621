// The files of a run: the base name, the deletion of the previous run's files, the results
// table and the parameter report.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/Parameters.h"
#include "core/RunReporter.h"
#include "io/OutputSink.h"

namespace varnodel {

// Output folder + output name + the calculation's suffix ("_FRAC", "_REV", "_MLA", "_IRL", ...).
std::string baseName(const TOptions& options, std::string_view suffix);

// The result files of `base`: every entry but a folder of the base's folder named base +
// anything + ".csv" (links and special files too: a reader checks what it opens), in the order
// the directory listing gives.
// Empty when the folder does not exist.
std::vector<std::filesystem::path> resultFiles(const std::string& base);

// Deletes every result file of `base` (resultFiles), so that the previous
// run of the same calculation under the same name disappears. `keep` (the data file being read)
// is never deleted: when it matches, nothing is deleted and EInputError names it. A file that
// cannot be deleted throws std::filesystem::filesystem_error.
void deleteOldResults(const std::string& base, const std::filesystem::path& keep = {});

// Whether deleteOldResults(base) would delete `file` (whether or not it exists yet): it lies
// in the base's folder and is named base + anything + ".csv".
bool isOldResult(const std::string& base, const std::filesystem::path& file);

// Appends one whole line (the row, without its line break) to a text file, creating it when
// missing. Throws std::ios_base::failure when the file cannot be opened or written.
void appendLine(const std::filesystem::path& file, const std::string& line);

// The message of a row that could not be written: `writer` names the writing routine
// ("Fr.PrintFileForExport", ...), `sample` the record it wrote for.
std::string writeErrorMessage(const std::string& base, const std::string& writer,
                              const std::string& sample);

// The parameter report (base + "_calc_param.csv"): each line goes to the file and to the log.
class ReportFile {
  public:
    // Creates (or empties) the file; a sink that writes at once throws std::ios_base::failure
    // when it cannot.
    ReportFile(const std::filesystem::path& file, RunReporter& reporter, OutputSink& sink);
    void line(const std::string& text);

  private:
    std::filesystem::path file_;
    RunReporter& reporter_;
    OutputSink& sink_;
};

}  // namespace varnodel
