#include <windows.h>

#include "stop_request.h"

namespace {

std::atomic<bool> gStop{false};

BOOL WINAPI OnControl(DWORD event) {
    switch (event) {
        case CTRL_C_EVENT:
        case CTRL_BREAK_EVENT:
        case CTRL_CLOSE_EVENT:
            gStop.store(true);
            return TRUE;
        default:
            return FALSE;
    }
}

}  // namespace

StopRequests::StopRequests() {
    gStop = false;
    SetConsoleCtrlHandler(&OnControl, TRUE);
}

StopRequests::~StopRequests() {
    SetConsoleCtrlHandler(&OnControl, FALSE);
}

const std::atomic<bool>& StopRequests::Requested() const {
    return gStop;
}
