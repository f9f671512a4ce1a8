// The engine port over a real installation: a save, a character change or
// deleting the engine during speech waits for the run and succeeds.
#include <gtest/gtest.h>

#include <filesystem>

#include "app/TmEnginePort.h"
#include "platform/Codepage.h"
#include "tests/common/Installation.h"

namespace {

TEST(EnginePortThreadsTest, RequestsDuringSpeechWaitForItAndDeleteStopsIt) {
  testing_support::Installation installation;
  installation.Assemble();
  testing_support::ScopedEnv audio("SDL_AUDIODRIVER", "dummy");
  // A character of its own, stored in the engine's code page.
  testing_support::WriteFile(installation.path("voicefonts/own.vof"),
                             platform::Utf8ToCp1253("Settings.DisplayNameGr=Δοκιμή\n"));
  TmEnginePort engine;
  ASSERT_EQ(engine.LoadSharedResources(), 0);
  ASSERT_EQ(engine.New(), 0);
  std::string name;
  ASSERT_EQ(engine.GetVoiceFontParameter("own.vof", "Settings.DisplayNameGr", name), 0);
  EXPECT_EQ(name, "Δοκιμή");
  EXPECT_EQ(engine.GetVoiceFontParameter("missing.vof", "Settings.DisplayName", name), -1100);
  EXPECT_EQ(engine.LastError(), "Error writting to file.");

  const std::string text = "Καλημέρα σας, τι κάνετε;";
  const std::string wave = installation.workDir() + "/out.wav";
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    ASSERT_EQ(engine.TextToSpeech(text, 0), 0);
    EXPECT_EQ(engine.TextToFile(text, wave), 0);
    ASSERT_EQ(engine.TextToSpeech(text, 0), 0);
    EXPECT_EQ(engine.SelectVoiceFont("default.vof"), 0);
  }
  // Four words: well over a second at 22050 Hz.
  EXPECT_GT(std::filesystem::file_size(wave), 44u + 2u * 22050u);

  ASSERT_EQ(engine.TextToSpeech(text, 0), 0);
  EXPECT_EQ(engine.Delete(), 0);
  EXPECT_EQ(engine.ReleaseSharedResources(), 0);
  EXPECT_EQ(engine.LastError(), "");
}

}  // namespace
