#include "global_memory_faults.h"

#include <dlfcn.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>

namespace {

struct Faults {
    unsigned allocFailCountdown = 0;
    unsigned lockFailCountdown = 0;
    std::set<std::uintptr_t> live;  // handles handed out and not yet freed
};

Faults& TheFaults() {
    static Faults faults;
    return faults;
}

[[noreturn]] void Stop(const char* why) {
    std::fprintf(stderr, "global memory faults: %s\n", why);
    std::abort();
}

// The shipped library's function of that name, the next one after ours.
template <typename Function>
Function Next(const char* name) {
    void* found = dlsym(RTLD_NEXT, name);
    if (found == nullptr)
        Stop("the movable-memory library is not loaded after the fault library");
    return reinterpret_cast<Function>(found);
}

// Counts down an armed fault; true on the call that must fail.
bool Trip(unsigned& countdown) {
    if (countdown == 0)
        return false;
    return --countdown == 0;
}

// True when the process calls our GlobalAlloc, not the shipped library's.
bool Interposed() {
    Dl_info ours{};
    Dl_info first{};
    void* found = dlsym(RTLD_DEFAULT, "GlobalAlloc");
    return found != nullptr && dladdr(reinterpret_cast<void*>(&TheFaults), &ours) != 0 &&
           dladdr(found, &first) != 0 && ours.dli_fbase == first.dli_fbase;
}

void RequireInterposed() {
    static const bool interposed = Interposed();
    if (!interposed)
        Stop("GlobalAlloc is the shipped library's: link the fault library ahead of it");
}

std::uintptr_t Key(HGLOBAL block) {
    return reinterpret_cast<std::uintptr_t>(block);
}

}  // namespace

extern "C" {

HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes) {
    static const auto next = Next<HGLOBAL (*)(UINT, SIZE_T)>("GlobalAlloc");
    Faults& faults = TheFaults();
    if (Trip(faults.allocFailCountdown))
        return nullptr;
    HGLOBAL block = next(flags, bytes);
    if (block != nullptr)
        faults.live.insert(Key(block));
    return block;
}

LPVOID GlobalLock(HGLOBAL block) {
    static const auto next = Next<LPVOID (*)(HGLOBAL)>("GlobalLock");
    // A handle that is not live fails on its own, without using up the fault.
    if (GlobalFlags(block) != GMEM_INVALID_HANDLE && Trip(TheFaults().lockFailCountdown))
        return nullptr;
    return next(block);
}

HGLOBAL GlobalFree(HGLOBAL block) {
    static const auto next = Next<HGLOBAL (*)(HGLOBAL)>("GlobalFree");
    HGLOBAL result = next(block);
    if (result == nullptr)
        TheFaults().live.erase(Key(block));
    return result;
}

void CompatFailNthGlobalAlloc(unsigned n) {
    RequireInterposed();
    TheFaults().allocFailCountdown = n;
}

void CompatFailNthGlobalLock(unsigned n) {
    RequireInterposed();
    TheFaults().lockFailCountdown = n;
}

unsigned CompatLiveGlobalBlocks(void) {
    RequireInterposed();
    return static_cast<unsigned>(TheFaults().live.size());
}

}  // extern "C"
