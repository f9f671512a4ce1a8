#include "tools/rulec/RuleCompiler.h"

#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

#include "tools/rulec/RuleFileFormat.h"
#include "tools/rulec/RuleSourceParser.h"
#include "tools/rulec/RuleSourceWriter.h"

namespace rulec {
namespace {

bool ReadWholeFile(const std::string& path, std::string& content, std::string& why) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    why = std::strerror(errno);
    return false;
  }
  content.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  if (in.bad()) {
    why = "read error";
    return false;
  }
  return true;
}

std::string BaseName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string DirName(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// The OUTPUT that names standard output.
constexpr const char* kStandardOutput = "-";

}  // namespace

const char* RuleCompiler::helpText() {
  return R"HELP(Usage: tm_rulec compile SOURCE OUTPUT
       tm_rulec dump BINARY [OUTPUT]
       tm_rulec --help

compile  turns a UTF-8 rule source into a binary letter-conversion rule file
         (Windows-1253). Every error is reported as "file:line: reason"; on
         any error nothing is written. The output file name must not
         contain '-' (OUTPUT "-", standard output, is refused).
dump     writes a binary rule file as rule source (UTF-8) to OUTPUT or to
         standard output (no OUTPUT, or "-"); compiling the dump gives the
         same bytes again.

Exit codes: 0 done, 1 refused or file error, 2 wrong command line.

Source format (one item a line; empty lines and lines starting with '#'
are ignored):
  @output-unknown yes|no     required once: copy (yes) or drop (no) a
                             character that no rule translates
  @font HEX                  optional: the 50-byte logical font block as
                             100 hex digits; sets the font flag to 1
  MAIN | BEFORE | AFTER | TRANSLATION | CHARS [| off] [| counter=N]
                             one rule; fields separated by blank, bar, blank
    MAIN         exactly one character
    BEFORE/AFTER - for an empty context, else elements OP:REP:SET separated
                 by single blanks (OP "=" or "!=", REP e.g. 1, 0-2, SET the
                 characters)
    TRANSLATION  the output text; - (or nothing) for the empty text
    CHARS        characters consumed, 1 to 255
    off          the rule is disabled; counter=N its usage counter
  Rules must be in ascending Windows-1253 byte order of MAIN; rules with
  the same MAIN stand together, in order of priority.
  Escapes: \s blank  \t tab  \| bar  \: colon  \- hyphen  \\ backslash
           \0 backslash and 0 (the text boundary in a set)
           \xHH one Windows-1253 byte
  A blank, tab or bar inside a field must be escaped.

Example:
  @output-unknown yes
  Σ | !=:1:\s.,\0 | =:1:\s.,\0 | ς | 1
  Σ | - | - | σ | 1
)HELP";
}

bool RuleCompiler::writeFileAtomically(const std::string& path, const std::string& content,
                                       std::string& why) {
  std::string temp = DirName(path) + "/." + BaseName(path) + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) {
    why = std::string("cannot create a temporary file: ") + std::strerror(errno);
    return false;
  }
  std::size_t done = 0;
  while (done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      why = std::string("cannot write: ") + std::strerror(errno);
      ::close(fd);
      std::remove(temp.c_str());
      return false;
    }
    done += static_cast<std::size_t>(n);
  }
  // mkstemp creates the file for its owner only; give it the usual permissions.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  if (::fchmod(fd, 0666 & ~mask) != 0 || ::close(fd) != 0) {
    why = std::string("cannot write: ") + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) {
    why = std::string("cannot rename the temporary file: ") + std::strerror(errno);
    std::remove(temp.c_str());
    return false;
  }
  return true;
}

int RuleCompiler::compile(const std::string& source, const std::string& output, std::ostream& err) {
  if (output == kStandardOutput) {
    err << "tm_rulec: OUTPUT \"-\" is refused: the rule file is binary and goes to a named "
           "file, not to standard output\n";
    return kUsage;
  }
  const std::string name = BaseName(output);
  if (name.empty()) {
    err << output << ": the output must be a file name\n";
    return kFailed;
  }
  if (name.find('-') != std::string::npos) {
    err << output
        << ": the file name must not contain '-' (the engine splits lists of rule "
           "collections at '-')\n";
    return kFailed;
  }
  std::string text;
  std::string why;
  if (!ReadWholeFile(source, text, why)) {
    err << source << ": cannot read the source: " << why << "\n";
    return kFailed;
  }
  RuleSourceParser parser;
  if (!parser.parse(text, source)) {
    for (const std::string& message : parser.errors()) err << message << "\n";
    return kFailed;
  }
  if (!writeFileAtomically(output, RuleFileFormat::encode(parser.ruleSet()), why)) {
    err << output << ": " << why << "\n";
    return kFailed;
  }
  return kOk;
}

int RuleCompiler::dump(const std::string& binary, const std::string& output, std::ostream& out,
                       std::ostream& err) {
  std::string image;
  std::string why;
  if (!ReadWholeFile(binary, image, why)) {
    err << binary << ": cannot read the file: " << why << "\n";
    return kFailed;
  }
  RuleSet set;
  RuleFileFormat::ReadReport report;
  if (!RuleFileFormat::decode(image, set, report)) {
    err << binary << ": " << report.problem << "\n";
    return kFailed;
  }
  std::string text = RuleSourceWriter::write(set);
  if (report.droppedBytes != 0) {
    std::ostringstream note;
    note << "# note: the file ends with " << report.droppedBytes
         << " bytes of an incomplete rule record, which the engine drops\n";
    text += note.str();
    err << binary << ": warning: the last " << report.droppedBytes
        << " bytes are an incomplete rule record\n";
  }
  if (output.empty() || output == kStandardOutput) {
    out << text;
    out.flush();
    return out ? kOk : kFailed;
  }
  if (!writeFileAtomically(output, text, why)) {
    err << output << ": " << why << "\n";
    return kFailed;
  }
  return kOk;
}

int RuleCompiler::run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h" || args[0] == "help")) {
    out << helpText();
    return kOk;
  }
  if (!args.empty() && args[0] == "compile" && args.size() == 3) {
    return compile(args[1], args[2], err);
  }
  if (!args.empty() && args[0] == "dump" && (args.size() == 2 || args.size() == 3)) {
    return dump(args[1], args.size() == 3 ? args[2] : std::string(), out, err);
  }
  err << "tm_rulec: wrong command line\n" << helpText();
  return kUsage;
}

}  // namespace rulec
