#include "io/OutputSink.h"

namespace varnodel {

void DirectSink::createFile(const std::filesystem::path& file) {
    files_.insert_or_assign(file, RowFile(file, RowFile::Mode::Truncate));
}

RowFile& DirectSink::opened(const std::filesystem::path& file) {
    auto it = files_.find(file);
    if (it == files_.end()) it = files_.emplace(file, RowFile(file, RowFile::Mode::Append)).first;
    return it->second;
}

void DirectSink::appendLine(const std::filesystem::path& file, const std::string& line) {
    opened(file).write(line + '\n');
}

void DirectSink::appendLine(const std::filesystem::path& file, const std::string& line,
                            const std::string& header) {
    std::error_code ec;
    const bool fresh = !header.empty() && !files_.contains(file) &&
                       !std::filesystem::exists(std::filesystem::symlink_status(file, ec));
    RowFile& out = opened(file);
    if (fresh) out.write(header + '\n');
    out.write(line + '\n');
}

void BufferedSink::createFile(const std::filesystem::path& file) {
    operations_.push_back({file, {}, {}, true});
}

void BufferedSink::appendLine(const std::filesystem::path& file, const std::string& line) {
    operations_.push_back({file, line, {}, false});
}

void BufferedSink::appendLine(const std::filesystem::path& file, const std::string& line,
                              const std::string& header) {
    operations_.push_back({file, line, header, false});
}

void BufferedSink::replay(OutputSink& target) {
    for (const auto& op : operations_) {
        if (op.create) {
            target.createFile(op.file);
        } else if (op.header.empty()) {
            target.appendLine(op.file, op.line);
        } else {
            target.appendLine(op.file, op.line, op.header);
        }
    }
    operations_.clear();
}

}  // namespace varnodel
