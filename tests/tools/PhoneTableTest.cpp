#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "engine/base/VStr.h"
#include "engine/shared/TMShared.h"
#include "engine/shared/VSR_PhonePool.h"
#include "platform/Codepage.h"
#include "tests/common/TestSupport.h"
#include "tools/phonetable/PhoneTableSource.h"
#include "tools/scramble/ScrambleTool.h"

namespace {

using testing_support::FileExists;
using testing_support::MessageRecorder;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::TestInstallation;
using testing_support::WriteFile;

const std::string kHeader = "symbol\tphone\tvowel\tstressed\tvoiced\tbreak\ttristate\n";

// The Windows-1253 byte of one UTF-8 character.
char Cp(const char* utf8) {
  const std::string b = platform::Utf8ToCp1253(utf8);
  EXPECT_EQ(b.size(), 1u) << utf8;
  return b.empty() ? '\0' : b[0];
}

// A compiled table loaded through the configuration of a test installation,
// as the shared resources load it.
class LoadedTable {
 public:
  explicit LoadedTable(const std::string& compiled) {
    inst_.write("config.txt", "Phones.Filename=phones/greek.phn\n");
    inst_.write("phones/greek.phn", ReadFile(compiled));
    EXPECT_EQ(holder_.GetConfiguration()->Load(inst_.path("config.txt")), 1);
    EXPECT_TRUE(pool().Load(&holder_));
    EXPECT_TRUE(boxes_.messages().empty());
  }
  VSR_PhonePool& pool() { return *holder_.GetPhonePool(); }
  std::string Features(char symbol) {
    const VPhone* phone = pool().FindPhone(symbol);
    return phone != nullptr ? phone->GetString() : "<none>";
  }
  std::string Value(char symbol, const char* name) {
    char* v = nullptr;
    std::string value = pool().detailedPhoneFeature(symbol, name, &v) ? v : "<none>";
    VStr::Release(&v);
    return value;
  }

 private:
  TestInstallation inst_;
  MessageRecorder boxes_;
  TMShared holder_;
};

class PhoneTableTest : public testing::Test {
 protected:
  TempDir dir_;

  std::string Source(const std::string& content, const std::string& name = "table.phn.src") {
    const std::string path = dir_ / name;
    WriteFile(path, content);
    return path;
  }

  int Compile(const std::string& source, const std::string& output, std::string* err = nullptr) {
    std::ostringstream out;
    std::ostringstream errors;
    const int code = phonetable::Run({"compile", source, output}, out, errors);
    if (err != nullptr) *err = errors.str();
    return code;
  }
};

TEST_F(PhoneTableTest, TheLinterRefusesWhatTheEngineWouldMisread) {
  struct Case {
    const char* what;
    std::string source;
    std::string message;  // after "file:"
  };
  const Case cases[] = {
      {"a name ending with another", "symbol\tphone\tvoiced\tunvoiced\na\t1\t1\t0\n",
       "1: column \"unvoiced\" ends with column \"voiced\": the engine's feature search would "
       "confuse them"},
      {"an empty column name", "symbol\tphone\t\tvowel\n", "1: column 3 has no name"},
      {"a duplicate column", "symbol\tphone\tvowel\tvowel\n", "1: column \"vowel\" appears twice"},
      {"no phone column", "symbol\tvowel\na\t1\n", "1: no column \"phone\""},
      {"a duplicate symbol", "# comment\nsymbol\tphone\na\t1\nb\t1\na\t0\n",
       "5: symbol \"a\" is already defined on line 3"},
      {"a symbol of two characters", "symbol\tphone\nts\t1\n",
       "2: symbol \"ts\" is not exactly one character"},
      {"more fields than columns", "symbol\tphone\na\t1\t1\n",
       "2: the row has 3 fields, the header names 2 columns"},
      {"a colon in a value", "symbol\tphone\tnote\na\t1\tx:1\n",
       "2: the field \"x:1\" of column \"note\" contains ':'"},
      {"a character outside the code page", "symbol\tphone\nж\t1\n",
       "2: character U+0436 (ж) is not in Windows-1253"},
      {"a row too long for a record", "symbol\tphone\tnote\na\t1\t" + std::string(480, 'n') + "\n",
       "2: the row does not fit a record of 500 bytes"},
  };
  const std::string output = dir_ / "out.phn";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string source = Source(c.source);
    WriteFile(output, "stale");
    std::string err;
    EXPECT_EQ(Compile(source, output, &err), scramble::kExitRefused);
    EXPECT_NE(err.find(source + ":" + c.message + "\n"), std::string::npos) << err;
    EXPECT_FALSE(FileExists(output));
  }
}

TEST_F(PhoneTableTest, CheckListsEveryFault) {
  const std::string source = Source("symbol\tvoiced\tunvoiced\nab\t1\nab\t1\n");
  std::ostringstream out;
  std::ostringstream err;
  EXPECT_EQ(phonetable::Run({"check", source}, out, err), scramble::kExitRefused);
  EXPECT_EQ(err.str(), source +
                           ":1: column \"unvoiced\" ends with column \"voiced\": the engine's "
                           "feature search would confuse them\n" +
                           source + ":1: no column \"phone\"\n" + source +
                           ":2: symbol \"ab\" is not exactly one character\n" + source +
                           ":3: symbol \"ab\" is not exactly one character\n");
  EXPECT_EQ(phonetable::Run({"compile", "only-one"}, out, err), scramble::kExitUsage);
}

TEST_F(PhoneTableTest, ACompiledTableLoadsWithExactlyItsFields) {
  // '#' and a tab start the row of the phone '#'; any other '#' line is a comment.
  const std::string good = Source(
      "# a small table\n"
      "\n"
      "symbol\tphone\tvowel\tnote\r\n"
      "a\t1\t1\tfirst\r\n"
      "#\t0\t0\n"
      "# a comment between rows\n"
      "έ\t1\t1\t\n"
      "k\t1\n");
  const std::string output = dir_ / "small.phn";
  std::string err;
  ASSERT_EQ(Compile(good, output, &err), 0) << err;
  EXPECT_EQ(ReadFile(output).size(), 5u * 500u);
  LoadedTable table(output);
  EXPECT_EQ(table.pool().ColumnCount(), 4);
  EXPECT_EQ(table.pool().PhoneCount(), 4);
  EXPECT_EQ(table.Features('a'), "symbol:a\tphone:1\tvowel:1\tnote:first");
  EXPECT_EQ(table.Features('#'), "symbol:#\tphone:0\tvowel:0");
  EXPECT_EQ(table.Features(Cp("έ")),
            std::string("symbol:") + Cp("έ") + "\tphone:1\tvowel:1\tnote:");
  EXPECT_EQ(table.Features('k'), "symbol:k\tphone:1");
}

TEST_F(PhoneTableTest, TheShippedGreekTableCompilesAndAnswers) {
  const std::string source = std::string(TM_SOURCE_DIR) + "/data/phones/greek.phn.src";
  const std::string output = dir_ / "greek.phn";
  std::string err;
  ASSERT_EQ(Compile(source, output, &err), 0) << err;
  // The build compiled the same table into its data folder.
  EXPECT_EQ(ReadFile(std::string(TM_DATA_BUILD_DIR) + "/phones/greek.phn"), ReadFile(output));

  LoadedTable table(output);
  VSR_PhonePool& pool = table.pool();
  struct Expect {
    const char* symbol;  // UTF-8
    bool phone, vowel, stressed, voiced, brk, tristate;
    const char* manner;
  };
  const Expect cases[] = {
      {"a", true, true, false, true, false, true, "vowel"},
      {"U", true, true, true, true, false, true, "vowel"},
      {"p", true, false, false, false, false, true, "stop"},
      {"b", true, false, false, true, false, true, "stop"},
      {"T", true, false, false, false, false, true, "fricative"},
      {"m", true, false, false, true, false, true, "nasal"},
      {"J", true, false, false, true, false, true, "nasal"},
      {"S", true, false, false, false, false, true, "affricate"},
      {"#", false, false, false, false, false, true, "pause"},
      {"/", false, false, false, false, true, true, "break"},
      {";", false, false, false, false, true, true, "break"},
  };
  for (const Expect& e : cases) {
    SCOPED_TRACE(e.symbol);
    const char s = Cp(e.symbol);
    ASSERT_TRUE(pool.searchPhone(s, false));
    EXPECT_EQ(pool.getPhoneFeature(s, "phone"), e.phone);
    EXPECT_EQ(pool.getPhoneFeature(s, "vowel"), e.vowel);
    EXPECT_EQ(pool.getPhoneFeature(s, "stressed"), e.stressed);
    EXPECT_EQ(pool.getPhoneFeature(s, "voiced"), e.voiced);
    EXPECT_EQ(pool.getPhoneFeature(s, "break"), e.brk);
    EXPECT_EQ(pool.getPhoneFeature(s, "tristate"), e.tristate);
    EXPECT_EQ(table.Value(s, "manner"), e.manner);
  }
  for (const char* absent : {"ψ", "q"}) EXPECT_FALSE(pool.searchPhone(Cp(absent), false));
  // Every phone has every column, and no symbol occurs twice.
  for (int i = 0; i < pool.PhoneCount(); ++i) {
    const VPhone* phone = pool.PhoneAt(i);
    EXPECT_EQ(pool.FindPhone(phone->GetSymbol()), phone) << i;
    for (int c = 0; c < pool.ColumnCount(); ++c) {
      std::string value;
      EXPECT_TRUE(phone->Get(pool.GetFeatureName(c), value)) << i << " " << pool.GetFeatureName(c);
    }
  }
}

TEST_F(PhoneTableTest, TheCommandLine) {
  const std::string exe = TM_PHONETABLE_EXE;
  const std::string output = dir_ / "out.phn";
  const std::string errors = dir_ / "errors.txt";
  const auto run = [&](const std::string& args) {
    const int status = std::system((exe + " " + args + " 2>'" + errors + "'").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  const std::string good = Source(kHeader + "a\t1\t1\t0\t1\t0\t1\n");
  EXPECT_EQ(run("compile '" + good + "' '" + output + "'"), 0);
  EXPECT_EQ(ReadFile(output).size(), 1000u);
  const std::string bad = Source("symbol\tphone\tvoiced\tunvoiced\n", "bad.phn.src");
  EXPECT_EQ(run("compile '" + bad + "' '" + output + "'"), scramble::kExitRefused);
  EXPECT_NE(ReadFile(errors).find(bad + ":1: column \"unvoiced\" ends with column \"voiced\""),
            std::string::npos);
  EXPECT_FALSE(FileExists(output));
  EXPECT_EQ(run("check '" + good + "'"), 0);
  EXPECT_EQ(run(""), scramble::kExitUsage);
}

}  // namespace
