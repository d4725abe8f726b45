#include "gui/ManagerMain.h"

#include "app/DataFileOwner.h"
#include "app/Leftovers.h"
#include "app/OrvixApp.h"
#include "doc/OrvixDoc.h"
#include "gui/AppIcon.h"
#include "gui/InstanceChannel.h"
#include "gui/ManagerSession.h"
#include "gui/RecentFiles.h"
#include "gui/ToolkitTranslation.h"
#include "platform/DataFileLock.h"
#include "platform/PosixDatagramSocket.h"
#include "platform/SingleInstance.h"
#include "platform/TerminationSignals.h"
#include "res/Texts.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {
// How long a second start waits for the running copy to listen and to answer.
constexpr int INSTANCE_CONNECT_MS = 3000;
constexpr int INSTANCE_ANSWER_MS = 5000;

void SetUpParser(QCommandLineParser& parser) {
    parser.setApplicationDescription(QString::fromUtf8(TXT_CMDLINE_DESCRIPTION));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(QString::fromUtf8(TXT_CMDLINE_FILE),
                                 QString::fromUtf8(TXT_CMDLINE_FILE_HELP),
                                 QStringLiteral("[%1]").arg(QString::fromUtf8(TXT_CMDLINE_FILE)));
}

void NameApplication() {
    QCoreApplication::setApplicationName(QString::fromUtf8(TXT_PROGRAM_NAME));
    QCoreApplication::setApplicationVersion(QString::fromUtf8(TXT_PROGRAM_VERSION));
}

// Options QApplication takes for itself; they are gone from the arguments
// once it exists.
bool IsToolkitOption(const QString& strName) {
    static const QStringList s_list = {
        QStringLiteral("platform"),
        QStringLiteral("platformpluginpath"),
        QStringLiteral("platformtheme"),
        QStringLiteral("plugin"),
        QStringLiteral("qwindowgeometry"),
        QStringLiteral("qwindowicon"),
        QStringLiteral("qwindowtitle"),
        QStringLiteral("reverse"),
        QStringLiteral("session"),
        QStringLiteral("display"),
        QStringLiteral("geometry"),
        QStringLiteral("style"),
        QStringLiteral("stylesheet"),
        QStringLiteral("widgetcount"),
        QStringLiteral("name"),
        QStringLiteral("dograb"),
        QStringLiteral("nograb"),
        QStringLiteral("sync"),
    };
    return s_list.contains(strName);
}

// --help, --version and a wrong option are answered before the GUI starts, so
// that they work without a display.
void AnswerBeforeTheGui(int argc, char** argv) {
    QStringList listArgs;
    for (int i = 0; i < argc; ++i) {
        listArgs << QString::fromLocal8Bit(argv[i]);
    }
    QCommandLineParser parser;
    SetUpParser(parser);
    bool bParsed = parser.parse(listArgs);
    bool bOwnError = false;
    for (const QString& strName : parser.unknownOptionNames()) {
        bOwnError = bOwnError || !IsToolkitOption(strName);
    }
    if ((!bParsed && bOwnError) || parser.isSet(QStringLiteral("help")) ||
        parser.isSet(QStringLiteral("version"))) {
        QCoreApplication core(argc, argv);
        NameApplication();
        parser.process(core); // prints and exits
    }
}

// Without a display the toolkit would abort with its own words.
bool HasDisplay(int argc, char** argv) {
    for (const char* pszVar : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        const char* pszValue = std::getenv(pszVar);
        if (pszValue != nullptr && pszValue[0] != '\0') {
            return true;
        }
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0) {
            return true;
        }
    }
    return false;
}
} // namespace

int RunManager(int argc, char** argv, const SStartHooks& hooks) {
    // Before Qt starts any thread, so that every thread has the signals blocked.
    int fdSignals = OpenTerminationSignalFd();
    AnswerBeforeTheGui(argc, argv);
    if (!HasDisplay(argc, argv)) {
        std::fprintf(stderr, "%s: %s\n", TXT_PROGRAM_NAME, TXT_CMDLINE_NO_DISPLAY);
        return 1;
    }
    // First: the file paths, the default parameters and the timing settings.
    COrvixApp theApp;
    QApplication app(argc, argv);
    NameApplication();
    QApplication::setWindowIcon(LoadAppIcon());
    if (!InstallToolkitTranslation()) {
        std::fprintf(stderr, "%s: %s\n", TXT_PROGRAM_NAME, TXT_NO_TOOLKIT_TRANSLATION);
    }
    // Desktops match the window to its entry (mrvmgr.desktop) by this name.
    QGuiApplication::setDesktopFileName(QString::fromUtf8(TXT_PROGRAM_NAME));

    // The toolkit's own options are gone from the arguments now.
    QCommandLineParser parser;
    SetUpParser(parser);
    parser.process(app);
    const QStringList listFiles = parser.positionalArguments();
    if (listFiles.size() > 1) {
        std::fprintf(stderr, "%s: %s\n", TXT_PROGRAM_NAME, TXT_CMDLINE_TOO_MANY);
        return 2;
    }

    // One copy per user session. Without a place for the lock the manager
    // still runs, as one more copy.
    SInstancePaths instance = GetInstancePaths();
    std::unique_ptr<CSingleInstanceLock> pLock;
    QString strSocketPath;
    if (!instance.strLock.empty()) {
        pLock = std::make_unique<CSingleInstanceLock>(instance.strLock);
        strSocketPath = QFile::decodeName(instance.strSocket.c_str());
        if (pLock->IsHeldElsewhere()) {
            // Another copy runs: it comes forward, this one ends without a word.
            return AskRunningCopyToComeForward(strSocketPath, INSTANCE_CONNECT_MS,
                                               INSTANCE_ANSWER_MS)
                       ? 0
                       : 1;
        }
    }

    // The data file is the manager's for the whole run: the lock goes only
    // after the session (and its document's save) has ended.
    std::unique_ptr<CDataFileLock> pDataLock;
    bool bStop = false;
    CManagerSession session(theApp);
    CMainFrame& frame = session.GetFrame();
    // The run ends when the main window has closed for good, whatever other
    // window is still up; the window itself waits for a running command.
    app.setQuitOnLastWindowClosed(false);
    frame.SetClosedHook([&bStop] {
        // Every event loop ends, a message box's of the start-up too, and
        // the document saves as the session ends.
        bStop = true;
        QCoreApplication::exit(0);
    });
    // Told to stop (a logout, a kill): as a close of the window.
    if (fdSignals >= 0) {
        session.GetPump().Watch(fdSignals, [fdSignals, &frame] {
            if (ReadTerminationSignal(fdSignals) != 0) {
                frame.RequestClose();
            }
        });
    }
    CInstanceServer server([&frame] { frame.ComeForward(); });
    if (pLock != nullptr && pLock->IsOwner()) {
        server.Listen(strSocketPath);
    }

    std::string strDataPath = theApp.m_strDataPath;
    if (!listFiles.isEmpty()) {
        QString strPath = QFileInfo(listFiles.front()).absoluteFilePath();
        strDataPath = QFile::encodeName(strPath).toStdString();
        AddRecentFile(*OpenUserSettings(), strPath);
    }
    pDataLock = std::make_unique<CDataFileLock>(strDataPath, APP_MANAGER_NAME);
    if (!TakeDataFileForRun(*pDataLock, strDataPath, session.GetUi())) {
        return bStop ? 0 : 1;
    }
    RemoveLeftoversOfDeadRuns({strDataPath, theApp.m_paramFile.m_strPath});
    session.OpenDocument(strDataPath, std::make_unique<CPosixDatagramSocket>());
    session.UseSystemInterfaces();

    // Unless stopped while the start-up still showed a message.
    int nResult = 0;
    if (!bStop) {
        frame.show();
        if (hooks.fnShown) {
            hooks.fnShown(frame);
        }
        if (hooks.fnRunning) {
            hooks.fnRunning(session);
        }
        nResult = app.exec();
    }
    if (fdSignals >= 0) {
        session.GetPump().Unwatch(fdSignals);
    }
    return nResult;
}
