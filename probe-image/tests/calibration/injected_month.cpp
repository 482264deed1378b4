#include "injected_month.h"

#include <cstring>
#include <map>

#include "calibration.h"
#include "local_clock.h"
#include "palvo.h"

namespace {

// One answering function per library bound at once; there are three probe types.
constexpr int kSlots = 3;

probe::YearMonth gMonth{};
LibraryLoaderApi gPrevious{};
ProbeGetParametersFn gGetParameters[kSlots] = {};
std::map<HMODULE, int> gSlots;

probe::YearMonth InjectedClock() {
    return gMonth;
}

template <int Slot>
uint16_t PALVO_CALL IsCalibratedAtInjectedMonth(int32_t* calibrated) {
    probe::ProbeState state{};
    state.Parameters.Size = PROBE_PARAMETERS_SIZE;
    state.Ready = gGetParameters[Slot](&state.Parameters) == ProbeStatusOk ? 1 : 0;
    return probe::IsCalibrated(state, gMonth, calibrated);
}

constexpr ProbeIsCalibratedFn kAnswers[kSlots] = {&IsCalibratedAtInjectedMonth<0>,
                                                  &IsCalibratedAtInjectedMonth<1>,
                                                  &IsCalibratedAtInjectedMonth<2>};

LoadedFunction Lookup(HMODULE module, const char* name) {
    LoadedFunction found = gPrevious.lookup(module, name);
    if (found == nullptr || std::strcmp(name, "ProbeIsCalibrated") != 0)
        return found;
    auto slot = gSlots.try_emplace(module, static_cast<int>(gSlots.size()) % kSlots).first->second;
    gGetParameters[slot] = reinterpret_cast<ProbeGetParametersFn>(
        reinterpret_cast<void*>(gPrevious.lookup(module, "ProbeGetParameters")));
    if (gGetParameters[slot] == nullptr)
        return found;
    return reinterpret_cast<LoadedFunction>(reinterpret_cast<void*>(kAnswers[slot]));
}

}  // namespace

InjectedMonth::InjectedMonth(probe::YearMonth month) : previous_(ActiveLibraryLoaderApi()) {
    gMonth = month;
    gPrevious = previous_;
    gSlots.clear();
    probe::SetClockForTesting(&InjectedClock);
    ActiveLibraryLoaderApi().lookup = &Lookup;
}

InjectedMonth::~InjectedMonth() {
    ActiveLibraryLoaderApi() = previous_;
    probe::SetClockForTesting(nullptr);
}
