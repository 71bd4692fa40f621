// The text of `varnodel-cli models`: every registered set and its models.
#pragma once

#include <ostream>

#include "models/ModelRegistry.h"

namespace varnodel::cli {

void printModels(std::ostream& out, const ModelRegistry& registry);

}  // namespace varnodel::cli
