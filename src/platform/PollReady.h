#pragma once
#include <vector>

// One look at a set of descriptors for input: waits up to nTimeoutMs (0: just
// looks), restarting after a signal with the time left. Ready descriptors
// (readable, or with an error or hang-up a read will report) go to
// vecReady; descriptors that are no longer open go to vecClosed, since they
// can never become readable and would otherwise end every wait at once.
// Returns once something is ready or closed, or the time is up.
void PollForInput(const std::vector<int>& vecFds, int nTimeoutMs, std::vector<int>& vecReady,
                  std::vector<int>& vecClosed);

// Readable (or an error a read will report) right now.
bool IsReadableNow(int fd);
