// The probe libraries keep the state of their last ProbeInit in the process, so
// no two threads may use them at once: every binding, judgement, encoding and
// description of an image is made holding this one lock. EEPROM transfers run
// without it.
#pragma once

#include <mutex>

std::mutex& ProbeLibraryLock();

using LibraryGuard = std::lock_guard<std::mutex>;
