#pragma once
#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

class CMessagePump;

// What to start. No shell is involved: the arguments reach the program as given.
struct SProcessStart {
    std::vector<std::string> vecArgs; // [0] the program, looked up on PATH without a '/'
    std::string strStdinPath;         // standard input; empty: /dev/null
    std::string strWorkDir;           // working directory; empty: ours
    bool bCaptureOutput = false;      // standard output and error kept apart; otherwise discarded
};

// One child program. It runs in a session and process group of its own,
// without a controlling terminal, with default signal handling and none of
// our descriptors but its standard three. It is killed when the process that
// started it ends, however that ends (a parent-death signal), so that no
// client outlives a killed manager. A process still running when this is
// destroyed is terminated and reaped.
class CProcess {
public:
    CProcess() = default;
    ~CProcess();
    CProcess(const CProcess&) = delete;
    CProcess& operator=(const CProcess&) = delete;

    // False with the reason in strError when it could not be started (no such
    // program, no working directory, no input file).
    bool Start(const SProcessStart& start, std::string& strError);
    // Waits up to ms for the end as a pause of the pump (windows paint, nothing
    // is dispatched). True when it ended; it is reaped then.
    bool Wait(CMessagePump& pump, uint32_t ms);
    // Asks the whole group to end (SIGTERM), gives it dwGraceMs, then kills
    // the group (SIGKILL) and reaps.
    void Terminate(uint32_t dwGraceMs = 1000);

    // For waiting beside other work: readable once the program ended. Then
    // CollectIfEnded reaps it.
    int GetEndDescriptor() const { return m_fdPid; }
    // Reaps the program if it has ended, without waiting; true then.
    bool CollectIfEnded();
    // Asks the whole group to end (SIGTERM) and returns at once.
    void AskToEnd();

    bool IsRunning() const { return m_pid > 0 && !m_bReaped; }
    bool HasEnded() const { return m_bReaped; }
    pid_t GetPid() const { return m_pid; }
    // The wait status (see waitpid) once it ended.
    int GetWaitStatus() const { return m_nStatus; }
    // What it wrote to standard output, at most nMax bytes.
    std::string ReadOutput(size_t nMax) const;
    // What it wrote to standard error, at most nMax bytes.
    std::string ReadErrors(size_t nMax) const;

private:
    void Reap();
    static std::string ReadCaptured(int fd, size_t nMax);

    pid_t m_pid = -1;
    int m_fdPid = -1;
    int m_fdOutput = -1;
    int m_fdErrors = -1;
    bool m_bReaped = false;
    int m_nStatus = 0;
};
