// Voice fonts (engine/composer/VCharacter and the modules' keys): any bytes
// as a voice font of the real installation, selected and made to speak.
#include "engine/interface/tmengine.h"
#include "tests/fuzz/FuzzSupport.h"

const tm_fuzz::Target tm_fuzz::kTarget{10, 4096, tm_fuzz::LoadRealInstallation};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  WriteScratch("voicefonts/fuzz.vof", bytes);
  Tamrin* engine = nullptr;
  Check(tmengine__New(&engine) == 0, "the engine starts beside any font");
  if (tmengine__SelectVoiceFont(engine, "fuzz.vof") == 0) {
    SpeakToBuffer(engine,
                  "\xce\x9a\xce\xb1\xce\xbb\xce\xb7\xce\xbc\xce\xad\xcf\x81\xce\xb1 "
                  "\xcf\x83\xce\xb1\xcf\x82. 12;");
  }
  Check(tmengine__Delete(&engine) == 0 && engine == nullptr, "the engine ends");
}
