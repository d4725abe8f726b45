#pragma once

// Qt's own texts (the file dialog, the standard buttons) in Japanese, as the
// manager's own are, whatever the session's locale: from Qt's translations
// (Debian package qt6-translations-l10n). False when they are not installed;
// Qt's English texts stay then.
bool InstallToolkitTranslation();
