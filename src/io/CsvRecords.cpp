#include "io/CsvRecords.h"

namespace varnodel {

std::vector<CsvRecord> csvRecords(const std::string& text) {
    std::vector<CsvRecord> records;
    CsvRecord record;
    CsvField field;
    bool inQuotes = false;
    const auto endField = [&] {
        record.push_back(std::move(field));
        field = CsvField{};
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inQuotes) {
            if (c != '"') {
                field.text += c;
            } else if (i + 1 < text.size() && text[i + 1] == '"') {
                field.text += '"';
                ++i;
            } else {
                inQuotes = false;
            }
        } else if (c == '"' && field.text.empty() && !field.quoted) {
            inQuotes = field.quoted = true;
        } else if (c == ',') {
            endField();
        } else if (c == '\n' || (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            if (c == '\r') ++i;
            endField();
            records.push_back(std::move(record));
            record.clear();
        } else {
            field.text += c;
        }
    }
    if (!field.text.empty() || field.quoted || !record.empty()) {
        endField();
        records.push_back(std::move(record));
    }
    return records;
}

}  // namespace varnodel
