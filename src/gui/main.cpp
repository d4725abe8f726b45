#include "app/OrvixApp.h"
#include "doc/OrvixDoc.h"
#include "gui/MainFrame.h"
#include "gui/QtMessagePump.h"
#include "gui/QtUi.h"
#include "platform/PosixDatagramSocket.h"
#include "platform/PumpClock.h"
#include "platform/TerminationSignals.h"

#include <QApplication>

#include <memory>

int main(int argc, char** argv) {
    // Before Qt starts any thread, so that every thread has the signals blocked.
    int fdSignals = OpenTerminationSignalFd();
    // First: the file paths, the default parameters and the timing settings.
    COrvixApp theApp;
    QApplication app(argc, argv);

    CQtMessagePump pump;
    // Fixed pauses keep the windows painting, as the waits do.
    CPumpClock clock(pump);
    CMainFrame frame;
    CQtUi ui(&frame);

    // Loads the data file, and reports a taken port itself, once; the manager
    // runs on without node communication then. Saves the data file at the end.
    COrvixDoc doc(
        SDocEnv{ui, pump, clock, theApp.m_settings, theApp.GetDefaultParam(), theApp.m_strDataPath},
        std::make_unique<CPosixDatagramSocket>());
    SFtpRunEnv ftpEnv;
    ftpEnv.strScriptDir = theApp.m_strFilesDir;
    doc.SetFtpRunEnv(ftpEnv);
    frame.SetDocument(&doc);
    if (fdSignals >= 0) {
        // Told to stop: leave the event loop, so the document saves as on a close.
        pump.Watch(fdSignals, [fdSignals] {
            if (ReadTerminationSignal(fdSignals) != 0) {
                QApplication::quit();
            }
        });
    }
    doc.UpdateAllViews();
    frame.show();
    return app.exec();
}
