#include "core/Model.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
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
constexpr int kMaxRounds = 101;  // of the halving

// The residual at T, counted; not checked.
double evaluateResidual(TModel& model, RunContext& context, const TAssemblage& assemblage,
                        double T) {
    double value = T;
    ++context.residualEvaluations;
    model.Get_Temperature(assemblage, value);
    return value;
}

double residualAt(TModel& model, RunContext& context, const TAssemblage& assemblage, double T) {
    const double value = evaluateResidual(model, context, assemblage, T);
    if (!std::isfinite(value))
        throw EModelError_GetT("The residual of " + model.displayName +
                               " is not a finite number: no liquidus temperature");
    return value;
}

Halving halve(TModel& model, RunContext& context, const TAssemblage& assemblage, double tol,
              double lo, double hi) {
    return halveBracket([&](double T) { return residualAt(model, context, assemblage, T); }, tol,
                        lo, hi);
}

// The residual as the halving asks for it, answered from what a search already knows where it
// can be. For a monotonic residual (TModel::residualIsMonotonic) a value beyond
// kCertainResidual at a point fixes the sign of the residual on the whole side of that point
// away from the root: the halving then needs the value only between the nearest such points
// on either side of the root, which a warm-started secant search puts within a fraction of the
// halving's last interval. The halving itself runs unchanged, so the temperature it returns,
// its warnings and its failures are those of the plain halving.
class ResidualSigns {
  public:
    ResidualSigns(TModel& model, RunContext& context, const TAssemblage& assemblage)
        : model_(model), context_(context), assemblage_(assemblage) {}

    double operator()(double T) {
        // Only the sign of a value and whether it is 0 steer the halving. (A point of certain
        // sign where the residual is 0 would contradict the model's claim.)
        if (T <= below_) return belowSign_;
        if (T >= above_) return -belowSign_;
        for (int k = 0; k < count_; ++k)
            if (probes_[k].x == T) return probes_[k].f;
        return residualAt(model_, context_, assemblage_, T);
    }

    // Locates the root in [hi, lo] (hi < lo) before the halving, from the model's last root.
    void locate(double tol, double lo, double hi);

    // The residual's slope across the final bracket of locate(), or 0 when there is none.
    double slope() const { return slope_; }

    // The halving over these signs. Its rounds whose midpoint has a certain sign only move one
    // end of the bracket (the value kept for hi keeps the sign below the root, which that of
    // hi has from the start). The first of them follow the last search's path as far as its
    // midpoints fall on the same sides; the next run here without the branches a halving
    // cannot predict; the halving's own rounds take over at the first midpoint of uncertain
    // sign.
    Halving halve(double tol, double lo, double hi, TModel::LiquidusMemory::Path& path) {
        // Without a certain sign at hi (and so none at all), the plain halving.
        if (!(below_ >= hi)) return halveBracket(*this, tol, lo, hi);
        int round = 0;
        double ends[2] = {lo, hi};
        if (path.lo0 == lo && path.hi0 == hi && path.tol == tol) {
            while (round < path.rounds &&
                   (path.movedHi[round] ? path.hi[round] <= below_ : path.lo[round] >= above_))
                ++round;
            if (round > 0) {
                ends[0] = path.lo[round - 1];
                ends[1] = path.hi[round - 1];
                if (ends[0] - ends[1] <= tol || round >= kMaxRounds)
                    return {(ends[0] + ends[1]) / 2.0, ends[0] - ends[1] > tol, false};
            }
        } else {
            path.lo0 = lo;
            path.hi0 = hi;
            path.tol = tol;
        }
        const auto record = [&path](int r, double l, double h, bool movedHi) {
            if (r > TModel::LiquidusMemory::Path::kRounds) return;
            path.lo[r - 1] = l;
            path.hi[r - 1] = h;
            path.movedHi[r - 1] = movedHi;
            path.rounds = r;
        };
        path.rounds = round;
        while (true) {
            const double mid = (ends[0] + ends[1]) / 2.0;
            if (!(mid <= below_ || mid >= above_)) break;
            ++round;
            const bool movedHi = mid <= below_;
            ends[movedHi ? 1 : 0] = mid;
            record(round, ends[0], ends[1], movedHi);
            if (ends[0] - ends[1] <= tol || round >= kMaxRounds)
                return {(ends[0] + ends[1]) / 2.0, ends[0] - ends[1] > tol, false};
        }
        return halveBracketFrom(*this, tol, ends[0], ends[1], belowSign_, round, record);
    }

  private:
    struct Probe {
        double x, f;
    };
    static constexpr int kMaxProbes = 14;

    // Evaluates and keeps the residual at x; false when it is not finite.
    bool probe(double x, double& f) {
        f = evaluateResidual(model_, context_, assemblage_, x);
        if (!std::isfinite(f)) return false;
        if (count_ < kMaxProbes) probes_[count_++] = {x, f};
        return true;
    }

    TModel& model_;
    RunContext& context_;
    const TAssemblage& assemblage_;
    std::array<Probe, kMaxProbes> probes_;  // the first count_ hold values
    int count_ = 0;
    // The sign is certain at or below / at or above these; no point is either without them.
    double below_ = -std::numeric_limits<double>::infinity();
    double above_ = std::numeric_limits<double>::infinity();
    double belowSign_ = 0.0;  // the residual's sign below the root
    double slope_ = 0.0;
};

double signOf(double v) {
    return v > 0.0 ? 1.0 : -1.0;
}

void ResidualSigns::locate(double tol, double lo, double hi) {
    // The halving evaluates the low end first; its value also shows the residual finite all
    // over the bracket (TModel::residualIsMonotonic).
    double fHi = 0.0;
    if (!probe(hi, fHi) || fHi == 0.0) return;
    if (!model_.residualIsMonotonic(assemblage_)) return;
    const double s0 = signOf(fHi);  // the sign below the root

    // About the width of the halving's last interval (lo - hi over the power of two that takes
    // it to tol or below), and how close to the root the bracket is drawn: a quarter of it
    // leaves about one halving point in the bracket, which is evaluated.
    int rounds = 0;
    std::frexp((lo - hi) / tol, &rounds);
    if (rounds >= kMaxRounds) return;
    const double width = std::ldexp(lo - hi, -std::max(rounds, 0));
    if (!(width > 0.0)) return;
    const double target = width / 4.0;
    const double nudge = width / 16.0;

    // The bracket [a, b] of the root: a below it (the residual's sign s0), b above.
    double a = hi, fa = fHi;
    double b = lo, fb = 0.0;
    bool bKnown = false;
    double p1 = 0.0, f1 = 0.0, p2 = 0.0, f2 = 0.0;  // the last two points, p2 the newer
    int points = 0;
    double previousWidth = lo - hi;
    int slowSteps = 0;

    const TModel::LiquidusMemory& memory = model_.liquidusMemory;
    const bool warm = memory.valid && memory.root > hi && memory.root < lo;
    double x = warm ? memory.root : lo;
    for (int n = 1; n < kMaxProbes; ++n) {
        double f = 0.0;
        if (!probe(x, f)) return;  // outside what the model showed: the plain halving decides
        p1 = p2, f1 = f2, p2 = x, f2 = f;
        ++points;
        if (f == 0.0) {
            // A root at x itself: the next points bracket it closely.
        } else if (signOf(f) == s0) {
            if (x > a) a = x, fa = f;
        } else if (!bKnown || x < b) {
            b = x, fb = f, bKnown = true;
        }
        if (!bKnown && x == lo) break;  // no sign change in the bracket
        if (bKnown && b - a <= target) break;

        // Probes on both sides of the root: the bracket must shrink, or halving steps follow.
        const bool closed = bKnown && a > hi && b < lo;
        if (closed) {
            const double w = b - a;
            slowSteps = w > 0.5 * previousWidth ? slowSteps + 1 : 0;
            previousWidth = w;
        }
        // Next point: just past the secant (or, with one point, the last search's slope)
        // estimate of the root, on the side of it the last point is not on, so that the
        // bracket closes about the root; halving steps where the estimate is of no use.
        double estimate = std::numeric_limits<double>::quiet_NaN();
        if (points >= 2 && f1 != f2 && p1 != p2)
            estimate = p2 - f2 * (p2 - p1) / (f2 - f1);
        else if (points == 1 && memory.valid && memory.slope != 0.0 && std::isfinite(memory.slope))
            estimate = p2 - f2 / memory.slope;
        if (f == 0.0) estimate = x;
        // From a cold start the ends of the bracket are no guide: halve until the root is
        // bracketed by probes of the search.
        if (!warm && !closed) estimate = std::numeric_limits<double>::quiet_NaN();
        const double upper = bKnown ? b : lo;
        if (std::isfinite(estimate)) {
            const bool lastBelow = f != 0.0 && signOf(f) == s0;
            x = lastBelow ? estimate + nudge : estimate - nudge;
        } else {
            x = (a + upper) / 2.0;
        }
        if (!(x > a && x < upper)) {
            // An estimate past a probe on the root's far side: the nearer half; past an end of
            // the bracket, from a start that is off by more than the estimate says: the
            // middle of what is left.
            x = (a + upper) / 2.0;
        } else if (slowSteps >= 2) {
            x = (a + upper) / 2.0;
            slowSteps = 0;
        }
    }

    // Certain signs from the points whose values rounding cannot have turned.
    double below = -std::numeric_limits<double>::infinity();
    double above = std::numeric_limits<double>::infinity();
    for (int k = 0; k < count_; ++k) {
        const Probe& p = probes_[k];
        if (!(std::fabs(p.f) > kCertainResidual)) continue;
        if (signOf(p.f) == s0)
            below = std::max(below, p.x);
        else
            above = std::min(above, p.x);
    }
    // A monotonic residual cannot change sign twice; points that say otherwise void it all.
    if (!(below < above)) return;
    below_ = below;
    above_ = above;
    belowSign_ = s0;
    if (bKnown && b > a) slope_ = (fb - fa) / (b - a);
}

}  // namespace

bool TModel::residualIsMonotonic(const TAssemblage&) {
    return false;
}

void bisectTemperature(TModel& model, const TAssemblage& assemblage, double& T, double tol,
                       double lo, double hi) {
    RunContext& context = model.context();
    ResidualSigns signs(model, context, assemblage);
    const bool fast = model.fastLiquidusSearch && hi > 0.0 && lo > hi && tol > 0.0;
    if (fast) signs.locate(tol, lo, hi);
    Halving result = signs.halve(tol, lo, hi, model.liquidusMemory.path);
    model.liquidusMemory.valid = false;
    const bool atAnEnd = std::fabs(result.x - lo) <= tol || std::fabs(result.x - hi) <= tol;
    if (atAnEnd && !result.exactRoot) {
        // The halving ran into an end of the bracket, where a residual without a root in it
        // also ends up: look for the highest sign change before believing the end.
        const bool lowPositive = residualAt(model, context, assemblage, hi) > 0.0;
        const double step = (lo - hi) / kScanSteps;
        double upper = lo;
        bool upperPositive = residualAt(model, context, assemblage, upper) > 0.0;
        bool found = false;
        for (int k = 1; k <= kScanSteps && !found; ++k) {
            const double lower = k == kScanSteps ? hi : lo - k * step;
            const bool lowerPositive = residualAt(model, context, assemblage, lower) > 0.0;
            if (lowerPositive == lowPositive && upperPositive != lowPositive) {
                result = halve(model, context, assemblage, tol, upper, lower);
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
    } else if (fast && !result.exhausted && signs.slope() != 0.0) {
        model.liquidusMemory.root = result.x;
        model.liquidusMemory.slope = signs.slope();
        model.liquidusMemory.valid = true;
    }
    T = result.x;
    if (result.exhausted) model.message = bisectionWarning(model);
}

}  // namespace varnodel
