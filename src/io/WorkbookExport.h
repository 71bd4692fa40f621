// The result files of one run gathered into one spreadsheet workbook (.xlsx), one worksheet per
// file, for the user to open in any spreadsheet program.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "core/Errors.h"

namespace varnodel {

// The workbook could not be written (folder missing or read-only, disk full, ...).
class EWorkbookError : public EVarnodelError {
  public:
    using EVarnodelError::EVarnodelError;
};

struct WorkbookExport {
    std::filesystem::path workbook;            // empty when nothing could be written
    std::vector<std::filesystem::path> files;  // the files that became sheets, in sheet order
    std::vector<std::string> sheets;           // their sheet names
    std::string failure;  // the file that could not be read and why; empty when all were
};

// The default place of the workbook: base + ".xlsx".
std::filesystem::path defaultWorkbookPath(const std::string& base);

// Writes every file of the base's folder named base + anything + ".csv", in name order, as one
// worksheet each, into `workbook` (defaultWorkbookPath when empty), replacing an older one. The
// workbook appears whole or not at all. A file that cannot be read ends the export there: the
// sheets before it are written and `failure` names it. Throws EInputError when no file
// matches, EWorkbookError when the workbook cannot be written.
WorkbookExport exportWorkbook(const std::string& base, const std::filesystem::path& workbook = {});

// The sheet names of files named base stem + tail + ".csv": each tail without its leading "_",
// the stem itself for the file without a tail, the whole file name where the tail is taken or
// unusable; at most 31 characters, unique whatever the case, none of []:*?/\ in them.
std::vector<std::string> worksheetNames(const std::string& baseStem,
                                        const std::vector<std::string>& fileNames);

}  // namespace varnodel
