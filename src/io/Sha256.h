// SHA-256 (FIPS 180-4), for the data file's fingerprint in a run's settings record.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace varnodel {

// The digest of `bytes` as 64 lower-case hex digits.
std::string sha256Hex(std::string_view bytes);

// The digest of a file's bytes; nothing when it cannot be read.
std::optional<std::string> fileSha256(const std::filesystem::path& file);

}  // namespace varnodel
