// The command line against faults around it: a full disk, signals, a second run on the same
// output name, special files where settings or data are expected, a lost diagnostics log.
// Whatever happens, every result file holds whole rows only and the exit code says so.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "CliRunner.h"
#include "io/OutputLock.h"
#include "support/ScratchDir.h"

namespace varnodel {
namespace {

namespace fs = std::filesystem;
using test::runCli;

std::string glassRows(int count) {
    std::string rows = "Name,SiO2,TiO2,Al2O3,FeOt,MnO,MgO,CaO,Na2O,K2O,P2O5\n";
    for (int k = 1; k <= count; ++k)
        rows += "G" + std::to_string(k) + ",50.81,1.85,14.06,11.84,0.22,6.71,11.12,2.62,0.19,0.2\n";
    return rows;
}

class CliFaults : public ::testing::Test {
  protected:
    void SetUp() override {
        scratch_.write("glasses.csv", glassRows(40));
        scratch_.write("settings.toml",
                       "[models]\nolivine = \"Ford et al., 1983\"\n[run]\nstep = 0.01\n"
                       "[stop]\ncondition = \"crystallisation\"\nvalue = 20.0\n");
    }
    // A shell line run in the scratch folder with the program as $CLI; stdout and stderr
    // together.
    std::string shell(const std::string& line) {
        const std::string command = "cd '" + dir_.string() + "' && CLI='" + VARNODEL_CLI_PATH +
                                    "' bash -c '" + line + "' 2>&1 </dev/null";
        std::string out;
        FILE* pipe = ::popen(command.c_str(), "r");
        if (pipe == nullptr) return out;
        char buffer[4096];
        for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
            out.append(buffer, n);
        ::pclose(pipe);
        return out;
    }
    // Every result file ends with a line break: no row was cut.
    void expectWholeRows() {
        for (const auto& entry : fs::directory_iterator(dir_)) {
            const std::string name = entry.path().filename().string();
            if (!name.starts_with("Varnodel_Output")) continue;
            const std::string text = test::readFile(entry.path());
            EXPECT_TRUE(text.empty() || text.back() == '\n') << name;
        }
    }

    test::ScratchDir scratch_{"varnodel_cli_faults"};
    fs::path dir_ = scratch_.path();
};

TEST_F(CliFaults, AFullDiskEndsTheBatchAtOnceWithWholeRows) {
    for (const char* jobs : {"1", "2"}) {
        // A file-size limit stands in for the full disk; the program sees a failed write.
        const auto result = shell(
            "trap \"\" XFSZ; ulimit -f 24; $CLI frac --data glasses.csv "
            "--settings settings.toml --set run.step=0.1 --quiet --jobs " +
            std::string(jobs) + "; echo exit=$?");
        const auto first = result.find("An error writing to");
        ASSERT_NE(first, std::string::npos) << result;
        EXPECT_EQ(result.find("An error writing to", first + 1), std::string::npos)
            << "one message, --jobs " << jobs;
        EXPECT_NE(result.find(".csv: cannot be written: "), std::string::npos) << result;
        EXPECT_NE(result.find("exit=1"), std::string::npos) << result;
        expectWholeRows();
    }
}

TEST_F(CliFaults, TerminationSignalsEndLikeCtrlC) {
    for (const auto& [signal, code] : {std::pair{"TERM", "143"}, std::pair{"HUP", "129"}}) {
        // The signal comes once the result table exists, i.e. while the batch runs.
        const auto result = shell(
            "rm -f Varnodel_Output_FRAC*; "
            "$CLI frac --data glasses.csv --settings settings.toml --quiet --jobs 2 & pid=$!; "
            "until [ -s Varnodel_Output_FRAC.csv ]; do sleep 0.05; done; kill -" +
            std::string(signal) + " $pid; wait $pid; echo exit=$?");
        EXPECT_NE(result.find("Calculations terminated"), std::string::npos) << result;
        EXPECT_NE(result.find(std::string("exit=") + code), std::string::npos) << result;
        expectWholeRows();
    }
}

TEST_F(CliFaults, ASecondRunOnTheSameOutputNameIsRefused) {
    const OutputLock running((dir_ / "Varnodel_Output_FRAC").string());
    const auto result = runCli("frac --settings settings.toml --quiet", dir_.string());
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_NE(result.err.find("Another run (process "), std::string::npos) << result.err;
    EXPECT_FALSE(fs::exists(dir_ / "Varnodel_Output_FRAC.csv"));
}

TEST_F(CliFaults, ALostDiagnosticsLogIsSaidAndFails) {
    if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    // Some olivine models write their failures on these glasses to the diagnostics log.
    const auto result = runCli("mla --data '" + std::string(VARNODEL_TEST_DATA_DIR) +
                                   "/reference_glasses.csv' --set \"mla.olivine=[\\\"*\\\"]\" "
                                   "--quiet --debug-log /dev/full",
                               dir_.string());
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("the diagnostics log /dev/full could not be written"),
              std::string::npos)
        << result.err;
}

TEST_F(CliFaults, SpecialOrBrokenInputFilesAreRefusedNamingThem) {
    scratch_.write("twice.toml", "[stop]\nvalue = 1.5\n\n[run]\nstep = 0.1\nstep = 0.2\n");
    ASSERT_EQ(::mkfifo((dir_ / "fifo.csv").c_str(), 0644), 0);
    const struct {
        const char* arguments;
        const char* text;
    } cases[] = {
        {"--settings /dev/zero", "/dev/zero: cannot read the settings file: it is not a regular"},
        {"--settings /proc/self/mem",
         "/proc/self/mem: cannot read the settings file: a read error"},
        {"--settings twice.toml", "twice.toml:6:8: run.step is defined twice, on lines 5 and 6"},
        {"--data fifo.csv", "fifo.csv: is not a regular file"},
    };
    for (const auto& c : cases) {
        const auto result = runCli(std::string("frac --quiet ") + c.arguments, dir_.string());
        EXPECT_EQ(result.exitCode, 2) << c.arguments;
        EXPECT_NE(result.err.find(c.text), std::string::npos) << result.err;
    }
}

}  // namespace
}  // namespace varnodel
