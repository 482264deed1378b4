// A request to stop a continuous run, from Ctrl-C: SIGINT or SIGTERM on POSIX,
// the console's control events on Windows. The probes being written finish
// first; the run ends at the next wait.
#pragma once

#include <atomic>

// Starts catching the requests; the flag is set when one comes.
void CatchStopRequests();
const std::atomic<bool>& StopRequested();
