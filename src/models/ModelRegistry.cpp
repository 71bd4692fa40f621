#include "models/ModelRegistry.h"

#include "models/_models_buffers.h"
#include "models/_models_cpx.h"
#include "models/_models_ilm.h"
#include "models/_models_mt.h"
#include "models/_models_ol.h"
#include "models/_models_opx.h"
#include "models/_models_oxydations.h"
#include "models/_models_pig.h"
#include "models/_models_pl.h"
#include "models/_models_spl.h"
#include "models/_models_traces.h"

namespace varnodel {

ModelRegistry::ModelRegistry()
    : context_(std::make_shared<RunContext>()),
      mineralSets_{std::make_unique<TModelOlivine>(),       std::make_unique<TModelPlagioclase>(),
                   std::make_unique<TModelClinopyroxene>(), std::make_unique<TModelOrthopyroxene>(),
                   std::make_unique<TModelPigeonite>(),     std::make_unique<TModelSpinel>(),
                   std::make_unique<TModelIlmenite>(),      std::make_unique<TModelMagnetite>()},
      oxidationModels_(std::make_unique<TSetOfModels>()),
      traceModels_(std::make_unique<TSetOfModels>()),
      h2oSolubility_(std::make_unique<TModelH2O_Moore1998>()) {
    registerOxidationModels(*oxidationModels_);
    registerBuffers(bufferTable_);
    registerTraceModels(*traceModels_);
    attachContext();
}

ModelRegistry::ModelRegistry(CloneTag) {}

std::unique_ptr<ModelRegistry> ModelRegistry::clone() const {
    auto copy = std::unique_ptr<ModelRegistry>(new ModelRegistry(CloneTag{}));
    copy->context_ = std::make_shared<RunContext>(*context_);
    for (std::size_t i = 0; i < kMineralCount; ++i)
        copy->mineralSets_[i] = mineralSets_[i]->clone();
    copy->oxidationModels_ = oxidationModels_->clone();
    copy->bufferTable_ = bufferTable_.clone();
    copy->traceModels_ = traceModels_->clone();
    copy->h2oSolubility_ = std::make_unique<TModelH2O_Moore1998>(*h2oSolubility_);
    copy->attachContext();
    return copy;
}

void ModelRegistry::attachContext() {
    forEachModel([this](TModel& model) { model.setContext(context_); });
    h2oSolubility_->setContext(context_);
}

TSetOfModels& ModelRegistry::mineralSet(Phase mineral) const {
    return *mineralSets_.at(static_cast<std::size_t>(mineral) - 1);
}

void ModelRegistry::forEachModel(const std::function<void(TModel&)>& visit) const {
    for (const auto& set : mineralSets_)
        for (const auto& model : set->models)
            visit(*model);
    for (const auto& model : oxidationModels_->models)
        visit(*model);
    for (std::size_t i = 0; i < bufferTable_.count(); ++i)
        visit(*bufferTable_.getItemByIndex(i));
    for (const auto& model : traceModels_->models)
        visit(*model);
}

TModel* ModelRegistry::counterpart(const TModel* model, const ModelRegistry& other) const {
    if (model == nullptr) return nullptr;
    const auto inSet = [model](const TSetOfModels& theirs, const TSetOfModels& ours) -> TModel* {
        for (std::size_t i = 0; i < theirs.models.size(); ++i)
            if (theirs.models[i].get() == model) return ours.models[i].get();
        return nullptr;
    };
    for (std::size_t s = 0; s < kMineralCount; ++s)
        if (auto* found = inSet(*other.mineralSets_[s], *mineralSets_[s])) return found;
    if (auto* found = inSet(*other.oxidationModels_, *oxidationModels_)) return found;
    if (auto* found = inSet(*other.traceModels_, *traceModels_)) return found;
    for (std::size_t i = 0; i < other.bufferTable_.count(); ++i)
        if (other.bufferTable_.getItemByIndex(i) == model) return bufferTable_.getItemByIndex(i);
    return nullptr;
}

}  // namespace varnodel
