// A request to stop a run, from Ctrl-C: SIGINT or SIGTERM on POSIX, the
// console's control events on Windows. The probes being written finish first;
// a continuous run then ends at its next wait.
#pragma once

#include <atomic>

// Catches the requests while it lives, and puts the handling before it back.
class StopRequests {
  public:
    StopRequests();
    ~StopRequests();
    StopRequests(const StopRequests&) = delete;
    StopRequests& operator=(const StopRequests&) = delete;

    // Set when a request came.
    const std::atomic<bool>& Requested() const;
};
