#include "io/RunRecord.h"

namespace varnodel {

RunRecord::File* RunRecord::find(const std::filesystem::path& file) {
    for (File& f : files_)
        if (f.path == file) return &f;
    return nullptr;
}

RunRecord::File& RunRecord::fileOf(const std::filesystem::path& file) {
    if (File* f = find(file)) return *f;
    return files_.emplace_back(File{file, {}});
}

const std::vector<std::string>& RunRecord::lines(const std::filesystem::path& file) const {
    static const std::vector<std::string> kNone;
    for (const File& f : files_)
        if (f.path == file) return f.lines;
    return kNone;
}

void RunRecord::createFile(const std::filesystem::path& file) {
    if (forward_ != nullptr) forward_->createFile(file);
    fileOf(file).lines.clear();
}

void RunRecord::appendLine(const std::filesystem::path& file, const std::string& line) {
    if (forward_ != nullptr) forward_->appendLine(file, line);
    fileOf(file).lines.push_back(line);
}

void RunRecord::appendLine(const std::filesystem::path& file, const std::string& line,
                           const std::string& header) {
    if (forward_ != nullptr) forward_->appendLine(file, line, header);
    File* existing = find(file);
    File& f = existing != nullptr ? *existing : fileOf(file);
    if (existing == nullptr && !header.empty()) f.lines.push_back(header);
    f.lines.push_back(line);
}

}  // namespace varnodel
