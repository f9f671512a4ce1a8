// Voice fonts (engine/composer/VCharacter and the modules' keys): any bytes
// as a voice font of the real installation, selected and made to speak a
// Greek text. Selecting gives a result code and speaking a well-formed WAVE
// image or no output.
#include "engine/interface/tmengine.h"
#include "tests/fuzz/FuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=10", "-max_len=4096"});
  tm_fuzz::InstallRealData();
  tm_fuzz::Check(tmengine__LoadSharedResources() == 0, "the installation loads");
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  tm_fuzz::NextInput();
  tm_fuzz::WriteScratch("voicefonts/fuzz.vof", tm_fuzz::Bytes(data, size));
  Tamrin* engine = nullptr;
  tm_fuzz::Check(tmengine__New(&engine) == 0, "the engine starts beside any font");
  if (tmengine__SelectVoiceFont(engine, "fuzz.vof") == 0) {
    tm_fuzz::SpeakToBuffer(engine,
                           "\xce\x9a\xce\xb1\xce\xbb\xce\xb7\xce\xbc\xce\xad\xcf\x81\xce\xb1 "
                           "\xcf\x83\xce\xb1\xcf\x82. 12;");
  }
  tm_fuzz::Check(tmengine__Delete(&engine) == 0 && engine == nullptr, "the engine ends");
  return 0;
}
