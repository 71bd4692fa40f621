// What the program reads as input (data files, settings files, Kd set files) must be a regular
// file of reasonable size: a FIFO nobody writes to would hang the run, a device such as
// /dev/zero would fill the memory.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace varnodel {

inline constexpr std::uintmax_t kMaxDataFileSize = std::uintmax_t{1} << 30;       // 1 GiB
inline constexpr std::uintmax_t kMaxSettingsFileSize = std::uintmax_t{16} << 20;  // 16 MiB

// Why `file` cannot be read as input ("is a folder", ...), or nothing when it is a regular
// file (or a link to one) of at most `maxSize` bytes. A file that does not exist is not a
// problem here: each reader has its own rule for that.
std::optional<std::string> inputFileProblem(const std::filesystem::path& file,
                                            std::uintmax_t maxSize);

// The whole text of an input file of at most `maxSize` bytes. Throws EInputError naming the
// file and `what` it is ("the settings file") when it cannot be read: missing, not a regular
// file, too large (also one that only says so while it is read, like those of /proc) or a read
// error on the way.
std::string readInputFile(const std::filesystem::path& file, std::uintmax_t maxSize,
                          const std::string& what);

}  // namespace varnodel
