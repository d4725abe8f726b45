#pragma once
// The manager holds its data file for its whole run, so that mrvctl can never
// write it meanwhile, nor the manager overwrite what mrvctl wrote.
#include <cstdint>
#include <string>

class CDataFileLock;
class CUi;

// How long another program's hold is waited for before the operator is asked.
inline constexpr uint32_t MANAGER_DATA_LOCK_WAIT_MS = 2000;

// Takes the lock for the run. Another program that holds it (mrvctl in a
// command) is waited for a moment; then the operator is told who holds it and
// tries again or ends the start (false).
bool TakeDataFileForRun(CDataFileLock& lock, const std::string& strDataPath, CUi& ui,
                        uint32_t dwWaitMs = MANAGER_DATA_LOCK_WAIT_MS);
