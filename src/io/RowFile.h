// A result or log file as the program writes it: created only as a regular file (never through
// a symbolic link, never a FIFO or a device, which could send rows outside the output folder or
// block the run), and written a whole row at a time. A row that cannot be written whole (a full
// disk) is taken back, so the file holds whole rows only.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace varnodel {

class RowFile {
  public:
    enum class Mode { Append, Truncate };

    // Throws std::ios_base::failure naming the file when it cannot be opened, or when its name
    // is a symbolic link or anything but a regular file.
    RowFile(const std::filesystem::path& file, Mode mode);
    ~RowFile();
    RowFile(RowFile&& other) noexcept;
    RowFile& operator=(RowFile&& other) noexcept;
    RowFile(const RowFile&) = delete;
    RowFile& operator=(const RowFile&) = delete;

    // Appends `text` (whole rows with their line breaks). When the write fails or falls short,
    // the file is cut back to where it was and std::ios_base::failure names the file.
    void write(std::string_view text);

  private:
    int fd_ = -1;
    std::filesystem::path file_;
};

}  // namespace varnodel
