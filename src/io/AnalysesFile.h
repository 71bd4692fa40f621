// The analyses data file: a header of keywords and one analysis per line, separated by a tab,
// ",", ";" or "|" (whichever comes first in the header).
#pragma once

#include <filesystem>
#include <istream>
#include <string>
#include <vector>

#include "core/Assemblage.h"
#include "core/RunReporter.h"

namespace varnodel {

struct AnalysesData {
    std::vector<TAssemblage> analyses;  // each with one phase "melt", in wt% and ppm
    std::vector<RejectedRow> rejected;  // the data rows not read as analyses, in line order
    // Header names of the columns that only some calculations use: the run conditions (T,
    // P KBAR, fO2) and the melt-inclusion data (FO_HOST, FEO_FINAL).
    std::vector<std::string> conditionColumns;
    std::vector<std::string> inclusionColumns;
    bool h2oPresent = false;
    std::vector<std::size_t> presentTraces;  // trace indices 1-37, in the order of the header
    char separator = '\0';
    bool stopFromFile = false;  // some analysis carries stop targets
    // Why no analysis could be read, when the file itself is at fault (empty, not text, no
    // valid header, ...): "file:line: what". Empty when analyses were read.
    std::string problem;
    // Where the reader had to make do, "file:line: what": header columns it does not read or
    // that replace an earlier one, fields that are not plain numbers or lie outside their
    // range, rows with more fields than the header. The values read follow the file rules all
    // the same; these only tell the user what was made of the file.
    std::vector<std::string> warnings;  // the first kMaxKeptWarnings
    std::size_t warningCount = 0;       // all of them
};

inline constexpr std::size_t kMaxKeptWarnings = 20;

// The longest line the reader takes: anything longer is not a table of analyses (a file
// without line ends, binary data) and refuses the file.
inline constexpr std::size_t kMaxDataLine = std::size_t{1} << 20;

// The least amount (wt%) of SiO2, MgO, CaO and FeO + Fe2O3 that makes a row an analysis: far
// below any detection limit, far above the tiny numbers that no analysis reports.
inline constexpr double kLeastReportedAmount = 1e-6;

// The elements present in the data, as the run's list of active elements.
ActiveElements activeElements(const AnalysesData& data);

// Reads the rows of an opened data file; log lines go to `reporter`. `tabCaption` names the
// calculation in the closing line ("Assemblage for ... loaded successfuly"). Lines end with
// "\n", "\r\n" or a lone "\r"; a UTF-8 byte-order mark before the header is dropped.
AnalysesData readAnalyses(std::istream& in, const std::string& fileName,
                          const std::string& tabCaption, RunReporter& reporter);

// Opens and reads a data file. A file that exists but cannot be read is a message box; a file
// that does not exist gives an empty list and the not-compatible lines.
AnalysesData loadAnalysesFile(const std::filesystem::path& path, const std::string& tabCaption,
                              RunReporter& reporter);

}  // namespace varnodel
