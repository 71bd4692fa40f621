#include "io/WorkbookExport.h"

#include <unistd.h>
#include <xlsxwriter.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <set>
#include <system_error>

#include "core/NumberFormat.h"
#include "io/CsvRecords.h"
#include "io/InputFile.h"
#include "io/OutputFiles.h"

namespace varnodel {

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kSheetNameMax = LXW_SHEETNAME_MAX;
constexpr std::size_t kCellTextMax = 32767;  // characters in one cell
constexpr double kMaxColumnWidth = 80.0;

using Field = CsvField;
using Record = CsvRecord;

bool isUtf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const std::size_t n = c < 0x80         ? 1
                              : (c >> 5) == 6  ? 2
                              : (c >> 4) == 14 ? 3
                              : (c >> 3) == 30 ? 4
                                               : 0;
        if (n == 0 || i + n > s.size()) return false;
        for (std::size_t k = 1; k < n; ++k)
            if ((static_cast<unsigned char>(s[i + k]) >> 6) != 2) return false;
        i += n;
    }
    return true;
}

// A workbook holds UTF-8 only; text that is not (files from older programs, in Latin-1) is read
// as Latin-1 rather than written as bytes that would make the whole workbook unreadable.
std::string asUtf8(std::string s) {
    if (isUtf8(s)) return s;
    std::string out;
    for (const char ch : s) {
        const auto c = static_cast<unsigned char>(ch);
        if (c < 0x80) {
            out += ch;
        } else {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::size_t codePoints(std::string_view s) {
    return static_cast<std::size_t>(std::count_if(
        s.begin(), s.end(), [](char c) { return (static_cast<unsigned char>(c) >> 6) != 2; }));
}

std::string firstCodePoints(const std::string& s, std::size_t count) {
    std::size_t seen = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        if ((static_cast<unsigned char>(s[i]) >> 6) != 2 && seen++ == count) return s.substr(0, i);
    }
    return s;
}

// A field is a number when it reads as one and the workbook gives back exactly that number (the
// workbook keeps 16 significant digits; a longer field stays text and keeps every digit).
bool numberOf(const Field& field, double& value) {
    if (field.quoted || !parseNumber(field.text, value)) return false;
    char stored[40];
    std::snprintf(stored, sizeof stored, "%.16G", value);
    return std::strtod(stored, nullptr) == value;
}

struct Sheet {
    std::vector<Record> records;
    std::vector<double> widths;
};

// Reads one file whole; an empty text says why it cannot become a sheet.
std::string readSheet(const fs::path& file, Sheet& sheet) {
    try {
        sheet.records = csvRecords(readInputFile(file, kMaxDataFileSize, "the result file"));
    } catch (const EInputError& e) {
        return e.what();
    }
    if (sheet.records.size() > LXW_ROW_MAX)
        return "more than " + std::to_string(LXW_ROW_MAX) + " rows";
    for (auto& record : sheet.records) {
        if (record.size() > LXW_COL_MAX)
            return "more than " + std::to_string(LXW_COL_MAX) + " columns";
        if (sheet.widths.size() < record.size())
            sheet.widths.resize(record.size(), LXW_DEF_COL_WIDTH);
        for (std::size_t c = 0; c < record.size(); ++c) {
            Field& f = record[c];
            f.text = asUtf8(std::move(f.text));
            const std::size_t length = codePoints(f.text);
            if (length > kCellTextMax)
                return "a field longer than " + std::to_string(kCellTextMax) + " characters";
            sheet.widths[c] = std::max(
                sheet.widths[c], std::min(kMaxColumnWidth, static_cast<double>(length) + 2.0));
        }
    }
    return {};
}

std::string lowerAscii(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string cleanSheetName(std::string name) {
    name = asUtf8(std::move(name));
    for (char& c : name)
        if (std::strchr("[]:*?/\\", c) != nullptr && c != '\0') c = '_';
    while (!name.empty() && name.front() == '\'')
        name.erase(name.begin());
    name = firstCodePoints(name, kSheetNameMax);
    while (!name.empty() && name.back() == '\'')
        name.pop_back();
    return name;
}

struct WorkbookCloser {
    void operator()(lxw_workbook* w) const {
        if (w != nullptr) workbook_close(w);
    }
};

// The half-made workbook goes, whatever ends the export, unless it became the workbook.
struct PartFile {
    fs::path path;
    ~PartFile() {
        std::error_code ignored;
        if (!path.empty()) fs::remove(path, ignored);
    }
};

}  // namespace

std::vector<std::string> worksheetNames(const std::string& baseStem,
                                        const std::vector<std::string>& fileNames) {
    std::vector<std::string> names;
    std::set<std::string> taken{"history"};  // a name the spreadsheet programs keep for themselves
    const auto take = [&](const std::string& name) {
        if (name.empty() || !taken.insert(lowerAscii(name)).second) return false;
        names.push_back(name);
        return true;
    };
    for (const std::string& fileName : fileNames) {
        std::string stem =
            fileName.substr(0, fileName.size() - std::min<std::size_t>(4, fileName.size()));
        std::string tail =
            stem.compare(0, baseStem.size(), baseStem) == 0 ? stem.substr(baseStem.size()) : stem;
        while (!tail.empty() && tail.front() == '_')
            tail.erase(tail.begin());
        if (!tail.empty() && take(cleanSheetName(tail))) continue;
        const std::string whole = cleanSheetName(stem);
        if (take(whole)) continue;
        for (int n = 2;; ++n) {
            const std::string mark = "~" + std::to_string(n);
            if (take(firstCodePoints(whole.empty() ? "Sheet" : whole, kSheetNameMax - mark.size()) +
                     mark))
                break;
        }
    }
    return names;
}

fs::path defaultWorkbookPath(const std::string& base) {
    return fs::path(base + ".xlsx");
}

WorkbookExport exportWorkbook(const std::string& base, const fs::path& workbook) {
    WorkbookExport result;
    result.files = resultFiles(base);
    std::sort(result.files.begin(), result.files.end(),
              [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
    if (result.files.empty()) throw EInputError("No result files " + base + "*.csv to export");
    const fs::path target = workbook.empty() ? defaultWorkbookPath(base) : workbook;
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    std::error_code ec;
    if (!fs::is_directory(folder, ec) || ::access(folder.c_str(), W_OK) != 0)
        throw EWorkbookError("Cannot write the workbook " + target.string() + ": the folder " +
                             folder.string() + " is missing or read-only");

    std::vector<std::string> fileNames;
    for (const auto& f : result.files)
        fileNames.push_back(f.filename().string());
    const std::vector<std::string> sheetNames =
        worksheetNames(fs::path(base).filename().string(), fileNames);

    // Written under a name of its own and renamed at the end, so that the workbook a reader
    // finds (or an older one) is always whole.
    PartFile part{target.string() + "." + std::to_string(::getpid()) + ".part"};
    // Rows go out as they are written: a long run's table needs no more memory than one row.
    lxw_workbook_options options{};
    options.constant_memory = LXW_TRUE;
    std::unique_ptr<lxw_workbook, WorkbookCloser> book(
        workbook_new_opt(part.path.string().c_str(), &options));
    if (!book) throw EWorkbookError("Cannot create the workbook " + target.string());
    lxw_format* bold = workbook_add_format(book.get());
    format_set_bold(bold);

    std::size_t written = 0;
    for (; written < result.files.size(); ++written) {
        Sheet sheet;
        if (const std::string why = readSheet(result.files[written], sheet); !why.empty()) {
            result.failure = "Cannot export " + result.files[written].string() + ": " + why;
            break;
        }
        lxw_worksheet* ws = workbook_add_worksheet(book.get(), sheetNames[written].c_str());
        if (ws == nullptr) throw EWorkbookError("Cannot add the sheet " + sheetNames[written]);
        worksheet_freeze_panes(ws, 1, 0);
        for (std::size_t c = 0; c < sheet.widths.size(); ++c)
            worksheet_set_column(ws, static_cast<lxw_col_t>(c), static_cast<lxw_col_t>(c),
                                 sheet.widths[c], nullptr);
        for (std::size_t r = 0; r < sheet.records.size(); ++r) {
            lxw_format* format = r == 0 ? bold : nullptr;
            const Record& record = sheet.records[r];
            for (std::size_t c = 0; c < record.size(); ++c) {
                const Field& f = record[c];
                const auto row = static_cast<lxw_row_t>(r);
                const auto col = static_cast<lxw_col_t>(c);
                double value = 0.0;
                lxw_error error = LXW_NO_ERROR;
                if (numberOf(f, value))
                    error = worksheet_write_number(ws, row, col, value, format);
                else if (!f.text.empty())
                    error = worksheet_write_string(ws, row, col, f.text.c_str(), format);
                if (error != LXW_NO_ERROR)
                    throw EWorkbookError("Cannot write " + result.files[written].string() +
                                         " into the workbook: " + lxw_strerror(error));
            }
        }
    }
    result.files.resize(written);
    result.sheets.assign(sheetNames.begin(), sheetNames.begin() + static_cast<long>(written));
    if (written == 0) return result;  // nothing to keep: any older workbook stays as it was

    const lxw_error closed = workbook_close(book.release());
    if (closed == LXW_NO_ERROR) fs::rename(part.path, target, ec);
    if (closed != LXW_NO_ERROR || ec) {
        throw EWorkbookError(
            "Cannot write the workbook " + target.string() + ": " +
            (closed != LXW_NO_ERROR ? std::string(lxw_strerror(closed)) : ec.message()));
    }
    part.path.clear();
    result.workbook = target;
    return result;
}

}  // namespace varnodel
