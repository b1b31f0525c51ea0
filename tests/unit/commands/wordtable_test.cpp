// The commands on the word table: renaming, retyping, copying, 入れる, the
// variable listing and the hidden greeting, run through whole programs.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "commands/control.h"
#include "commands/wordtable.h"
#include "frontend/scanner.h"
#include "run_fixture.h"

namespace tama {
namespace {

using runfx::TRunFixture;

bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

class WordTableCommands : public TRunFixture {};

// ---- 名義変更 ----

struct TRenameCase {
  const char* form;     // the text of the "に" argument, as written in the literal
  const char* name;     // the new name, or nullptr when the renaming fails
  const char* pattern;  // the new pattern
};

TEST_F(WordTableCommands, RenameSplitsTheNewForm) {
  const TRenameCase cases[] = {
      {"?と 見せる", "見せる", "?と"},
      {"?を,出す", "出す", "?を"},
      {"?と 見せる;", "見せる", "?と"},           // one trailing ";" goes
      {"？と　見せる", "見せる", "?と"},          // full-width forms fold
      {"?と 見せる ", "見せる", "?と"},           // a trailing blank ends the list
      {"?の\t見せる", "見せる", "?の"},           // a new particle
      {"?と  見せる", nullptr, nullptr},          // an empty token ends the list: one token
      {"?と, 見せる", nullptr, nullptr},
      {" ?と 見せる", nullptr, nullptr},          // no token at all
      {"見せる", nullptr, nullptr},               // one "?" needs two tokens
      {"?と ?を 見せる", nullptr, nullptr},
      {"", nullptr, nullptr},
  };
  for (const TRenameCase& c : cases) {
    SCOPED_TRACE(c.form);
    Run(std::string("「表示」を、「") + c.form + "」に、名義変更");
    if (c.name) {
      EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
      EXPECT_EQ(Word("表示"), nullptr);
      THashNode* w = Word(c.name);
      ASSERT_NE(w, nullptr);
      EXPECT_EQ(w->Kind, wkCommand);
      EXPECT_EQ(w->Pattern(), c.pattern);
      EXPECT_EQ(w->Slots().size(), 1u);
      EXPECT_EQ(w->Slots()[0], std::string(c.pattern).substr(1));
    } else {
      ASSERT_EQ(LogLines().size(), 2u) << tama.errorLog.Text();
      EXPECT_TRUE(EndsWith(LogLines()[0], "): \"表示\"命令の引数に誤りがあります。")) << LogLines()[0];
      EXPECT_NE(Word("表示"), nullptr);
    }
  }
}

TEST_F(WordTableCommands, RenamedCommandRunsUnderItsNewNameOnly) {
  Run("「表示」を、「?を 出す」に、名義変更\n「やあ」を、出す\n「x」と、表示\n");
  EXPECT_EQ(host.shown, "やあ\n");
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_NE(tama.errorLog.Text().find("\"`x`と,表示\"は未定義の命令です。"), std::string::npos) << tama.errorLog.Text();
}

TEST_F(WordTableCommands, RenameFindsACommandByItsFiledNameOnly) {
  Run("「言う」を、「?と 話す」に、名義変更\n");
  EXPECT_TRUE(EndsWith(LogLines().at(0), "オブジェクト\"言う\"が特定できません。")) << tama.errorLog.Text();
  Run("「言」を、「?と 話す」に、名義変更\n「やあ」と、話す\n");
  EXPECT_EQ(host.shown, "やあ\n");
  EXPECT_EQ(Word("言"), nullptr);
}

TEST_F(WordTableCommands, RenameOntoAReservedWordChangesNothing) {
  const std::pair<const char*, TWordKind> reserved[] = {{"言", wkCommand}, {"回数", wkVariable}, {"母艦", wkObject}};
  for (const auto& [name, kind] : reserved) {
    SCOPED_TRACE(name);
    Run(std::string("「表示」を、「?と ") + name + "」に、名義変更\n");
    ASSERT_EQ(LogLines().size(), 1u) << tama.errorLog.Text();
    EXPECT_TRUE(EndsWith(LogLines()[0], std::string("システム命令実行中のエラー。理由は,\"") + name +
                                            "\"は予約語なので、登録できません。"))
        << LogLines()[0];
    ASSERT_NE(Word("表示"), nullptr);
    EXPECT_EQ(Word("表示")->Pattern(), "?と");
    ASSERT_NE(Word(name), nullptr);
    EXPECT_EQ(Word(name)->Kind, kind);
  }
}

TEST_F(WordTableCommands, RenameReplacesAVariableOfTheNewName) {
  Run("見せるは、1\n「表示」を、「?と 見せる」に、名義変更\n「x」と、見せる\n");
  EXPECT_EQ(host.shown, "x\n");
  EXPECT_EQ(Word("見せる")->Kind, wkCommand);
}

TEST_F(WordTableCommands, RenameOfAVariableKeepsItsValue) {
  Run("Aは、5\n「A」を、「B」に、名義変更\nBを、表示\n");
  EXPECT_EQ(host.shown, "5\n");
  EXPECT_EQ(Word("A"), nullptr);
}

TEST_F(WordTableCommands, QuickReferencesFollowARenamedWord) {
  Run("「それ」を、「これ」に、名義変更\n");
  EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
  // the renamed word is still the one commands put their results in
  EXPECT_EQ(&tama.Sore(), Word("これ"));
  // a word registered later under the old name replaces nothing that is referenced
  Run("「それ」を、「これ」に、名義変更\nそれは、7\n");
  EXPECT_EQ(&tama.Sore(), Word("これ"));
  EXPECT_EQ(Value("それ"), "7");
  // a new run refers to the new run's words
  Load("");
  EXPECT_EQ(&tama.Sore(), Word("それ"));
}

TEST_F(WordTableCommands, QuickReferenceFollowsAWordRenamedOntoItsName) {
  Run("Aは、「x」\n「A」を、「それ」に、名義変更\n");
  EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
  EXPECT_EQ(&tama.Sore(), Word("それ"));
  EXPECT_EQ(tama.Sore().Value(), "x");
}

// ---- 数値として扱う, 文字列として扱う, 辞書として扱う ----

TEST_F(WordTableCommands, RetypingSetsKindTagAndValue) {
  struct TCase {
    const char* program;
    const char* name;
    TWordKind kind;
    const char* tag;
    const char* value;
  } cases[] = {
      {"Xを、数値として扱う", "X", wkVariable, "e", "0"},
      {"Xを、文字列として扱う", "X", wkVariable, "s", ""},
      {"Xを、辞書として扱う", "X", wkHash, "hs", ""},
      {"Xは、「」\nXを、数値として扱う", "X", wkVariable, "e", "0"},
      {"Xは、「abc」\nXを、数値として扱う", "X", wkVariable, "e", "abc"},
      {"Xは、12\nXを、文字列として扱う", "X", wkVariable, "s", "12"},
      // a dictionary's text lists its entries by bucket: "c" (99) before "ab" (195)
      {"Xは、「ab=1\\nc=2」\nXを、辞書として扱う\nXを、文字列として扱う", "X", wkVariable, "s", "c=2\r\nab=1"},
      {"Xは、「a=1」\nXを、辞書として扱う\nXを、辞書として扱う", "X", wkHash, "hs", ""},
      {"Xを、辞書として扱う\nXを、数値として扱う", "X", wkVariable, "e", "0"},
      // a changeable system word may be retyped
      {"マッチ数を、数値として扱う", "マッチ数", wkVariable, "e", "0"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    Run(c.program);
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    THashNode* w = Word(c.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->Kind, c.kind);
    EXPECT_EQ(w->Tag, c.tag);
    EXPECT_EQ(w->Value(), c.value);
    EXPECT_EQ(w->Dict != nullptr, c.kind == wkHash);
  }
}

TEST_F(WordTableCommands, DictionaryFromLines) {
  Run("Xは、「 ab =1=2\\nc\\nab=3\\nd= x 」\nXを、辞書として扱う\n");
  THashNode* x = Word("X");
  ASSERT_NE(x, nullptr);
  ASSERT_TRUE(x->Dict);
  EXPECT_EQ(x->Dict->Count(), 3);
  EXPECT_EQ(x->Dict->FindValue("ab", false), "3");  // a later line replaces an earlier one
  EXPECT_NE(x->Dict->Find("c", false), nullptr);
  EXPECT_EQ(x->Dict->FindValue("d", false), " x ");
  Run("Xは、「a=1=2」\nXを、辞書として扱う\n(Xの a)を、表示\n");
  EXPECT_EQ(host.shown, "1=2\n");
}

TEST_F(WordTableCommands, RetypingWordsCreatedInsideABlockGivesTheirLevel) {
  Run("1回 (Xを、数値として扱う)\n");
  ASSERT_NE(Word("X"), nullptr) << tama.errorLog.Text();
  EXPECT_EQ(Word("X")->Id, 1);
  Run("Xを、数値として扱う\n");
  EXPECT_EQ(Word("X")->Id, 0);
}

TEST_F(WordTableCommands, RetypingAReservedWordFails) {
  for (const char* cmd : {"数値として扱う", "文字列として扱う", "辞書として扱う"}) {
    for (const char* name : {"回数", "表示", "母艦"}) {
      SCOPED_TRACE(std::string(name) + cmd);
      Run(std::string(name) + "を、" + cmd + "\n");
      ASSERT_EQ(LogLines().size(), 2u) << tama.errorLog.Text();
      EXPECT_TRUE(EndsWith(LogLines()[0], std::string("オブジェクト\"") + name + "\"は、既に存在するので、作成できません。"))
          << LogLines()[0];
      EXPECT_TRUE(EndsWith(LogLines()[1], LogLines()[0]));
      EXPECT_NE(LogLines()[1].find("システム命令実行中のエラー。理由は,[エラー] "), std::string::npos);
    }
  }
}

TEST_F(WordTableCommands, DictionaryOfAnotherKindFails) {
  Load("Oを、辞書として扱う\n");
  tama.AddWord(std::make_shared<THashNode>("O", false, TPos{}, wkObject, 3, "ボタン", "", ""));
  tama.RunProgram();
  EXPECT_TRUE(EndsWith(LogLines().at(0), "\"O\"は、文法が正しくないため、実行できません。変更できません！")) << tama.errorLog.Text();
  EXPECT_EQ(Word("O")->Kind, wkObject);
}

// ---- 単語コピー ----

TEST_F(WordTableCommands, CopyMakesTheDestination) {
  Run("Aは、5\nAから、Bへ、単語コピー\nBを、表示\n");
  EXPECT_EQ(host.shown, "5\n");
  EXPECT_EQ(Word("B")->Tag, Word("A")->Tag);
  EXPECT_EQ(Word("B")->Name, "B");
}

TEST_F(WordTableCommands, CopyOfACommandIsAnotherNameForIt) {
  Run("表示から、見せるへ、単語コピー\n「x」と、見せる\n「y」と、表示\n");
  EXPECT_EQ(host.shown, "x\ny\n");
  EXPECT_EQ(Word("見せる")->Pattern(), "?と");
  EXPECT_TRUE(Word("見せる")->Protected);
}

TEST_F(WordTableCommands, CopyOfADictionaryIsItsOwn) {
  Run("Aは、「k=1」\nAを、辞書として扱う\nAから、Bへ、単語コピー\nBを、文字列として扱う\n(Aの k)を、表示\nBを、表示\n");
  EXPECT_EQ(host.shown, "1\nk=1\n");
  ASSERT_TRUE(Word("A")->Dict);
  EXPECT_FALSE(Word("B")->Dict);
  // and the other way round: the copy changes, the source stays
  Run("Aは、「k=1」\nAを、辞書として扱う\nAから、Bへ、単語コピー\n");
  ASSERT_TRUE(Word("B")->Dict);
  EXPECT_NE(Word("A")->Dict.get(), Word("B")->Dict.get());
  Word("B")->Dict->Find("k", false)->SetValue("2");
  EXPECT_EQ(Word("A")->Dict->FindValue("k", false), "1");
}

TEST_F(WordTableCommands, CopyOverAnExistingWordKeepsItsName) {
  Run("Aは、1\nBは、2\nCは、3\nAから、Bへ、単語コピー\nAから、Aへ、単語コピー\n");
  EXPECT_EQ(Value("B"), "1");
  EXPECT_EQ(Value("A"), "1");
  EXPECT_EQ(Value("C"), "3");
  // the quick reference sees a copy over それ
  Run("Aは、「q」\nAから、それへ、単語コピー\n");
  EXPECT_EQ(tama.Sore().Value(), "q");
  EXPECT_EQ(&tama.Sore(), Word("それ"));
}

TEST_F(WordTableCommands, CopyFromAMissingWordFails) {
  Run("未定義から、Bへ、単語コピー\n");
  EXPECT_TRUE(EndsWith(LogLines().at(0), "オブジェクト\"未定義\"は、作成されていません。")) << tama.errorLog.Text();
  EXPECT_EQ(Word("B"), nullptr);
  // names are taken as written: a string literal keeps its quotes
  Run("Aは、1\n「A」から、Bへ、単語コピー\n");
  EXPECT_TRUE(EndsWith(LogLines().at(0), "オブジェクト\"`A`\"は、作成されていません。")) << tama.errorLog.Text();
}

// ---- 入れる ----

TEST_F(WordTableCommands, PutTakesValueAndTagOfSore) {
  Run("それは、「abc」\nXに、入れる\n");
  EXPECT_EQ(Value("X"), "abc");
  EXPECT_EQ(Word("X")->Tag, "s");
  Run("それは、3\nXは、「a」\nXに、入れる\n");
  EXPECT_EQ(Value("X"), "3");
  EXPECT_EQ(Word("X")->Tag, "e");
  // without an argument それ goes into itself
  Run("それは、4\n入れる\nそれを、表示\n");
  EXPECT_EQ(host.shown, "4\n");
  EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
}

// ---- 変数名列挙 ----

TEST_F(WordTableCommands, ListingByLevel) {
  struct TCase {
    const char* program;
    std::vector<std::string> listed;
    std::vector<std::string> notListed;
  } cases[] = {
      {"Bは、1\nAは、2\n変数名列挙", {"A", "B"}, {"そして", "回数"}},
      {"Bは、1\n0以上の、変数名列挙", {"B"}, {"そして"}},
      {"Bは、1\n-1以上の、変数名列挙", {"B", "そして", "タブ文字の個数", "文字色"}, {"回数", "エラーメッセージ", "表示"}},
      // an omitted level is 0 whatever それ holds
      {"Bは、1\nそれは、-1\n変数名列挙", {"B"}, {"そして"}},
      // the level is truncated toward zero
      {"Bは、1\n「-0.5」以上の、変数名列挙", {"B"}, {"そして"}},
      {"Bは、1\n1回 (Cは、2)\n1以上の、変数名列挙", {"C"}, {"B"}},
      {"Bは、1\n1回 (Cは、2)\n「1.9」以上の、変数名列挙", {"C"}, {"B"}},
      {"Dを、辞書として扱う\n変数名列挙", {"D"}, {}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    Run(c.program);
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    const std::string& out = tama.Sore().Value();
    EXPECT_EQ(tama.Sore().Tag, "s");
    for (const std::string& n : c.listed) EXPECT_NE(("\n" + out).find("\n" + n + "\r\n"), std::string::npos) << n;
    for (const std::string& n : c.notListed) EXPECT_EQ(("\n" + out).find("\n" + n + "\r\n"), std::string::npos) << n;
  }
}

TEST_F(WordTableCommands, ListingIsInTableOrder) {
  Run("abは、1\ncは、2\nbは、3\n変数名列挙\n");
  EXPECT_EQ(tama.Sore().Value(), "b\r\nc\r\nab\r\n");  // buckets 98, 99, 195
  Run("変数名列挙\n");
  EXPECT_EQ(tama.Sore().Value(), "");
}

// ---- バレンタインデー ----

std::string* gReceived = nullptr;
void ReceiveProgram(TTamaBase& t, int id) {
  EXPECT_EQ(id, kCmdTamakazusuru);
  *gReceived = t.PopArgValue();
}

TEST_F(WordTableCommands, GreetingRunsItsProgramThroughTamakazusuru) {
  std::string received;
  gReceived = &received;
  tama.handlers[kCmdTamakazusuru] = ReceiveProgram;
  Run("バレンタインデー\n");
  gReceived = nullptr;
  EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
  EXPECT_EQ(received, kValentineProgram);
  EXPECT_EQ(received.substr(0, 2), "\r\n");
  EXPECT_TRUE(tama.args.Empty());
}

TEST_F(WordTableCommands, GreetingWithoutTamakazusuruIsALinkError) {
  tama.handlers[kCmdTamakazusuru] = nullptr;
  Run("バレンタインデー\n");
  ASSERT_EQ(LogLines().size(), 2u) << tama.errorLog.Text();
  EXPECT_TRUE(EndsWith(LogLines()[0], "\"たまかずする\":たまかず命令のリンク切れ。作者へ報告を！")) << LogLines()[0];
  EXPECT_TRUE(tama.args.Empty());
}

// ---- many words ----

// 100,000 labels, whose names crowd into a few buckets, and a dictionary of
// 100,000 keys filled by a loop.
TEST_F(WordTableCommands, HundredThousandLabelsAndKeys) {
  std::string program = "L99999を、呼ぶ\n100000回\n(\n  K=「k」&回数\n  Dの、Kは、回数\n)\n"
                        "(Dの(「k77777」))を、表示\nおわり\n";
  for (int i = 0; i < 100000; ++i) program += "*L" + std::to_string(i) + "\n「L" + std::to_string(i) + "」を、表示\n戻る\n";
  Run(program);
  EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
  EXPECT_EQ(host.shown, "L99999\n77777\n");
  ASSERT_NE(Word("D"), nullptr);
  ASSERT_NE(Word("D")->Dict, nullptr);
  EXPECT_EQ(Word("D")->Dict->Count(), 100000);
}

}  // namespace
}  // namespace tama
