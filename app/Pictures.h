// The installation's pictures and animation as Qt loads them. The
// installation directory is the one registered for the engine (an
// unregistered installation gives no pictures; buttons then show their
// text).
#pragma once

#include <QPixmap>
#include <QString>

#include "app/PictureFiles.h"

namespace pictures {

// The registered installation directory, or empty; never ends the process.
QString InstallationDirectory();
// The picture of id (a null pixmap when it cannot be read).
QPixmap Load(int id);
// The path of the speaking animation.
QString AnimationPath();

}  // namespace pictures
