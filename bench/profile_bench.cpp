// The diffusion profiles of the default melt in a 150 um inclusion cooled by 100 degrees, as
// `varnodel-cli profile-ic` and `profile-cr` compute them with their defaults: instant cooling
// to 50 % re-equilibration, and cooling at 240 degrees a day. Counters: the time steps of the
// diffusion stages, and how many the run makes per second of its whole wall time.
#include <benchmark/benchmark.h>

#include "BenchMain.h"
#include "engines/Profile_CR.h"
#include "engines/Profile_IC.h"

namespace varnodel::bench {

namespace {

class NoProfileOutput : public ProfileOutput {
  public:
    void runParameters(const ProfileRunInfo&) override {}
    void results(const ProfileResult&) override {}
    void compositionRow(const ProfileMelt&, const std::string&, bool) override {}
    void stepProfiles(const std::vector<CoolingStepProfile>&) override {}
};

template <class Engine>
void profile(benchmark::State& bench) {
    const RunState state;
    const TAnalysis melt = meltOf(state.composition);
    std::uint64_t steps = 0;
    NullReporter quiet;
    for (auto _ : bench) {
        RunSnapshot snapshot = state.snapshot();
        NoProfileOutput none;
        Engine engine(snapshot, melt, std::nullopt, none, quiet, {});
        if (engine.run() != RunOutcome::Completed) {
            bench.SkipWithError("the profile run did not complete");
            return;
        }
        steps = engine.result().timeSteps;
    }
    bench.counters["time_steps"] = static_cast<double>(steps);
    bench.counters["steps_per_s"] =
        benchmark::Counter(static_cast<double>(steps) * static_cast<double>(bench.iterations()),
                           benchmark::Counter::kIsRate);
}

}  // namespace

void registerProfileBenchmarks() {
    benchmark::RegisterBenchmark("Profile/InstantCooling", profile<TInstThread>)
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("Profile/CoolingRate", profile<TCRThread>)
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
}

}  // namespace varnodel::bench
