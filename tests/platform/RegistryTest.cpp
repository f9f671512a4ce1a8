#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/Registry.h"
#include "tests/common/TestSupport.h"

namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;
using testing_support::ScopedEnv;
using testing_support::TempDir;
using testing_support::WriteFile;

const char kKey[] = "Software\\Quenmoor\\ZORVALIS";

class RegistryTest : public ::testing::Test {
 protected:
  TempDir root_;
  ScopedEnv xdg_{"XDG_CONFIG_HOME", root_.path().c_str()};

  // Reads a value as the engine does, with a buffer of bufferSize bytes.
  long Query(const std::string& key, const std::string& name, std::string& data,
             size_t bufferSize = 260) {
    platform::RegistryKey handle;
    const long opened = platform::RegistryOpenKey(key, handle);
    if (opened != platform::kRegSuccess) return opened;
    return platform::RegistryQueryValue(handle, name, data, bufferSize);
  }
};

TEST_F(RegistryTest, KeyIsADirectoryUnderTheConfigurationHome) {
  EXPECT_EQ(platform::RegistryKeyDirectory(kKey), root_ / "Quenmoor/ZORVALIS");
  EXPECT_EQ(platform::RegistryKeyDirectory("Software\\A\\B\\C"), root_ / "A/B/C");
}

TEST_F(RegistryTest, SetValueAndReadItBack) {
  ASSERT_EQ(platform::RegistrySetValue(kKey, "path", "/opt/zorvalis"), platform::kRegSuccess);
  EXPECT_EQ(ReadFile(root_ / "Quenmoor/ZORVALIS/path"), "/opt/zorvalis");
  std::string data;
  EXPECT_EQ(Query(kKey, "path", data), platform::kRegSuccess);
  EXPECT_EQ(data, "/opt/zorvalis");

  // Writing again replaces the value.
  ASSERT_EQ(platform::RegistrySetValue(kKey, "path", "/srv/other dir"), platform::kRegSuccess);
  EXPECT_EQ(Query(kKey, "path", data), platform::kRegSuccess);
  EXPECT_EQ(data, "/srv/other dir");
  EXPECT_FALSE(testing_support::FileExists(root_ / "Quenmoor/ZORVALIS/path.new"));
}

TEST_F(RegistryTest, MissingKeyOrValueGivesFileNotFound) {
  std::string data = "untouched";
  EXPECT_EQ(Query(kKey, "path", data), 2);
  ASSERT_EQ(platform::RegistrySetValue(kKey, "other", "x"), platform::kRegSuccess);
  EXPECT_EQ(Query(kKey, "path", data), 2);
  EXPECT_EQ(Query("Software\\Quenmoor\\Missing", "other", data), 2);
  EXPECT_EQ(data, "untouched");
}

TEST_F(RegistryTest, ValueThatDoesNotFitTheBufferGivesMoreData) {
  const std::string big(900, 'p');
  ASSERT_EQ(platform::RegistrySetValue(kKey, "path", big), platform::kRegSuccess);
  std::string data = "untouched";
  EXPECT_EQ(Query(kKey, "path", data, 900), 234);
  EXPECT_EQ(data, "untouched");
  // With room for the terminating zero it fits.
  EXPECT_EQ(Query(kKey, "path", data, 901), platform::kRegSuccess);
  EXPECT_EQ(data, big);
  ASSERT_EQ(platform::RegistrySetValue(kKey, "path", big.substr(0, 899)), platform::kRegSuccess);
  EXPECT_EQ(Query(kKey, "path", data, 900), platform::kRegSuccess);
  EXPECT_EQ(data.size(), 899u);
}

TEST_F(RegistryTest, OneTrailingLineEndIsNotPartOfTheValue) {
  const std::pair<const char*, const char*> rows[] = {
      {"/opt/z\n", "/opt/z"},
      {"/opt/z\r\n", "/opt/z"},
      {"/opt/z\n\n", "/opt/z\n"},
      {"/opt/z", "/opt/z"},
      {"", ""},
      {"\n", ""},
  };
  fs::create_directories(root_ / "Quenmoor/ZORVALIS");
  for (const auto& [stored, expected] : rows) {
    WriteFile(root_ / "Quenmoor/ZORVALIS/path", stored);
    std::string data = "untouched";
    EXPECT_EQ(Query(kKey, "path", data), platform::kRegSuccess) << stored;
    EXPECT_EQ(data, expected) << stored;
  }
}

TEST(RegistryHomeTest, WithoutConfigurationHomeTheHomeFolderIsUsed) {
  TempDir home;
  ScopedEnv homeEnv("HOME", home.path().c_str());
  for (const char* xdg : {static_cast<const char*>(nullptr), "", "relative/dir"}) {
    ScopedEnv xdgEnv("XDG_CONFIG_HOME", xdg);
    EXPECT_EQ(platform::RegistryKeyDirectory(kKey), home / ".config/Quenmoor/ZORVALIS");
  }
  ScopedEnv xdgEnv("XDG_CONFIG_HOME", nullptr);
  ASSERT_EQ(platform::RegistrySetValue(kKey, "path", "/home/install"), platform::kRegSuccess);
  EXPECT_EQ(ReadFile(home / ".config/Quenmoor/ZORVALIS/path"), "/home/install");
  platform::RegistryKey handle;
  ASSERT_EQ(platform::RegistryOpenKey(kKey, handle), platform::kRegSuccess);
  std::string data;
  EXPECT_EQ(platform::RegistryQueryValue(handle, "path", data, 260), platform::kRegSuccess);
  EXPECT_EQ(data, "/home/install");
}

}  // namespace
