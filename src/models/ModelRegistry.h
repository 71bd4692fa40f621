// Every model the program offers, registered in one place and in a fixed order: the eight
// mineral sets (olivine ... magnetite), the oxidation-state models, the buffer table and the
// trace-element models. A run works on its own clone.
#pragma once

#include <array>
#include <functional>
#include <memory>

#include "core/Model.h"
#include "models/_models_H2O.h"

namespace varnodel {

class ModelRegistry {
  public:
    ModelRegistry();
    ModelRegistry(const ModelRegistry&) = delete;
    ModelRegistry& operator=(const ModelRegistry&) = delete;

    // Every model cloned into a registry of its own, with a context of its own holding a copy
    // of this registry's context.
    std::unique_ptr<ModelRegistry> clone() const;

    // Mineral set by mineral (Phase::Olivine ... Phase::Magnetite).
    TSetOfModels& mineralSet(Phase mineral) const;
    const std::array<std::unique_ptr<TSetOfModels>, kMineralCount>& mineralSets() const {
        return mineralSets_;
    }
    TSetOfModels& oxidationModels() const { return *oxidationModels_; }
    THash& bufferTable() { return bufferTable_; }
    const THash& bufferTable() const { return bufferTable_; }
    TSetOfModels& traceModels() const { return *traceModels_; }
    // The run's H2O solubility model (Moore et al. 1998), used by the engines for degassing.
    TModelH2O_Moore1998& h2oSolubilityModel() const { return *h2oSolubility_; }

    // The context shared by every model of this registry.
    RunContext& context() const { return *context_; }
    std::shared_ptr<RunContext> sharedContext() const { return context_; }

    // The model of this registry that stands where `model` stands in `other` (nullptr when
    // `model` is null or not in `other`).
    TModel* counterpart(const TModel* model, const ModelRegistry& other) const;

    void forEachModel(const std::function<void(TModel&)>& visit) const;

  private:
    struct CloneTag {};
    explicit ModelRegistry(CloneTag);
    void attachContext();

    std::shared_ptr<RunContext> context_;
    std::array<std::unique_ptr<TSetOfModels>, kMineralCount> mineralSets_;
    std::unique_ptr<TSetOfModels> oxidationModels_;
    THash bufferTable_;
    std::unique_ptr<TSetOfModels> traceModels_;
    std::unique_ptr<TModelH2O_Moore1998> h2oSolubility_;
};

}  // namespace varnodel
