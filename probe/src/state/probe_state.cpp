#include "probe_state.h"

#include <cstring>

#include "block_memory.h"

namespace probe {

void ResetProbeState(ProbeState& state) {
    ProbeParameters& record = state.Parameters;
    FreeBlock(record.PositionCoefficients);
    FreeBlock(record.ForceCoefficients);
    FreeBlock(record.PositionTable);
    std::memset(&record, 0, sizeof record);
    std::memset(state.StoredImage, 0, sizeof state.StoredImage);
    std::memset(state.ForcePolynomial, 0, sizeof state.ForcePolynomial);
    state.Ready = 0;
}

}  // namespace probe
