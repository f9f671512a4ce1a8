// The remote control's requests (app/RemoteProtocol, SpeechController::
// OnCopyData): any bytes as what a connection sends, cut into requests and
// handed one by one to a started dialog over a recording engine. "play"
// hands its payload (the text up to the first zero, from position 6) on with
// a line feed; the low bit of the first byte (a tag, never examined) makes
// every engine call fail.
#include <algorithm>
#include <string>
#include <vector>

#include "app/RemoteProtocol.h"
#include "app/SpeechController.h"
#include "platform/Codepage.h"
#include "tests/app/AppFakes.h"
#include "tests/fuzz/FuzzSupport.h"

// The widest values two characters give, in tenths: "-9" and "99".
constexpr double kLowestReference = -0.9;
constexpr double kHighestReference = 9.9;
const std::string kSpoken = "TextToSpeech ";

const tm_fuzz::Target tm_fuzz::kTarget{2, 4096, nullptr};

void tm_fuzz::FuzzOne(std::string_view bytes) {
  std::string pending(bytes);
  std::vector<std::string> requests;
  const bool acceptable = remote::TakeRequests(pending, requests);
  std::size_t taken = pending.size();
  for (const std::string& request : requests) taken += remote::kHeaderBytes + request.size();
  Check(taken == bytes.size(), "every byte is in a request or still pending");
  Check(acceptable
            ? pending.size() < remote::kHeaderBytes ||
                  remote::ReadUint32(pending.data() + 4) > pending.size() - remote::kHeaderBytes
            : remote::ReadUint32(pending.data() + 4) > remote::kMaxRequestBytes,
        "only a partial or an oversized request is left");

  app_testing::FakeEngine engine;
  app_testing::FakeUi ui;
  app_testing::FakeView view;
  SpeechController controller(engine, ui, view, RequestQueue::Mode::kInline);
  Check(controller.FinishInit(controller.StartEngine()), "the dialog starts");
  engine.calls.clear();
  const int result = !bytes.empty() && (bytes[0] & 1) != 0 ? -1 : 0;
  for (const char* call : {"TextToSpeech", "Stop", "SpeakPause", "SpeakResume", "SetPitchReference",
                           "SetSpeedReference", "SetVolumeReference"}) {
    engine.results[call] = result;
  }
  for (const std::string& request : requests) {
    const std::string text = request.substr(0, request.find('\0'));
    const bool resumes = controller.paused();
    const std::size_t before = engine.calls.size();
    Check(controller.OnCopyData(request.data(), request.size()), "answered TRUE");
    Check(engine.calls.size() <= before + 1, "at most one engine call");
    if (engine.calls.size() == before) continue;
    const std::string& call = engine.calls.back();
    const std::string command = text.substr(1, 4);
    if (command == "play" && !resumes) {
      const std::string handed = text.substr(std::min<std::size_t>(6, text.size())) + "\n";
      Check(call == kSpoken + handed + " 0" && view.text == handed, "play hands it on");
      const std::string engineText = platform::Utf8ToCp1253(handed);
      Check(engineText.find('\0') == std::string::npos && !engineText.empty() &&
                engineText.back() == '\n',
            "the engine gets the whole text");
    }
    if (call.rfind("Set", 0) == 0) {  // a reference
      const double value = std::stod(call.substr(call.find(' ') + 1));
      Check(value >= kLowestReference && value <= kHighestReference, "reference range");
    }
    Check(controller.paused() ==
              (command == "paus" || (resumes && command != "play" && command != "stop")),
          "paused after paus until play or stop");
  }
}
