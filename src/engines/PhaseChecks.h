// The test every engine makes of a composition before it takes it as a phase: a mineral that a
// model wrote, or the melt that a step leaves.
#pragma once

#include <string>
#include <string_view>

#include "core/Composition.h"

namespace varnodel {

// Why `phase` cannot be a real phase: "negative CaO" or "MgO that is not a number" for the first
// such oxide (then H2O and each trace element of `active`); empty when every value is a finite
// number >= 0. The unit does not matter (wt% or the molar form).
std::string impossibleComposition(const TAnalysis& phase, const ActiveElements& active);

// The same test of a melt that a crystallisation step leaves, but for its Cr2O3: crystals that
// exhaust the melt's chromium take it to or a little below zero, and the Cr2O3 floor at the end
// of the step sets it to 0.
std::string impossibleMelt(const TAnalysis& melt, const ActiveElements& active);

// "an olivine", "a plagioclase": a phase name in a sentence.
std::string withArticle(std::string_view noun);

}  // namespace varnodel
