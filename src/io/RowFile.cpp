#include "io/RowFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <ios>
#include <system_error>
#include <utility>

namespace varnodel {

namespace {

// what() reads "FILE: WHAT: the system's reason".
[[noreturn]] void fail(const std::filesystem::path& file, const std::string& what, int error) {
    throw std::ios_base::failure(file.string() + ": " + what,
                                 std::error_code(error, std::generic_category()));
}

}  // namespace

RowFile::RowFile(const std::filesystem::path& file, Mode mode) : file_(file) {
    // O_NONBLOCK: opening a FIFO that nobody reads fails at once instead of blocking the run.
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK |
                      (mode == Mode::Append ? O_APPEND : O_TRUNC);
    fd_ = ::open(file.c_str(), flags, 0644);
    if (fd_ < 0) {
        const int error = errno;
        fail(file, error == ELOOP ? "is a symbolic link, not written through" : "cannot be opened",
             error);
    }
    struct stat info {};
    if (::fstat(fd_, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd_);
        fd_ = -1;
        fail(file, "is not a regular file", EINVAL);
    }
    ::fcntl(fd_, F_SETFL, ::fcntl(fd_, F_GETFL) & ~O_NONBLOCK);
}

RowFile::~RowFile() {
    if (fd_ >= 0) ::close(fd_);
}

RowFile::RowFile(RowFile&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), file_(std::move(other.file_)) {}

RowFile& RowFile::operator=(RowFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = std::exchange(other.fd_, -1);
        file_ = std::move(other.file_);
    }
    return *this;
}

void RowFile::write(std::string_view text) {
    const off_t before = ::lseek(fd_, 0, SEEK_END);
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = ::write(fd_, text.data() + done, text.size() - done);
        if (n > 0) {
            done += static_cast<std::size_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR) continue;
        const int error = n < 0 ? errno : ENOSPC;
        if (before >= 0 && ::ftruncate(fd_, before) != 0) {
            // Nothing more can be done for the file; the failure below says it was not written.
        }
        fail(file_, "cannot be written", error);
    }
}

}  // namespace varnodel
