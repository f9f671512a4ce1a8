// The whole pipeline: any bytes as UTF-8 text through tmengine__TextToBuffer
// with the real installation, at pitch and speed references over their range.
#include "engine/interface/tmengine.h"
#include "tests/fuzz/FuzzSupport.h"

static Tamrin* g_engine = nullptr;

static void SetUp() {
  tm_fuzz::LoadRealInstallation();
  tm_fuzz::Check(tmengine__New(&g_engine) == 0, "the engine starts");
}

const tm_fuzz::Target tm_fuzz::kTarget{10, 1024, SetUp};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  // Pitch and speed references over their range, chosen by the input's size.
  const double reference = static_cast<double>(5 + bytes.size() % 16) / 10.0;
  Check(tmengine__SetPitchReference(g_engine, reference) == 0 &&
            tmengine__SetSpeedReference(g_engine, 2.5 - reference) == 0,
        "references within their range are taken");
  Check(SpeakToBuffer(g_engine, std::string(bytes.substr(0, bytes.find('\0')))) == 0,
        "every text can be spoken");
}
