#pragma once

// SIGINT, SIGTERM and SIGHUP as a readable descriptor, so that a manager told
// to stop ends its run normally (and saves its data) instead of dying. Call
// before any thread starts; returns -1 when it cannot be had.
int OpenTerminationSignalFd();
// Takes the pending signal off the descriptor; returns its number, or 0.
int ReadTerminationSignal(int fd);
