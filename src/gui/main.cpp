#include "gui/MainFrame.h"
#include "gui/QtMessagePump.h"
#include "gui/QtUi.h"
#include "params/AppSettings.h"
#include "params/NodeParam.h"
#include "platform/Clock.h"
#include "platform/PosixDatagramSocket.h"
#include "registry/OrvixDoc.h"

#include <QApplication>

#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    QApplication app(argc, argv);

    CSystemClock clock;
    CQtMessagePump pump;
    CMainFrame frame;
    CQtUi ui(&frame);

    // TODO(app): COrvixApp takes over here: the timing settings and the default
    // parameters from DefParam.ini, and the data file's path. Until then the
    // built-in defaults, and no data file is read or written.
    SAppSettings settings;
    NODEPARAM defParam;
    std::memset(&defParam, 0, sizeof defParam);
    std::string strDataPath;

    // Reports a taken port itself, once, and the manager runs on without it.
    COrvixDoc doc(SDocEnv{ui, pump, clock, settings, defParam, strDataPath},
                  std::make_unique<CPosixDatagramSocket>());
    frame.SetDocument(&doc);
    doc.UpdateAllViews();
    frame.show();
    return app.exec();
}
