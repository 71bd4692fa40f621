// An in-memory record of a run's result files: every line each file received, in order, for
// callers that want the rows without reading files back (plots, the Python module). It can pass
// every line on to another sink as well, so that a run is recorded and written at once.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "io/OutputSink.h"

namespace varnodel {

class RunRecord : public OutputSink {
  public:
    // With `forward` (not owned) every line also goes there, e.g. to a DirectSink.
    explicit RunRecord(OutputSink* forward = nullptr) : forward_(forward) {}

    void createFile(const std::filesystem::path& file) override;
    void appendLine(const std::filesystem::path& file, const std::string& line) override;
    void appendLine(const std::filesystem::path& file, const std::string& line,
                    const std::string& header) override;
    bool writesFiles() const override { return forward_ != nullptr && forward_->writesFiles(); }

    struct File {
        std::filesystem::path path;
        std::vector<std::string> lines;
    };
    // The files in the order they were first written to.
    const std::vector<File>& files() const { return files_; }
    // The lines of `file`; none when it was never written.
    const std::vector<std::string>& lines(const std::filesystem::path& file) const;

  private:
    File* find(const std::filesystem::path& file);
    File& fileOf(const std::filesystem::path& file);

    OutputSink* forward_;
    std::vector<File> files_;
};

}  // namespace varnodel
