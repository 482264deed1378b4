// The one ProbeState of this library in the process, and its traits.
#pragma once

#include "probe_state.h"
#include "probe_traits.h"

namespace probe {

ProbeState& LibraryState();
const ProbeTraits& LibraryTraits();

}  // namespace probe
