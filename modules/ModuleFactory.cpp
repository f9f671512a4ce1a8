#include "modules/ModuleFactory.h"

#include <iterator>

#include "modules/vm_dur_filter.h"
#include "modules/vm_dur_tristate.h"
#include "modules/vm_dur_wrd.h"
#include "modules/vm_feeder.h"
#include "modules/vm_feederpost.h"
#include "modules/vm_feederpre.h"
#include "modules/vm_filterplain.h"
#include "modules/vm_genpho.h"
#include "modules/vm_grgrammar.h"
#include "modules/vm_infilter.h"
#include "modules/vm_int_58.h"
#include "modules/vm_int_syl.h"
#include "modules/vm_mbrola.h"
#include "modules/vm_phonemizer.h"
#include "modules/vm_phrasation.h"
#include "modules/vm_playback.h"
#include "modules/vm_savewavembr.h"
#include "modules/vm_sentencation.h"
#include "modules/vm_smoothf0.h"
#include "modules/vm_speechout_mbr.h"
#include "modules/vm_speller.h"
#include "modules/vm_syllablation_formal.h"
#include "modules/vm_textfeeder.h"
#include "modules/vm_us_english.h"
#include "modules/vm_user_tophones.h"
#include "modules/vm_usertogreek.h"
#include "modules/vm_wordation.h"

namespace {

template <class T>
VModule* Make() {
  return new T();
}

struct ModuleInfo {
  Tamrin::ModuleId id;
  const char* name;
  VModule* (*make)();
};

// The 27 modules in the order of creation, which is the order of
// Tamrin::ModuleId.
constexpr ModuleInfo kModules[] = {
    {Tamrin::kFeeder, "VM_Feeder", &Make<VM_Feeder>},
    {Tamrin::kFeederPre, "VM_FeederPre", &Make<VM_FeederPre>},
    {Tamrin::kFeederPost, "VM_FeederPost", &Make<VM_FeederPost>},
    {Tamrin::kUsEnglish, "VM_UsEnglish", &Make<VM_UsEnglish>},
    {Tamrin::kInFilter, "VM_InFilter", &Make<VM_InFilter>},
    {Tamrin::kLayerSyllable, "VM_LayerSyllable", &Make<VM_LayerSyllable>},
    {Tamrin::kLayerWord, "VM_LayerWord", &Make<VM_LayerWord>},
    {Tamrin::kLayerPhrase, "VM_LayerPhrase", &Make<VM_LayerPhrase>},
    {Tamrin::kLayerSentence, "VM_LayerSentence", &Make<VM_LayerSentence>},
    {Tamrin::kDurationTriState, "VM_DurationTriState", &Make<VM_DurationTriState>},
    {Tamrin::kMbrola, "VM_Mbrola", &Make<VM_Mbrola>},
    {Tamrin::kDurationWord, "VM_DurationWord", &Make<VM_DurationWord>},
    {Tamrin::kIntonationSyllable, "VM_IntonationSyllable", &Make<VM_IntonationSyllable>},
    {Tamrin::kIntonationV58, "VM_IntonationV58", &Make<VM_IntonationV58>},
    {Tamrin::kSmoothF0, "VM_SmoothF0", &Make<VM_SmoothF0>},
    {Tamrin::kUserToGreek, "VM_UserToGreek", &Make<VM_UserToGreek>},
    {Tamrin::kUserToPhones, "VM_User_ToPhones", &Make<VM_User_ToPhones>},
    {Tamrin::kPlayback, "VM_Playback", &Make<VM_Playback>},
    {Tamrin::kSpeller, "VM_Speller", &Make<VM_Speller>},
    {Tamrin::kDurationFilter, "VM_DurationFilter", &Make<VM_DurationFilter>},
    {Tamrin::kPhonemizer, "VM_Phonemizer", &Make<VM_Phonemizer>},
    {Tamrin::kFilterPlain, "VM_FilterPlain", &Make<VM_FilterPlain>},
    {Tamrin::kGrGrammar, "VM_GrGrammar", &Make<VM_GrGrammar>},
    {Tamrin::kTextFeeder, "VM_TextFeeder", &Make<VM_TextFeeder>},
    {Tamrin::kGeneratorPHO, "VM_GeneratorPHO", &Make<VM_GeneratorPHO>},
    {Tamrin::kSpeechOutMbr, "VM_SpeechOut_Mbr", &Make<VM_SpeechOut_Mbr>},
    {Tamrin::kSaveWave, "VM_SaveWave", &Make<VM_SaveWave>},
};

constexpr bool InIdOrder() {
  for (int i = 0; i < Tamrin::kModuleCount; ++i) {
    if (kModules[i].id != i) return false;
  }
  return true;
}
static_assert(std::size(kModules) == Tamrin::kModuleCount, "one entry per module");
static_assert(InIdOrder(), "the entries stand in the order of creation");

// The order of registration, which is also the order of the modules' Init.
// VM_User_ToPhones is created but never registered.
constexpr Tamrin::ModuleId kRegistration[] = {
    Tamrin::kTextFeeder,         Tamrin::kFeeder,        Tamrin::kSpeller,
    Tamrin::kFeederPre,          Tamrin::kUserToGreek,   Tamrin::kUsEnglish,
    Tamrin::kFeederPost,         Tamrin::kFilterPlain,   Tamrin::kPhonemizer,
    Tamrin::kInFilter,           Tamrin::kLayerSyllable, Tamrin::kLayerWord,
    Tamrin::kLayerPhrase,        Tamrin::kLayerSentence, Tamrin::kGrGrammar,
    Tamrin::kDurationTriState,   Tamrin::kDurationWord,  Tamrin::kDurationFilter,
    Tamrin::kIntonationSyllable, Tamrin::kIntonationV58, Tamrin::kSmoothF0,
    Tamrin::kGeneratorPHO,       Tamrin::kSpeechOutMbr,  Tamrin::kMbrola,
    Tamrin::kPlayback,           Tamrin::kSaveWave,
};

const char* Name(Tamrin::ModuleId id) { return kModules[id].name; }

VModule* Create(Tamrin::ModuleId id) { return kModules[id].make(); }

constexpr Tamrin::ModuleFactory kFactory = {&Name, &Create, kRegistration,
                                            static_cast<int>(std::size(kRegistration))};

// Installs the table while the program starts.
const bool kInstalled = (Tamrin::SetModuleFactory(&kFactory), true);

}  // namespace

extern "C" int tm_module_factory_installed() { return kInstalled ? 1 : 0; }

namespace modules {

std::vector<std::string> RegisteredNames() {
  std::vector<std::string> names;
  for (Tamrin::ModuleId id : kRegistration) names.emplace_back(Name(id));
  return names;
}

}  // namespace modules
