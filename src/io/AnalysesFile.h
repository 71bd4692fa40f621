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
    bool h2oPresent = false;
    std::vector<std::size_t> presentTraces;  // trace indices 1-37, in the order of the header
    char separator = '\0';
    bool stopFromFile = false;  // some analysis carries stop targets
};

// The elements present in the data, as the run's list of active elements.
ActiveElements activeElements(const AnalysesData& data);

// Reads the rows of an opened data file; log lines go to `reporter`. `tabCaption` names the
// calculation in the closing line ("Assemblage for ... loaded successfuly").
AnalysesData readAnalyses(std::istream& in, const std::string& fileName,
                          const std::string& tabCaption, RunReporter& reporter);

// Opens and reads a data file. A file that exists but cannot be read is a message box; a file
// that does not exist gives an empty list and the not-compatible lines.
AnalysesData loadAnalysesFile(const std::filesystem::path& path, const std::string& tabCaption,
                              RunReporter& reporter);

}  // namespace varnodel
