#pragma once
#include "platform/MessagePump.h"

#include <QObject>

#include <deque>
#include <map>
#include <memory>
#include <vector>

class QEventLoop;
class QSocketNotifier;

// The message pump of the GUI: watched descriptors through QSocketNotifier and
// posted work through the Qt event queue, so that while the manager waits the
// windows keep painting and modal dialogs opened from a handler work.
// A QApplication (or QCoreApplication) must exist first.
class CQtMessagePump : public QObject, public CMessagePump {
public:
    CQtMessagePump();
    ~CQtMessagePump() override;
    CQtMessagePump(const CQtMessagePump&) = delete;
    CQtMessagePump& operator=(const CQtMessagePump&) = delete;

    void Watch(int fd, Handler handler) override;
    void Unwatch(int fd) override;
    void Post(Handler fn) override;
    // Qt's pending events, then the posted work and every ready descriptor,
    // round after round until a round runs nothing.
    size_t PumpPendingMessages() override;
    // A nested event loop that ends when a handler ran or the time is up.
    size_t WaitForMessages(uint32_t ms) override;
    // A nested event loop without user input and socket notifiers; the
    // watched descriptors are silenced and posted work is held back. A helper
    // thread blocks on fd and the time, and ends the loop; the input held back
    // is taken before the pause returns.
    bool PauseUntilReadable(int fd, uint32_t ms) override;

private:
    struct SWatch {
        // Shared so that a handler unwatched from inside itself stays alive.
        std::shared_ptr<Handler> pHandler;
        QSocketNotifier* pNotifier = nullptr; // child of the pump
    };

    void OnActivated(int fd);
    size_t RunPosted();
    size_t ServeReadyDescriptors();
    void RunHandler(const std::shared_ptr<Handler>& pHandler);
    void ScheduleWake();

    std::map<int, SWatch> m_mapWatches;
    std::deque<Handler> m_queuePosted;
    // Waits in progress, innermost last; a handler run ends every one of them.
    std::vector<QEventLoop*> m_vecWaits;
    size_t m_nDispatched = 0;
    bool m_bWakeQueued = false;
    int m_nPauseDepth = 0; // pauses in progress: nothing is dispatched
};
