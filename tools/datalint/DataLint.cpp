#include "tools/datalint/DataLint.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <utility>

#include "engine/base/VConfiguration.h"
#include "engine/base/VStr.h"
#include "engine/shared/Descrambler.h"
#include "engine/shared/VSR_AC.h"
#include "engine/shared/VSR_PhonePool.h"
#include "engine/shared/VSR_TablePool.h"
#include "modules/ModuleFactory.h"
#include "support/alphconv.h"
#include "support/utilities.h"

namespace datalint {
namespace {

constexpr const char* kConfigName = "config.txt";
constexpr const char* kFontsDirectoryKey = "VoiceFonts.Directory";
constexpr const char* kFontsSuffixKey = "VoiceFonts.Suffix";
constexpr const char* kEFormKey = "Lexicon.EForm";
constexpr const char* kPhonemizerKey = "VM_Phonemizer.FileChain";
// The separators of a chain of rule collection names.
constexpr const char* kChainDelimiters = "-\n";
// The delimiters of the phone table's fields.
constexpr const char* kPhoneFieldDelimiters = "\t\n";

// A pool of named resources: the keys of its directory and suffix.
struct Pool {
  const char* directoryKey;
  const char* suffixKey;
};
constexpr Pool kAC{"AC.Directory", "AC.Suffix"};
constexpr Pool kTreeLexicon{"Lexicon.Directory", "Lexicon.Suffix"};
constexpr Pool k3States{"3States.Directory", "3States.Suffix"};
constexpr Pool kV58Compiler{"V58Compiler.Directory", "V58Compiler.Suffix"};
constexpr Pool kUserLexicon{"User.Lexicon.Directory", "User.Lexicon.Suffix"};
constexpr std::array<const Pool*, 5> kPools{&kAC, &kTreeLexicon, &k3States, &kV58Compiler,
                                            &kUserLexicon};

// A voice-font key that names resources of a pool: one name, or a chain of
// names separated by '-' or newlines.
struct ResourceKey {
  const char* key;
  const Pool* pool;
  bool chain;
};
constexpr std::array<ResourceKey, 15> kResourceKeys{{
    {"VM_TextFeeder.FileChain", &kAC, true},
    {"VM_Feeder.FileChain", &kAC, true},
    {"VM_Feeder_Pre.FileChain", &kAC, true},
    {"VM_Feeder_Post.FileChain", &kAC, true},
    {kPhonemizerKey, &kAC, true},
    {"VM_Speller.FileChain", &kAC, true},
    {"VM_UsEnglish.L2s", &kAC, false},
    {"VM_UsEnglish.Lexicon", &kTreeLexicon, false},
    {"VM_GrGrammar.Exceptions", &kTreeLexicon, false},
    {"VM_GrGrammar.Endings", &kTreeLexicon, false},
    {"VM_LayerWord.Lexicon", &kTreeLexicon, false},
    {"VM_User_ToGreek.Lexicon", &kUserLexicon, false},
    {"VM_User_ToPhones.Lexicon", &kUserLexicon, false},
    {"VM_DurationTristate.Compiler", &k3States, false},
    {"VM_IntonationV58.Compiler", &kV58Compiler, false},
}};

// The module chain of a voice font: names separated by ';' or newlines, up
// to the first empty one.
constexpr const char* kModulesKey = "VModuleChain.Modules";
constexpr const char* kModuleDelimiters = ";\n";

// The modules that rewrite the working text; the layers are built on the
// text that the last of them leaves.
constexpr std::array<const char*, 10> kTextRewriters{
    "VM_TextFeeder", "VM_Feeder",  "VM_FeederPre",  "VM_FeederPost",  "VM_UserToGreek",
    "VM_UsEnglish",  "VM_Speller", "VM_Phonemizer", "VM_FilterPlain", "VM_InFilter"};
// The layer modules, in the order in which each needs the one before.
constexpr std::array<const char*, 4> kLayers{"VM_LayerSyllable", "VM_LayerWord", "VM_LayerPhrase",
                                             "VM_LayerSentence"};
constexpr std::array<const char*, 3> kDurations{"VM_DurationTriState", "VM_DurationWord",
                                                "VM_DurationFilter"};
constexpr const char* kIntonationV58 = "VM_IntonationV58";
constexpr const char* kIntonationSyllable = "VM_IntonationSyllable";
constexpr const char* kSmoothF0 = "VM_SmoothF0";

bool EndsWith(const std::string& text, const std::string& end) {
  return VSR_TablePoolBase::Matches(text, end);
}

// A byte as it is shown in a problem: printable ASCII as it stands, any
// other byte as \xHH.
std::string Shown(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const char ch : text) {
    const auto c = static_cast<unsigned char>(ch);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out.push_back(ch);
    } else {
      out += "\\x";
      out.push_back(kHex[c >> 4]);
      out.push_back(kHex[c & 0xF]);
    }
  }
  return out;
}

// The names of a chain, up to the first empty one.
std::vector<std::string> ChainNames(const std::string& value,
                                    const char* delimiters = kChainDelimiters) {
  std::vector<std::string> names;
  const char* cursor = value.c_str();
  for (;;) {
    char* token = VStr::NextToken(&cursor, delimiters);
    const bool end = VStr::IsEmpty(token);
    if (!end) names.emplace_back(token);
    VStr::Release(&token);
    if (end) return names;
  }
}

class Linter {
 public:
  explicit Linter(std::string dir) : dir_(std::move(dir)) {}

  std::vector<std::string> Run() {
    if (!ReadConfiguration()) return problems_;
    CheckConfiguration();
    ReadPhoneTable();
    CheckFonts();
    return problems_;
  }

 private:
  struct Font {
    std::string file;  // relative to the installation
    VConfiguration settings;
  };

  std::string Full(const std::string& relative) const { return dir_ + "/" + relative; }
  void Problem(const std::string& text) { problems_.push_back(text); }
  std::string Param(const std::string& key) const { return config_.GetParam(key, false); }
  bool Has(const std::string& key) const { return config_.Parameters().Find(key) != nullptr; }

  // Problems of a name: a carriage return anywhere, a blank at its end.
  void CheckName(const std::string& where, const std::string& key, const std::string& value) {
    if (value.find('\r') != std::string::npos) {
      Problem(where + ": " + key + " [" + Shown(value) + "] holds a carriage return");
    }
    if (!value.empty() && (value.back() == ' ' || value.back() == '\t')) {
      Problem(where + ": " + key + " [" + Shown(value) + "] ends with a blank");
    }
  }

  bool ReadConfiguration() {
    if (!UTILITIES::isDirectory(dir_)) {
      Problem(dir_ + ": not a directory");
      return false;
    }
    const std::string path = Full(kConfigName);
    if (!UTILITIES::isFile(path) || !std::ifstream(path).is_open()) {
      Problem(std::string(kConfigName) + ": cannot be read");
      return false;
    }
    config_.Load(path);
    return true;
  }

  void CheckConfiguration() {
    std::vector<const char*> required;
    for (const Pool* pool : kPools) {
      required.push_back(pool->directoryKey);
      required.push_back(pool->suffixKey);
    }
    required.push_back(kEFormKey);
    required.push_back(VSR_PhonePool::kFilenameKey);
    for (const char* key : required) {
      if (!Has(key)) Problem(std::string(kConfigName) + ": " + key + " is not set");
    }
    const VParameterData& params = config_.Parameters();
    for (int i = 0; i < params.Count(); ++i) {
      const std::string& key = params.At(i).Name();
      if (key == VConfiguration::kIdKey) continue;
      const std::string value = params.At(i).Text();
      const bool directory = EndsWith(key, ".Directory");
      if (directory || EndsWith(key, ".Suffix") || EndsWith(key, ".Filename")) {
        CheckName(kConfigName, key, value);
      }
      if (directory && !UTILITIES::isDirectory(Full(value))) {
        Problem(std::string(kConfigName) + ": " + key + " [" + Shown(value) +
                "] is not a directory");
      }
    }
  }

  void ReadPhoneTable() {
    if (!Has(VSR_PhonePool::kFilenameKey)) return;
    phoneTable_ = Param(VSR_PhonePool::kFilenameKey);
    const std::string path = Full(phoneTable_);
    std::ifstream in(path, std::ios::binary);
    if (!UTILITIES::isFile(path) || !in.is_open()) {
      Problem(std::string(kConfigName) + ": " + VSR_PhonePool::kFilenameKey + " [" +
              Shown(phoneTable_) + "] cannot be read");
      return;
    }
    const int size = VSR_PhonePool::kRecordSize;
    Descrambler::Bytes record(static_cast<size_t>(size));
    for (int number = 1;; ++number) {
      in.read(reinterpret_cast<char*>(record.data()), size);
      const std::streamsize got = in.gcount();
      if (got == 0) break;
      if (got < size) {
        Problem(Shown(phoneTable_) + ": record " + std::to_string(number) + " is cut short");
        break;
      }
      Descrambler::Bytes payload;
      if (!Descrambler::DecodeEntry(record, payload)) {
        Problem(Shown(phoneTable_) + ": record " + std::to_string(number) + " is malformed");
        continue;
      }
      // The first record names the columns; every later one is a phone,
      // whose symbol is the first character of its first field.
      if (number == 1) continue;
      const std::string text(payload.begin(), payload.end());
      const size_t end = text.find_first_of(kPhoneFieldDelimiters);
      const std::string first = text.substr(0, end);
      phones_.set(first.empty() ? 0 : static_cast<unsigned char>(first[0]));
    }
    phonesRead_ = true;
  }

  // The voice fonts, or none when no font directory is configured.
  std::vector<Font> ReadFonts() {
    std::vector<Font> fonts;
    if (!Has(kFontsDirectoryKey)) return fonts;
    const std::string directory = Param(kFontsDirectoryKey);
    std::vector<DirectoryEntry> files;
    if (!UTILITIES::getDirectoryEntries(Full(directory), 0, files)) return fonts;
    if (!Has(kFontsSuffixKey)) {
      Problem(std::string(kConfigName) + ": " + kFontsSuffixKey + " is not set");
      return fonts;
    }
    const std::string suffix = Param(kFontsSuffixKey);
    for (const DirectoryEntry& file : files) {
      if (!EndsWith(file.name, suffix)) continue;
      Font font;
      font.file = directory + "/" + file.name;
      if (!std::ifstream(Full(font.file)).is_open()) {
        Problem(Shown(font.file) + ": cannot be read");
        continue;
      }
      fonts.push_back(std::move(font));
      fonts.back().settings.Load(Full(fonts.back().file));
    }
    return fonts;
  }

  // Whether name is a regular file of the pool's directory ending with its
  // suffix; a problem of the font otherwise.
  bool CheckResource(const Font& font, const ResourceKey& key, const std::string& name) {
    const std::string directory = Param(key.pool->directoryKey);
    const std::string suffix = Param(key.pool->suffixKey);
    const std::string where = Shown(font.file) + ": " + key.key + " names [" + Shown(name) + "]";
    if (!EndsWith(name, suffix)) {
      std::string hint;
      if (UTILITIES::isFile(Full(directory + "/" + name + suffix))) {
        hint = " (the file is " + Shown(name + suffix) + ")";
      }
      Problem(where + ", which does not end with " + key.pool->suffixKey + " [" + Shown(suffix) +
              "]" + hint);
      return false;
    }
    if (!UTILITIES::isFile(Full(directory + "/" + name))) {
      Problem(where + ", which is not a file of " + key.pool->directoryKey + " [" +
              Shown(directory) + "]");
      return false;
    }
    return true;
  }

  void CheckFonts() {
    std::vector<Font> fonts = ReadFonts();
    std::set<std::string> chains;
    for (const Font& font : fonts) {
      CheckChainNames(font);
      CheckChainOrder(font);
      for (const ResourceKey& key : kResourceKeys) {
        if (font.settings.Parameters().Find(key.key) == nullptr) continue;
        const std::string value = font.settings.GetParam(key.key, false);
        CheckName(Shown(font.file), key.key, value);
        const std::vector<std::string> names =
            key.chain ? ChainNames(value) : std::vector<std::string>{value};
        bool complete = true;
        for (const std::string& name : names) {
          if (name.empty()) continue;
          if (!CheckResource(font, key, name)) complete = false;
        }
        if (key.key == std::string(kPhonemizerKey) && complete && !names.empty() &&
            chains.insert(value).second) {
          CheckPhonemizer(font, names);
        }
      }
    }
  }

  // A name in a font's chain that the composer does not register is left
  // out of the chain without a word when the font loads: one line per such
  // name.
  void CheckChainNames(const Font& font) {
    if (font.settings.Parameters().Find(kModulesKey) == nullptr) return;
    const std::vector<std::string> registered = modules::RegisteredNames();
    std::set<std::string> reported;
    for (const std::string& name :
         ChainNames(font.settings.GetParam(kModulesKey, false), kModuleDelimiters)) {
      if (std::find(registered.begin(), registered.end(), name) != registered.end()) continue;
      if (!reported.insert(name).second) continue;
      Problem(Shown(font.file) + ": " + kModulesKey + " names " + Shown(name) +
              ", which is no registered module (the engine leaves it out)");
    }
  }

  // The order that the layer, duration and intonation modules need: the
  // layers syllable, word, phrase, sentence after the last module that
  // rewrites the text; every duration module before the first intonation
  // module; VM_IntonationV58 before VM_IntonationSyllable (which leaves the
  // syllables that the templates marked alone); VM_SmoothF0 after all of
  // them. One line per pair that runs the wrong way round.
  void CheckChainOrder(const Font& font) {
    if (font.settings.Parameters().Find(kModulesKey) == nullptr) return;
    // A module named twice runs once, at its later place.
    std::vector<std::string> order;
    for (const std::string& name :
         ChainNames(font.settings.GetParam(kModulesKey, false), kModuleDelimiters)) {
      order.erase(std::remove(order.begin(), order.end(), name), order.end());
      order.push_back(name);
    }
    auto place = [&order](const std::string& name) {
      return static_cast<int>(std::find(order.begin(), order.end(), name) - order.begin());
    };
    const int absent = static_cast<int>(order.size());
    // The present module of the list that runs first (or last).
    auto pick = [&](const std::vector<std::string>& names, bool last) {
      std::string chosen;
      for (const std::string& name : names) {
        if (place(name) == absent) continue;
        if (chosen.empty() || (last ? place(name) > place(chosen) : place(name) < place(chosen))) {
          chosen = name;
        }
      }
      return chosen;
    };
    std::set<std::pair<std::string, std::string>> reported;
    auto needs = [&](const std::string& first, const std::string& then) {
      if (first.empty() || then.empty() || place(first) == absent || place(then) == absent) return;
      if (place(then) < place(first) && reported.insert({first, then}).second) {
        Problem(Shown(font.file) + ": " + kModulesKey + " runs " + then + " before " + first +
                ", which must run first");
      }
    };
    const std::vector<std::string> layers(kLayers.begin(), kLayers.end());
    const std::string lastRewriter =
        pick(std::vector<std::string>(kTextRewriters.begin(), kTextRewriters.end()), true);
    std::string previous;
    for (const std::string& layer : layers) {
      needs(lastRewriter, layer);
      if (place(layer) == absent) continue;
      needs(previous, layer);
      previous = layer;
    }
    const std::vector<std::string> durations(kDurations.begin(), kDurations.end());
    const std::string firstIntonation =
        pick({kIntonationV58, kIntonationSyllable, kSmoothF0}, false);
    for (const std::string& duration : durations) needs(duration, firstIntonation);
    needs(kIntonationV58, kIntonationSyllable);
    std::vector<std::string> shapers = durations;
    shapers.push_back(kIntonationV58);
    shapers.push_back(kIntonationSyllable);
    needs(pick(shapers, true), kSmoothF0);
  }

  // The rule collection of that name, loaded once; null (with a problem)
  // when it does not load.
  const CRuleCollection* Collection(const std::string& name) {
    auto found = collections_.find(name);
    if (found != collections_.end()) return found->second.get();
    const std::string file = Param(kAC.directoryKey) + "/" + name;
    auto collection =
        std::make_unique<CRuleCollection>(VSR_AC::kReserve, VSR_AC::kFlag, VSR_AC::kOutputUnknown);
    if (!collection->loadFromFile(Full(file))) {
      Problem(Shown(file) + ": does not load: error " +
              std::to_string(collection->error().getErrorCode()) + ", " +
              collection->error().getErrorTextRef());
      collection.reset();
    }
    return (collections_[name] = std::move(collection)).get();
  }

  // The characters that a chain of collections can output, over any input:
  // the Translations of the rules whose Main Char can reach them, and, for a
  // collection that copies unknown characters, every character that can
  // reach it and has no rule that always applies.
  void CheckPhonemizer(const Font& font, const std::vector<std::string>& names) {
    std::bitset<256> reaching;
    reaching.set();
    reaching.reset(0);  // the terminating zero ends the text
    for (const std::string& name : names) {
      const CRuleCollection* collection = Collection(name);
      if (collection == nullptr) return;
      std::bitset<256> output;
      std::bitset<256> alwaysTranslated;
      for (const CRule& rule : collection->rules()) {
        if (rule.enabled() == 0 || !reaching.test(rule.mainChar())) continue;
        for (const char c : rule.translation()) output.set(static_cast<unsigned char>(c));
        if (rule.before().empty() && rule.after().empty()) alwaysTranslated.set(rule.mainChar());
      }
      if (collection->outputUnknown()) output |= reaching & ~alwaysTranslated;
      output.reset(0);
      reaching = output;
    }
    if (!phonesRead_) return;
    std::string missing;
    for (int c = 1; c < 256; ++c) {
      if (reaching.test(static_cast<size_t>(c)) && !phones_.test(static_cast<size_t>(c))) {
        missing.push_back(static_cast<char>(c));
      }
    }
    if (!missing.empty()) {
      Problem(Shown(font.file) + ": " + kPhonemizerKey + " can output [" + Shown(missing) +
              "], not in the phone table " + Shown(phoneTable_));
    }
  }

  std::string dir_;
  std::vector<std::string> problems_;
  VConfiguration config_;
  std::string phoneTable_;
  std::bitset<256> phones_;
  bool phonesRead_ = false;
  std::map<std::string, std::unique_ptr<CRuleCollection>> collections_;
};

}  // namespace

std::vector<std::string> Lint(const std::string& dir) { return Linter(dir).Run(); }

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1 || args[0].empty() || args[0] == "--help") {
    err << "usage: tm_datalint INSTALLATION_DIR\n";
    return kExitUsage;
  }
  const std::vector<std::string> problems = Lint(args[0]);
  for (const std::string& problem : problems) out << problem << "\n";
  return problems.empty() ? kExitClean : kExitProblems;
}

}  // namespace datalint
