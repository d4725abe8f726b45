#pragma once
#include <cstddef>
#include <cstdint>
#include <functional>

// The thread's message queue. Everything the manager waits for arrives through
// it: receive notifications of watched descriptors and posted work. Handlers may
// pump again from inside (a dispatch inside a wait inside a dispatch).
class CMessagePump {
public:
    using Handler = std::function<void()>;

    virtual ~CMessagePump() = default;

    // Calls handler whenever fd is readable. The handler is expected to read
    // what is there; one call per ready datagram.
    virtual void Watch(int fd, Handler handler) = 0;
    virtual void Unwatch(int fd) = 0;

    // Queues fn to run on a later pump, after everything posted before it.
    virtual void Post(Handler fn) = 0;

    // Dispatches everything that is ready, never blocking; serves each ready
    // descriptor until nothing is left to read. Returns the number of handlers run.
    virtual size_t PumpPendingMessages() = 0;

    // Blocks until something is ready or ms have passed, then dispatches
    // what is ready. Returns the number of handlers run.
    virtual size_t WaitForMessages(uint32_t ms) = 0;

    // A pause: blocks up to ms, or until fd (when >= 0) is readable, and
    // returns true in that case. No handler runs meanwhile: watched
    // descriptors and posted work wait for the next pump, as they would behind
    // a blocked thread. A windowed pump keeps painting but takes no user
    // input until the pause ends; what came meanwhile is taken then.
    virtual bool PauseUntilReadable(int fd, uint32_t ms) = 0;
};
