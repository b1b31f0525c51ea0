// Conditions, loops, jumps, nested runs and assignment, run on a small
// vocabulary: the control commands and a 表示 that collects its lines.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "engine/flow.h"
#include "engine/tama.h"
#include "frontend/normalize.h"

namespace tama {
namespace {

class TTestHost : public THost {
 public:
  std::string out;
  std::string log;
  void Display(std::string_view text) override {
    out += text;
    out += '\n';
  }
  void Message(std::string_view text, std::string_view) override { Display(text); }
  TErrorAnswer ShowErrorDialog(const std::string& l) override {
    log = l;
    return TErrorAnswer::kStop;
  }
  bool Headless() const override { return true; }
};

void Show(TTamaBase& t, int) { t.host.Display(t.PopArgValue()); }

const TCommandDef kDefs[] = {
    {"表示", "?と", 1, Show},
    {"もし", "", 2, flow::Moshi},
    {"ならば", "", 3, flow::Naraba},
    {"なら", "", 4, flow::Nara},
    {"違えば", "", 3, flow::Naraba},
    {"でなければ", "", 3, flow::Naraba},
    {"条件分岐", "?で", 5, flow::JoukenBunki},
    {"繰り返す", "?を,?から,?まで", 6, flow::Kurikaesu},
    {"反復", "?を", 7, flow::Hanpuku},
    {"ループ", "?で", 8, flow::Loop},
    {"抜ける", "", 9, flow::Nukeru},
    {"続ける", "", 10, flow::Tsuzukeru},
    {"飛ぶ", "?へ", 11, flow::Tobu},
    {"呼ぶ", "?を", 12, flow::Yobu},
    {"戻る", "", 13, flow::Modoru},
    {"関数定義", "?を,?で", 14, flow::KansuuTeigi},
    {"引数取得", "", 15, flow::HikisuuShutoku},
    {"取り込む", "?を", 16, flow::Torikomu},
    {"たまかずする", "?を", 17, flow::Tamakazusuru},
    {"おわり", "", 18, flow::Owari},
    {"終了処理設定", "?に", 19, flow::ShuuryouShoriSettei},
};
const TCommandFamily kFamily = {"test", kDefs, std::size(kDefs)};

// An interpreter prepared the way a run is: words, canonical text, labels.
struct TRun {
  TTestHost host;
  TTamaBase t{host};
  explicit TRun(std::string source, std::string fileName = "test.tmk") {
    t.errorLog.Clear();
    std::vector<const TCommandFamily*> families{&kFamily};
    t.SetHandlers(families);
    t.RegisterWords(families);
    t.programFileName = std::move(fileName);
    frontend::NormalizeSource(source);
    TTextRef main = MakeText(source);
    t.sourceTexts.push_back(main);
    t.CollectLabels(main, t.programFileName);
    t.Jump({main, main->begin()});
  }
  std::string Go() {
    t.RunProgram();
    t.CloseRun();
    return host.out;
  }
};

std::string RunText(const std::string& source) { return TRun(source + "\r\n").Go(); }

// ---------------------------------------------------------------------------

TEST(RewriteCondition, Phrases) {
  TTestHost host;
  TTamaBase t(host);
  struct {
    const char* condition;
    const char* expression;
  } cases[] = {
      {"A=1", "A=1"},
      {"A = 1", "A=1"},
      {"Aが 10以上", "A>=10"},
      {"Aが 10以下", "A<=10"},
      {"Aが10以上", "Aが10以上"},  // no blank after が: one phrase
      {"Aが 3と等しい", "A=3"},
      {"Aが 3", "A=3"},
      {"Aが 1 かつ Bが 2", "A=1 && B=2"},
      {"Aが 1 または B=2", "A=1 || B=2"},
      {"\"x y\"=A", "\"x y\"=A"},
      {"(A + 1)=2", "(A + 1)=2"},
      {"Aが", "A="},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(RewriteCondition(t, c.condition), c.expression) << c.condition;
}

TEST(FindLabelLine, OnlyWholeLabelLines) {
  struct {
    const char* text;
    const char* name;
    int at;  // offset of the "*", -1 for none
  } cases[] = {
      {"*L", "L", 0},
      {"a\r\n1:*L\r\nb", "L", 5},
      {"a\r\n1:  *L", "L", 7},
      {"*LL", "L", -1},      // a longer label
      {"x*L", "L", -1},      // not at the start of a line
      {"\"\r\n1:*L\"", "L", -1},  // inside a literal
      {"*L ", "L", -1},
      {"*A\r\n1:*B", "B", 6},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    const char* p = FindLabelLine(text, c.name);
    EXPECT_EQ(p ? static_cast<int>(p - text.data()) : -1, c.at) << c.text;
  }
}

TEST(SentenceEnd, LiteralsParenthesesAndContinuation) {
  TTestHost host;
  TTamaBase t(host);
  struct {
    const char* text;
    size_t end;
  } cases[] = {
      {"a;b", 1},
      {"\"a;b\";c", 5},
      {"(a\r\n1:b);c", 8},
      {"a &\r\n1:b\r\n2:c", 8},
      {"abc", 3},
  };
  for (const auto& c : cases) {
    std::string text = c.text;
    EXPECT_EQ(static_cast<size_t>(SentenceEnd(t, text.c_str()) - text.c_str()), c.end) << c.text;
  }
}

// ---------------------------------------------------------------------------

TEST(Flow, ProgramsAndTheirOutput) {
  struct {
    const char* program;
    const char* out;
  } cases[] = {
      // truth of もし is exactly the integer 1; "?" takes any number but 0
      {"Aは、2\r\nもし A ならば 「真」と、表示\r\n違えば 「偽」と、表示", "偽\n"},
      {"Aは、2\r\nA ? (「真」と、表示)", "真\n"},
      {"もし 1 ならば\r\n(\r\n「一」と、表示\r\n「二」と、表示\r\n)", "一\n二\n"},
      // the else keyword is any word beginning with 違
      {"もし 0 ならば 「a」と、表示\r\n違う 「b」と、表示", "b\n"},
      {"もし 1\r\nならば 「次の行の ならば」と、表示", "次の行の ならば\n"},
      // loops
      {"Aは、「x」\r\nA回 (「a」と、表示)\r\n「後」と、表示", "後\n"},
      {"iは、7\r\niを、3から、1まで、繰り返す (iを、表示)\r\niを、表示", "7\n"},
      {"iを、-1から、1まで、繰り返す (iを、表示)", "-1\n0\n1\n"},
      {"iを、1.9から、2.5まで、繰り返す (iを、表示)", "1\n2\n"},
      {"「a\r\nb\r\n」を、反復 (回数&それを、表示)", "1a\n2b\n"},
      {"2回 (3回 (回数を、表示))", "1\n2\n3\n1\n2\n3\n"},
      // leaving, continuing, jumping
      {"3回 (もし 回数=2 ならば (もし 1 ならば 抜ける);回数を、表示)\r\n「後」と、表示", "1\n後\n"},
      {"L\r\n「戻った」と、表示\r\nおわり\r\n*L\r\n続ける\r\n「出ない」と、表示", "戻った\n"},
      {"3回 (もし 回数=2 ならば 外へ、飛ぶ;回数を、表示)\r\n*外\r\n「外」と、表示", "1\n外\n"},
      // cases
      {"5で、条件分岐\r\n1の時 「1」と、表示\r\n3以上の時 「3以上」と、表示\r\n5の時 「5」と、表示", "3以上\n"},
      {"「b」で、条件分岐\r\n「a」の時 「a」と、表示\r\nその他の時 「他」と、表示", "他\n"},
      // subroutines with arguments
      {"Fを、「?と,?を」で、関数定義\r\n「a」と、「b」を、F\r\nおわり\r\n*F\r\n引数取得\r\nそれを、表示\r\n戻る",
       "a\r\nb\n"},
      {"『「x」と、表示』を、たまかずする\r\n「後」と、表示", "x\n後\n"},
      // the termination handler runs once at the end
      {"終わりに、終了処理設定\r\n「本文」と、表示\r\n飛び先へ、飛ぶ\r\n*終わり\r\n「終了」と、表示\r\n*飛び先", "本文\n終了\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunText(c.program), c.out) << c.program;
}

TEST(Assign, AppendingToItselfGivesTheFullEvaluation) {
  struct {
    const char* program;
    const char* out;
  } cases[] = {
      {"Sは、「a」\r\n2回 (Sは、S&回数&「-」&S)\r\nSを、表示", "a1-a2-a1-a\n"},
      {"Sは、「」\r\n2回 (Sは、S&「{回数}」&1.50)\r\nSを、表示", "11.5021.50\n"},
      {"Sは、「1」\r\nSは、S&2+1\r\nSを、表示", "13\n"},
      {"Sは、「a」\r\nSは、S & 「b」 &\r\n「c」\r\nSを、表示", "abc\n"},
      {"Sは、「a」\r\nSは、S&「b」 無視される\r\nSを、表示", "ab\n"},
      // a label among the terms may change S: S is read before it runs
      {"Sは、「a」\r\nSは、S&L\r\nSを、表示\r\nおわり\r\n*L\r\nSは、「変」\r\nそれは、「b」\r\n戻る", "ab\n"},
  };
  for (const auto& c : cases) EXPECT_EQ(RunText(c.program), c.out) << c.program;
}

TEST(Flow, ErrorMessages) {
  struct {
    const char* program;
    const char* message;  // a line of the error log contains it
  } cases[] = {
      {"もし 1 「a」と、表示", "条件分岐の終端文字を認識できませんでした。"},
      {"もし 0 ならば 「a」と、表示\r\n違えば もし 1 ならば 「b」と、表示", "もしを多重構造にするときは、()で範囲を括ってください。"},
      {"なら", "条件文は、「もし～ならば」と対で使わなければなりません。"},
      {"iを、1から、「a」まで、繰り返す (iを、表示)", "\"繰返\"には、数値を指定してください。"},
      {"iを、1から、1e10まで、繰り返す (iを、表示)", "\"繰返\"には、数値を指定してください。"},
      {"表示を、1から、2まで、繰り返す (「a」と、表示)", "\"繰返\"の実行回数カウンターには、変数を指定してください。"},
      {"無いへ、飛ぶ", "未定義のラベル\"無い\"に、ジャンプしようとしました。"},
      {"Aは、1\r\nAを、呼ぶ", "未定義のラベル\"A\"に、ジャンプしようとしました。"},
      {"3回 (戻る)", "「戻る」べき場所がありません。"},
      {"無いに、終了処理設定", "未定義のラベル\"無い\"に、ジャンプしようとしました。"},
      {"「/nonexistent/x.inc」を、取り込む", "ファイル\"/nonexistent/x.inc\"が、ありません。"},
      {"「a」は、1", "\"`a`の代入文\"は、文法が正しくないため、実行できません。『変数名は、「内容」』のように書いてください。"},
      {"表示は、1", "\"表示\"は\"システム命令\"で予約語なので代入できません。"},
      {"回数は、3", "\"回数\"は、読取専用です。"},
      {"*L\r\nLは、1", "\"L\"は、文法が正しくないため、実行できません。代入出来ません。"},
      {"「あ」と、Xは、1", "オブジェクトへの不正な代入(`あ`と,X)。『オブジェクトの、項目名は、値』の形式で指定してください。"},
      {"表示の、Aは、1", "\"表示\"には代入できません！"},
  };
  for (const auto& c : cases) {
    TRun run(std::string(c.program) + "\r\n");
    run.Go();
    EXPECT_NE(run.t.errorLog.Text().find(c.message), std::string::npos) << c.program << "\n" << run.t.errorLog.Text();
  }
}

TEST(Flow, IncludedTextsAreLimited) {
  std::string path = ::testing::TempDir() + "flow_include_limit.inc";
  {
    std::ofstream f(path, std::ios::binary);
    f << "A=A+1\r\n";
  }
  // 49 includes fill the 50 texts; the 50th fails with the range error
  TRun run("Aは、0\r\n50回 (「" + path + "」を、取り込む)\r\n");
  run.Go();
  EXPECT_EQ(run.t.sourceTexts.size(), 50u);
  EXPECT_EQ(run.t.words.Find("A", false)->Value(), "49");
  EXPECT_NE(run.t.errorLog.Text().find("範囲チェックエラー"), std::string::npos) << run.t.errorLog.Text();
}

// ---------------------------------------------------------------------------
// Nested runs keep the state of the run around them

TEST(NestedRuns, ArgumentsFlagAndFileNameAreRestored) {
  // a label used as a value while 繰り返す still has its counter on the stack
  TRun run(
      "iを、(十)から、11まで、繰り返す (iを、表示)\r\n"
      "Xは、十\r\n"
      "Yは、数える()\r\n"
      "Yを、表示\r\n"
      "おわり\r\n"
      "*十\r\nそれは、10\r\n戻る\r\n"
      "*数える\r\n1から、2まで、kを、繰り返す (kを、表示)\r\nそれは、「済」\r\n戻る\r\n",
      "main.tmk");
  EXPECT_EQ(run.Go(), "10\n11\n1\n2\n済\n");
  EXPECT_EQ(run.t.errorLog.Text(), "");
  EXPECT_EQ(run.t.programFileName, "main.tmk");
  EXPECT_TRUE(run.t.args.Empty());
  EXPECT_FALSE(run.t.positional);
}

TEST(NestedRuns, TamakazuNamesItsRowInErrorLines) {
  TRun run("Aは、1\r\n「ほげ」を、たまかずする\r\n", "dir/main.tmk");
  run.Go();
  EXPECT_NE(run.t.errorLog.Text().find("[エラー] main.tmkの2行目のたまかず(1行目): "), std::string::npos) << run.t.errorLog.Text();
  EXPECT_EQ(run.t.programFileName, "dir/main.tmk");
}

// ---------------------------------------------------------------------------
// Assignment

TEST(Assign, TagsIdsAndDictionaries) {
  TRun run(
      "Aは、5\r\nBは、「5」\r\nC=A\r\nそれは、3\r\n"
      "3回 (Dは、1)\r\n"
      "辞書の、「鍵」は、「値」\r\n辞書は、7\r\n"
      "Lは、「a=1\r\nB=2」\r\nLの、「b」は、3\r\nLの、「a」は、「」\r\nLの、「c」は、4\r\n"
      "表#1#2は、「x」\r\n");
  run.Go();
  ASSERT_EQ(run.t.errorLog.Text(), "");
  auto word = [&](const char* name) { return run.t.words.Find(name, false); };
  EXPECT_EQ(word("A")->Tag, "e");
  EXPECT_EQ(word("B")->Tag, "s");
  EXPECT_EQ(word("C")->Tag, "e");
  EXPECT_EQ(word("それ")->Value(), "3");
  EXPECT_EQ(word("A")->Id, 0);
  EXPECT_EQ(word("D")->Id, 1);  // created inside one frame
  // a dictionary that becomes a plain variable takes the value's tag
  EXPECT_EQ(word("辞書")->Kind, wkVariable);
  EXPECT_EQ(word("辞書")->Tag, "e");
  EXPECT_EQ(word("辞書")->Dict, nullptr);
  EXPECT_EQ(word("L")->Value(), "b=3\r\nc=4\r\n");  // the line takes the key as given
  EXPECT_EQ(word("表")->Value(), "\r\n\r\n,x\r\n");
}

TEST(Assign, DictionaryItems) {
  TRun run("辞書の、「鍵」は、「値」\r\n辞書の、「数」は、12\r\n辞書の、「鍵」は、「別」\r\n");
  run.Go();
  ASSERT_EQ(run.t.errorLog.Text(), "");
  THashNode* d = run.t.words.Find("辞書", false);
  ASSERT_NE(d, nullptr);
  ASSERT_EQ(d->Kind, wkHash);
  EXPECT_EQ(d->Value(), "ハッシュ");
  ASSERT_NE(d->Dict, nullptr);
  EXPECT_EQ(d->Dict->Find("鍵", false)->Value(), "別");
  EXPECT_EQ(d->Dict->Find("数", false)->Tag, "e");
  EXPECT_EQ(d->Dict->Find("鍵", false)->Tag, "s");
}

}  // namespace
}  // namespace tama
