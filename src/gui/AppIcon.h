#pragma once
#include <QIcon>

// The application's icon (window, version box), from the program's resources.
QIcon LoadAppIcon();
