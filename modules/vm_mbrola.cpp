#include "modules/vm_mbrola.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstddef>
#include <limits>
#include <mutex>
#include <vector>

#include "engine/base/Log.h"
#include "engine/base/VLib.h"
#include "engine/base/VStr.h"
#include "engine/composer/VCharacter.h"
#include "engine/composer/VComposer.h"
#include "engine/data/VSpeechBuffer.h"
#include "modules/vm_genpho.h"

namespace {

constexpr const char* kModuleName = "VM_Mbrola";

// The library's one channel: the calls of one synthesis (or one binding of
// a voice) are made under this lock, whichever engine makes them.
std::mutex& ChannelMutex() {
  static std::mutex mutex;
  return mutex;
}

template <typename F>
void Bind(void* handle, F& f, const char* name) {
  f = reinterpret_cast<F>(::dlsym(handle, name));
}

// The lines of a phone text, one at a time, as the engine's tokenizer cuts
// them at "\n": a text whose last line has no line feed gives that line and
// then one empty line; the empty text gives one empty line. The text must
// outlive the reader.
class LineReader {
 public:
  explicit LineReader(const std::string& text) : cursor_(text.c_str()) { Next(); }
  ~LineReader() { VStr::Release(&line_); }
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // The current line; null when the text is used up.
  char* Line() const { return line_; }
  // Whether the current line is the last one that the cutting gives.
  bool IsLast() const { return cursor_ == nullptr; }
  void Next() {
    VStr::Release(&line_);
    line_ = VStr::NextToken(&cursor_, "\n");
  }

 private:
  const char* cursor_;
  char* line_ = nullptr;
};

}  // namespace

const char* const MbrolaApi::kNames[MbrolaApi::kCount] = {
    "init_MBR",       "init_rename_MBR",     "write_MBR",          "flush_MBR",
    "read_MBR",       "readtype_MBR",        "close_MBR",          "reset_MBR",
    "lastError_MBR",  "lastErrorStr_MBR",    "setNoError_MBR",     "getNoError_MBR",
    "setFreq_MBR",    "getFreq_MBR",         "setVolumeRatio_MBR", "getVolumeRatio_MBR",
    "getVersion_MBR", "getDatabaseInfo_MBR",
};

void MbrolaApi::Resolve(void* handle) {
  Bind(handle, init_MBR, kNames[0]);
  Bind(handle, init_rename_MBR, kNames[1]);
  Bind(handle, write_MBR, kNames[2]);
  Bind(handle, flush_MBR, kNames[3]);
  Bind(handle, read_MBR, kNames[4]);
  Bind(handle, readtype_MBR, kNames[5]);
  Bind(handle, close_MBR, kNames[6]);
  Bind(handle, reset_MBR, kNames[7]);
  Bind(handle, lastError_MBR, kNames[8]);
  Bind(handle, lastErrorStr_MBR, kNames[9]);
  Bind(handle, setNoError_MBR, kNames[10]);
  Bind(handle, getNoError_MBR, kNames[11]);
  Bind(handle, setFreq_MBR, kNames[12]);
  Bind(handle, getFreq_MBR, kNames[13]);
  Bind(handle, setVolumeRatio_MBR, kNames[14]);
  Bind(handle, getVolumeRatio_MBR, kNames[15]);
  Bind(handle, getVersion_MBR, kNames[16]);
  Bind(handle, getDatabaseInfo_MBR, kNames[17]);
}

int MbrolaApi::Bound() const {
  const bool set[kCount] = {
      init_MBR != nullptr,           init_rename_MBR != nullptr, write_MBR != nullptr,
      flush_MBR != nullptr,          read_MBR != nullptr,        readtype_MBR != nullptr,
      close_MBR != nullptr,          reset_MBR != nullptr,       lastError_MBR != nullptr,
      lastErrorStr_MBR != nullptr,   setNoError_MBR != nullptr,  getNoError_MBR != nullptr,
      setFreq_MBR != nullptr,        getFreq_MBR != nullptr,     setVolumeRatio_MBR != nullptr,
      getVolumeRatio_MBR != nullptr, getVersion_MBR != nullptr,  getDatabaseInfo_MBR != nullptr,
  };
  return static_cast<int>(std::count(set, set + kCount, true));
}

VM_Mbrola::VM_Mbrola() : VModule(kModuleName) {}

VM_Mbrola::VM_Mbrola(const MbrolaApi& api) : VModule(kModuleName), api_(api), given_(true) {}

VM_Mbrola::~VM_Mbrola() { Unload(); }

bool VM_Mbrola::ReleaseResources() {
  Unload();
  return true;
}

void VM_Mbrola::Unload() {
  if (handle_ == nullptr) return;
  ::dlclose(handle_);
  handle_ = nullptr;
  api_ = MbrolaApi();
}

bool VM_Mbrola::Init() {
  if (!given_) {
    Unload();
    const std::string path = VLib::MakePath(kLibraryPath);
    handle_ = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle_ == nullptr) {
      Log::Module(kLibraryName, false);
      return false;
    }
    api_.Resolve(handle_);
  }
  if (!api_.IsComplete()) {
    Unload();
    api_ = MbrolaApi();
    VLib::ReportError(kMissingFunction);
    return false;
  }
  std::lock_guard<std::mutex> channel(ChannelMutex());
  CheckError();
  return true;
}

bool VM_Mbrola::SetUp() {
  quantum_ = 0;
  reportedVoice_.clear();
  VComposer* composer = GetComposer();
  const VCharacter* character = composer != nullptr ? composer->GetCharacter() : nullptr;
  if (character != nullptr) quantum_ = VLib::ParseInt(character->GetParameter(kQuantumKey));
  const std::string path = DatabasePath();
  if (api_.init_MBR == nullptr) {
    ReportNotInitialised();
    return false;
  }
  std::lock_guard<std::mutex> channel(ChannelMutex());
  BindVoice(path);
  if (api_.setNoError_MBR != nullptr) api_.setNoError_MBR(1);
  return true;
}

bool VM_Mbrola::Run() {
  const std::string path = DatabasePath();
  if (api_.init_MBR == nullptr) {
    ReportNotInitialised();
    return false;
  }
  std::lock_guard<std::mutex> channel(ChannelMutex());
  if (!BindVoice(path)) {
    // Without a voice the library would take the text and drop it: the
    // request has no speech, and the report says which file failed.
    VComposer* composer = GetComposer();
    if (VSpeechBuffer* speech = composer != nullptr ? composer->GetSpeechBuffer() : nullptr) {
      speech->Reset();
      speech->MarkIncomplete();
    }
    if (reportedVoice_ != path) VLib::ReportError(kVoiceFailed + path + "]");
    reportedVoice_ = path;
    return true;
  }
  reportedVoice_.clear();
  Synthesize();
  return true;
}

bool VM_Mbrola::Release() { return true; }

std::string VM_Mbrola::DatabasePath() const {
  VComposer* composer = GetComposer();
  const VCharacter* character = composer != nullptr ? composer->GetCharacter() : nullptr;
  return VLib::MakePath(character != nullptr ? character->GetParameter(kDatabaseKey) : "");
}

void VM_Mbrola::ReportNotInitialised() const {
  VLib::ReportError(std::string(kSourcePath) + "\n\t" + std::to_string(kInitCheckLine) + "\n\t" +
                    kNotInitialised);
}

bool VM_Mbrola::BindVoice(const std::string& path) {
  std::vector<char> name(path.begin(), path.end());
  name.push_back('\0');
  if (api_.init_MBR(name.data()) >= 0) return true;
  CheckError();
  return false;
}

int VM_Mbrola::Write(char* text) { return api_.write_MBR != nullptr ? api_.write_MBR(text) : 0; }

int VM_Mbrola::Drain(VSpeechBuffer*& speech) {
  if (api_.read_MBR == nullptr) return 0;
  short block[kBlockSamples];
  int total = 0;
  for (;;) {
    const int n = std::min(api_.read_MBR(block, kBlockSamples), kBlockSamples);
    if (n <= 0) return total;
    static_assert(sizeof(short) == sizeof(int16_t), "the library's samples are 16-bit");
    if (speech != nullptr &&
        speech->Append(reinterpret_cast<const int16_t*>(block), static_cast<std::size_t>(n)) < 0) {
      speech = nullptr;
    }
    total += n;
  }
}

void VM_Mbrola::Synthesize() {
  VComposer* composer = GetComposer();
  if (composer == nullptr) return;
  const VM_GeneratorPHO* generator = VM_GeneratorPHO::Find(composer);
  VSpeechBuffer* speech = composer->GetSpeechBuffer();
  if (speech != nullptr) speech->Reset();
  const bool collecting = speech != nullptr;

  static const std::string kNoText;
  LineReader lines(generator != nullptr ? generator->GetPho() : kNoText);
  char lineEnd[] = "\n";
  // The number of the current line, and that of the line that has had its
  // second chance: refused with nothing to drain, it was offered again after
  // a flush.
  std::size_t current = 0;
  std::size_t retried = std::numeric_limits<std::size_t>::max();
  for (;;) {
    while (lines.Line() != nullptr) {
      if (Write(lines.Line()) <= 0) break;
      Write(lineEnd);
      lines.Next();
      ++current;
    }
    const int drained = Drain(speech);
    if (lines.Line() == nullptr) break;
    // A full buffer takes no more samples: the rest of the text is not
    // synthesised.
    if (collecting && speech == nullptr) break;
    // A refused last line (the empty one after "_ 60") is dropped.
    if (lines.IsLast()) break;
    if (drained > 0) continue;
    // Refused with nothing to drain: one flush, one drain and one more
    // offer; a library that still refuses gets none of the rest.
    if (retried == current) {
      Log::Error(kWriteRefused);
      break;
    }
    retried = current;
    if (api_.flush_MBR != nullptr) api_.flush_MBR();
    Drain(speech);
  }
  if (api_.flush_MBR != nullptr) api_.flush_MBR();
  Drain(speech);
  CheckError();
}

void VM_Mbrola::CheckError() {
  if (api_.lastError_MBR == nullptr || api_.lastErrorStr_MBR == nullptr) return;
  if (api_.lastError_MBR() >= 0) return;
  char text[kErrorTextSize] = {};
  api_.lastErrorStr_MBR(text, kErrorTextSize);
  text[kErrorTextSize - 1] = '\0';
  Log::Error2(kErrorPrefix, text);
}
