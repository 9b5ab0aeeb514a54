// The checks of a network before anything is computed (private to core/network): settings,
// standard deviations and values, the points each observation names and their roles, direction
// sets of one direction, fixed points without coordinates, new points without observations.
#pragma once

#include "Types.h"

namespace quorvil::network {

// Throws Error with the message of the first fault, naming its line where the input gave one.
void Validate(const Network &network);

} // namespace quorvil::network
