#include "gui/AppIcon.h"

#include <QtGlobal>

// The resources live in a static library: they are registered on first use.
static void InitAppResources() {
    Q_INIT_RESOURCE(mrvmgr);
}

QIcon LoadAppIcon() {
    static const bool s_bInit = (InitAppResources(), true);
    (void)s_bInit;
    QIcon icon;
    for (int nSize : {16, 32, 48, 64, 128}) {
        icon.addFile(QStringLiteral(":/mrvmgr/icons/mrvmgr-%1.png").arg(nSize),
                     QSize(nSize, nSize));
    }
    return icon;
}
