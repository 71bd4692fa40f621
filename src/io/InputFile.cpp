#include "io/InputFile.h"

#include <fstream>

#include "core/Errors.h"

namespace varnodel {

namespace fs = std::filesystem;

std::optional<std::string> inputFileProblem(const fs::path& file, std::uintmax_t maxSize) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status)) return std::nullopt;
    if (fs::is_directory(status)) return "is a directory";
    if (!fs::is_regular_file(status)) return "is not a regular file (a device, FIFO or socket)";
    const std::uintmax_t size = fs::file_size(file, ec);
    if (!ec && size > maxSize) return "is larger than " + std::to_string(maxSize >> 20) + " MiB";
    return std::nullopt;
}

std::string readInputFile(const fs::path& file, std::uintmax_t maxSize, const std::string& what) {
    const std::string name = file.string();
    if (const auto problem = inputFileProblem(file, maxSize))
        throw EInputError(name + ": cannot read " + what + ": it " + *problem);
    std::ifstream in(file, std::ios::binary);
    if (!in) throw EInputError(name + ": cannot read " + what);
    std::string text;
    char buffer[1 << 16];
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        text.append(buffer, static_cast<std::size_t>(in.gcount()));
        if (text.size() > maxSize)
            throw EInputError(name + ": cannot read " + what + ": it is larger than " +
                              std::to_string(maxSize >> 20) + " MiB");
    }
    if (in.bad()) throw EInputError(name + ": cannot read " + what + ": a read error");
    return text;
}

}  // namespace varnodel
