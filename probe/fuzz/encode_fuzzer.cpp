// A record built from arbitrary bytes (orders, texts without NUL, odd handles, any
// mode) encoded by each probe type, on a ready and on a not-ready library. The
// output sits in an exact 256-byte allocation so that any overrun is caught.
#include <cstdint>
#include <cstring>
#include <memory>

#include "block_memory.h"
#include "decoder.h"
#include "encoder.h"
#include "fuzz_checks.h"
#include "image_crc.h"
#include "image_layout.h"
#include "probe_state.h"
#include "probe_traits.h"

namespace {

using namespace probe;

const ProbeTraits* const kAllTraits[] = {&kProbeType2, &kProbeType3, &kProbeType6};

// A sound image of the given type: zero-filled fields, orders 0, checksum set.
void MakeSoundImage(const ProbeTraits& traits, std::uint8_t* image) {
    std::memset(image, ' ', kImageSize);
    image[0] = 'M';
    image[1] = '0';
    image[2] = '0';
    image[3] = static_cast<std::uint8_t>('0' + traits.type);
    std::memcpy(image + field::kPositionOrder.offset, "PO00", 4);
    std::memset(image + kPositionCoefficientsOffset, 0, 4);
    std::size_t checksumAt = ForceLawOffset(0);
    if (traits.hasForceLaw) {
        std::memcpy(image + checksumAt + field::kForceOrder.offset, "PO00", 4);
        std::memset(image + checksumAt + kForceCoefficientsOffset, 0, 4);
        checksumAt = kChecksumOffset;
    }
    StoreLittleEndian32(image + checksumAt, ProbeImageCrc(image, checksumAt));
}

// Replaces a handle taken from the input by a live block of a size the input
// chooses, or leaves the odd value as it is.
ProbeBlockHandle PickHandle(ProbeBlockHandle raw, ProbeBlockHandle& owned) {
    if ((raw & 3u) != 0)
        return raw;
    owned = AllocateBlock(raw >> 26);  // 0 to 63 bytes
    return owned;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ProbeParameters record;
    std::memset(&record, 0, sizeof record);
    std::memcpy(&record, data, size < sizeof record ? size : sizeof record);
    std::int32_t mode = 0;
    if (size >= sizeof record + 4)
        std::memcpy(&mode, data + sizeof record, 4);
    std::uint8_t flags = size > sizeof record + 4 ? data[sizeof record + 4] : 0;
    bool ready = (flags & 1) != 0;
    bool sameIdentity = (flags & 2) != 0;  // passes the type and serial checks
    if (size <= sizeof record || (data[sizeof record - 1] & 0x80) == 0)
        record.Size = PROBE_PARAMETERS_SIZE;

    ProbeBlockHandle ownedPosition = 0, ownedForce = 0;
    record.PositionCoefficients = PickHandle(record.PositionCoefficients, ownedPosition);
    record.ForceCoefficients = PickHandle(record.ForceCoefficients, ownedForce);

    for (const ProbeTraits* traits : kAllTraits) {
        static ProbeState state;
        ResetProbeState(state);
        if (ready) {
            std::uint8_t sound[kImageSize];
            MakeSoundImage(*traits, sound);
            FUZZ_CHECK(DecodeImage(*traits, state, sound) == ProbeStatusOk);
        }
        if (sameIdentity) {
            record.Type = state.Parameters.Type;
            record.Serial = state.Parameters.Serial;
        }
        static ProbeState snapshot;
        std::memcpy(&snapshot, &state, sizeof state);

        auto output = std::make_unique<std::uint8_t[]>(kImageSize);
        std::uint16_t status = SetParameters(*traits, state, record, output.get(), mode);
        FUZZ_CHECK(status <= 5);
        FUZZ_CHECK(std::memcmp(&snapshot, &state, sizeof state) == 0);
        if (status == ProbeStatusOk) {
            FUZZ_CHECK(mode == ProbeModeManufacture || state.Ready == 1);
        }
        ResetProbeState(state);
    }
    FreeBlock(ownedPosition);
    FreeBlock(ownedForce);
    return 0;
}
