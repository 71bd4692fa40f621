// One run at a time per output name: two runs on the same base name would delete each other's
// files and mix their rows. The lock is a file next to the results (base + ".lock", which no
// old-results deletion matches) holding the running process's id, locked for the run's length.
#pragma once

#include <string>

namespace varnodel {

class OutputLock {
  public:
    // Throws EInputError naming the run that holds the lock, or std::ios_base::failure when
    // the lock file cannot be made.
    explicit OutputLock(const std::string& base);
    ~OutputLock();
    OutputLock(const OutputLock&) = delete;
    OutputLock& operator=(const OutputLock&) = delete;

  private:
    std::string file_;
    int fd_ = -1;
};

}  // namespace varnodel
