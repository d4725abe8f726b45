#include "gui/RecentFiles.h"

#include "res/Texts.h"

namespace {
QString EntryKey(int nIndex) {
    return QString::asprintf(TXT_SETTINGS_RECENT_ENTRY, nIndex + 1);
}
} // namespace

std::unique_ptr<QSettings> OpenUserSettings() {
    return std::make_unique<QSettings>(QString::fromUtf8(TXT_SETTINGS_ORGANIZATION),
                                       QString::fromUtf8(TXT_APP_TITLE));
}

QStringList ReadRecentFiles(QSettings& settings) {
    QStringList list;
    settings.beginGroup(QString::fromUtf8(TXT_SETTINGS_RECENT_SECTION));
    for (int i = 0; i < RECENT_FILE_MAX; ++i) {
        QString strPath = settings.value(EntryKey(i)).toString();
        if (!strPath.isEmpty()) {
            list << strPath;
        }
    }
    settings.endGroup();
    return list;
}

void AddRecentFile(QSettings& settings, const QString& strPath) {
    QStringList list = ReadRecentFiles(settings);
    list.removeAll(strPath);
    list.prepend(strPath);
    settings.beginGroup(QString::fromUtf8(TXT_SETTINGS_RECENT_SECTION));
    for (int i = 0; i < RECENT_FILE_MAX; ++i) {
        if (i < list.size()) {
            settings.setValue(EntryKey(i), list[i]);
        } else {
            settings.remove(EntryKey(i));
        }
    }
    settings.endGroup();
    settings.sync();
}

QString ReadSearchInterface(QSettings& settings) {
    settings.beginGroup(QString::fromUtf8(TXT_SETTINGS_SEARCH_SECTION));
    QString strName = settings.value(QString::fromUtf8(TXT_SETTINGS_SEARCH_INTERFACE)).toString();
    settings.endGroup();
    return strName;
}

void WriteSearchInterface(QSettings& settings, const QString& strName) {
    settings.beginGroup(QString::fromUtf8(TXT_SETTINGS_SEARCH_SECTION));
    if (strName.isEmpty()) {
        settings.remove(QString::fromUtf8(TXT_SETTINGS_SEARCH_INTERFACE));
    } else {
        settings.setValue(QString::fromUtf8(TXT_SETTINGS_SEARCH_INTERFACE), strName);
    }
    settings.endGroup();
    settings.sync();
}

QString ReadDownloadFolder(QSettings& settings) {
    settings.beginGroup(QString::fromUtf8(TXT_SETTINGS_DOWNLOAD_SECTION));
    QString strFolder = settings.value(QString::fromUtf8(TXT_SETTINGS_DOWNLOAD_FOLDER)).toString();
    settings.endGroup();
    return strFolder;
}

void WriteDownloadFolder(QSettings& settings, const QString& strFolder) {
    settings.beginGroup(QString::fromUtf8(TXT_SETTINGS_DOWNLOAD_SECTION));
    settings.setValue(QString::fromUtf8(TXT_SETTINGS_DOWNLOAD_FOLDER), strFolder);
    settings.endGroup();
    settings.sync();
}
