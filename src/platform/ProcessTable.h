#pragma once
// What the kernel tells of the running processes (/proc), for naming whoever
// holds something we need and for telling leftovers of dead runs from the
// belongings of live ones.
#include <cstdint>
#include <string>
#include <sys/types.h>

// The process's name (its comm); empty when it is gone or not to be seen.
std::string GetProcessName(pid_t pid);
// A process of this number runs (or waits to be reaped) under our user id.
bool IsOwnLiveProcess(pid_t pid);
// The process that holds a UDP socket bound to wPort in this network
// namespace; 0 when none is to be seen (another user's, without root).
pid_t FindUdpPortOwner(uint16_t wPort);
