#pragma once
#include <QSettings>
#include <QString>
#include <QStringList>

#include <memory>

inline constexpr int RECENT_FILE_MAX = 4;

// The per-user settings store: organisation "Kestrune", the application title.
std::unique_ptr<QSettings> OpenUserSettings();

// The recent-file list in a settings store, most recent first.
QStringList ReadRecentFiles(QSettings& settings);
// Puts strPath at the top; the list keeps RECENT_FILE_MAX entries, each once.
void AddRecentFile(QSettings& settings, const QString& strPath);

// The interface a search broadcasts through, by name; empty: all of them.
QString ReadSearchInterface(QSettings& settings);
// The folder of the last download's file; empty: none yet.
QString ReadDownloadFolder(QSettings& settings);
void WriteDownloadFolder(QSettings& settings, const QString& strFolder);
void WriteSearchInterface(QSettings& settings, const QString& strName);
