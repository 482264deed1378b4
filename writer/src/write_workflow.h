// The write workflow behind the "Write" button: pick an image file and write its
// first 256 bytes into the probe's EEPROM.
#pragma once

#include "probe_eeprom.h"
#include "writer_view.h"

// Cancelling the file choice changes nothing; every other outcome sets one status
// text, and a write attempt also reports its result in a message.
void RunWriteWorkflow(ProbeEeprom& eeprom, WriterView& view);
