#include "gui/ToolkitTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

bool InstallToolkitTranslation() {
    static QTranslator* s_pTranslator = nullptr;
    if (s_pTranslator != nullptr) {
        return true;
    }
    const QLocale locale(QLocale::Japanese, QLocale::Japan);
    auto* pTranslator = new QTranslator(QCoreApplication::instance());
    if (!pTranslator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete pTranslator;
        return false;
    }
    QCoreApplication::installTranslator(pTranslator);
    QLocale::setDefault(locale);
    s_pTranslator = pTranslator;
    return true;
}
