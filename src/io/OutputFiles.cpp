#include "io/OutputFiles.h"

#include <fstream>
#include <system_error>
#include <vector>

#include "core/Errors.h"
#include "core/NumberFormat.h"
#include "io/RowFile.h"

namespace varnodel {

namespace fs = std::filesystem;

std::string baseName(const TOptions& options, std::string_view suffix) {
    const std::string name = options.outputName.empty() ? "Varnodel_Output" : options.outputName;
    const fs::path folder =
        options.outputDirectory.empty() ? fs::path() : fs::path(options.outputDirectory);
    return (folder / (name + std::string(suffix))).string();
}

namespace {

fs::path folderOf(const fs::path& path) {
    return path.has_parent_path() ? path.parent_path() : fs::path(".");
}

// A file name of the form stem + anything + ".csv".
bool namedAsResult(const std::string& name, const std::string& stem) {
    return name.size() >= stem.size() + 4 && name.compare(0, stem.size(), stem) == 0 &&
           name.compare(name.size() - 4, 4, ".csv") == 0;
}

}  // namespace

bool isOldResult(const std::string& base, const fs::path& file) {
    const fs::path basePath(base);
    if (!namedAsResult(file.filename().string(), basePath.filename().string())) return false;
    std::error_code ec;
    return fs::equivalent(folderOf(basePath), folderOf(file), ec);
}

std::vector<fs::path> resultFiles(const std::string& base) {
    const fs::path basePath(base);
    const fs::path folder = folderOf(basePath);
    const std::string stem = basePath.filename().string();
    std::vector<fs::path> files;
    std::error_code ec;
    if (!fs::is_directory(folder, ec)) return files;
    for (const auto& entry : fs::directory_iterator(folder))
        // A link or special file of a result's name is listed too, so that the deletion
        // removes it (removing a link leaves its target alone) instead of the run writing
        // through it or blocking on it. A folder is not: creating the table there fails.
        if (namedAsResult(entry.path().filename().string(), stem) &&
            (!entry.is_directory(ec) || entry.is_symlink(ec)))
            files.push_back(entry.path());
    return files;
}

void deleteOldResults(const std::string& base, const fs::path& keep) {
    // Nothing is deleted before every file has been checked against the one to keep.
    const std::vector<fs::path> doomed = resultFiles(base);
    std::error_code ec;
    for (const auto& path : doomed)
        if (!keep.empty() && fs::equivalent(path, keep, ec))
            throw EInputError("The data file " + keep.string() +
                              " would be deleted as an old result of " + base +
                              ".csv: choose another output name");
    for (const auto& path : doomed)
        fs::remove(path);  // throws when it cannot
}

void appendLine(const fs::path& file, const std::string& line) {
    RowFile(file, RowFile::Mode::Append).write(line + '\n');
}

std::string writeErrorMessage(const std::string& base, const std::string& writer,
                              const std::string& sample) {
    return "An error writing to " + base + " (from " + writer + " with " + sample +
           "). Either the file with this name is opened in another program, or there is a disk "
           "problem. Calculation aborted.";
}

ReportFile::ReportFile(const fs::path& file, RunReporter& reporter, OutputSink& sink)
    : file_(file), reporter_(reporter), sink_(sink) {
    sink_.createFile(file_);
}

void ReportFile::line(const std::string& text) {
    sink_.appendLine(file_, csvField(text));  // one field a line, for readers of the .csv
    reporter_.logLine(text);
}

}  // namespace varnodel
