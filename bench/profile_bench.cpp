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

// The explicit scheme alone on a grid of 5000 points (the size of a default run's profile is a
// few thousand), 20000 time steps: the counter is grid points updated per second.
void diffusionOnly(benchmark::State& bench) {
    Profile start;
    const double dr = 0.4;
    for (int j = 0; j < 5000; ++j) {
        start.x.push_back(146.0 + j * dr);
        start.c.push_back(j <= 10 ? 15.9 - 0.2 * j : 11.9);
    }
    DiffusionRun run;
    run.dt = diffusionTimeStep(dr, feMgDiffusivity(1426.0));
    run.rimDensity = 3.3;
    run.meltVolumeDensity = 4.0 / 3.0 * 3.14159265 * 146.0 * 146.0 * 146.0 * 2.7;
    run.meltMass = run.meltVolumeDensity * 9.0;
    run.wall = WallRelation(9.0, 15.9, 7.0, 11.9);
    run.maxSteps = 20000;
    for (auto _ : bench) {
        Profile p = start;
        benchmark::DoNotOptimize(diffuseProfile(p, dr, run));
    }
    bench.counters["points_per_s"] = benchmark::Counter(
        5000.0 * 20000.0 * static_cast<double>(bench.iterations()), benchmark::Counter::kIsRate);
}

}  // namespace

void registerProfileBenchmarks() {
    benchmark::RegisterBenchmark("Profile/DiffusionOnly", diffusionOnly)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("Profile/InstantCooling", profile<TInstThread>)
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
    benchmark::RegisterBenchmark("Profile/CoolingRate", profile<TCRThread>)
        ->Unit(benchmark::kSecond)
        ->Iterations(1);
}

}  // namespace varnodel::bench
