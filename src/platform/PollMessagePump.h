#pragma once
#include "platform/MessagePump.h"

#include <deque>
#include <map>
#include <memory>
#include <vector>

// Headless message pump on poll(2).
class CPollMessagePump : public CMessagePump {
public:
    void Watch(int fd, Handler handler) override;
    void Unwatch(int fd) override;
    void Post(Handler fn) override;
    size_t PumpPendingMessages() override;
    size_t WaitForMessages(uint32_t ms) override;
    bool PauseUntilReadable(int fd, uint32_t ms) override;

protected:
    // Waits up to ms (0: just looks) for a watched descriptor; true when one is ready.
    bool PollReady(int nTimeoutMs);

private:
    std::vector<int> WatchedDescriptors() const;
    size_t RunPosted();
    size_t ServeReadyDescriptors();

    // Handlers are shared so that one unwatched from inside itself stays alive.
    std::map<int, std::shared_ptr<Handler>> m_mapWatches;
    std::deque<Handler> m_queuePosted;
};
