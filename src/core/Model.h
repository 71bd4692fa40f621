// The base of every published model (mineral-melt equilibria, oxidation state, buffers, H2O,
// trace elements), the containers that group alternative models, and the shared liquidus
// root finder.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/Assemblage.h"
#include "core/RunContext.h"

namespace varnodel {

class TModel {
  public:
    TModel();
    virtual ~TModel() = default;

    // Mineral models: the liquidus temperature (K) of the melt "melt" of the assemblage, its
    // oxides in cation moles. In residual mode the call evaluates the model's equilibrium
    // residual at the T given and returns it in T instead.
    virtual void Get_Temperature(const TAssemblage& assemblage, double& T);
    // Mineral models: stores the mineral in equilibrium with the melt at T (K) as a phase of the
    // assemblage, in wt%, and returns its characteristic number (Fo, An, Mg#...) as a fraction.
    virtual void Get_Mineral_Composition(TAssemblage& assemblage, double& value, double T);
    // Trace-element models: sets the trace values of the mineral phases they handle.
    virtual void get_Trace(TAssemblage& assemblage, double T);
    // H2O models.
    virtual void getMeltH2O(const TAssemblage& assemblage, double& H2O, double a, double b);

    // Oxygen buffers: log fO2 = delta + (bufferA / T + bufferB) / ln 10, T in kelvin.
    double getLogFO2(double delta, double T) const;

    virtual std::unique_ptr<TModel> clone() const = 0;

    // The run this model works for; a model made on its own gets a context of its own when it
    // first needs one (models made inside other models take their maker's).
    RunContext& context() const { return *sharedContext(); }
    const std::shared_ptr<RunContext>& sharedContext() const;
    void setContext(std::shared_ptr<RunContext> context) { context_ = std::move(context); }

    // Numbers the liquidus searches of this model; the melt does not change within one.
    std::uint64_t searchId() const { return searchId_; }

    // Called in residual mode within a liquidus search, after the residual has been evaluated
    // once for this melt. True only when the model can show for this melt that its residual
    // (1) is monotonic in T over any bracket above 0 (in its own unit), (2) is finite all over
    // such a bracket when it is finite at the bracket's low end, and (3) is of order one and
    // computed to far better than kCertainResidual, so that a computed value beyond that has
    // the sign of the exact function, and (4) has no effect beyond its value, so that the
    // search may evaluate it where the halving would not. The search then takes the sign of
    // the residual at most halving points from a few evaluations near the root instead of
    // evaluating it there.
    virtual bool residualIsMonotonic(const TAssemblage& assemblage);

    // Where this model's last certified liquidus search ended: the start of its next one. The
    // temperature found never depends on it, only the number of residual evaluations does.
    struct LiquidusMemory {
        double root = 0.0;
        double slope = 0.0;  // of the residual at the root, per unit of T
        bool valid = false;
        // The bracket after each of the first rounds of the last halving from [hi0, lo0] to
        // tol: a halving from the same bracket whose midpoints fall on the same sides of its
        // root passes through the same brackets.
        struct Path {
            static constexpr int kRounds = 40;
            double lo0 = 0.0, hi0 = 0.0, tol = 0.0;
            int rounds = 0;
            std::array<double, kRounds> lo, hi;
            std::array<bool, kRounds> movedHi;  // the round's midpoint became hi
        } path;
    };
    LiquidusMemory liquidusMemory;
    // False runs every liquidus search of this model as the plain halving, evaluating the
    // residual at every point (the reference the faster search is checked against).
    bool fastLiquidusSearch = true;

    std::string displayName;
    std::string secondName;  // not set by any model
    std::string shortName;   // eight characters, blanks included
    bool selected = false;
    bool isDefault = false;
    std::string message;  // warning of the last call, printed and cleared by the engines
    bool residualMode = false;
    double tolerance = 0.01;  // of the liquidus search
    bool usesPressure = false;
    bool usesWater = false;
    bool hasTraces = false;
    std::array<bool, kPhaseCount> forMineral{};  // indexed by Phase; [0] (the melt) unused
    std::array<bool, kTraceCount> forTrace{};    // trace i (1-37) at i - 1
    double bufferA = 0.0;
    double bufferB = 0.0;
    // Why a run cannot use this model; empty when it can. Such a model keeps its place in its
    // set (the order of a set is part of the settings and reports) but is refused when chosen.
    std::string unavailable;

  protected:
    TModel(const TModel&) = default;
    TModel& operator=(const TModel&) = default;

    // Liquidus by bisection of the model's own residual over [lo, hi] (in the unit the residual
    // takes, K unless the model says otherwise): runs Get_Temperature in residual mode.
    double solveLiquidus(const TAssemblage& assemblage, double lo = 2500.0, double hi = 100.0);

  private:
    mutable std::shared_ptr<RunContext> context_;
    std::uint64_t searchId_ = 0;
};

// What a model works out from the melt alone (its components, composition terms) kept for the
// residual evaluations of one liquidus search, which all see the same melt; outside a search it
// is worked out afresh at every call.
template <class Value>
class SearchCache {
  public:
    template <class Compute>
    const Value& get(const TModel& model, Compute compute) {
        if (!model.residualMode || id_ != model.searchId()) {
            value_ = compute();
            id_ = model.residualMode ? model.searchId() : 0;
        }
        return value_;
    }

  private:
    std::uint64_t id_ = 0;  // no search has id 0
    Value value_{};
};

// Gives a model class its clone(): class TModelX : public ModelClone<TModelX, Base> { ... }.
template <class Derived, class Base = TModel>
class ModelClone : public Base {
  public:
    using Base::Base;
    std::unique_ptr<TModel> clone() const override {
        return std::make_unique<Derived>(static_cast<const Derived&>(*this));
    }
};

// Alternative models of one kind, in registration order; owns its models.
class TSetOfModels {
  public:
    TSetOfModels() = default;
    TSetOfModels(std::string displayName, std::string abbreviation);
    virtual ~TSetOfModels() = default;
    TSetOfModels(const TSetOfModels&) = delete;
    TSetOfModels& operator=(const TSetOfModels&) = delete;

    // A deep copy: every model cloned, in the same order.
    std::unique_ptr<TSetOfModels> clone() const;

    template <class Model>
    Model& add() {
        auto model = std::make_unique<Model>();
        Model& ref = *model;
        models.push_back(std::move(model));
        return ref;
    }
    void add(std::unique_ptr<TModel> model) { models.push_back(std::move(model)); }

    // The last model whose display name / 8-character short name is exactly `name`.
    TModel* getByName(std::string_view name) const;
    TModel* getByNameShort(std::string_view name) const;
    // The last model marked default.
    TModel* getDefaultModel() const;

    std::string displayName;
    std::string abbreviation;
    std::vector<std::unique_ptr<TModel>> models;
};

// Models keyed by name; keys compare case-insensitively, the first match wins.
class THash {
  public:
    THash() = default;
    THash(const THash&) = delete;
    THash& operator=(const THash&) = delete;
    THash(THash&&) = default;
    THash& operator=(THash&&) = default;

    THash clone() const;

    void add(std::string key, std::unique_ptr<TModel> object);
    void addModel(std::unique_ptr<TModel> model);
    template <class Model>
    Model& addModel() {
        auto model = std::make_unique<Model>();
        Model& ref = *model;
        addModel(std::move(model));
        return ref;
    }

    std::size_t count() const { return keys_.size(); }
    TModel* getItem(std::string_view key) const;
    void setItem(std::string_view key, std::unique_ptr<TModel> object);
    TModel* getItemByIndex(std::size_t i) const { return objects_.at(i).get(); }
    void setItemByIndex(std::size_t i, std::unique_ptr<TModel> object);
    const std::string& keyAt(std::size_t i) const { return keys_.at(i); }

  private:
    std::ptrdiff_t indexOf(std::string_view key) const;

    std::vector<std::string> keys_;
    std::vector<std::unique_ptr<TModel>> objects_;
};

// The liquidus root finder: halves the bracket [lo, hi] (lo = 2500, hi = 100 by convention)
// over the residual that `model` returns in residual mode, to within `tol`, at most 101 rounds.
// When the halving ends at an end of the bracket, the bracket is scanned downwards for the
// highest sign change before giving up: a residual with no root in the bracket raises
// EModelError_GetT, as does a residual that is not finite. For a model that shows its residual
// monotonic (TModel::residualIsMonotonic) most of the halving's signs come from a few
// evaluations near the root, found from the model's last root; the result, its warning and
// its failures are those of the halving that evaluates every midpoint.
void bisectTemperature(TModel& model, const TAssemblage& assemblage, double& T, double tol,
                       double lo, double hi);

// A residual value whose sign rounding cannot have turned, for a model whose residual is
// monotonic (TModel::residualIsMonotonic).
inline constexpr double kCertainResidual = 1e-11;

// One run of the halving rule of bisectTemperature over any function f, from the bracket ends
// lo and hi (lo the larger, as in the liquidus search): stops when lo - hi <= tol or after 101
// rounds. `exhausted` says the rounds ran out first.
struct Halving {
    double x;
    bool exhausted;
    bool exactRoot = false;  // the function was exactly 0 at x
};
// The halving's rounds from a state it reached: the bracket [hi, lo], the function's value at hi
// and the rounds run so far.
struct NoRoundRecord {
    void operator()(int, double, double, bool) const {}
};

// `record(round, lo, hi, movedHi)` is told the bracket after each round that moves one end.
template <class Function, class Record = NoRoundRecord>
Halving halveBracketFrom(Function&& f, double tol, double lo, double hi, double fhi, int round,
                         Record&& record = {}) {
    constexpr int kMaxRounds = 101;
    bool exactRoot = false;
    while (true) {
        ++round;
        const double mid = (lo + hi) / 2.0;
        const double fm = f(mid);
        if (fm == 0.0) {
            lo = hi = mid;
            exactRoot = true;
            break;
        }
        if (fhi > 0.0) {
            if (fm < 0.0) {
                lo = mid;
            } else {
                hi = mid;
                fhi = fm;
            }
        } else {
            if (fm >= 0.0) {
                lo = mid;
            } else {
                hi = mid;
                fhi = fm;
            }
        }
        record(round, lo, hi, hi == mid);
        if (lo - hi <= tol || round >= kMaxRounds) break;
    }
    return {(lo + hi) / 2.0, lo - hi > tol, exactRoot};
}

template <class Function>
Halving halveBracket(Function&& f, double tol, double lo, double hi) {
    const double fhi = f(hi);
    if (fhi == 0.0) return {hi, false, true};
    return halveBracketFrom(f, tol, lo, hi, fhi, 0);
}

// "Could not reach the target difference ..." warning of a search that used all its rounds.
std::string bisectionWarning(const TModel& model);

}  // namespace varnodel
