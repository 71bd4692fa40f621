// What `calc` shows of the model calculator (engines/ModelCalculator.h): one CSV row per
// analysis under one header, and the same values as a table for a reader on a terminal.
#pragma once

#include <string>
#include <vector>

#include "engines/ModelCalculator.h"

namespace varnodel {

// The header of the rows of results that were all calculated with the same models (the first
// result names them). Values that a model could not give are "-1".
std::string calcHeader(const CalcResult& first);
std::string calcRow(const CalcResult& r, const CalcConditions& conditions);

// The values of one analysis as aligned lines.
std::vector<std::string> calcTable(const CalcResult& r, const CalcConditions& conditions);

}  // namespace varnodel
