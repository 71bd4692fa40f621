#include "io/AnalysesFile.h"

#include "io/InputFile.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <limits>
#include <optional>
#include <string_view>

#include "core/NumberFormat.h"
#include "io/InputFile.h"

namespace varnodel {

namespace {

// Slots of the column map.
constexpr std::size_t kH2OSlot = kOxideCount;                     // 12
constexpr std::size_t kFirstTraceSlot = kH2OSlot + 1;             // 13..49
constexpr std::size_t kNameSlot = kFirstTraceSlot + kTraceCount;  // 50
constexpr std::size_t kRockFeOSlot = kNameSlot + 1;
constexpr std::size_t kHostFoSlot = kRockFeOSlot + 1;
constexpr std::size_t kTemperatureSlot = kHostFoSlot + 1;
constexpr std::size_t kPressureSlot = kTemperatureSlot + 1;
constexpr std::size_t kLgfO2Slot = kPressureSlot + 1;
constexpr std::size_t kFirstStopSlot = kLgfO2Slot + 1;  // 56..63, in the order of the stop kinds
constexpr std::size_t kSlotCount = kFirstStopSlot + kStopKinds;
static_assert(kSlotCount == 64);

using ColumnMap = std::array<int, kSlotCount>;  // 1-based column, 0 = absent

struct Keyword {
    std::string_view text;
    std::size_t slot;
};

// Keywords other than the oxide and element names, after upper-casing and trimming.
constexpr Keyword kKeywords[] = {
    {"FEO*", Ox::FeO},
    {"FEOT", Ox::FeO},
    {"H2O", kH2OSlot},
    {"H2O_MELT", kH2OSlot},
    {"NAME", kNameSlot},
    {"NUMBER", kNameSlot},
    {"SAMPLE", kNameSlot},
    {"ANALYSIS", kNameSlot},
    {"FO_H", kHostFoSlot},
    {"FO_HOST", kHostFoSlot},
    {"FEO_FIN", kRockFeOSlot},
    {"FEO_ROCK", kRockFeOSlot},
    {"FEO_FINAL", kRockFeOSlot},
    {"T C", kTemperatureSlot},
    {"T_C", kTemperatureSlot},
    {"P KBAR", kPressureSlot},
    {"LGFO2", kLgfO2Slot},
    {"LASTFRAC", kFirstStopSlot + Stop::Crystallisation},
    {"LAST_FRAC", kFirstStopSlot + Stop::Crystallisation},
    {"LASTFO", kFirstStopSlot + Stop::Fo},
    {"LAST_FO", kFirstStopSlot + Stop::Fo},
    {"LASTTEMP", kFirstStopSlot + Stop::Temperature},
    {"LAST_TEMP", kFirstStopSlot + Stop::Temperature},
    {"LASTCPX", kFirstStopSlot + Stop::Clinopyroxene},
    {"LAST_CPX", kFirstStopSlot + Stop::Clinopyroxene},
    {"LASTPIG", kFirstStopSlot + Stop::Pigeonite},
    {"LAST_PIG", kFirstStopSlot + Stop::Pigeonite},
    {"LASTAN", kFirstStopSlot + Stop::An},
    {"LAST_AN", kFirstStopSlot + Stop::An},
    {"LASTOPX", kFirstStopSlot + Stop::Orthopyroxene},
    {"LAST_OPX", kFirstStopSlot + Stop::Orthopyroxene},
    {"LASTMGO", kFirstStopSlot + Stop::MeltMgO},
    {"LAST_MGO", kFirstStopSlot + Stop::MeltMgO},
};

struct Range {
    double min;
    double max;
};

Range slotRange(std::size_t slot) {
    if (slot >= kFirstTraceSlot && slot < kNameSlot) return {0.0, 1e6};
    if (slot == kTemperatureSlot) return {0.0, 3500.0};
    // A stop temperature is read with the stop dialog's range: capping it at 100 would
    // silently turn an 1150 degree target into 100 degrees.
    if (slot == kFirstStopSlot + Stop::Temperature) return {0.0, 3000.0};
    if (slot == kLgfO2Slot) return {-100.0, 10.0};
    return {0.0, 100.0};
}

std::string trim(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

std::string upper(std::string text) {
    for (char& c : text)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return text;
}

// Fields by the usual CSV rule, so that what the program writes it reads back: a field that
// starts with a double quote (after blanks) runs to the closing quote, separators inside it
// included, and a doubled quote inside stands for one. Any other field runs to the next separator
// as it is.
std::vector<std::string> split(const std::string& line, char separator) {
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (true) {
        std::string field;
        const auto first = line.find_first_not_of(' ', i);
        if (first != std::string::npos && line[first] == '"') {
            for (i = first + 1; i < line.size(); ++i) {
                if (line[i] != '"') {
                    field.push_back(line[i]);
                } else if (i + 1 < line.size() && line[i + 1] == '"') {
                    field.push_back('"');
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
        }
        const auto end = line.find(separator, i);
        field += line.substr(i, end == std::string::npos ? std::string::npos : end - i);
        fields.push_back(std::move(field));
        if (end == std::string::npos) return fields;
        i = end + 1;
    }
}

std::optional<char> findSeparator(const std::string& header) {
    for (char c : trim(header))
        if (c == '\t' || c == ',' || c == ';' || c == '|') return c;
    return std::nullopt;
}

// The slot a header field names, if any.
std::optional<std::size_t> slotOf(const std::string& field) {
    for (std::size_t i = 0; i < kOxideCount; ++i) {
        const std::string name = upper(trim(kOxides[i].label));
        if (field == name || field == name + "_MELT") return i;
    }
    for (std::size_t i = 0; i < kTraceCount; ++i) {
        const std::string symbol = upper(trim(kTraces[i].name));
        if (field == symbol || field == symbol + "_MELT") return kFirstTraceSlot + i;
    }
    for (const auto& keyword : kKeywords)
        if (field == keyword.text) return keyword.slot;
    return std::nullopt;
}

void logNotCompatible(const std::string& fileName, const std::string& tabCaption,
                      RunReporter& reporter) {
    reporter.logLine(fileName + " is not compatible to " + tabCaption);
    reporter.logLine("Please, see Varnodel manual for details");
}

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

enum class LineEnd { Line, EndOfFile, TooLong, NulByte };

// One line of `in` without its end. "\n", "\r\n" and a lone "\r" (text saved on the classic Mac
// OS, and still by some spreadsheet exports) all end a line. Reading stops at a NUL byte or
// when the line grows past kMaxDataLine, so that binary data or an endless stream is refused
// instead of filling the memory.
LineEnd readLine(std::istream& in, std::string& line) {
    using Traits = std::char_traits<char>;
    line.clear();
    std::streambuf* buffer = in.rdbuf();
    if (buffer == nullptr) return LineEnd::EndOfFile;
    bool any = false;
    for (auto c = buffer->sbumpc(); !Traits::eq_int_type(c, Traits::eof()); c = buffer->sbumpc()) {
        any = true;
        const char ch = Traits::to_char_type(c);
        if (ch == '\n') return LineEnd::Line;
        if (ch == '\r') {
            if (Traits::eq_int_type(buffer->sgetc(), Traits::to_int_type('\n'))) buffer->sbumpc();
            return LineEnd::Line;
        }
        if (ch == '\0') {
            line.push_back(ch);
            return LineEnd::NulByte;
        }
        if (line.size() >= kMaxDataLine) return LineEnd::TooLong;
        line.push_back(ch);
    }
    return any ? LineEnd::Line : LineEnd::EndOfFile;
}

// A text from the file as a warning shows it: at most 40 characters.
std::string shortened(const std::string& text) {
    constexpr std::size_t kShown = 40;
    return text.size() <= kShown ? text : text.substr(0, kShown) + "...";
}

std::string quoted(const std::string& text) {
    return "\"" + shortened(text) + "\"";
}

// What the lenient reading made of a field that is not a plain number inside its range, for
// the warnings; nothing when the field reads as written (an empty field is 0 by the file rules).
std::optional<std::string> readingNote(const std::string& text, double value, Range range) {
    double exact = 0.0;
    if (trim(text).empty()) return std::nullopt;
    if (parseNumber(text, exact)) {
        if (exact == value) return std::nullopt;
        return shortestGeneral(exact) + " is outside " + shortestGeneral(range.min) + " to " +
               shortestGeneral(range.max) + "; " + shortestGeneral(value) + " is used";
    }
    const double read = parseBounded(text, std::numeric_limits<double>::lowest(),
                                     std::numeric_limits<double>::max());
    std::string note = quoted(text) + " is not a number; ";
    if (read == value) return note + shortestGeneral(value) + " is used";
    return note + "it reads as " + shortestGeneral(read) + ", outside " +
           shortestGeneral(range.min) + " to " + shortestGeneral(range.max) + "; " +
           shortestGeneral(value) + " is used";
}

}  // namespace

ActiveElements activeElements(const AnalysesData& data) {
    ActiveElements active;
    active.volatile_ = data.h2oPresent;
    for (std::size_t index : data.presentTraces)
        active.traces[index - 1] = true;
    return active;
}

AnalysesData readAnalyses(std::istream& in, const std::string& fileName,
                          const std::string& tabCaption, RunReporter& reporter) {
    AnalysesData data;
    const auto at = [&fileName](int line) { return fileName + ":" + std::to_string(line); };
    const auto warn = [&data](std::string text) {
        if (data.warnings.size() < kMaxKeptWarnings) data.warnings.push_back(std::move(text));
        ++data.warningCount;
    };
    // A file that is not a table of analyses gives none, whatever rows were read before.
    const auto refuse = [&](std::string problem) {
        AnalysesData refused;
        refused.problem = std::move(problem);
        refused.warnings = std::move(data.warnings);
        refused.warningCount = data.warningCount;
        logNotCompatible(fileName, tabCaption, reporter);
        return refused;
    };
    const auto lineProblem = [&](LineEnd end, int n) {
        return end == LineEnd::NulByte ? at(n) + ": a NUL byte: this is not a text file"
                                       : at(n) + ": the line is longer than " +
                                             std::to_string(kMaxDataLine) + " characters";
    };

    std::string header;
    const LineEnd headerEnd = readLine(in, header);
    if (header.starts_with("\xFF\xFE") || header.starts_with("\xFE\xFF"))
        return refuse(fileName + ": the file is UTF-16 text; save it as UTF-8 text");
    if (headerEnd == LineEnd::EndOfFile) return refuse(fileName + ": the file is empty");
    if (headerEnd != LineEnd::Line) return refuse(lineProblem(headerEnd, 1));
    if (header.starts_with(kUtf8Bom)) header.erase(0, kUtf8Bom.size());
    const auto separator = findSeparator(header);
    if (header.size() < 20 || !separator) {
        // Without a valid header no row can be mapped to quantities: refuse the whole file.
        return refuse(at(1) +
                      ": the header needs at least 20 characters and a tab, \",\", \";\" or "
                      "\"|\" between its column names");
    }
    data.separator = *separator;

    ColumnMap columns{};
    const auto headerFields = split(header, data.separator);
    std::vector<std::string> columnNames;
    std::vector<std::size_t> unread;  // 1-based
    for (std::size_t c = 0; c < headerFields.size(); ++c) {
        const std::string name = trim(headerFields[c]);
        columnNames.push_back(shortened(name));
        const auto slot = slotOf(upper(name));
        if (!slot) {
            if (!name.empty()) unread.push_back(c + 1);
            continue;
        }
        if (const int earlier = columns[*slot]; earlier > 0)
            warn(at(1) + ": column " + std::to_string(c + 1) + " (" + name + ") replaces column " +
                 std::to_string(earlier) + " (" +
                 columnNames[static_cast<std::size_t>(earlier - 1)] + ")");
        columns[*slot] = static_cast<int>(c + 1);
        if (*slot == kH2OSlot) data.h2oPresent = true;
        if (*slot >= kFirstTraceSlot && *slot < kNameSlot) {
            const std::size_t index = *slot - kFirstTraceSlot + 1;
            if (std::find(data.presentTraces.begin(), data.presentTraces.end(), index) ==
                data.presentTraces.end())
                data.presentTraces.push_back(index);
        }
    }
    for (std::size_t slot : {kTemperatureSlot, kPressureSlot, kLgfO2Slot})
        if (columns[slot] > 0)
            data.conditionColumns.push_back(
                columnNames[static_cast<std::size_t>(columns[slot] - 1)]);
    for (std::size_t slot : {kHostFoSlot, kRockFeOSlot})
        if (columns[slot] > 0)
            data.inclusionColumns.push_back(
                columnNames[static_cast<std::size_t>(columns[slot] - 1)]);
    if (columns[kNameSlot] == 0) {
        columns[kNameSlot] = static_cast<int>(headerFields.size());
        if (!unread.empty() && unread.back() == headerFields.size()) unread.pop_back();
    }
    if (!unread.empty()) {
        std::string list;
        for (std::size_t c : unread)
            list +=
                (list.empty() ? "" : ", ") + std::to_string(c) + " (" + columnNames[c - 1] + ")";
        warn(at(1) + ": columns not read: " + list);
    }
    // The acceptance test needs these; without them every row is rejected.
    std::string missing;
    for (std::size_t i : {Ox::SiO2, Ox::MgO, Ox::CaO})
        if (columns[i] == 0) missing += (missing.empty() ? "" : ", ") + trim(kOxides[i].label);
    if (columns[Ox::FeO] == 0 && columns[Ox::Fe2O3] == 0)
        missing += std::string(missing.empty() ? "" : ", ") + "FeO or Fe2O3";
    const int widestColumn = *std::max_element(columns.begin(), columns.end());

    std::string line;
    int dataRows = 0;
    for (int n = 2;; ++n) {
        const LineEnd end = readLine(in, line);
        if (end == LineEnd::EndOfFile) break;
        if (end != LineEnd::Line) return refuse(lineProblem(end, n));
        ++dataRows;
        if (line.size() < 7) {
            reporter.logLine("Line " + std::to_string(n) + " is too short: missed");
            data.rejected.push_back({n, "", "the line is too short"});
            continue;
        }
        auto fields = split(line, data.separator);
        if (static_cast<int>(fields.size()) < widestColumn) {
            reporter.logLine("Line " + std::to_string(n) +
                             " has fewer fields than the header: missed");
            data.rejected.push_back({n, "", "the line has fewer fields than the header"});
            continue;
        }
        for (std::size_t i = 0; i + 1 < fields.size(); ++i)
            fields[i] = trim(fields[i]);
        if (fields.size() > headerFields.size() &&
            std::any_of(fields.begin() + static_cast<std::ptrdiff_t>(headerFields.size()),
                        fields.end(), [](const std::string& f) { return !trim(f).empty(); }))
            warn(at(n) + ": " + std::to_string(fields.size()) + " fields where the header has " +
                 std::to_string(headerFields.size()) +
                 (data.separator == ','
                      ? ": a decimal comma splits a number in two and moves the fields after it"
                      : ": the fields after column " + std::to_string(headerFields.size()) +
                            " are not read"));
        const auto field = [&](std::size_t slot) -> const std::string& {
            return fields[static_cast<std::size_t>(columns[slot] - 1)];
        };
        const auto number = [&](std::size_t slot) {
            const Range range = slotRange(slot);
            const std::string& text = field(slot);
            const double value = parseBounded(text, range.min, range.max);
            if (const auto note = readingNote(text, value, range)) {
                const auto column = static_cast<std::size_t>(columns[slot]);
                warn(at(n) + ": column " + std::to_string(column) + " (" + columnNames[column - 1] +
                     "): " + *note);
            }
            return value;
        };

        TAnalysis melt;
        for (std::size_t i = 0; i < kOxideCount; ++i)
            if (columns[i] > 0) melt.oxides[i] = number(i);
        if (columns[kH2OSlot] > 0) melt.volatile_.value = number(kH2OSlot);
        for (std::size_t i = 0; i < kTraceCount; ++i)
            if (columns[kFirstTraceSlot + i] > 0)
                melt.traces[i].value = number(kFirstTraceSlot + i);

        TAssemblage sample;
        sample.name = field(kNameSlot);
        melt.name = std::string(phaseName(Phase::Melt));
        sample.phases.push_back(melt);
        sample.number = static_cast<int>(data.analyses.size()) + 1;
        sample.line = n;
        if (columns[kTemperatureSlot] > 0) sample.temperature = number(kTemperatureSlot);
        if (columns[kPressureSlot] > 0) sample.pressureBlock.pressure = number(kPressureSlot);
        if (columns[kLgfO2Slot] > 0) sample.lgfO2 = number(kLgfO2Slot);
        if (columns[kHostFoSlot] > 0)
            sample.meltInclusions.hostFo = shortestGeneral(number(kHostFoSlot));
        if (columns[kRockFeOSlot] > 0)
            sample.meltInclusions.wholeRockFeO = shortestGeneral(number(kRockFeOSlot));
        for (std::size_t k = 0; k < kStopKinds; ++k) {
            if (columns[kFirstStopSlot + k] == 0) continue;
            const double target = number(kFirstStopSlot + k);
            if (target > 0.0) {
                sample.stop.values[k] = target;
                sample.stop.flags[k] = true;
                sample.hasStopBlock = true;
                data.stopFromFile = true;
            }
        }

        // Below the least amount any analysis reports, a "present" oxide is a number no
        // analysis can have (a subnormal FeO sent the olivine Kd to NaN): such a row is refused.
        const Oxides& ox = melt.oxides;
        const auto present = [](double amount) { return amount >= kLeastReportedAmount; };
        if (present(ox[Ox::SiO2]) && present(ox[Ox::MgO]) && present(ox[Ox::CaO]) &&
            present(ox[Ox::FeO] + ox[Ox::Fe2O3])) {
            data.analyses.push_back(std::move(sample));
        } else {
            reporter.logLine("Analysis from line " + std::to_string(n) +
                             " is not correct: Analysis " + sample.name + " missed");
            data.rejected.push_back(
                {n, sample.name, "SiO2, MgO, CaO and FeO + Fe2O3 must be above 0"});
        }
    }

    if (data.analyses.empty()) {
        if (dataRows == 0)
            data.problem = fileName + ": no data rows below the header";
        else if (!missing.empty())
            data.problem = at(1) + ": the header has no column for " + missing;
        else
            data.problem = fileName +
                           (dataRows == 1 ? ": its one data row is not usable"
                                          : ": none of its " + std::to_string(dataRows) +
                                                " data rows is usable") +
                           ": a row needs at least 7 characters, the fields of the header and "
                           "SiO2, MgO, CaO and FeO + Fe2O3 above 0";
        logNotCompatible(fileName, tabCaption, reporter);
    } else {
        reporter.logLine("Assemblage for " + tabCaption + " loaded successfuly");
    }
    return data;
}

AnalysesData loadAnalysesFile(const std::filesystem::path& path, const std::string& tabCaption,
                              RunReporter& reporter) {
    const std::string fileName = path.string();
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        logNotCompatible(fileName, tabCaption, reporter);
        AnalysesData none;
        none.problem = fileName + ": the file does not exist";
        return none;
    }
    if (const auto problem = inputFileProblem(path, kMaxDataFileSize)) {
        logNotCompatible(fileName, tabCaption, reporter);
        AnalysesData none;
        none.problem = fileName + ": " + *problem;
        return none;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        reporter.message("Cannot open data file " + fileName +
                         ". If the file is opened in another program, close the file and try "
                         "again. ");
        logNotCompatible(fileName, tabCaption, reporter);
        AnalysesData none;
        none.problem = fileName + ": the file cannot be opened";
        return none;
    }
    return readAnalyses(in, fileName, tabCaption, reporter);
}

}  // namespace varnodel
