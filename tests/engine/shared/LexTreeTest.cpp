#include "engine/shared/LexTree.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "tests/common/TestSupport.h"
#include "tests/engine/InstallationBuilder.h"
#include "tests/engine/ScrambledRecords.h"

namespace {

using testing_support::InstallationBuilder;
using testing_support::MessageRecorder;
using testing_support::TestInstallation;

struct Answer {
  int code;
  std::string value;
};

Answer Ask(const LexTree& tree, const std::string& word) {
  std::string value = "left over";
  const int code = tree.Lookup(word, &value);
  return {code, value};
}

TEST(LexTreeTest, LookupWalksTheTrieLevelByLevel) {
  LexTree tree;
  tree.Insert("ab", "x");
  const struct {
    const char* word;
    int code;
    const char* value;
  } cases[] = {
      {"ab", 1, "x"},   // the word itself
      {"a", 1, ""},     // only the beginning of a longer word
      {"abc", -1, ""},  // a later character is missing
      {"b", -2, ""},    // the first character is missing
      {"", -2, ""},     // the empty word was never inserted
      {"AB", -2, ""},   // case matters
      {"aB", -1, ""},
  };
  for (const auto& c : cases) {
    const Answer answer = Ask(tree, c.word);
    EXPECT_EQ(answer.code, c.code) << c.word;
    EXPECT_EQ(answer.value, c.value) << c.word;
  }
  EXPECT_EQ(tree.Lookup("ab", nullptr), 1);

  // The empty word is a word like any other, and no prefix of anything.
  LexTree empty;
  empty.Insert("", "empty");
  empty.Insert("", "replaced");
  EXPECT_EQ(empty.NodeCount(), 1u);
  EXPECT_EQ(Ask(empty, "").value, "replaced");
  EXPECT_EQ(Ask(empty, "a").code, -2);
}

TEST(LexTreeTest, InsertingAgainReplacesTheValueAndSharesPrefixes) {
  LexTree tree;
  tree.Insert("kato", "adverb");
  tree.Insert("kat", "prefix");
  tree.Insert("kato", "again");
  tree.Insert("ke", "function");
  EXPECT_EQ(tree.NodeCount(), 5u);  // k, a, t, o, e
  EXPECT_EQ(Ask(tree, "kato").value, "again");
  EXPECT_EQ(Ask(tree, "kat").value, "prefix");
  EXPECT_EQ(Ask(tree, "ke").value, "function");
  EXPECT_EQ(Ask(tree, "ka").code, 1);
  // Bytes above the ASCII range are keys like any other.
  tree.Insert("\xE1\xEB\xF6\xE1", "noun");
  EXPECT_EQ(Ask(tree, "\xE1\xEB\xF6\xE1").value, "noun");
  EXPECT_EQ(Ask(tree, "\xC1\xEB\xF6\xE1").code, -2);
}

class LexTreeFileTest : public testing::Test {
 protected:
  TestInstallation inst_;
  MessageRecorder boxes_;
  InstallationBuilder files_{inst_.dir()};

  std::unique_ptr<LexTree> LoadPlain(const std::string& content, const std::string& delimiters) {
    files_.Text("lexicon.txt", content);
    auto tree = std::make_unique<LexTree>();
    tree->Load(inst_.path("lexicon.txt"), delimiters, false);
    return tree;
  }
};

TEST_F(LexTreeFileTest, PlainLinesFollowTheLexiconFormat) {
  const struct {
    const char* name;
    const char* content;
    const char* delimiters;
    const char* word;
    int code;
    const char* value;
  } cases[] = {
      {"tab then value", "to\tfunction\n", "\t", "to", 1, "function"},
      {"second tab in the value", "a\tb\tc\n", "\t", "a", 1, "b\tc"},
      {"user lexicon x=y=z", "x=y=z\n", "=", "x", 1, "y=z"},
      {"last line wins", "w\tfirst\nw\tsecond\n", "\t", "w", 1, "second"},
      {"final delimiter", "w\t\n", "\t", "w", 1, ""},
      {"no delimiter", "lonely\n", "\t", "lonely", 1, ""},
      {"leading delimiter", "\tfor nothing\n", "\t", "", 1, "for nothing"},
      {"no leading delimiter", "a\tb\n", "\t", "", -2, ""},
      {"CR before LF dropped", "a\tb\r\nc\td\r\n", "\t", "a", 1, "b"},
      {"last line without LF", "a\tb\nc\td", "\t", "c", 1, "d"},
  };
  for (const auto& c : cases) {
    const auto tree = LoadPlain(c.content, c.delimiters);
    const Answer answer = Ask(*tree, c.word);
    EXPECT_EQ(answer.code, c.code) << c.name;
    EXPECT_EQ(answer.value, c.value) << c.name;
  }
  EXPECT_TRUE(boxes_.messages().empty());
  // Empty lines store nothing.
  EXPECT_EQ(LoadPlain("\n\r\n\na\tb\n\n", "\t")->NodeCount(), 1u);
}

TEST_F(LexTreeFileTest, PlainLinesOfAnyLengthAreReadWhole) {
  const std::string word(300, 'w');
  const std::string value(5000, 'v');
  const auto tree = LoadPlain("before\t1\n" + word + "\t" + value + "\nafter\t2\n", "\t");
  EXPECT_EQ(Ask(*tree, word).value, value);
  EXPECT_EQ(Ask(*tree, "after").value, "2");
  // One entry, not pieces of 119 characters.
  EXPECT_EQ(Ask(*tree, std::string(119, 'w')).value, "");
  EXPECT_EQ(Ask(*tree, "v").code, -2);
}

TEST_F(LexTreeFileTest, AWordOfAMillionCharactersIsBuiltAndDestroyed) {
  const std::string word(1000000, 'q');
  {
    const auto tree = LoadPlain(word + "\tlong\nq\tshort\n", "\t");
    EXPECT_EQ(tree->NodeCount(), word.size());
    EXPECT_EQ(Ask(*tree, word).value, "long");
    EXPECT_EQ(Ask(*tree, "q").value, "short");
    EXPECT_EQ(Ask(*tree, word + "q").code, -1);
  }  // destroyed here without running out of stack
  // A level with every byte value and a long chain under each of a few.
  auto tree = std::make_unique<LexTree>();
  for (int c = 1; c < 256; ++c) tree->Insert(std::string(1, static_cast<char>(c)), "one");
  tree->Insert(std::string(200000, 'a'), "deep");
  tree->Insert("b" + std::string(200000, 'c'), "deeper");
  EXPECT_EQ(Ask(*tree, std::string(200000, 'a')).value, "deep");
  tree.reset();
}

TEST_F(LexTreeFileTest, EncipheredLexiconsAreScrambledRecords) {
  files_.Scrambled("lexicon.lex", {"to\tfunction", "a\tb\tc", "", "w\t", "\tempty word"},
                   LexTree::kRecordSize);
  LexTree tree;
  tree.Load(inst_.path("lexicon.lex"), "\t", true);
  EXPECT_EQ(Ask(tree, "to").value, "function");
  EXPECT_EQ(Ask(tree, "a").value, "b\tc");
  EXPECT_EQ(Ask(tree, "w").code, 1);
  EXPECT_EQ(Ask(tree, "").value, "empty word");
  EXPECT_TRUE(boxes_.messages().empty());
}

TEST_F(LexTreeFileTest, AMalformedRecordIsReportedAndSkipped) {
  testing_support::RecordParts bad;
  bad.payload = std::string("bad\tentry") + '\0';
  bad.checkDelta = 1;
  files_.Text("lexicon.lex", testing_support::TextRecord("one\t1", LexTree::kRecordSize) +
                                 testing_support::MakeRecord(bad, LexTree::kRecordSize) +
                                 testing_support::TextRecord("two\t2", LexTree::kRecordSize));
  LexTree tree;
  tree.Load(inst_.path("lexicon.lex"), "\t", true);
  EXPECT_EQ(boxes_.reports(),
            std::vector<std::string>{"malformed entry in file " + inst_.path("lexicon.lex")});
  EXPECT_EQ(Ask(tree, "one").value, "1");
  EXPECT_EQ(Ask(tree, "two").value, "2");
  EXPECT_EQ(Ask(tree, "bad").code, -2);
}

TEST_F(LexTreeFileTest, AMissingFileIsReportedAndLeavesTheTreeAsItWas) {
  LexTree tree;
  tree.Insert("kept", "yes");
  tree.Load(inst_.path("absent.lex"), "\t", false);
  files_.Folder("folder.lex");
  tree.Load(inst_.path("folder.lex"), "\t", true);
  EXPECT_EQ(boxes_.reports(),
            (std::vector<std::string>{"Error reading file " + inst_.path("absent.lex"),
                                      "Error reading file " + inst_.path("folder.lex")}));
  EXPECT_EQ(tree.NodeCount(), 4u);
  EXPECT_EQ(Ask(tree, "kept").value, "yes");
}

}  // namespace
