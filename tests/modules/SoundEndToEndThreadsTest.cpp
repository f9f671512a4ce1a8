// Speech on the sound card through the programming interface, on SDL's disk
// driver (which writes what would be heard to a file): both playback
// methods play the samples that speech to a buffer gives, the volume
// reference scales the MBROLA player, and deleting the engine leaves no
// thread behind. (Pause and resume: the composer's and the playback
// module's tests.)
#include <gtest/gtest.h>

#include <dirent.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "engine/interface/tmengine.h"
#include "tests/common/Installation.h"

namespace {

using testing_support::Installation;
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
  // One installation, in use by the whole suite.
  static void SetUpTestSuite() {
    installation_ = new Installation();
    installation_->Assemble();
    ASSERT_EQ(tmengine__LoadSharedResources(), 0);
  }
  static void TearDownTestSuite() {
    tmengine__ReleaseSharedResources();
    delete installation_;
  }

  SoundEndToEndThreadsTest() : driver_("SDL_AUDIODRIVER", "disk"), threads_(Threads()) {
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
  // Waits until the file holds what a speech of expected makes heard, ten
  // seconds at most.
  Samples WaitFor(const Samples& expected) {
    for (const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
         std::chrono::steady_clock::now() < end;) {
      const Samples sound = Sound(File());
      if (sound.size() >= expected.size()) return sound;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return Sound(File());
  }

  static Installation* installation_;
  testing_support::ScopedEnv driver_;
  int threads_;
  std::string file_;
  Tamrin* engine_ = nullptr;
};

Installation* SoundEndToEndThreadsTest::installation_ = nullptr;

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
