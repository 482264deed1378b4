// Takes the place of DllMain's attach: the state is reset when the library is loaded.
#include "library_state.h"

namespace {

__attribute__((constructor)) void AttachProbeLibrary() {
    probe::ResetProbeState(probe::LibraryState());
}

}  // namespace
