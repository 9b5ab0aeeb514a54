// Approximate values (private to core/network): the coordinates, heights and orientations the
// iteration starts from, where the input gives none.
#pragma once

#include "State.h"

namespace quorvil::network {

// Fills State::now with the given and the carried coordinates and heights of every point the
// observations reach (State::planeKnown, heightKnown), and State::start with a copy. Throws Error
// naming the points that cannot be reached.
void ApproximateCoordinates(State &state);

// The orientation of every direction set (State::orientation): the mean of bearing − direction
// at the current coordinates, about the first. Throws Error when a station and its target
// coincide.
void ApproximateOrientations(State &state);

} // namespace quorvil::network
