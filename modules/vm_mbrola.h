// Synthesises the phone text of VM_GeneratorPHO in process with the
// synthesizer library "bin/mbrola.so" of the installation and collects the
// 16-bit samples in the composer's speech buffer.
//
// The module calls the library only through a table of its 18 entry points
// (MbrolaApi). The product fills the table from the loaded library; a test
// may hand the module a table of its own, which then stands for the library.
//
// The library is one channel for the whole process. Every sequence of calls
// that must not be interleaved (binding the voice in SetUp, the whole of a
// synthesis in Run) holds one process-wide lock, so engines that synthesise
// on several threads at once take turns and each gets its own samples.
#pragma once

#include <cstdint>
#include <string>

#include "engine/composer/VModule.h"
#include "platform/mbrola/mbrola.h"

class VComposer;
class VSpeechBuffer;

// The entry points of the synthesizer library, in the order in which they
// are resolved.
struct MbrolaApi {
  static constexpr int kCount = 18;
  // Their exported names, in the same order.
  static const char* const kNames[kCount];

  decltype(&::init_MBR) init_MBR = nullptr;
  decltype(&::init_rename_MBR) init_rename_MBR = nullptr;
  decltype(&::write_MBR) write_MBR = nullptr;
  decltype(&::flush_MBR) flush_MBR = nullptr;
  decltype(&::read_MBR) read_MBR = nullptr;
  decltype(&::readtype_MBR) readtype_MBR = nullptr;
  decltype(&::close_MBR) close_MBR = nullptr;
  decltype(&::reset_MBR) reset_MBR = nullptr;
  decltype(&::lastError_MBR) lastError_MBR = nullptr;
  decltype(&::lastErrorStr_MBR) lastErrorStr_MBR = nullptr;
  decltype(&::setNoError_MBR) setNoError_MBR = nullptr;
  decltype(&::getNoError_MBR) getNoError_MBR = nullptr;
  decltype(&::setFreq_MBR) setFreq_MBR = nullptr;
  decltype(&::getFreq_MBR) getFreq_MBR = nullptr;
  decltype(&::setVolumeRatio_MBR) setVolumeRatio_MBR = nullptr;
  decltype(&::getVolumeRatio_MBR) getVolumeRatio_MBR = nullptr;
  decltype(&::getVersion_MBR) getVersion_MBR = nullptr;
  decltype(&::getDatabaseInfo_MBR) getDatabaseInfo_MBR = nullptr;

  // Fills the table from a library opened with dlopen; entry points the
  // library lacks stay null.
  void Resolve(void* handle);
  // The number of entry points that are set.
  int Bound() const;
  bool IsComplete() const { return Bound() == kCount; }
};

class VM_Mbrola : public VModule {
 public:
  // The library, relative to the installation directory, and the name under
  // which the engine log reports a failure to load it.
  static constexpr const char* kLibraryPath = "bin/mbrola.so";
  static constexpr const char* kLibraryName = "mbrola.so";
  // Voice-font keys: the voice file relative to the installation, and a
  // quantum that is kept but used by nothing.
  static constexpr const char* kDatabaseKey = "VM_Mbrola.Database";
  static constexpr const char* kQuantumKey = "VM_Mbrola.Quantum";
  // The samples of one read.
  static constexpr int kBlockSamples = 4096;
  // The size of the buffer that receives the library's error text.
  static constexpr int kErrorTextSize = 400;
  // The report of a set-up or run without a bound init_MBR names this place.
  // The number is a fixed text of the report, not a line of the file: keep
  // it as it is.
  static constexpr const char* kSourcePath = "modules/vm_mbrola.cpp";
  static constexpr int kInitCheckLine = 136;
  // Engine-log texts.
  static constexpr const char* kMissingFunction = "MBROLA: Unable to locate dll function";
  static constexpr const char* kNotInitialised = "Error: m_init_MBR not initialized.";
  static constexpr const char* kWriteRefused = "MBROLA write refused";
  static constexpr const char* kErrorPrefix = "MBROLA ";
  // The error report of a run whose voice file cannot be bound, followed by
  // the file's path and "]".
  static constexpr const char* kVoiceFailed = "MBROLA could not start with the voice file [";

  // Loads the library in Init.
  VM_Mbrola();
  // Uses api in place of the library: Init loads nothing and only checks
  // that the table is complete.
  explicit VM_Mbrola(const MbrolaApi& api);
  ~VM_Mbrola() override;

  // Frees the library if one is loaded. True.
  bool ReleaseResources() override;
  // Loads "bin/mbrola.so" and resolves the 18 entry points. Not loaded: the
  // engine log's "*** FAIL TO LOAD MODULE [ mbrola.so ] ***", false. An
  // entry point missing: the library is freed, the table cleared, the error
  // report "MBROLA: Unable to locate dll function", false. Else any error
  // pending in the library goes to the engine log, and true.
  bool Init() override;
  // Reads "VM_Mbrola.Quantum" and "VM_Mbrola.Database" and binds the voice
  // (init_MBR, then the no-error mode). False, with an error report, when
  // init_MBR is not bound; a voice that cannot be bound is logged. True.
  bool SetUp() override;
  // Binds the voice of "VM_Mbrola.Database" again and synthesises. A voice
  // file that cannot be bound is logged, named in one error report, and
  // leaves the speech buffer empty and marked incomplete. False, with an
  // error report, when init_MBR is not bound; true otherwise.
  bool Run() override;
  bool Release() override;

  // Feeds the generator's phone text to the library line by line and drains
  // the samples into the composer's speech buffer; once the buffer refuses
  // a sample, no further line is offered.
  void Synthesize();
  // Writes an error pending in the library to the engine log ("*** ERROR:\t"
  // "MBROLA " and the library's text).
  void CheckError();

  const MbrolaApi& GetApi() const { return api_; }
  bool IsLoaded() const { return handle_ != nullptr; }
  int GetQuantum() const { return quantum_; }

 private:
  std::string DatabasePath() const;
  // The report of an unbound init_MBR.
  void ReportNotInitialised() const;
  // Binds the voice at path; false, with the library's error logged, when
  // it cannot be bound.
  bool BindVoice(const std::string& path);
  // Offers text to the library: its result.
  int Write(char* text);
  // Reads blocks until the library has no sample ready, appending the
  // samples to speech; the number of samples read. Once speech refuses a
  // sample it is set to null: the samples after it are read and dropped.
  int Drain(VSpeechBuffer*& speech);
  void Unload();

  void* handle_ = nullptr;
  MbrolaApi api_;
  bool given_ = false;
  int32_t quantum_ = 0;
  // The voice file last reported as failing: reported once, not at every
  // pass; a font selection or a voice that binds forgets it.
  std::string reportedVoice_;
};
