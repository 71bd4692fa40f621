#include "io/OutputSink.h"

#include <fstream>

#include "io/OutputFiles.h"

namespace varnodel {

void DirectSink::createFile(const std::filesystem::path& file) {
    std::ofstream out;
    out.exceptions(std::ios::failbit | std::ios::badbit);
    out.open(file, std::ios::trunc | std::ios::binary);
    out.close();
}

void DirectSink::appendLine(const std::filesystem::path& file, const std::string& line) {
    varnodel::appendLine(file, line);
}

void DirectSink::appendLine(const std::filesystem::path& file, const std::string& line,
                            const std::string& header) {
    std::error_code ec;
    if (!header.empty() && !std::filesystem::exists(file, ec)) varnodel::appendLine(file, header);
    varnodel::appendLine(file, line);
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
