#include "io/OutputFiles.h"

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <fstream>

#include "core/Errors.h"
#include "io/OutputSink.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;

class OutputFilesTest : public ::testing::Test {
  protected:
    void touch(const std::string& name) { scratch_.write(name, "x\n"); }

    test::ScratchDir scratch_{"varnodel_output"};
    fs::path folder_ = scratch_.path();
};

TEST_F(OutputFilesTest, BaseNameFromFolderNameAndSuffix) {
    TOptions options;
    EXPECT_EQ(baseName(options, "_REV"), "Varnodel_Output_REV");
    options.outputDirectory = "/data/runs";
    options.outputName = "results";
    EXPECT_EQ(baseName(options, "_MLA"), "/data/runs/results_MLA");
}

TEST_F(OutputFilesTest, DeletesThePreviousRunOfTheSameCalculationOnly) {
    for (const char* name : {"out_FRAC.csv", "out_FRAC_calc_param.csv", "out_FRAC_Olv.csv",
                             "out_REV.csv", "out_FRAC.txt", "other_FRAC.csv"})
        touch(name);
    deleteOldResults((folder_ / "out_FRAC").string());
    EXPECT_FALSE(fs::exists(folder_ / "out_FRAC.csv"));
    EXPECT_FALSE(fs::exists(folder_ / "out_FRAC_calc_param.csv"));
    EXPECT_FALSE(fs::exists(folder_ / "out_FRAC_Olv.csv"));
    EXPECT_TRUE(fs::exists(folder_ / "out_REV.csv"));
    EXPECT_TRUE(fs::exists(folder_ / "out_FRAC.txt"));
    EXPECT_TRUE(fs::exists(folder_ / "other_FRAC.csv"));
}

TEST_F(OutputFilesTest, NeverDeletesTheDataFileBeingRead) {
    touch("out_FRAC_glasses.csv");
    touch("out_FRAC.csv");
    EXPECT_THROW(
        deleteOldResults((folder_ / "out_FRAC").string(), folder_ / "out_FRAC_glasses.csv"),
        EInputError);
    EXPECT_TRUE(fs::exists(folder_ / "out_FRAC_glasses.csv"));
    EXPECT_TRUE(fs::exists(folder_ / "out_FRAC.csv"));  // nothing deleted
}

TEST_F(OutputFilesTest, AppendCreatesThenAppends) {
    appendLine(folder_ / "t.csv", "a,b,");
    appendLine(folder_ / "t.csv", "1,2,");
    std::ifstream in(folder_ / "t.csv");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "a,b,\n1,2,\n");
}

TEST_F(OutputFilesTest, UnwritableTargetThrows) {
    fs::create_directory(folder_ / "t.csv");  // a directory where the file should be
    EXPECT_THROW(appendLine(folder_ / "t.csv", "row"), std::ios_base::failure);
    test::RecordingReporter reporter;
    DirectSink sink;
    EXPECT_THROW(ReportFile(folder_ / "t.csv", reporter, sink), std::ios_base::failure);
}

TEST_F(OutputFilesTest, ReportLinesGoToTheFileAndTheLog) {
    test::RecordingReporter reporter;
    DirectSink sink;
    {
        ReportFile report(folder_ / "r.csv", reporter, sink);
        report.line("");
        report.line("Modelling Crystallisation");
    }
    std::ifstream in(folder_ / "r.csv");
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(text, "\nModelling Crystallisation\n");
    EXPECT_EQ(reporter.log, (std::vector<std::string>{"", "Modelling Crystallisation"}));
}

TEST_F(OutputFilesTest, BufferedSinkWritesLaterInTheSameOrder) {
    BufferedSink buffer;
    buffer.appendLine(folder_ / "t.csv", "old");
    buffer.createFile(folder_ / "t.csv");
    buffer.appendLine(folder_ / "t.csv", "1");
    buffer.appendLine(folder_ / "u.csv", "2");
    EXPECT_FALSE(fs::exists(folder_ / "t.csv"));
    DirectSink disk;
    buffer.replay(disk);
    std::ifstream t(folder_ / "t.csv"), u(folder_ / "u.csv");
    std::string a((std::istreambuf_iterator<char>(t)), std::istreambuf_iterator<char>());
    std::string b((std::istreambuf_iterator<char>(u)), std::istreambuf_iterator<char>());
    EXPECT_EQ(a, "1\n");
    EXPECT_EQ(b, "2\n");
}

TEST(BufferedReporter, PassesCallsOnInOrder) {
    BufferedReporter buffer;
    buffer.logLine("a");
    buffer.message("m");
    buffer.debugLine("d");
    buffer.logLine("b");
    test::RecordingReporter target;
    buffer.replay(target);
    EXPECT_EQ(target.log, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(target.debug, (std::vector<std::string>{"d"}));
    EXPECT_EQ(target.messages, (std::vector<std::string>{"m"}));
}

// Rows that would leave the output folder or block the run are never written.
TEST_F(OutputFilesTest, ResultNamesThatAreLinksOrFifosAreRemovedNotWrittenThrough) {
    const fs::path outside = folder_ / "outside.txt";
    fs::create_symlink(outside, folder_ / "out_FRAC.csv");
    ASSERT_EQ(::mkfifo((folder_ / "out_FRAC_Olv.csv").c_str(), 0644), 0);
    deleteOldResults((folder_ / "out_FRAC").string());
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder_ / "out_FRAC.csv")));
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder_ / "out_FRAC_Olv.csv")));

    fs::create_symlink(outside, folder_ / "log.txt");
    EXPECT_THROW(appendLine(folder_ / "log.txt", "row"), std::ios_base::failure);
    ASSERT_EQ(::mkfifo((folder_ / "pipe.csv").c_str(), 0644), 0);
    EXPECT_THROW(appendLine(folder_ / "pipe.csv", "row"), std::ios_base::failure);  // no hang
    EXPECT_FALSE(fs::exists(outside));
}

// A full disk (here a file-size limit) takes back the row that did not fit whole.
TEST_F(OutputFilesTest, ARowThatDoesNotFitIsTakenBack) {
    const std::string row(29, 'r');  // 30 bytes with the line break
    const auto file = folder_ / "out_FRAC.csv";
    ::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ::getrlimit(RLIMIT_FSIZE, &saved);
    rlimit limit = saved;
    limit.rlim_cur = 100;
    ::setrlimit(RLIMIT_FSIZE, &limit);
    DirectSink sink;
    int written = 0;
    try {
        for (; written < 10; ++written)
            sink.appendLine(file, row);
    } catch (const std::ios_base::failure&) {
    }
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(written, 3);
    EXPECT_EQ(fs::file_size(file), 90u);
}

}  // namespace
}  // namespace varnodel
