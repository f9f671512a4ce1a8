// Helpers of the tests of the phone-text generator and the in-process
// synthesis: a composer stand-in with the Greek phone set, the duration and
// intonation arrays, a speech buffer and a voice font; a scripted stand-in
// of the synthesizer library; and installations assembled from the build
// tree's data with the built mbrola.so.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "engine/base/Log.h"
#include "engine/composer/VCharacter.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/data/VSpeechBuffer.h"
#include "engine/shared/TMShared.h"
#include "modules/vm_genpho.h"
#include "modules/vm_mbrola.h"
#include "tests/common/FakeComposer.h"
#include "tests/common/TestSupport.h"

namespace speech_testing {

// The lines of a text cut at "\n" (a last line without a line feed counts).
inline std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t lf = text.find('\n', start);
    lines.push_back(text.substr(start, lf == std::string::npos ? lf : lf - start));
    if (lf == std::string::npos) return lines;
    start = lf + 1;
  }
}

// A stand-in of the synthesizer library, driven by a script. The module
// reaches it through a table of plain functions, so one instance at a time
// is the library (`current`).
class ScriptedMbrola {
 public:
  ScriptedMbrola() { current = this; }
  ~ScriptedMbrola() { current = nullptr; }
  ScriptedMbrola(const ScriptedMbrola&) = delete;
  ScriptedMbrola& operator=(const ScriptedMbrola&) = delete;

  // The answer to write_MBR of a text other than "\n" (the count of the
  // offers of that text so far, this one included, is given too); by
  // default every text is taken.
  std::function<int(const std::string& text, int offers)> onWrite;
  // Called by flush_MBR.
  std::function<void()> onFlush;
  // The samples that read_MBR hands out, in order.
  std::deque<int16_t> ready;
  // The result of init_MBR, and the pending error of lastError_MBR with its
  // text.
  int initResult = 0;
  int pendingError = 0;
  std::string errorText;

  // Every call, in order: "init <path>", "noerror <value>", "write <text>"
  // ("write \n" for a line feed), "refused <text>", "read <count>" (the
  // count handed out), "flush", "lasterror"; a call of one of the entry
  // points that the module must never call: "unexpected <name>".
  std::vector<std::string> calls;

  // The table of entry points that stands for the library.
  static MbrolaApi Api();

  // The texts that were taken, in order.
  std::vector<std::string> Taken() const {
    std::vector<std::string> out;
    for (const std::string& call : calls) {
      if (call.rfind("write ", 0) == 0) out.push_back(call.substr(6));
    }
    return out;
  }
  int Count(const std::string& call) const {
    int n = 0;
    for (const std::string& c : calls) n += c == call ? 1 : 0;
    return n;
  }
  // Makes count samples ready, numbered from first.
  void MakeReady(int count, int first = 0) {
    for (int i = 0; i < count; ++i) ready.push_back(static_cast<int16_t>((first + i) % 30000));
  }

  static ScriptedMbrola* current;

 private:
  std::map<std::string, int> offers_;
  friend struct ScriptedEntryPoints;
};

inline ScriptedMbrola* ScriptedMbrola::current = nullptr;

struct ScriptedEntryPoints {
  static ScriptedMbrola& S() { return *ScriptedMbrola::current; }
  static void Unexpected(const char* name) {
    S().calls.push_back(std::string("unexpected ") + name);
  }

  static int Init(char* path) {
    S().calls.push_back(std::string("init ") + path);
    return S().initResult;
  }
  static int Write(char* text) {
    ScriptedMbrola& s = S();
    const std::string t = text;
    if (t == "\n") {
      s.calls.push_back("write \n");
      return 1;
    }
    const int offers = ++s.offers_[t];
    const int r = s.onWrite ? s.onWrite(t, offers) : 1;
    s.calls.push_back((r > 0 ? "write " : "refused ") + t);
    return r;
  }
  static int Flush() {
    S().calls.push_back("flush");
    if (S().onFlush) S().onFlush();
    return 1;
  }
  static int Read(short* buffer, int wanted) {
    ScriptedMbrola& s = S();
    int n = 0;
    while (n < wanted && !s.ready.empty()) {
      buffer[n++] = s.ready.front();
      s.ready.pop_front();
    }
    s.calls.push_back("read " + std::to_string(n));
    return n;
  }
  static int LastError() {
    S().calls.push_back("lasterror");
    return S().pendingError;
  }
  static int LastErrorStr(char* buffer, int length) {
    const std::string& text = S().errorText;
    const int n = std::min(static_cast<int>(text.size()), length - 1);
    text.copy(buffer, static_cast<std::size_t>(n));
    buffer[n] = '\0';
    return n;
  }
  static void SetNoError(int value) { S().calls.push_back("noerror " + std::to_string(value)); }

  static int InitRename(char*, char*, char*) {
    Unexpected("init_rename_MBR");
    return 0;
  }
  static int ReadType(void*, int, int) {
    Unexpected("readtype_MBR");
    return 0;
  }
  static void Close() { Unexpected("close_MBR"); }
  static void Reset() { Unexpected("reset_MBR"); }
  static int GetNoError() {
    Unexpected("getNoError_MBR");
    return 0;
  }
  static void SetFreq(int) { Unexpected("setFreq_MBR"); }
  static int GetFreq() {
    Unexpected("getFreq_MBR");
    return 0;
  }
  static void SetVolumeRatio(float) { Unexpected("setVolumeRatio_MBR"); }
  static float GetVolumeRatio() {
    Unexpected("getVolumeRatio_MBR");
    return 0.0f;
  }
  static int GetVersion(char*, int) {
    Unexpected("getVersion_MBR");
    return 0;
  }
  static int GetDatabaseInfo(char*, int, int) {
    Unexpected("getDatabaseInfo_MBR");
    return 0;
  }
};

inline MbrolaApi ScriptedMbrola::Api() {
  MbrolaApi api;
  api.init_MBR = &ScriptedEntryPoints::Init;
  api.init_rename_MBR = &ScriptedEntryPoints::InitRename;
  api.write_MBR = &ScriptedEntryPoints::Write;
  api.flush_MBR = &ScriptedEntryPoints::Flush;
  api.read_MBR = &ScriptedEntryPoints::Read;
  api.readtype_MBR = &ScriptedEntryPoints::ReadType;
  api.close_MBR = &ScriptedEntryPoints::Close;
  api.reset_MBR = &ScriptedEntryPoints::Reset;
  api.lastError_MBR = &ScriptedEntryPoints::LastError;
  api.lastErrorStr_MBR = &ScriptedEntryPoints::LastErrorStr;
  api.setNoError_MBR = &ScriptedEntryPoints::SetNoError;
  api.getNoError_MBR = &ScriptedEntryPoints::GetNoError;
  api.setFreq_MBR = &ScriptedEntryPoints::SetFreq;
  api.getFreq_MBR = &ScriptedEntryPoints::GetFreq;
  api.setVolumeRatio_MBR = &ScriptedEntryPoints::SetVolumeRatio;
  api.getVolumeRatio_MBR = &ScriptedEntryPoints::GetVolumeRatio;
  api.getVersion_MBR = &ScriptedEntryPoints::GetVersion;
  api.getDatabaseInfo_MBR = &ScriptedEntryPoints::GetDatabaseInfo;
  return api;
}

// The settings of the bed's voice font unless a test gives others.
constexpr const char* kBedFont =
    "TIMEQUANTUM=20\n"
    "Duration reference=100\n"
    "Intonation reference=120\n"
    "VM_GeneratorPHO.Quantum=50\n"
    "SpeechBuffer.InitAllocation=16\n"
    "SpeechBuffer.SampleRate=22050\n"
    "VM_Mbrola.Database=voices/test.voice\n"
    "VM_Mbrola.Quantum=25\n";

// A composer stand-in with the Greek phone set, the two arrays, a speech
// buffer, the generator registered in its directory and a voice font.
class SpeechBed : public testing::Test {
 protected:
  SpeechBed() {
    Log::EnableErrors();
    VSR_PhonePool* pool = shared_.GetPhonePool();
    for (const char* column : {"symbol", "phone", "vowel"}) pool->AddFeatureName(column);
    for (char c : std::string("aeiouAEIOU")) AddPhone(c, "1", "1");
    for (char c : std::string("ptkbdgfvTDszxGmnljrc")) AddPhone(c, "1", "0");
    for (char c : std::string("_#/,.;!")) AddPhone(c, "0", "0");

    composer_.shared = &shared_;
    composer_.duration = &duration_;
    composer_.intonation = &intonation_;
    composer_.speech = &speech_;
    duration_.SetComposer(&composer_);
    intonation_.SetComposer(&composer_);
    speech_.SetComposer(&composer_);
    EXPECT_TRUE(composer_.directory.AddModule(&generator_));
    UseFont(kBedFont);
    speech_.Init();
  }

  // Makes a new voice font of these settings the current character and
  // sets the generator up again.
  void UseFont(const std::string& settings) {
    const std::string name = "fonts/font" + std::to_string(++fonts_) + ".vof";
    inst_.write(name, settings);
    auto character = std::make_unique<VCharacter>();
    EXPECT_EQ(character->Load(inst_.path(name)), 1);
    character_ = std::move(character);
    composer_.character = character_.get();
    generator_.SetUp();
  }

  // A new run over the phone string: the arrays and the speech buffer are
  // reset, the text set, and the durations prepared with the given factors
  // (1.0 for the characters that have none).
  void Begin(const std::string& phones, const std::vector<float>& factors = {}) {
    duration_.Reset();
    intonation_.Reset();
    speech_.Reset();
    composer_.text.SetText(phones);
    ASSERT_EQ(duration_.Prepare(), 1);
    for (std::size_t i = 0; i < factors.size(); ++i) {
      duration_.Set(static_cast<int>(i), factors[i]);
    }
  }
  // Sets the relative F0 cells of the phone at index i (after Begin).
  void SetCells(int i, const std::vector<float>& values) {
    ASSERT_EQ(intonation_.Prepare(), 1);
    int count = 0;
    float* cells = intonation_.CellsAt(composer_.text.GetText() + i, &count);
    ASSERT_EQ(count, static_cast<int>(values.size())) << "phone " << i;
    for (int k = 0; k < count; ++k) cells[k] = values[static_cast<std::size_t>(k)];
  }
  // Runs the generator and gives its phone text.
  std::string Generate() {
    EXPECT_TRUE(generator_.Run());
    return generator_.GetPho();
  }
  std::string Generate(const std::string& phones, const std::vector<float>& factors = {}) {
    Begin(phones, factors);
    return Generate();
  }

  std::vector<int16_t> Samples() const {
    return std::vector<int16_t>(speech_.GetSamples(), speech_.GetSamples() + speech_.GetSize());
  }

  // The error lines of the engine log.
  std::vector<std::string> LogErrors() const {
    std::vector<std::string> out;
    for (const std::string& line : testing_support::ReadLines(inst_.path("log.txt"))) {
      if (line.rfind("*** ERROR:\t", 0) == 0) out.push_back(line);
    }
    return out;
  }
  std::vector<std::string> LogLines() const {
    return testing_support::ReadLines(inst_.path("log.txt"));
  }
  // The error reports shown so far, without their time stamps.
  std::vector<std::string> Reported() const {
    std::vector<std::string> out;
    for (const auto& box : boxes_.messages()) {
      out.push_back(box.second.size() > 15 ? box.second.substr(15) : box.second);
    }
    return out;
  }

  testing_support::TestInstallation inst_;
  testing_support::MessageRecorder boxes_;
  TMShared shared_;
  std::unique_ptr<VCharacter> character_;
  VDuration duration_;
  VIntonation intonation_;
  VSpeechBuffer speech_;
  VM_GeneratorPHO generator_;
  testing_support::FakeComposer composer_;

 private:
  void AddPhone(char symbol, const char* phone, const char* vowel) {
    VSR_PhonePool* pool = shared_.GetPhonePool();
    pool->AddPhone(symbol);
    pool->SetFeature("symbol", std::string(1, symbol).c_str());
    pool->SetFeature("phone", phone);
    pool->SetFeature("vowel", vowel);
  }

  int fonts_ = 0;
};

// An installation assembled from the build tree's data as the install step
// lays it out: config.txt, the compiled resources, the voice fonts, the
// synthesizer's voices, bin/mbrola.so (the built library, or another one)
// and the built player library bin/mbrplay.so, plus the logger and user-lexicon folders.
inline void AssembleInstallation(const std::string& dir,
                                 const std::string& library = TM_MBROLA_LIBRARY) {
  namespace fs = std::filesystem;
  const fs::path root(dir);
  fs::create_directories(root / "bin");
  fs::create_directories(root / "logs");
  fs::create_directories(root / "voices");
  fs::copy_file(fs::path(TM_SOURCE_DIR) / "data" / "config.txt", root / "config.txt",
                fs::copy_options::overwrite_existing);
  for (const char* folder :
       {"phones", "rules", "lexicon", "user", "tristate", "v58", "voicefonts"}) {
    fs::copy(fs::path(TM_DATA_BUILD_DIR) / folder, root / folder,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
  for (const auto& entry : fs::directory_iterator(fs::path(TM_DATA_BUILD_DIR) / "voices")) {
    if (entry.path().extension() == ".voice") {
      fs::copy_file(entry.path(), root / "voices" / entry.path().filename(),
                    fs::copy_options::overwrite_existing);
    }
  }
  if (!library.empty()) {
    fs::copy_file(library, root / "bin" / "mbrola.so", fs::copy_options::overwrite_existing);
  }
#ifdef TM_MBRPLAY_LIBRARY
  fs::copy_file(TM_MBRPLAY_LIBRARY, root / "bin" / "mbrplay.so",
                fs::copy_options::overwrite_existing);
#endif
}

// An installation assembled from the build tree's data in a folder of its
// own, registered in a registry stand-in of its own, with a working folder.
// It is not in use until a UseInstallation points the process at it.
class AssembledInstallation {
 public:
  AssembledInstallation()
      : install_(root_ / "install"), config_(root_ / "config"), work_(root_ / "work") {
    AssembleInstallation(install_);
    std::filesystem::create_directories(work_);
    std::filesystem::create_directories(config_ + "/Quenmoor/ZORVALIS");
    testing_support::WriteFile(config_ + "/Quenmoor/ZORVALIS/path", install_);
  }
  const std::string& dir() const { return install_; }
  const std::string& configDir() const { return config_; }
  const std::string& workDir() const { return work_; }
  std::string path(const std::string& relative) const { return install_ + "/" + relative; }

 private:
  testing_support::TempDir root_;
  std::string install_;
  std::string config_;
  std::string work_;
};

// Points the registry stand-in and the working directory at an assembled
// installation while it lives.
class UseInstallation {
 public:
  explicit UseInstallation(const AssembledInstallation& installation)
      : xdg_("XDG_CONFIG_HOME", installation.configDir().c_str()), cwd_(installation.workDir()) {}

 private:
  testing_support::ScopedEnv xdg_;
  testing_support::ScopedCwd cwd_;
};

// A WAVE file as the engine writes it: the header fields and the samples.
struct Wave {
  bool ok = false;
  std::string riff, wave, fmt, data;
  uint32_t riffSize = 0, fmtSize = 0, rate = 0, byteRate = 0, dataSize = 0;
  uint16_t format = 0, channels = 0, blockAlign = 0, bits = 0;
  std::size_t fileSize = 0;
  std::vector<int16_t> samples;
};

inline Wave ReadWave(const std::string& path) {
  Wave w;
  const std::string bytes = testing_support::ReadFile(path);
  w.fileSize = bytes.size();
  if (bytes.size() < 44) return w;
  auto u32 = [&](std::size_t at) {
    return static_cast<uint32_t>(static_cast<unsigned char>(bytes[at])) |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 1])) << 8 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 2])) << 16 |
           static_cast<uint32_t>(static_cast<unsigned char>(bytes[at + 3])) << 24;
  };
  auto u16 = [&](std::size_t at) {
    return static_cast<uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                 static_cast<unsigned char>(bytes[at + 1]) << 8);
  };
  w.riff = bytes.substr(0, 4);
  w.riffSize = u32(4);
  w.wave = bytes.substr(8, 4);
  w.fmt = bytes.substr(12, 4);
  w.fmtSize = u32(16);
  w.format = u16(20);
  w.channels = u16(22);
  w.rate = u32(24);
  w.byteRate = u32(28);
  w.blockAlign = u16(32);
  w.bits = u16(34);
  w.data = bytes.substr(36, 4);
  w.dataSize = u32(40);
  for (std::size_t at = 44; at + 1 < bytes.size(); at += 2) {
    w.samples.push_back(static_cast<int16_t>(u16(at)));
  }
  w.ok = true;
  return w;
}

}  // namespace speech_testing
