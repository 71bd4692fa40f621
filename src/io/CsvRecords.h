// Comma-separated records as the result files hold them: a field that opens with a double quote
// runs to the closing one, a doubled quote inside it standing for one (so a name may hold commas
// and quotes), and may span lines. Lines end with LF or CR LF.
#pragma once

#include <string>
#include <vector>

namespace varnodel {

struct CsvField {
    std::string text;
    bool quoted = false;
};
using CsvRecord = std::vector<CsvField>;

std::vector<CsvRecord> csvRecords(const std::string& text);

}  // namespace varnodel
