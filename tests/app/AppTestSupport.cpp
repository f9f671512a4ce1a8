#include "tests/app/AppTestSupport.h"

#include <cstdlib>

#include "app/CSpeechApp.h"

#include "platform/Registry.h"
#include "tests/common/TestSupport.h"

namespace app_testing {

QApplication& App() {
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
