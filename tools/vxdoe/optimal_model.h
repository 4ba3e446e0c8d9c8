// vxdoe optimal for the model a practitioner will fit: numeric and
// categorical factors (--factor), a model of main effects, interactions,
// curvature or listed terms (--model), a criterion (--optimality D, A, I or
// G), a region cut by constraints and exclusions, kept runs (--augment) and
// blocks. The host's coordinate exchange (host/optimal/model_exchange.h)
// searches it; the library's exchanges stay with plain --levels.
#pragma once

#include "tools/vxdoe/output.h"

#include <vector>

namespace vxdoe::optimal_model {

// The options only a model-based plan reads, for the optimal job's table.
std::vector<Option> options();

// Whether the options ask for a model-based plan rather than the library's
// main-effects one.
bool asked(const Args& args);

int run(const Args& args, Output& out);

}  // namespace vxdoe::optimal_model
