// The fakes of the dialog logic's ports (AppFakes.h) and the Qt
// application that the widget tests share.
#pragma once

#include <QApplication>

#include "tests/app/AppFakes.h"

namespace app_testing {

// The program's application object, one per test binary, on the offscreen
// platform, with the build tree's pictures registered as the installation's.
QApplication& App();

}  // namespace app_testing
