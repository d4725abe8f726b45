#include "gui/QtMessagePump.h"
#include "MessagePumpContract.h"

INSTANTIATE_TYPED_TEST_SUITE_P(Qt, MessagePumpContract, ::testing::Types<CQtMessagePump>);

#include <QCoreApplication>
#include <QTimer>
#include <QWidget>

namespace {
class CPaintCounter : public QWidget {
public:
    int m_nPaints = 0;

protected:
    void paintEvent(QPaintEvent*) override { ++m_nPaints; }
};
} // namespace

// A pause keeps the windows alive: timers run and a window asked to repaint
// paints, while the watched descriptors and posted work wait.
TEST(QtMessagePumpPause, WindowsKeepPaintingWhileNothingIsDispatched) {
    CQtMessagePump pump;
    CPaintCounter widget;
    widget.resize(80, 40);
    widget.show();
    QCoreApplication::processEvents();
    int nPaintsBefore = widget.m_nPaints;
    bool bTimerFired = false;
    QTimer::singleShot(30, [&] {
        bTimerFired = true;
        widget.update();
    });
    int nPosted = 0;
    pump.Post([&] { ++nPosted; });
    EXPECT_FALSE(pump.PauseUntilReadable(-1, 400));
    EXPECT_TRUE(bTimerFired);
    EXPECT_GT(widget.m_nPaints, nPaintsBefore);
    EXPECT_EQ(nPosted, 0);
    pump.PumpPendingMessages();
    EXPECT_EQ(nPosted, 1);
}
