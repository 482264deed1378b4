// The image a probe of a lot receives: the lot's template with the probe's own
// serial and fabrication month, made by the template's library in manufacture
// mode; and the test whether a probe holds such an image already. Both call the
// library: hold the library lock.
#pragma once

#include <optional>
#include <string>

#include "bound_library.h"
#include "calibration_period.h"
#include "encoding.h"
#include "image_file.h"
#include "lot_ledger.h"

// "YYMM" of the month, as the fabrication date field holds it.
std::string FabricationMonth(probe::YearMonth month);

// The template with the serial and the fabrication date. Throws ToolError when
// the library refuses; lostEdits names a value the image did not keep.
EncodedImage LotImage(const BoundLibrary& library, const ProbeImageBytes& templateImage,
                      long serial, const std::string& fabricationDate);

// The serial of the found image when it is the template with the found image's
// own serial and fabrication date, and that serial lies in the range; nullopt
// otherwise.
std::optional<long> LotSerialHeld(const BoundLibrary& library, const ProbeImageBytes& templateImage,
                                  const ProbeImageBytes& found, const SerialRange& range);
