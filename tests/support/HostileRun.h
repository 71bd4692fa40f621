// One generated hostile data file through the whole path a front end takes: loaded into the
// run state, then a liquidus association and a short forward run of whatever the file rules
// accept. Gives what went wrong: an exception out of the dispatcher, a non-finite number or a
// cut row in a file or the log. Shared by the fuzz test and the longer fuzz run.
#pragma once

#include <cstdint>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

#include "support/HostileData.h"
#include "support/RecordingReporter.h"
#include "support/ScratchDir.h"
#include "ui/CalcThread.h"
#include "ui/RunSetup.h"

namespace varnodel::test {

inline std::vector<std::string> hostileRunProblems(std::uint64_t seed) {
    namespace fs = std::filesystem;
    static const std::regex nonFinite(R"((^|[^A-Za-z])[-+]?(nan|inf)([^A-Za-z]|$))",
                                      std::regex::icase);
    std::vector<std::string> problems;
    ScratchDir dir("varnodel_fuzz");
    const auto file = dir.write("data.csv", hostileDataFile(seed));
    const std::string where = "seed " + std::to_string(seed) + ": ";
    for (const Calculation calculation : {Calculation::MLA, Calculation::Fractional}) {
        RunState state;
        state.options.outputDirectory = dir.path().string();
        state.settings.parameters.stop.values[0] = 1.0;  // % crystallised
        state.settings.parameters.calculationStep = 0.2;
        RecordingReporter reporter;
        const DataFileLoad loaded = loadDataFile(state, file, calculation, reporter);
        if (!loaded.ok()) continue;
        // A sample may be named "inf": names are text, only numbers must be finite.
        const auto numbersOf = [&state](std::string text) {
            for (const auto& analysis : state.analyses)
                for (auto at = text.find(analysis.name);
                     !analysis.name.empty() && at != std::string::npos;
                     at = text.find(analysis.name, at + 1))
                    text.replace(at, analysis.name.size(), "name");
            return text;
        };
        TVarnodelCalcThread dispatcher(calculation, state, loaded.present, reporter);
        dispatcher.setJobs(2);
        try {
            dispatcher.execute();
        } catch (const std::exception& e) {
            problems.push_back(where + "escaped the dispatcher: " + e.what());
        }
        for (const auto& entry : fs::directory_iterator(dir.path())) {
            const std::string name = entry.path().filename().string();
            if (name == "data.csv") continue;
            const std::string text = numbersOf(dir.read(name));
            if (std::regex_search(text, nonFinite))
                problems.push_back(where + name + " holds a non-finite number");
            if (!text.empty() && text.back() != '\n') problems.push_back(where + name + " cut");
        }
        for (const auto& line : reporter.log)
            if (std::regex_search(numbersOf(line), nonFinite))
                problems.push_back(where + "log line: " + line);
    }
    return problems;
}

}  // namespace varnodel::test
