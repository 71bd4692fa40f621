// The settings a front end edits and a run starts from, and the private snapshot a run works
// on, so that nothing a run uses can change under it.
#pragma once

#include <array>
#include <memory>
#include <vector>

#include "core/Assemblage.h"
#include "core/Parameters.h"
#include "models/ModelRegistry.h"

namespace varnodel {

// A run's own copy of the settings and of every model, the model slots pointing into it.
struct RunSnapshot {
    std::unique_ptr<ModelRegistry> registry;
    std::array<TModel*, kPhaseCount>
        slots{};  // indexed by Phase; [0] unused; null = not taking part

    RunContext& context() const { return registry->context(); }
    RunSettings& settings() const { return registry->context().settings; }

    // Another snapshot with the same settings and model slots, sharing nothing with this one.
    RunSnapshot clone() const;
};

class RunState {
  public:
    RunState();

    // Every default: settings, model slots (only olivine filled, with the first olivine model),
    // the default starting composition, an empty list of analyses and the output options.
    void reset();

    RunSnapshot snapshot() const;

    const ModelRegistry& registry() const { return *registry_; }
    ModelRegistry& registry() { return *registry_; }

    RunSettings settings;
    std::array<TModel*, kPhaseCount> slots{};  // indexed by Phase; [0] unused
    TAssemblage composition;                   // the current starting composition
    std::vector<TAssemblage> analyses;         // read from a data file
    std::vector<RejectedRow> rejectedRows;     // the rows of that file not read as analyses
    // The starting composition of the diffusion profiles: its phase 0 is their starting melt
    // (wt%, traces in ppm), left there by a Fe-loss reconstruction or entered.
    TAssemblage profileComposition;
    TOptions options;

    static TAssemblage defaultComposition();

  private:
    std::unique_ptr<ModelRegistry> registry_;
};

}  // namespace varnodel
