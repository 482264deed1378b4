#include "library_lock.h"

std::mutex& ProbeLibraryLock() {
    static std::mutex lock;
    return lock;
}
