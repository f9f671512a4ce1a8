// The fakes of the dialog logic's ports (AppFakes.h) and the Qt
// application that the widget tests share.
#pragma once

#include <cstdlib>

#include "app/CSpeechApp.h"
#include "platform/Registry.h"
#include "tests/app/AppFakes.h"
#include "tests/common/TestSupport.h"

namespace app_testing {

// The program's application object, one per test binary, on the offscreen
// platform, with the build tree's pictures registered as the installation's.
inline QApplication& App() {
  static testing_support::TempDir registry;
  static QApplication* app = [] {
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("XDG_CONFIG_HOME", registry.path().c_str(), 1);
    platform::RegistrySetValue("Software\\Quenmoor\\ZORVALIS", "path", TM_BUILD_DIR "/data");
    static int argc = 1;
    static char name[] = "test_app";
    static char* argv[] = {name, nullptr};
    return new CSpeechApp(argc, argv);
  }();
  return *app;
}

}  // namespace app_testing
