#include "io/InputFile.h"

namespace varnodel {

namespace fs = std::filesystem;

std::optional<std::string> inputFileProblem(const fs::path& file, std::uintmax_t maxSize) {
    std::error_code ec;
    const fs::file_status status = fs::status(file, ec);
    if (!fs::exists(status)) return std::nullopt;
    if (fs::is_directory(status)) return "is a folder, not a file";
    if (!fs::is_regular_file(status)) return "is not a regular file (a device, FIFO or socket)";
    const std::uintmax_t size = fs::file_size(file, ec);
    if (!ec && size > maxSize) return "is larger than " + std::to_string(maxSize >> 20) + " MiB";
    return std::nullopt;
}

}  // namespace varnodel
