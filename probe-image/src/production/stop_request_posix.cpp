#include <signal.h>

#include "stop_request.h"

namespace {

std::atomic<bool> gStop{false};
struct sigaction gInterrupt {};
struct sigaction gTerminate {};

void OnSignal(int) {
    gStop.store(true);
}

}  // namespace

StopRequests::StopRequests() {
    gStop = false;
    struct sigaction action {};
    action.sa_handler = &OnSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &gInterrupt);
    sigaction(SIGTERM, &action, &gTerminate);
}

StopRequests::~StopRequests() {
    sigaction(SIGINT, &gInterrupt, nullptr);
    sigaction(SIGTERM, &gTerminate, nullptr);
}

const std::atomic<bool>& StopRequests::Requested() const {
    return gStop;
}
