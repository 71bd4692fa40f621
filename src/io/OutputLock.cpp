#include "io/OutputLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <ios>

#include "core/Errors.h"

namespace varnodel {

namespace {

std::string holderOf(int fd) {
    char text[32] = {};
    const ssize_t n = ::pread(fd, text, sizeof text - 1, 0);
    std::string pid = n > 0 ? std::string(text, static_cast<std::size_t>(n)) : std::string();
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == ' '))
        pid.pop_back();
    return pid.empty() ? "another process" : "process " + pid;
}

}  // namespace

OutputLock::OutputLock(const std::string& base) : file_(base + ".lock") {
    // The file is removed when a run ends; a run that locked a file removed meanwhile tries
    // again on the new one, so two runs never hold different files of the same name.
    for (int attempt = 0; attempt < 100; ++attempt) {
        fd_ = ::open(file_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK, 0644);
        if (fd_ < 0)
            throw std::ios_base::failure(file_ + ": cannot be created: " + std::strerror(errno));
        struct stat opened {};
        if (::fstat(fd_, &opened) != 0 || !S_ISREG(opened.st_mode)) {
            ::close(fd_);
            throw std::ios_base::failure(file_ + ": is not a regular file");
        }
        if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            const std::string holder = holderOf(fd_);
            ::close(fd_);
            throw EInputError("Another run (" + holder + ") is writing the results of " + base +
                              " (lock file " + file_ +
                              "): wait for it to end or choose another output name");
        }
        struct stat named {};
        if (::stat(file_.c_str(), &named) == 0 && named.st_ino == opened.st_ino &&
            named.st_dev == opened.st_dev) {
            const std::string pid = std::to_string(::getpid()) + "\n";
            if (::ftruncate(fd_, 0) == 0 && ::pwrite(fd_, pid.data(), pid.size(), 0) < 0) {
                // The id only tells a second run who holds the lock; the lock itself holds.
            }
            return;
        }
        ::close(fd_);
    }
    throw std::ios_base::failure(file_ + ": cannot be locked");
}

OutputLock::~OutputLock() {
    ::unlink(file_.c_str());
    ::close(fd_);
}

}  // namespace varnodel
