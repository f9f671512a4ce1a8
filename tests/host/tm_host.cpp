// A small host of the engine for tests, benchmarks and language checks: the
// window into the module chain. It loads the shared resources of an
// installation, creates an engine, optionally selects a voice font, runs a
// text (UTF-8) through the chain and writes the speech to a WAVE file, or
// shows what the chain made of the text.
//
//   tm_host [options] text... out.wav
//   tm_host [options] -o out.wav text...
//   tm_host [options] --phones|--ipa|--pho [-o out.wav] text...
//
// Options:
//   --install DIR   use the installation DIR (see below)
//   --font KEY, -f KEY
//                   select the voice font KEY
//   --phones        print the phone string that reaches the phone-text
//                   generator, one character per phone
//   --ipa           print that phone string in IPA from the installation's
//                   phones/ipa.txt: each phone's IPA separated by blanks
//   --pho           print the generator's phone text
// With one of the three, the WAVE file is written only when -o names it.
// The text "-" reads standard input instead: after one load, every input
// line is run on its own and answered by one output line (the printed forms
// separated by a tab, the phone text's line ends written as " ; "; without a
// printed form, the name of the WAVE file written, the output name with
// "_N" before its extension for line N).
//
// Without --install the engine uses the registered installation. With it,
// the engine uses DIR: the host registers DIR in a registry stand-in of its
// own (a temporary folder that XDG_CONFIG_HOME names while the host runs),
// so the user's own registration is neither read nor changed.
//
// The host never plays: when SDL_AUDIODRIVER is not set, it sets it to
// "dummy" before the engine starts, so that a machine without a sound card
// prints no complaints of its sound system.
#include <limits.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>
#include <system_error>
#include <vector>

#include "engine/base/VLib.h"
#include "engine/composer/Tamrin.h"
#include "engine/interface/tmengine.h"
#include "modules/vm_genpho.h"
#include "platform/Codepage.h"

namespace {

// The installation's table of the IPA of every phone symbol.
constexpr const char* kIpaTable = "phones/ipa.txt";
// What stands in the phone text's place for a line end in an answer line.
constexpr const char* kPhoLineEnd = " ; ";

int Fail(const char* call, int code) {
  char* text = nullptr;
  tmengine__GetLastError(&text);
  std::fprintf(stderr, "tm_host: %s: %d: %s\n", call, code, text != nullptr ? text : "");
  tmengine__FreeBuffer(&text);
  return 1;
}

int Usage() {
  std::fprintf(stderr,
               "usage: tm_host [--install DIR] [--font KEY] text... out.wav\n"
               "       tm_host [--install DIR] [--font KEY] -o out.wav text...\n"
               "       tm_host [--install DIR] [--font KEY] [--phones] [--ipa] [--pho]"
               " [-o out.wav] text...\n"
               "       (text \"-\": one answer line per line of standard input)\n");
  return 2;
}

// The names that the registry stand-in takes, the file first and then its
// folders from the innermost out: what a signal handler removes.
constexpr int kRegistrationNames = 4;
char g_registrationNames[kRegistrationNames][PATH_MAX];

// Removes the registry stand-in, then ends the process by the signal as
// it would have ended without the handler.
extern "C" void RemoveRegistrationAndEnd(int number) {
  ::unlink(g_registrationNames[0]);
  for (int i = 1; i < kRegistrationNames; ++i) ::rmdir(g_registrationNames[i]);
  // The handler was reset as it ran; the signal is delivered once it returns.
  ::raise(number);
}

// A registry stand-in in a temporary folder that names one installation,
// in use while the object lives; an interrupt or a termination removes it
// as well.
class TemporaryRegistration {
 public:
  bool Register(const std::string& installation) {
    std::error_code ec;
    const std::filesystem::path dir = std::filesystem::absolute(installation, ec);
    if (ec || !std::filesystem::is_directory(dir, ec)) {
      std::fprintf(stderr, "tm_host: %s: not a directory\n", installation.c_str());
      return false;
    }
    std::string pattern = (std::filesystem::temp_directory_path(ec) / "tm_host.XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (ec || ::mkdtemp(name.data()) == nullptr) {
      std::fprintf(stderr, "tm_host: cannot create a temporary folder\n");
      return false;
    }
    root_ = std::string(name.data());
    const std::filesystem::path key = root_ / "Quenmoor" / "ZORVALIS";
    std::filesystem::create_directories(key, ec);
    std::ofstream(key / "path", std::ios::binary) << dir.lexically_normal().string();
    if (ec || !std::filesystem::is_regular_file(key / "path")) {
      std::fprintf(stderr, "tm_host: cannot register %s\n", dir.c_str());
      return false;
    }
    RemoveOnSignals(key / "path");
    return ::setenv("XDG_CONFIG_HOME", root_.c_str(), 1) == 0;
  }
  ~TemporaryRegistration() {
    if (root_.empty()) return;
    for (const int number : kSignals) std::signal(number, SIG_DFL);
    std::error_code ec;
    std::filesystem::remove_all(root_, ec);
  }

 private:
  static constexpr int kSignals[] = {SIGINT, SIGTERM};

  // Has file and its folders up to the root removed on kSignals.
  void RemoveOnSignals(std::filesystem::path file) {
    for (char* name : g_registrationNames) {
      const std::string text = file.string();
      if (text.size() >= PATH_MAX) return;  // too long to remove: left as before
      text.copy(name, text.size());
      name[text.size()] = '\0';
      file = file.parent_path();
    }
    struct sigaction action = {};
    action.sa_handler = RemoveRegistrationAndEnd;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    for (const int number : kSignals) sigaction(number, &action, nullptr);
  }

  std::filesystem::path root_;
};

// One line of a text stream without its line end (one CR before the LF is
// dropped); false at the end of the stream.
bool ReadLine(std::istream& in, std::string& line) {
  if (!std::getline(in, line)) return false;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return true;
}

// The IPA of the phone symbols: "symbol<TAB>IPA" lines in UTF-8, '#'
// comments (a '#' followed by a tab is the row of the symbol '#').
class IpaTable {
 public:
  bool Load(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::string line;
    while (ReadLine(in, line)) {
      const std::size_t tab = line.find('\t');
      if (line.empty() || (line[0] == '#' && tab != 1) || tab == std::string::npos) continue;
      const std::string symbol = platform::Utf8ToCp1253(line.substr(0, tab));
      if (symbol.size() == 1) ipa_[symbol[0]] = line.substr(tab + 1);
    }
    return true;
  }
  // Each phone's IPA, separated by blanks; a symbol without a row shows as
  // itself.
  std::string Convert(const std::string& phones) const {
    std::string out;
    for (const char c : phones) {
      if (!out.empty()) out += ' ';
      const auto it = ipa_.find(c);
      out += it != ipa_.end() ? it->second : platform::Cp1253ToUtf8(std::string(1, c));
    }
    return out;
  }

 private:
  std::map<char, std::string> ipa_;
};

struct Options {
  std::string font;
  std::string output;
  std::string installation;
  bool phones = false;
  bool ipa = false;
  bool pho = false;
  std::vector<std::string> words;

  bool Prints() const { return phones || ipa || pho; }
};

// Parses the command line; false on a wrong one.
bool Parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    if ((arg == "-f" || arg == "--font") && hasValue) {
      o.font = argv[++i];
    } else if (arg == "-o" && hasValue) {
      o.output = argv[++i];
    } else if (arg == "--install" && hasValue) {
      o.installation = argv[++i];
    } else if (arg == "--phones") {
      o.phones = true;
    } else if (arg == "--ipa") {
      o.ipa = true;
    } else if (arg == "--pho") {
      o.pho = true;
    } else {
      o.words.push_back(arg);
    }
  }
  // Without -o and without a printed form the last word names the file.
  if (o.output.empty() && !o.Prints()) {
    if (o.words.size() < 2) return false;
    o.output = o.words.back();
    o.words.pop_back();
  }
  // A WAVE file cannot go to standard output.
  return !o.words.empty() && o.output != "-";
}

// The engine of one host run and what it answers per text.
class Host {
 public:
  Host(Tamrin* engine, const Options& options) : engine_(engine), options_(options) {}

  bool LoadIpa() {
    const std::string path = VLib::MakePath(kIpaTable);
    if (ipa_.Load(path)) return true;
    std::fprintf(stderr, "tm_host: cannot read %s\n", path.c_str());
    return false;
  }

  // Runs text (UTF-8) through the chain into file (none: into a buffer).
  // The printed forms, each followed by a line feed; false on failure.
  bool Run(const std::string& text, const std::string& file, std::vector<std::string>& forms) {
    // A run that ends before the generator (a text without phones) has no
    // phone text: the one of the text before must not stand for it.
    VM_GeneratorPHO* generator = VM_GeneratorPHO::Find(engine_);
    if (generator != nullptr) generator->Clear();
    int r = 0;
    if (!file.empty()) {
      r = tmengine_TextToFile(engine_, text.c_str(), file.c_str());
      if (r < 0) {
        Fail("tmengine_TextToFile", r);
        return false;
      }
    } else {
      char* buffer = nullptr;
      long size = 0;
      r = tmengine__TextToBuffer(engine_, text.c_str(), 1, &buffer, &size);
      tmengine__FreeBuffer(&buffer);
      if (r < 0) {
        Fail("tmengine__TextToBuffer", r);
        return false;
      }
    }
    forms.clear();
    const std::string& phones = engine_->GetText()->Str();
    if (options_.phones) forms.push_back(platform::Cp1253ToUtf8(phones));
    if (options_.ipa) forms.push_back(ipa_.Convert(phones));
    if (options_.pho) {
      forms.push_back(platform::Cp1253ToUtf8(generator != nullptr ? generator->GetPho() : ""));
    }
    return true;
  }

  // One text from the command line.
  int Once(const std::string& text) {
    std::vector<std::string> forms;
    if (!Run(text, options_.output, forms)) return 1;
    for (const std::string& form : forms) std::printf("%s\n", form.c_str());
    if (!options_.output.empty()) std::printf("%s\n", options_.output.c_str());
    return 0;
  }

  // Every line of standard input, one answer line each.
  int Lines() {
    std::string line;
    std::vector<std::string> forms;
    int status = 0;
    for (int n = 1; ReadLine(std::cin, line); ++n) {
      const std::string file = NumberedOutput(n);
      if (!Run(line, file, forms)) {
        status = 1;
        forms.assign(1, "");
      }
      std::string answer = options_.Prints() ? "" : file;
      for (std::size_t i = 0; i < forms.size(); ++i) {
        if (i > 0) answer += '\t';
        answer += OneLine(forms[i]);
      }
      std::printf("%s\n", answer.c_str());
      std::fflush(stdout);
    }
    return status;
  }

 private:
  // The output name with "_n" before its extension; "" without an output.
  std::string NumberedOutput(int n) const {
    if (options_.output.empty()) return "";
    const std::filesystem::path path(options_.output);
    std::filesystem::path numbered = path;
    numbered.replace_filename(path.stem().string() + "_" + std::to_string(n) +
                              path.extension().string());
    return numbered.string();
  }
  static std::string OneLine(const std::string& text) {
    std::string out;
    for (const char c : text) {
      if (c == '\n') {
        out += kPhoLineEnd;
      } else if (c != '\r') {
        out += c;
      }
    }
    return out;
  }

  Tamrin* engine_;
  const Options& options_;
  IpaTable ipa_;
};

}  // namespace

int main(int argc, char** argv) {
  ::setenv("SDL_AUDIODRIVER", "dummy", 0);  // keeps a value that is set
  Options options;
  if (!Parse(argc, argv, options)) return Usage();
  const bool fromInput = options.words.size() == 1 && options.words[0] == "-";
  std::string text;
  for (const std::string& word : options.words) {
    if (!text.empty()) text += ' ';
    text += word;
  }

  TemporaryRegistration registration;
  if (!options.installation.empty() && !registration.Register(options.installation)) return 1;

  int r = tmengine__LoadSharedResources();
  if (r < 0) return Fail("tmengine__LoadSharedResources", r);
  Tamrin* engine = nullptr;
  r = tmengine__New(&engine);
  if (r < 0) {
    Fail("tmengine__New", r);
    tmengine__ReleaseSharedResources();
    return 1;
  }
  int status = 0;
  Host host(engine, options);
  if (!options.font.empty() && (r = tmengine__SelectVoiceFont(engine, options.font.c_str())) < 0) {
    status = Fail("tmengine__SelectVoiceFont", r);
  } else if (options.ipa && !host.LoadIpa()) {
    status = 1;
  } else {
    status = fromInput ? host.Lines() : host.Once(text);
  }
  if ((r = tmengine__Delete(&engine)) < 0) status = Fail("tmengine__Delete", r);
  if ((r = tmengine__ReleaseSharedResources()) < 0) {
    status = Fail("tmengine__ReleaseSharedResources", r);
  }
  return status;
}
