// The remote control's requests (app/RemoteProtocol, SpeechController::
// OnCopyData): any bytes taken as what a connection sends, cut into
// requests and handed one by one to the dialog logic of a started dialog
// over a recording engine. Every request is answered TRUE, makes at most
// one engine call, and "play" hands exactly its payload (the text up to the
// first zero, from position 6) with a line feed on, which the engine's code
// page keeps whole; the references stay what two characters give. The low
// bit of the first byte (a tag, never examined) makes every call fail.
#include <algorithm>
#include <string>
#include <vector>

#include "app/RemoteProtocol.h"
#include "app/SpeechController.h"
#include "platform/Codepage.h"
#include "tests/app/AppFakes.h"
#include "tests/fuzz/FuzzSupport.h"

namespace {
// The widest values two characters give, in tenths: "-9" and "99".
constexpr double kLowestReference = -0.9;
constexpr double kHighestReference = 9.9;
const std::string kSpoken = "TextToSpeech ";
}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  tm_fuzz::Initialize(argc, argv, {"-timeout=2", "-max_len=4096"});
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string pending(tm_fuzz::Bytes(data, size));
  std::vector<std::string> requests;
  const bool acceptable = remote::TakeRequests(pending, requests);
  std::size_t taken = pending.size();
  for (const std::string& bytes : requests) taken += remote::kHeaderBytes + bytes.size();
  tm_fuzz::Check(taken == size, "every byte is in a request or still pending");
  tm_fuzz::Check(acceptable ? pending.size() < remote::kHeaderBytes ||
                                  remote::ReadUint32(pending.data() + 4) >
                                      pending.size() - remote::kHeaderBytes
                            : remote::ReadUint32(pending.data() + 4) > remote::kMaxRequestBytes,
                 "only a partial or an oversized request is left");

  app_testing::FakeEngine engine;
  app_testing::FakeUi ui;
  app_testing::FakeView view;
  SpeechController controller(engine, ui, view);
  tm_fuzz::Check(controller.FinishInit(controller.StartEngine()), "the dialog starts");
  engine.calls.clear();
  if (size > 0 && (data[0] & 1) != 0) {
    for (const char* call : {"TextToSpeech", "Stop", "SpeakPause", "SpeakResume",
                             "SetPitchReference", "SetSpeedReference", "SetVolumeReference"}) {
      engine.results[call] = -1;
    }
  }
  for (const std::string& bytes : requests) {
    const std::string text = bytes.substr(0, bytes.find('\0'));
    const bool resumes = controller.paused();
    const std::size_t before = engine.calls.size();
    tm_fuzz::Check(controller.OnCopyData(bytes.data(), bytes.size()), "answered TRUE");
    tm_fuzz::Check(engine.calls.size() <= before + 1, "at most one engine call");
    if (engine.calls.size() == before) continue;
    const std::string& call = engine.calls.back();
    const std::string command = text.substr(1, 4);
    if (command == "play" && !resumes) {
      const std::string handed = text.substr(std::min<std::size_t>(6, text.size())) + "\n";
      tm_fuzz::Check(call == kSpoken + handed + " 0" && view.text == handed, "play hands it on");
      const std::string engineText = platform::Utf8ToCp1253(handed);
      tm_fuzz::Check(engineText.find('\0') == std::string::npos && !engineText.empty() &&
                         engineText.back() == '\n',
                     "the engine gets the whole text");
    }
    if (call.rfind("Set", 0) == 0) {  // a reference
      const double value = std::stod(call.substr(call.find(' ') + 1));
      tm_fuzz::Check(value >= kLowestReference && value <= kHighestReference, "reference range");
    }
    tm_fuzz::Check(controller.paused() ==
                       (command == "paus" || (resumes && command != "play" && command != "stop")),
                   "paused after paus until play or stop");
  }
  return 0;
}
