// Speech on the sound card through the programming interface, on SDL's disk
// driver (which writes what would be heard to a file): both playback
// methods play the samples that speech to a buffer gives, the volume
// reference scales the MBROLA player, pause and resume from another thread
// replay the cut block from its start, and deleting the engine leaves no
// thread behind.
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "engine/interface/tmengine.h"
#include "tests/modules/SpeechTestBed.h"

namespace {

using speech_testing::AssembledInstallation;
using speech_testing::UseInstallation;
using Samples = std::vector<int16_t>;

// The threads of the process (a sanitizer's own thread, started with the
// first thread, counted from the start).
int Threads() {
  std::thread([] {}).join();
  int n = 0;
  if (DIR* dir = ::opendir("/proc/self/task")) {
    while (const dirent* entry = ::readdir(dir)) n += entry->d_name[0] != '.';
    ::closedir(dir);
  }
  return n;
}

// The samples from the first to the last that is not zero.
Samples Sound(const Samples& all) {
  const auto first = std::find_if(all.begin(), all.end(), [](int16_t s) { return s != 0; });
  auto last = std::find_if(all.rbegin(), all.rend(), [](int16_t s) { return s != 0; }).base();
  return first < last ? Samples(first, last) : Samples();
}

class SoundEndToEndThreadsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    installation_ = new AssembledInstallation();
    UseInstallation use(*installation_);
    ASSERT_EQ(tmengine__LoadSharedResources(), 0);
  }
  static void TearDownTestSuite() {
    {
      UseInstallation use(*installation_);
      tmengine__ReleaseSharedResources();
    }
    delete installation_;
  }

  SoundEndToEndThreadsTest()
      : use_(*installation_), driver_("SDL_AUDIODRIVER", "disk"), threads_(Threads()) {
    Heard("first.raw");
    EXPECT_EQ(tmengine__New(&engine_), 0);
  }
  ~SoundEndToEndThreadsTest() override {
    EXPECT_EQ(tmengine__Delete(&engine_), 0);
    EXPECT_EQ(Threads(), threads_);
  }
  // The file that the next device to open writes.
  void Heard(const std::string& name) {
    file_ = installation_->workDir() + "/" + name;
    ::setenv("SDL_DISKAUDIOFILE", file_.c_str(), 1);
  }
  Samples Buffer(const char* text) {
    char* block = nullptr;
    long size = 0;
    EXPECT_EQ(tmengine__TextToBuffer(engine_, text, 0, &block, &size), 0);
    Samples samples(reinterpret_cast<int16_t*>(block), reinterpret_cast<int16_t*>(block + size));
    tmengine__FreeBuffer(&block);
    return Sound(samples);
  }
  Samples File() const {
    const std::string bytes = testing_support::ReadFile(file_);
    Samples samples(bytes.size() / 2);
    std::copy(bytes.begin(), bytes.begin() + 2 * samples.size(),
              reinterpret_cast<char*>(samples.data()));
    return samples;
  }
  // Waits until the file holds what a speech of expected makes heard.
  Samples WaitFor(const Samples& expected) {
    for (int i = 0; i < 500; ++i) {
      const Samples sound = Sound(File());
      if (sound.size() >= expected.size()) return sound;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Sound(File());
  }

  static AssembledInstallation* installation_;
  UseInstallation use_;
  testing_support::ScopedEnv driver_;
  int threads_;
  std::string file_;
  Tamrin* engine_ = nullptr;
};

AssembledInstallation* SoundEndToEndThreadsTest::installation_ = nullptr;

TEST_F(SoundEndToEndThreadsTest, BothMethodsPlayTheSamplesOfSpeechToABuffer) {
  const Samples expected = Buffer("καλημέρα");
  ASSERT_GT(expected.size(), 10000u);
  ASSERT_EQ(tmengine__TextToSpeech(engine_, "καλημέρα", 1), 0);
  EXPECT_EQ(WaitFor(expected), expected);

  Heard("player.raw");
  ASSERT_EQ(tmengine__SelectVoiceFont(engine_, "mbrola.vof"), 0);
  ASSERT_EQ(tmengine__TextToSpeech(engine_, "καλημέρα", 1), 0);
  EXPECT_EQ(WaitFor(expected), expected);

  // The volume reference reaches the player.
  Heard("softer.raw");
  ASSERT_EQ(tmengine__SetVolumeReference(engine_, 0.5), 0);
  ASSERT_EQ(tmengine__TextToSpeech(engine_, "καλημέρα", 1), 0);
  const Samples softer = WaitFor(expected);
  ASSERT_EQ(softer.size(), expected.size());
  for (std::size_t i = 0; i < softer.size(); i += 97) {
    EXPECT_NEAR(softer[i], expected[i] / 2.0, 2.0) << i;
  }
}

TEST_F(SoundEndToEndThreadsTest, ResumeFromAnotherThreadReplaysTheCutBlockFromItsStart) {
  constexpr std::size_t kStart = 2000;
  const Samples expected = Buffer("καλημέρα σας, τι κάνετε σήμερα");
  ASSERT_EQ(tmengine__TextToSpeech(engine_, "καλημέρα σας, τι κάνετε σήμερα", 0), 0);
  std::thread other([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(400));
    EXPECT_EQ(tmengine__SpeakPause(engine_), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(tmengine__SpeakResume(engine_), 0);
  });
  other.join();
  // The start is heard twice: cut by the pause, then whole.
  const Samples start(expected.begin(), expected.begin() + kStart);
  Samples heard;
  auto again = heard.end();
  for (int i = 0; i < 1000; ++i) {
    heard = Sound(File());
    const auto first = std::search(heard.begin(), heard.end(), start.begin(), start.end());
    again = first == heard.end() ? first
                                 : std::search(first + 1, heard.end(), start.begin(), start.end());
    if (again != heard.end() && heard.end() - again >= static_cast<long>(expected.size())) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_NE(again, heard.end());
  ASSERT_GE(heard.end() - again, static_cast<long>(expected.size()));
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), again));
  EXPECT_EQ(tmengine__Stop(engine_), 0);
}

TEST_F(SoundEndToEndThreadsTest, DeletingAnEngineThatSpeaksStopsItsPlays) {
  std::string text;
  while (text.size() < 1200) text += "α";
  for (const char* font : {"default.vof", "mbrola.vof"}) {
    SCOPED_TRACE(font);
    Heard(std::string(font) + ".raw");
    ASSERT_EQ(tmengine__SelectVoiceFont(engine_, font), 0);
    ASSERT_EQ(tmengine__TextToSpeech(engine_, text.c_str(), 0), 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(tmengine__Delete(&engine_), 0);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_EQ(Threads(), threads_);
    ASSERT_EQ(tmengine__New(&engine_), 0);
  }
}

}  // namespace
