#include "core/Model.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <numbers>

#include "core/Errors.h"

namespace varnodel {

TModel::TModel() = default;

const std::shared_ptr<RunContext>& TModel::sharedContext() const {
    if (!context_) context_ = std::make_shared<RunContext>();
    return context_;
}

void TModel::Get_Temperature(const TAssemblage&, double&) {}
void TModel::Get_Mineral_Composition(TAssemblage&, double&, double) {}
void TModel::get_Trace(TAssemblage&, double) {}
void TModel::getMeltH2O(const TAssemblage&, double&, double, double) {}

double TModel::getLogFO2(double delta, double T) const {
    return delta + (bufferA / T + bufferB) / std::numbers::ln10;
}

double TModel::solveLiquidus(const TAssemblage& assemblage, double lo, double hi) {
    // Residual mode must not outlive the search, also when it throws.
    struct ResidualMode {
        bool& flag;
        explicit ResidualMode(bool& f) : flag(f) { flag = true; }
        ~ResidualMode() { flag = false; }
    } mode(residualMode);
    ++searchId_;
    double T = 0.0;
    bisectTemperature(*this, assemblage, T, tolerance, lo, hi);
    return T;
}

// --- containers ---------------------------------------------------------------------------

TSetOfModels::TSetOfModels(std::string name, std::string abbrev)
    : displayName(std::move(name)), abbreviation(std::move(abbrev)) {}

std::unique_ptr<TSetOfModels> TSetOfModels::clone() const {
    auto copy = std::make_unique<TSetOfModels>(displayName, abbreviation);
    for (const auto& model : models)
        copy->models.push_back(model->clone());
    return copy;
}

TModel* TSetOfModels::getByName(std::string_view name) const {
    for (auto it = models.rbegin(); it != models.rend(); ++it)
        if ((*it)->displayName == name) return it->get();
    return nullptr;
}

TModel* TSetOfModels::getByNameShort(std::string_view name) const {
    for (auto it = models.rbegin(); it != models.rend(); ++it)
        if ((*it)->shortName == name) return it->get();
    return nullptr;
}

TModel* TSetOfModels::getDefaultModel() const {
    for (auto it = models.rbegin(); it != models.rend(); ++it)
        if ((*it)->isDefault) return it->get();
    return nullptr;
}

namespace {
bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               const auto lower = [](char c) {
                   return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
               };
               return lower(x) == lower(y);
           });
}
}  // namespace

THash THash::clone() const {
    THash copy;
    for (std::size_t i = 0; i < keys_.size(); ++i)
        copy.add(keys_[i], objects_[i]->clone());
    return copy;
}

void THash::add(std::string key, std::unique_ptr<TModel> object) {
    keys_.push_back(std::move(key));
    objects_.push_back(std::move(object));
}

void THash::addModel(std::unique_ptr<TModel> model) {
    std::string key = model->displayName;
    add(std::move(key), std::move(model));
}

std::ptrdiff_t THash::indexOf(std::string_view key) const {
    for (std::size_t i = 0; i < keys_.size(); ++i)
        if (equalsIgnoringCase(keys_[i], key)) return static_cast<std::ptrdiff_t>(i);
    return -1;
}

TModel* THash::getItem(std::string_view key) const {
    const auto i = indexOf(key);
    return i < 0 ? nullptr : objects_[static_cast<std::size_t>(i)].get();
}

void THash::setItem(std::string_view key, std::unique_ptr<TModel> object) {
    const auto i = indexOf(key);
    if (i >= 0) objects_[static_cast<std::size_t>(i)] = std::move(object);
}

void THash::setItemByIndex(std::size_t i, std::unique_ptr<TModel> object) {
    objects_.at(i) = std::move(object);
}

// --- liquidus search ------------------------------------------------------------------------

std::string bisectionWarning(const TModel& model) {
    return "Could not reach the target difference between the old and new T values for " +
           model.displayName + " in 100 cycles. The T value is approximated during this step.";
}

namespace {

constexpr int kScanSteps = 256;

double residualAt(TModel& model, const TAssemblage& assemblage, double T) {
    double value = T;
    model.Get_Temperature(assemblage, value);
    if (!std::isfinite(value))
        throw EModelError_GetT("The residual of " + model.displayName +
                               " is not a finite number: no liquidus temperature");
    return value;
}

}  // namespace

namespace {
Halving halve(TModel& model, const TAssemblage& assemblage, double tol, double lo, double hi) {
    return halveBracket([&](double T) { return residualAt(model, assemblage, T); }, tol, lo, hi);
}
}  // namespace

void bisectTemperature(TModel& model, const TAssemblage& assemblage, double& T, double tol,
                       double lo, double hi) {
    Halving result = halve(model, assemblage, tol, lo, hi);
    const bool atAnEnd = std::fabs(result.x - lo) <= tol || std::fabs(result.x - hi) <= tol;
    if (atAnEnd && !result.exactRoot) {
        // The halving ran into an end of the bracket, where a residual without a root in it
        // also ends up: look for the highest sign change before believing the end.
        const bool lowPositive = residualAt(model, assemblage, hi) > 0.0;
        const double step = (lo - hi) / kScanSteps;
        double upper = lo;
        bool upperPositive = residualAt(model, assemblage, upper) > 0.0;
        bool found = false;
        for (int k = 1; k <= kScanSteps && !found; ++k) {
            const double lower = k == kScanSteps ? hi : lo - k * step;
            const bool lowerPositive = residualAt(model, assemblage, lower) > 0.0;
            if (lowerPositive == lowPositive && upperPositive != lowPositive) {
                result = halve(model, assemblage, tol, upper, lower);
                found = true;
            }
            upper = lower;
            upperPositive = lowerPositive;
        }
        if (!found) {
            model.message = bisectionWarning(model);
            throw EModelError_GetT("No liquidus temperature of " + model.displayName +
                                   " within the search range");
        }
    }
    T = result.x;
    if (result.exhausted) model.message = bisectionWarning(model);
}

}  // namespace varnodel
