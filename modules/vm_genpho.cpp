#include "modules/vm_genpho.h"

#include <charconv>
#include <cmath>
#include <system_error>

#include "engine/base/Log.h"
#include "engine/base/VLib.h"
#include "engine/composer/VCharacter.h"
#include "engine/composer/VComposer.h"
#include "engine/composer/VModuleDirectory.h"
#include "engine/data/VDuration.h"
#include "engine/data/VIntonation.h"
#include "engine/data/VTextBuffer.h"

namespace {

constexpr const char* kModuleName = "VM_GeneratorPHO";
// The silence at both ends of the text, and its length in ms (the same
// number).
constexpr const char* kEdgeSilence = "_ 60";
constexpr double kEdgeSilenceMs = 60.0;
// Room reserved per phone of the phone string.
constexpr std::size_t kRoomPerPhone = 100;

// Values below this are written through an integer.
constexpr double kWholeLimit = 1e15;

// v as printf's "%.0f" writes it (round half to even, "-0" for a small
// negative value, "nan" and "inf"), whatever the locale.
void AppendWhole(std::string& out, double v) {
  char buffer[400];
  // Durations and F0 values: whole numbers well inside long, written as
  // integers after rounding half to even (the default rounding mode).
  if (std::isfinite(v) && std::fabs(v) < kWholeLimit) {
    const double r = std::nearbyint(v);
    if (r == 0.0 && std::signbit(r)) {
      out += "-0";
      return;
    }
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long>(r));
    out.append(buffer, result.ptr);
    return;
  }
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 0);
  if (result.ec == std::errc()) out.append(buffer, result.ptr);
}

}  // namespace

VM_GeneratorPHO::VM_GeneratorPHO() : VModule(kModuleName) {}

bool VM_GeneratorPHO::ReleaseResources() { return true; }

bool VM_GeneratorPHO::Init() { return true; }

bool VM_GeneratorPHO::SetUp() {
  quantum_ = 0;
  VComposer* composer = GetComposer();
  const VCharacter* character = composer != nullptr ? composer->GetCharacter() : nullptr;
  if (character != nullptr) quantum_ = VLib::ParseInt(character->GetParameter(kQuantumKey));
  if (quantum_ <= 0) {
    Log::Error("VM_GeneratorPHO::SetUp()@quantum must be positive: [" + std::to_string(quantum_) +
               "]");
  }
  return true;
}

bool VM_GeneratorPHO::Run() {
  Generate();
  return true;
}

bool VM_GeneratorPHO::Release() { return true; }

std::string VM_GeneratorPHO::Symbol(char c) {
  switch (c) {
    case '!':
    case ',':
    case '.':
    case '/':
    case ';':
      return "_";
    case 'A':
      return "a";
    case 'E':
      return "e";
    case 'I':
    case '7':
      return "i";
    case 'O':
      return "o";
    case 'U':
    case 'W':
      return "u";
    default:
      return std::string(1, c);
  }
}

VM_GeneratorPHO* VM_GeneratorPHO::Find(VComposer* composer) {
  VModuleDirectory* directory = composer != nullptr ? composer->GetModuleDirectory() : nullptr;
  if (directory == nullptr) return nullptr;
  return dynamic_cast<VM_GeneratorPHO*>(directory->Find(kModuleName));
}

void VM_GeneratorPHO::Generate() {
  pho_.clear();
  VComposer* composer = GetComposer();
  if (composer == nullptr) return;
  VDuration* duration = composer->GetDuration();
  VIntonation* intonation = composer->GetIntonation();
  const VTextBuffer* text = composer->GetText();
  if (duration == nullptr || intonation == nullptr || text == nullptr) return;

  duration->Finalise();
  if (intonation->SetFlat() <= 0) return;

  const char* phones = text->GetText();
  const int length = text->GetLength() > 0 ? text->GetLength() : 1;
  pho_.reserve(kRoomPerPhone * static_cast<std::size_t>(length));

  pho_ += kEdgeSilence;
  pho_ += " (0,";
  pho_ += std::to_string(intonation->GetBaseF0());
  pho_ += ")\n";

  // The last character (the closing break) is not written: the closing
  // silence stands in its place. A pass of speech to the sound card that
  // ends at a sentence end with more to come writes it, less the closing
  // silence and the next pass's opening one, so that the pause between its
  // sentence and the next is heard as long as the whole text has it.
  const bool lastToo = text->MoreSpeechFollows();
  for (int i = 0; i + (lastToo ? 0 : 1) < length; ++i) {
    const char c = phones[i];
    if (c == '_' || c == '#') continue;
    double ms = duration->Get(i);
    if (i + 1 == length) {
      ms -= 2 * kEdgeSilenceMs;
      if (ms <= 0) continue;
    }
    pho_ += Symbol(c);
    pho_ += ' ';
    AppendWhole(pho_, ms);

    const char* pos = phones + i;
    int cells = 0;
    intonation->CellsAt(pos, &cells);
    if (cells > 0) {
      // A quantum of 0 or below gives the point at 0 % alone.
      const int step = quantum_ > 0 ? quantum_ : 101;
      for (int pct = 0; pct <= 100; pct += step) {
        const float* cell = intonation->CellAtPercent(pos, pct);
        pho_ += " (";
        pho_ += std::to_string(pct);
        pho_ += ',';
        AppendWhole(pho_, cell != nullptr ? *cell : 0.0f);
        pho_ += ')';
      }
    }
    pho_ += '\n';
  }
  pho_ += kEdgeSilence;
}
