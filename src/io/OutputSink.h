// Where the lines of result files go: straight to disk, or into a buffer that a batch running
// analyses in parallel writes out later, in analysis order.
#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "io/RowFile.h"

namespace varnodel {

class OutputSink {
  public:
    virtual ~OutputSink() = default;
    // Creates the file, or empties it.
    virtual void createFile(const std::filesystem::path& file) = 0;
    // Appends one line (without its line break), creating the file when missing.
    virtual void appendLine(const std::filesystem::path& file, const std::string& line) = 0;
    // The same, but a file that is missing when the line is written starts with `header` (when
    // it is not empty).
    virtual void appendLine(const std::filesystem::path& file, const std::string& line,
                            const std::string& header) = 0;
    // Whether the lines end up in files on disk; a run whose lines stay in memory leaves the
    // files of earlier runs alone.
    virtual bool writesFiles() const { return true; }
};

// Writes at once, keeping each file open until the sink goes (a run writes many rows to few
// files); throws std::ios_base::failure when a file cannot be written.
class DirectSink : public OutputSink {
  public:
    void createFile(const std::filesystem::path& file) override;
    void appendLine(const std::filesystem::path& file, const std::string& line) override;
    void appendLine(const std::filesystem::path& file, const std::string& line,
                    const std::string& header) override;

  private:
    RowFile& opened(const std::filesystem::path& file);
    std::map<std::filesystem::path, RowFile> files_;
};

// Keeps every operation, to be written later in the same order.
class BufferedSink : public OutputSink {
  public:
    void createFile(const std::filesystem::path& file) override;
    void appendLine(const std::filesystem::path& file, const std::string& line) override;
    void appendLine(const std::filesystem::path& file, const std::string& line,
                    const std::string& header) override;
    // Writes what was kept into `target`, in order, and forgets it.
    void replay(OutputSink& target);

  private:
    struct Operation {
        std::filesystem::path file;
        std::string line;
        std::string header;  // written first when the file is missing; empty: none
        bool create;
    };
    std::vector<Operation> operations_;
};

}  // namespace varnodel
