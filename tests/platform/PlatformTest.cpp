// The stand-ins for the Windows services: the exit hook, message boxes and
// the registry.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/ExitHook.h"
#include "platform/MessageBox.h"
#include "platform/Registry.h"
#include "tests/common/TestSupport.h"

namespace {

using testing_support::ReadFile;
using testing_support::ScopedEnv;
using testing_support::TempDir;

TEST(ExitHookDeathTest, TheProcessEndsWithTheCodeAndItsBuffersFlushedEvenWhenAHookReturns) {
  TempDir dir;
  EXPECT_EXIT(
      {
        std::FILE* file = std::fopen((dir / "out.txt").c_str(), "w");
        std::fputs("written before the exit", file);
        platform::ExitProcess(541);
      },
      testing::ExitedWithCode(541 & 0xFF), "");  // a parent sees the low eight bits
  EXPECT_EQ(ReadFile(dir / "out.txt"), "written before the exit");
  EXPECT_EXIT(
      {
        platform::SetExitHook([](int code) { std::fprintf(stderr, "hook saw %d\n", code); });
        platform::ExitProcess(550);
      },
      testing::ExitedWithCode(550 & 0xFF), "hook saw 550");
}

TEST(MessageBoxTest, TheDefaultSinkWritesCaptionAndTextToStandardError) {
  const platform::MessageSink previous = platform::SetMessageSink(nullptr);
  testing::internal::CaptureStderr();
  platform::ShowMessageBox("Tamrin Engine", "Error: parameter [x] was not found");
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "[Tamrin Engine] Error: parameter [x] was not found\n");
  platform::SetMessageSink(previous);
}

TEST(RegistryTest, KeysAreFoldersOfTheConfigurationHomeAndValuesFiles) {
  const char key[] = "Software\\Quenmoor\\ZORVALIS";
  TempDir root;
  ScopedEnv xdg("XDG_CONFIG_HOME", root.path().c_str());
  const auto query = [&](std::string& data, size_t size = 900) {
    platform::RegistryKey handle;
    const long opened = platform::RegistryOpenKey(key, handle);
    return opened != platform::kRegSuccess
               ? opened
               : platform::RegistryQueryValue(handle, "path", data, size);
  };
  std::string data = "untouched";
  EXPECT_EQ(query(data), 2);  // no key
  const std::pair<std::string, std::string> rows[] = {
      {"/opt/z", "/opt/z"},
      {"/opt/z\r\n", "/opt/z"},
      {"/opt/z\n\n", "/opt/z\n"},
      {std::string(899, 'p'), std::string(899, 'p')}};
  for (const auto& [stored, expected] : rows) {
    ASSERT_EQ(platform::RegistrySetValue(key, "path", stored), platform::kRegSuccess);
    EXPECT_EQ(ReadFile(root / "Quenmoor/ZORVALIS/path"), stored);
    EXPECT_EQ(query(data), platform::kRegSuccess);
    EXPECT_EQ(data, expected);
  }
  platform::RegistrySetValue(key, "path", std::string(900, 'p'));
  EXPECT_EQ(query(data), 234);  // does not fit
  EXPECT_EQ(query(data, 901), platform::kRegSuccess);
  TempDir home;
  ScopedEnv homeEnv("HOME", home.path().c_str());
  for (const char* value : {static_cast<const char*>(nullptr), "", "relative/dir"}) {
    ScopedEnv unset("XDG_CONFIG_HOME", value);
    EXPECT_EQ(platform::RegistryKeyDirectory(key), home / ".config/Quenmoor/ZORVALIS");
  }
}

}  // namespace
