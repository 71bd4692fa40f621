// varnodel._core: the library as Python sees it. The package around it (varnodel/*.py) turns
// what these functions return into DataFrames; everything that decides a number, a file or a
// message stays in the library, so a run from Python is the run of the command line.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

#include "core/Calculations.h"
#include "core/Errors.h"
#include "engines/IronLoss.h"
#include "io/OutputFiles.h"
#include "io/RunRecord.h"
#include "io/SettingsFile.h"
#include "io/StatusFile.h"
#include "ui/CalcThread.h"
#include "ui/RunSetup.h"

namespace py = pybind11;

namespace varnodel::python {

namespace {

// The names of the Python functions, the command line's subcommands with "_" for "-".
struct PyCalculation {
    const char* name;
    Calculation calculation;
};
constexpr PyCalculation kPythonNames[] = {
    {"frac", Calculation::Fractional},
    {"rev", Calculation::Reverse},
    {"mla", Calculation::MLA},
    {"ironloss", Calculation::IronLoss},
    {"profile_ic", Calculation::ProfileIC},
    {"profile_cr", Calculation::ProfileCR},
};

Calculation calculationNamed(const std::string& name) {
    for (const auto& c : kPythonNames)
        if (name == c.name && TVarnodelCalcThread::hasEngine(c.calculation)) return c.calculation;
    throw EInputError("unknown calculation \"" + name + "\"");
}

// The settings of a run, as the settings file holds them.
struct Settings {
    RunState state;
    MlaChoice mla = MlaChoice::selectedIn(state.registry());

    // A copy on a registry of its own: the settings, the composition, the model choice (the
    // slots re-pointed to the same models of the new registry).
    void copyInto(Settings& to) const {
        to.state.settings = state.settings;
        to.state.composition = state.composition;
        to.state.profileComposition = state.profileComposition;
        to.mla = mla;
        for (std::size_t i = 1; i < kPhaseCount; ++i) {
            to.state.slots[i] = nullptr;
            const TModel* model = state.slots[i];
            if (model == nullptr) continue;
            const auto& from = state.registry().mineralSets()[i - 1]->models;
            const auto& into = to.state.registry().mineralSets()[i - 1]->models;
            for (std::size_t k = 0; k < from.size(); ++k)
                if (from[k].get() == model) to.state.slots[i] = into[k].get();
        }
    }
};

// The reader names an override as the command line's "--set KEY=VALUE"; Python set no option.
std::string withoutOption(std::string text) {
    return text.rfind("--set ", 0) == 0 ? text.substr(6) : text;
}

// The warnings of the settings reader reach Python as UserWarning.
void warnAll(const std::vector<std::string>& warnings) {
    for (const auto& w : warnings)
        if (PyErr_WarnEx(PyExc_UserWarning, withoutOption(w).c_str(), 2) != 0)
            throw py::error_already_set();
}

// Each line of a run, and to which analysis it belongs (0: before the first analysis, the
// data file and the run's own report). Called from the dispatcher's thread only.
class Recorder : public RunReporter {
  public:
    struct Lines {
        std::string name;
        std::vector<std::string> log, debug, messages;
    };
    void logLine(const std::string& line) override { current().log.push_back(line); }
    void debugLine(const std::string& line) override { current().debug.push_back(line); }
    void message(const std::string& text) override { current().messages.push_back(text); }
    void startAnalysis(const std::string& name) { parts.push_back({name, {}, {}, {}}); }

    std::vector<Lines> parts{Lines{}};

  private:
    Lines& current() { return parts.back(); }
};

py::list toList(const std::vector<std::string>& lines) {
    py::list list;
    for (const auto& line : lines)
        list.append(py::str(line));
    return list;
}

bool isProfile(Calculation calculation) {
    return calculation == Calculation::ProfileIC || calculation == Calculation::ProfileCR;
}

// Runs `calculation` on the compositions (`data`: a data file's text, or its path when
// `dataIsPath`; empty: the composition of the settings) with `jobs` analyses at once; only
// analysis `analysis` (1-based) of them when it is not 0. The files stay in memory unless
// `output` names where the command line would write them.
py::dict run(const std::string& calculation, const Settings& settings, const std::string& data,
             bool dataIsPath, unsigned jobs, std::size_t analysis,
             const std::optional<std::string>& output) {
    const Calculation calc = calculationNamed(calculation);
    const bool profile = isProfile(calc);
    auto run = std::make_unique<Settings>();
    settings.copyInto(*run);
    RunState& state = run->state;
    Recorder recorder;

    PresentElements present = PresentElements::from(state.settings.active);
    if (!data.empty()) {
        const std::string name = dataIsPath ? data : "compositions";
        const DataFileLoad loaded = dataIsPath ? loadDataFile(state, data, calc, recorder)
                                               : loadDataText(state, data, name, calc, recorder);
        if (!loaded.ok()) {
            // The rows the reader refused say best what is wrong with a table.
            std::string why;
            for (const auto& w : loaded.warnings)
                why += w + "\n";
            for (const auto& line : recorder.parts[0].log)
                if (line.rfind("Analysis from line", 0) == 0 || line.rfind("Line ", 0) == 0)
                    why += line + "\n";
            throw EInputError(why + loaded.error);
        }
        warnAll(loaded.warnings);
        present = loaded.present;
        const std::size_t count = state.analyses.size();
        if (analysis > 0 && !chooseAnalysis(state, analysis))
            throw EInputError("analysis=" + std::to_string(analysis) + ": the compositions hold " +
                              std::to_string(count) + " usable analyses");
        // The command line takes the first inclusion of a file; a table of several handed to
        // one profile is more likely a slip than a choice.
        if (profile && analysis == 0 && count > 1)
            throw EInputError(calculation +
                              " models one inclusion: choose it with analysis=N (the "
                              "compositions hold " +
                              std::to_string(count) + ")");
    } else if (analysis > 0) {
        throw EInputError("analysis=" + std::to_string(analysis) + ": there are no compositions " +
                          "to choose from");
    }
    if (output) chooseOutput(state.options, *output);
    if (profile) {
        const std::string why = chooseProfileStart(state, !data.empty(), analysis);
        if (!why.empty()) throw EInputError(why);
    }

    DirectSink disk;
    RunRecord record(output ? &disk : nullptr);
    std::stop_source stop;
    TVarnodelCalcThread dispatcher(calc, state, present, recorder, stop.get_token());
    dispatcher.setSink(record);
    dispatcher.setJobs(jobs);
    dispatcher.setMlaModels(run->mla.models);
    if (dataIsPath && !data.empty()) dispatcher.setDataFile(data);
    dispatcher.onAnalysis(
        [&recorder](int, int, const std::string& name) { recorder.startAnalysis(name); });

    // The run goes on its own thread while this one, without the GIL, waits for it and looks
    // for Ctrl-C now and then: KeyboardInterrupt stops the engines after their current step.
    DispatchResult result;
    std::exception_ptr failure;
    bool interrupted = false;
    {
        py::gil_scoped_release released;
        std::mutex mutex;
        std::condition_variable ended;
        bool done = false;
        std::thread worker([&] {
            try {
                result = dispatcher.execute();
            } catch (...) {
                failure = std::current_exception();
            }
            std::lock_guard lock(mutex);
            done = true;
            ended.notify_all();
        });
        std::unique_lock lock(mutex);
        while (!ended.wait_for(lock, std::chrono::milliseconds(50), [&] { return done; })) {
            if (interrupted) continue;
            lock.unlock();
            {
                py::gil_scoped_acquire held;
                if (PyErr_CheckSignals() != 0) interrupted = true;
            }
            if (interrupted) stop.request_stop();
            lock.lock();
        }
        lock.unlock();
        worker.join();
    }
    if (interrupted) throw py::error_already_set();  // the KeyboardInterrupt, after a clean stop
    if (failure) std::rethrow_exception(failure);
    if (result.notStarted) {
        std::string why;
        for (const auto& m : recorder.parts.back().messages)
            why += (why.empty() ? "" : "\n") + m;
        throw EInputError(why.empty() ? "the run could not start" : why);
    }
    // A profile without a starting melt only says so in the log.
    if (profile && result.analyses == 0 && !result.interrupted)
        throw EInputError(recorder.parts[0].log.empty() ? "the run could not start"
                                                        : recorder.parts[0].log.back());

    py::dict files;
    const std::string base = result.baseName;
    for (const auto& f : record.files()) {
        std::string text;
        for (const auto& line : f.lines)
            text += line + "\n";
        // By what follows the base name; "LAST_RES.DAT" beside the files by its own name.
        std::string name = f.path.string();
        name = name.rfind(base, 0) == 0 ? name.substr(base.size()) : f.path.filename().string();
        files[py::str(name)] = py::bytes(text);
    }
    py::list analyses;
    for (std::size_t k = 1; k < recorder.parts.size(); ++k) {
        const auto& part = recorder.parts[k];
        py::dict entry;
        entry["name"] = part.name;
        const AnalysisOutcome outcome =
            k - 1 < result.outcomes.size() ? result.outcomes[k - 1] : RunOutcome::Failed;
        entry["outcome"] = std::string(outcomeText(outcome.kind));
        entry["reason"] = outcome.reason;
        entry["log"] = toList(part.log);
        entry["debug"] = toList(part.debug);
        entry["messages"] = toList(part.messages);
        analyses.append(entry);
    }
    if (profile && result.analyses > 0) {
        // One inclusion, whose lines are the run's own.
        py::dict entry;
        // Named as the engine names it in its files.
        const TAssemblage& start = state.profileComposition;
        entry["name"] = start.name.empty() ? meltOf(start).name : start.name;
        const OutcomeKind kind = result.interrupted  ? OutcomeKind::Interrupted
                                 : result.failed > 0 ? OutcomeKind::Error
                                                     : OutcomeKind::Completed;
        entry["outcome"] = std::string(outcomeText(kind));
        entry["reason"] = "";
        entry["log"] = py::list();
        entry["debug"] = py::list();
        entry["messages"] = toList(recorder.parts[0].messages);
        analyses.append(entry);
    }
    // What one reconstructed inclusion leaves for its diffusion profiles, as the window and
    // --write-settings take it.
    py::object profileSettings = py::none();
    if (result.ironLoss && result.outcomes.size() == 1 &&
        result.outcomes[0].kind == OutcomeKind::Completed) {
        Settings next;
        run->copyInto(next);
        applyIronLossResult(*result.ironLoss, next.state);
        profileSettings = py::str(settingsText(next.state, next.mla));
    }
    py::dict answer;
    answer["calculation"] = calculation;
    answer["base"] = base;
    answer["files"] = files;
    answer["log"] = toList(recorder.parts[0].log);
    answer["debug"] = toList(recorder.parts[0].debug);
    answer["messages"] = toList(recorder.parts[0].messages);
    answer["analyses"] = analyses;
    answer["interrupted"] = result.interrupted;
    answer["profile_settings"] = profileSettings;
    return answer;
}

py::list models() {
    RunState state;
    const ModelRegistry& registry = state.registry();
    py::list rows;
    const auto add = [&rows](const std::string& set, const TModel& m) {
        rows.append(py::make_tuple(set, m.displayName, m.shortName, m.usesPressure, m.usesWater,
                                   m.hasTraces, m.isDefault, m.unavailable.empty()));
    };
    for (const auto& set : registry.mineralSets())
        for (const auto& m : set->models)
            add(set->displayName, *m);
    for (const auto& m : registry.oxidationModels().models)
        add("Oxidation state", *m);
    const THash& buffers = registry.bufferTable();
    for (std::size_t i = 0; i < buffers.count(); ++i)
        add("Oxygen buffer", *buffers.getItemByIndex(i));
    for (const auto& m : registry.traceModels().models)
        add("Trace elements", *m);
    return rows;
}

}  // namespace

PYBIND11_MODULE(_core, m) {
    m.doc() = "The compiled part of varnodel; use the varnodel package.";
    py::register_exception_translator([](std::exception_ptr p) {
        try {
            if (p) std::rethrow_exception(p);
        } catch (const EInputError& e) {
            PyErr_SetString(PyExc_ValueError, e.what());
        } catch (const std::filesystem::filesystem_error& e) {
            PyErr_SetString(PyExc_OSError, e.what());
        } catch (const std::ios_base::failure& e) {
            PyErr_SetString(PyExc_OSError, e.what());
        }
    });

    py::class_<Settings>(m, "Settings")
        .def(py::init<>())
        .def_static("from_file",
                    [](const std::filesystem::path& file) {
                        auto s = std::make_unique<Settings>();
                        warnAll(loadSettings(s->state, s->mla, file));
                        return s;
                    })
        .def("set",
             [](Settings& s, const std::string& key, const std::string& value) {
                 try {
                     warnAll(applySettingOverrides(s.state, s.mla, {key + "=" + value}));
                 } catch (const EInputError& e) {
                     throw EInputError(withoutOption(e.what()));
                 }
             })
        .def("text", [](const Settings& s) { return settingsText(s.state, s.mla); })
        .def("copy", [](const Settings& s) {
            auto c = std::make_unique<Settings>();
            s.copyInto(*c);
            return c;
        });

    m.def("calculations", [] {
        py::list names;
        for (const auto& c : kPythonNames)
            if (TVarnodelCalcThread::hasEngine(c.calculation)) names.append(c.name);
        return names;
    });
    m.def("models", &models);
    // The summary line of a batch, from the outcome texts of its status file.
    m.def("batch_summary", [](const std::vector<std::string>& outcomes) {
        std::vector<AnalysisStatus> statuses(outcomes.size());
        for (std::size_t k = 0; k < outcomes.size(); ++k)
            for (int kind = 0; kind <= static_cast<int>(OutcomeKind::Interrupted); ++kind)
                if (outcomeText(static_cast<OutcomeKind>(kind)) == outcomes[k])
                    statuses[k].outcome.kind = static_cast<OutcomeKind>(kind);
        return batchSummary(statuses);
    });
    m.def("run", &run, py::arg("calculation"), py::arg("settings"), py::arg("data"),
          py::arg("data_is_path"), py::arg("jobs"), py::arg("analysis"), py::arg("output"));
    m.attr("__version__") = VARNODEL_VERSION;
}

}  // namespace varnodel::python
