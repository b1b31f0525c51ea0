// The array and table commands, run through whole programs on table values
// given as variables, and the line-list helpers they share.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "commands/tables_lines.h"
#include "run_fixture.h"
#include "support/random.h"

namespace tama {
namespace {

using runfx::TRunFixture;

// ---------------------------------------------------------------------------
// Line-list helpers

TEST(TableLines, SplitLines) {
  struct TCase {
    std::string text;
    std::vector<std::string> lines;
  } cases[] = {
      {"", {}},
      {"a", {"a"}},
      {"a\r\n", {"a"}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\nc\r\n", {"a", "b", "c"}},
      {"\r\n\r\n", {"", ""}},
      {"a\n\rb", {"a", "", "b"}},
      {"a\n\n", {"a", ""}},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.text);
    std::vector<std::string> got;
    for (std::string_view l : tables::SplitLines(c.text)) got.emplace_back(l);
    EXPECT_EQ(got, c.lines);
  }
}

TEST(TableLines, ReplaceAllAtCharacterBoundaries) {
  struct TCase {
    std::string source, search, replacement, want;
  } cases[] = {
      {"aaa", "a", "aa", "aaaaaa"},  // inserted text is not searched again
      {"abcabc", "bc", "", "aa"},
      {"abc", "", "x", "abc"},
      {"ソ\\", "\\", "/", "ソ/"},    // the trail byte of ソ is not a backslash
      {"　@", "@", "＠", "　＠"},     // nor that of the full-width space an at sign
      {"表表", "表", "票", "票票"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.source);
    EXPECT_EQ(tables::ReplaceAll(c.source, c.search, c.replacement), c.want);
  }
}

TEST(TableLines, CollationKeyFoldsOnlyLatinCapitals) {
  std::string key;
  tables::AppendCollationKey(key, "AbＺｙ\x83\x41");  // ア has the trail byte 'A'
  EXPECT_EQ(key, "abｚｙ\x83\x41");
}

// ---------------------------------------------------------------------------
// Commands

class TableCommands : public TRunFixture {
 protected:
  // Runs the program with the variables set to the values (tag "s").
  void RunWith(std::string_view program, const std::vector<std::pair<std::string, std::string>>& vars = {}) {
    Load(program);
    for (const auto& [name, value] : vars) {
      auto node = std::make_shared<THashNode>(name, false, 0, value);
      node->Tag = "s";
      tama.AddWord(node);
    }
    tama.RunProgram();
  }
  // それ after the program.
  std::string Result(std::string_view program, const std::vector<std::pair<std::string, std::string>>& vars = {}) {
    RunWith(program, vars);
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    return Value("それ");
  }
  std::string SoreTag() { return Word("それ")->Tag; }

  static std::string Prefix(int line) { return "[エラー] t.tmk(" + std::to_string(line) + "行目): "; }
  static std::string Wrapped(int line, const std::string& reason) {
    return Prefix(line) + "システム命令実行中のエラー。理由は," + reason;
  }
};

TEST_F(TableCommands, SortIgnoresCaseAndTableSortUsesBytes) {
  EXPECT_EQ(Result("Tを、ソート", {{"T", "b\r\nA\r\nC\r\nｂ\r\nＡ"}}), "A\r\nb\r\nC\r\nＡ\r\nｂ\r\n");
  EXPECT_EQ(tama.curTag, "s");
  EXPECT_EQ(Result("Tの、0列目を、表ソート", {{"T", "b\r\nA\r\na\r\nB\r\n"}}), "A\r\nB\r\na\r\nb\r\n");
  EXPECT_EQ(SoreTag(), "s");
  EXPECT_EQ(Result("Tを、ソート", {{"T", ""}}), "");
}

TEST_F(TableCommands, NumberSortComparesTheNumbers) {
  // numbers less than 1 apart and numbers more than 2^31 apart
  struct TCase {
    std::string in, want;
  } cases[] = {
      {"1.7\r\n1.2\r\n3", "1.2\r\n1.7\r\n3\r\n"},
      {"3E10\r\n1\r\n-3E10\r\n", "-3E10\r\n1\r\n3E10\r\n"},
      {"10\nabc\n-1\n2", "-1\r\nabc\r\n2\r\n10\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.in);
    EXPECT_EQ(Result("Tを、数値ソート", {{"T", c.in}}), c.want);
  }
}

TEST_F(TableCommands, ReverseIgnoresTheHeaderFlag) {
  EXPECT_EQ(Result("表フィールド名は、1\nTを、逆にする", {{"T", "h\r\n1\r\n\"a,b\"\r\n"}}), "\"a,b\"\r\n1\r\nh\r\n");
  EXPECT_EQ(tama.curTag, "s");
}

TEST_F(TableCommands, ShuffleDrawsFromTheSharedGenerator) {
  Load("Tを、配列シャッフル");
  auto node = std::make_shared<THashNode>("T", false, 0, "a\r\nb\r\nc\r\nd");
  tama.AddWord(node);
  Word("それ")->Tag = "x";
  tama.random.SetSeed(1);
  tama.RunProgram();
  EXPECT_EQ(Value("それ"), "b\r\nc\r\nd\r\na\r\n");
  EXPECT_EQ(SoreTag(), "x");
  EXPECT_EQ(Result("Tを、配列シャッフル", {{"T", ""}}), "");
}

TEST_F(TableCommands, RowAndColumnCounts) {
  const std::string quoted = "\"a\r\nb\"";  // one cell spanning two lines
  struct TCase {
    std::string program, table, want;
  } cases[] = {
      {"Tの、要素数", quoted, "1"},
      {"Tの、表行数", "a\r\nb,c,d\r\n\r\n", "3"},
      {"表フィールド名は、1\nTの、要素数", "", "-1"},
      {"表フィールド名は、1\nTの、表行数", "h\r\nx\r\n", "1"},
      {"表フィールド名は、オフ\nTの、表行数", "h\r\nx\r\n", "2"},
      {"Tの、表列数", "a\r\nb,c,d\r\n", "3"},
      {"Tの、表列数", "", "0"},
      // the line-list commands see the raw lines of the same value
      {"Tの、1行目を、行削除", quoted, "\"a\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    EXPECT_EQ(Result(c.program, {{"T", c.table}}), c.want);
  }
  EXPECT_EQ(Result("Tの、表行数", {{"T", "a"}}), "1");
  EXPECT_EQ(SoreTag(), "e");
}

TEST_F(TableCommands, InsertAndDeleteLines) {
  struct TCase {
    std::string program, want;
  } cases[] = {
      {"Tの、5行目へ、「x」を、行挿入", "a\r\nb\r\n\r\n\r\n\r\nx\r\n"},
      {"Tの、0行目へ、「x」を、行挿入", "x\r\na\r\nb\r\n"},
      {"Tの、1行目へ、Xを、行挿入", "a\r\nx\r\ny\r\nb\r\n"},
      {"Tの、2行目へ、「x」を、行挿入", "a\r\nb\r\nx\r\n"},
      {"Tの、0.9行目を、行削除", "b\r\n"},  // number-read truncates
      {"Tの、1行目を、行削除", "a\r\n"},
      // nothing happens: それ keeps its value
      {"それは、「前」。Tの、-1行目へ、「x」を、行挿入", "前"},
      {"それは、「前」。Tの、2行目を、行削除", "前"},
      {"それは、「前」。Tの、-1行目を、行削除", "前"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    EXPECT_EQ(Result(c.program, {{"T", "a\r\nb"}, {"X", "x\r\ny"}}), c.want);
  }
}

TEST_F(TableCommands, LineNumbersOutside32BitsAreARangeError) {
  RunWith("Tの、1E10行目を、行削除", {{"T", "a"}});
  ASSERT_EQ(host.dialogs.size(), 1u);
  EXPECT_EQ(LogLines(), std::vector<std::string>{Wrapped(1, "範囲チェックエラー")});
}

TEST_F(TableCommands, ListKeys) {
  EXPECT_EQ(Result("Dの、「b」は、2\nDの、「a」は、1\nDの、「c」は、3\nDの、ハッシュキー列挙"), "a\r\nb\r\nc\r\n");
  EXPECT_EQ(SoreTag(), "s");
  // insertion order within a bucket: "ab" and "ba" share one
  EXPECT_EQ(Result("Dの、「ba」は、2\nDの、「ab」は、1\nDの、辞書項目列挙"), "ba\r\nab\r\n");
  EXPECT_EQ(Result("Vの、ハッシュキー列挙", {{"V", "a=1\r\nnone\r\nc=3=4"}}), "a\r\n\r\nc\r\n");
  RunWith("Nの、ハッシュキー列挙");
  EXPECT_EQ(LogLines(), (std::vector<std::string>{Prefix(1) + "オブジェクト\"N\"は、作成されていません。",
                                                   Wrapped(1, Prefix(1) + "オブジェクト\"N\"は、作成されていません。")}));
}

TEST_F(TableCommands, Statistics) {
  struct TCase {
    std::string program, table, want;
  } cases[] = {
      {"Tの、0列目の、表最小値", "\r\n5\r\n3", "0"},  // starts from the empty first cell
      {"Tの、0列目の、表最小値", "5\r\n\r\n3", "3"},  // later empty cells are skipped
      {"Tの、0列目の、表最大値", "-5\r\n-2\r\n-9", "-2"},
      {"Tの、0列目の、表最大値", "", "0"},
      {"Tの、1列目の、表合計", "a,1.5\r\nb,x\r\nc,2", "3.5"},
      {"Tの、1列目の、表平均値", "a,1\r\nb,\r\nc,5", "2"},  // empty cells count
      {"Tの、0列目の、表平均値", "", "0"},
      {"表フィールド名は、1\nTの、0列目の、表合計", "100\r\n1\r\n2", "3"},
      {"表フィールド名は、1\nTの、0列目の、表最小値", "-100\r\n4\r\n2", "2"},
      {"表フィールド名は、1\nTの、0列目の、表平均値", "x\r\n1\r\n2", "1.5"},
      {"Tの、0列目の、表合計", ".\r\n1", "1"},  // a lone point reads as no number
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program + " / " + c.table);
    EXPECT_EQ(Result(c.program, {{"T", c.table}}), c.want);
    EXPECT_EQ(SoreTag(), "e");
  }
}

TEST_F(TableCommands, ArgumentErrorsCarryNoErrorLine) {
  struct TCase {
    std::string program, reason;
  } cases[] = {
      {"Tの、-1列目の、表合計", "\"表合計\"命令の引数に誤りがあります。"},
      {"Tの、X列目の、表最大値", "\"表最大値\"命令の引数に誤りがあります。"},
      {"Tの、1.5列目の、表平均値", "\"表平均値\"命令の引数に誤りがあります。"},
      {"Tの、-1列目を、表ソート", "\"表ソート\"命令の引数に誤りがあります。"},
      {"Tの、-1列目を、表数値ソート", "\"表数値ソート\"命令の引数に誤りがあります。"},
      {"Tの、-1列目を、表日付ソート", "\"表日付ソート\"命令の引数に誤りがあります。"},
      {"表フィールド名は、1\nHの、0列目の、表平均値", "不正な浮動小数点数演算命令"},
      {"Tの、0列目と、5列目を、表列移動", "リストのインデックスが範囲を超えています (5)"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    RunWith(c.program, {{"T", "1,2\r\n3,4"}, {"H", "x\r\n"}, {"X", "abc"}});
    ASSERT_EQ(host.dialogs.size(), 1u);
    const int line = c.program.find('\n') == std::string::npos ? 1 : 2;
    EXPECT_EQ(LogLines(), std::vector<std::string>{Wrapped(line, c.reason)});
  }
}

TEST_F(TableCommands, TableSorts) {
  struct TCase {
    std::string program, table, want;
  } cases[] = {
      {"表フィールド名は、1\nTの、1列目を、表ソート", "名,値\r\nb,2\r\na,1\r\n", "名,値\r\na,1\r\nb,2\r\n"},
      {"表フィールド名は、1\nTの、1列目を、表数値ソート", "名,値\r\nx,10\r\ny,9\r\nz,-1\r\n",
       "名,値\r\nz,-1\r\ny,9\r\nx,10\r\n"},
      {"Tの、0列目を、表日付ソート", "2004/1/10\r\n1999/12/31 10:00\r\nnone\r\n2004/01/09\r\n",
       "none\r\n1999/12/31 10:00\r\n2004/01/09\r\n2004/1/10\r\n"},
      // empty rows at the ends go first
      {"Tの、0列目を、表ソート", "\r\nb\r\na\r\n\r\n", "a\r\nb\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    EXPECT_EQ(Result(c.program, {{"T", c.table}}), c.want);
  }
  // 表数値ソート and 表日付ソート set the current tag only
  Load("Tの、0列目を、表数値ソート");
  tama.AddWord(std::make_shared<THashNode>("T", false, 0, "2\r\n1"));
  Word("それ")->Tag = "x";
  tama.RunProgram();
  EXPECT_EQ(Value("それ"), "1\r\n2\r\n");
  EXPECT_EQ(SoreTag(), "x");
  EXPECT_EQ(tama.curTag, "s");
}

TEST_F(TableCommands, Reshaping) {
  struct TCase {
    std::string program, table, want;
  } cases[] = {
      {"Tの、表行列交換", "a,b,c\r\n1,2\r\n", "a,1\r\nb,2\r\nc,\r\n"},
      {"Tの、1列目へ、表列挿入", "a,b\r\nc\r\n\r\n", "a,,b\r\nc,,\r\n,,\r\n"},
      {"Tの、0列目を、表列削除", "a,b\r\nc\r\n", "b\r\n\r\n"},
      {"Tの、1列目を、表列コピー", "a,b\r\nc\r\nd,\"x,y\"\r\n", "b\r\n\r\nx,y\r\n"},
      {"Tの、1列目に、Xを、表列貼付け", "a,b\r\nc\r\n", "a,x,b\r\nc,y,\r\n"},
      {"Tの、0列目と、2列目を、表列移動", "a,b,c\r\n1,2,3\r\n", "b,c,a\r\n2,3,1\r\n"},
      {"Tの、1列目と、0列目を、表列移動", "a,b,c\r\n", "b,a,c\r\n"},
      {"Tの、0列目をキーに、表重複項目削除", "a,1\r\nb,2\r\na,3\r\n", "b,2\r\na,3\r\n"},
      {"Tの、1列目にある、「a」を、「xa」に、表列指定置換", "1,aa\r\n2\r\n3,ba\r\n", "1,xaxa\r\n2,\r\n3,bxa\r\n"},
      {"Tの、-1列目にある、「a」を、「x」に、表列指定置換", "1,\"a\"\r\n", "1,a\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    EXPECT_EQ(Result(c.program, {{"T", c.table}, {"X", "x\r\ny\nz\rw"}}), c.want);
  }
}

TEST_F(TableCommands, NegativeColumnsLeaveTheResultAlone) {
  const char* programs[] = {
      "それは、「前」。Tの、-1列目へ、表列挿入",
      "それは、「前」。Tの、-1列目を、表列削除",
      "それは、「前」。Tの、-1列目を、表列コピー",
      "それは、「前」。Tの、-1列目に、「x」を、表列貼付け",
      "それは、「前」。Tの、-1列目をキーに、表重複項目削除",
  };
  for (const char* p : programs) {
    SCOPED_TRACE(p);
    EXPECT_EQ(Result(p, {{"T", "a,b\r\n"}}), "前");
  }
}

TEST_F(TableCommands, JoinByKey) {
  struct TCase {
    std::string program, left, right, want;
  } cases[] = {
      {"Lの、0列目と、Rの、1列目で、表キー合成", "a,1\r\nb,2\r\nc,3\r\n", "X,a\r\nY,b\r\nZ,b\r\n",
       "a,1,X\r\nb,2,Y\r\nc,3,\r\n"},  // a match in the other table's row 0 counts without a header
      {"表フィールド名は、1\nLの、0列目と、Rの、0列目で、表キー合成", "k,v\r\na,1\r\nk,2\r\n", "k,w\r\nk,9\r\na,8\r\n",
       "k,v,w\r\na,1,8\r\nk,2,9\r\n"},  // a key equal to a header cell finds the data row
      {"Lの、5列目と、Rの、0列目で、表キー合成", "a\r\n\r\n", ",z\r\n", "a,z\r\n,z\r\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    EXPECT_EQ(Result(c.program, {{"L", c.left}, {"R", c.right}}), c.want);
    EXPECT_EQ(SoreTag(), "s");
  }
}

TEST_F(TableCommands, PickUp) {
  const std::string table = "名前,数\r\n山田,1\r\n川山,2\r\n山口,3\r\n";
  struct TCase {
    std::string program, want;
  } cases[] = {
      {"表フィールド名は、1\nTの、-1列目から、「山*」を、表ピックアップ", "山田,1\r\n山口,3\r\n"},
      {"Tの、-1列目から、「山」を、表ピックアップ", "山田,1\r\n川山,2\r\n山口,3\r\n"},
      {"Tの、-1列目から、「,2」を、表ピックアップ", "川山,2\r\n"},
      {"表フィールド名は、1\nTの、0列目から、「山*」を、表ピックアップ", "名前,数\r\n山田,1\r\n山口,3\r\n"},
      {"Tの、0列目から、「山」を、表ピックアップ", "山田,1\r\n川山,2\r\n山口,3\r\n"},
      {"Tの、1列目から、「[23]」を、表ピックアップ", "川山,2\r\n山口,3\r\n"},
      {"それは、「前」。Tの、-1列目から、「」を、表ピックアップ", ""},
      {"それは、「前」。Tの、0列目から、「」を、表ピックアップ", "前"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    EXPECT_EQ(Result(c.program, {{"T", table}}), c.want);
  }
  // the trail byte of ソ is not a backslash, that of 　 no at sign
  EXPECT_EQ(Result("Tの、-1列目から、「@」を、表ピックアップ", {{"T", "　\r\na@b\r\n"}}), "a@b\r\n");
}

TEST_F(TableCommands, Filter) {
  const std::string table = "名前,数量\r\n山田,12\r\n川山,20\r\n山口,5\r\n";
  struct TCase {
    std::string condition, want;
  } cases[] = {
      {"数量＞＝１０かつ 名前=山*", "名前,数量\r\n山田,12\r\n"},
      {"数量＞＝１０かつ　名前=\"山*\"", "名前,数量\r\n山田,12\r\n"},
      {"数量>=10 または 名前=山口", "名前,数量\r\n山田,12\r\n川山,20\r\n山口,5\r\n"},
      {"数量<10,名前=川山", "名前,数量\r\n川山,20\r\n山口,5\r\n"},
      {"数量=>20", "名前,数量\r\n川山,20\r\n"},
      {"", ""},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.condition);
    EXPECT_EQ(Result("Tを、Cで、表条件抽出", {{"T", table}, {"C", c.condition}}), c.want);
    EXPECT_EQ(SoreTag(), "s");
  }
}

TEST_F(TableCommands, FilterErrors) {
  struct TCase {
    std::string condition, reason;
  } cases[] = {
      {"数量!1", "演算子の指定エラー。"},
      {"重さ>1", "フィールド名\"重さ\"が見つかりません。"},
      {"(数量>1", "\")\"が対応していません。"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.condition);
    RunWith("それは、「前」。Tを、Cで、表条件抽出", {{"T", "名前,数量\r\n"}, {"C", c.condition}});
    EXPECT_EQ(LogLines(), std::vector<std::string>{Wrapped(1, "CSVデータベースの解析エラー。" + c.reason)});
    EXPECT_EQ(Value("それ"), "");
  }
  // a malformed wildcard fails inside the filter too
  RunWith("Tを、Cで、表条件抽出", {{"T", "名前\r\nx\r\n"}, {"C", "名前=\"[\\x]\""}});
  ASSERT_EQ(LogLines().size(), 1u);
  EXPECT_TRUE(LogLines()[0].starts_with(Wrapped(1, "CSVデータベースの解析エラー。"))) << LogLines()[0];
}

TEST_F(TableCommands, IncrementalSearch) {
  const std::string table = "h,x\r\na,b\r\nb,ab\r\nc,a\r\n";
  struct TCase {
    std::string program, want;  // the results shown, one per line
  } cases[] = {
      {"Tの、0列目から、「b」を、表検索。それを、表示。表検索次の値。それを、表示", "2\n-1\n"},
      {"Tの、-1列目から、「b」を、表検索。それを、表示。表検索次の値。それを、表示。表検索次の値。それを、表示",
       "1\n2\n-1\n"},
      {"Tの、0列目から、「z」を、表検索。それを、表示。表検索次の値。それを、表示。表検索次の値。それを、表示",
       "-1\n-1\n-1\n"},
      {"表フィールド名は、1\nTの、1列目から、「x」を、表検索。それを、表示", "-1\n"},
      {"Tの、1列目から、「x」を、表検索。それを、表示", "0\n"},
      {"Tの、1列目から、「a」を、表曖昧検索。それを、表示。表検索次の値。それを、表示。表検索次の値。それを、表示",
       "2\n3\n-1\n"},
      {"Tの、1列目から、「a*」を、表曖昧検索。それを、表示。表検索次の値。それを、表示", "2\n3\n"},
      {"Tの、-1列目から、「?,a」を、表曖昧検索。それを、表示", "3\n"},
      {"Tの、0列目から、「a」を、表検索。表検索クリア。それを、表示。表検索次の値。それを、表示", "1\n-1\n"},
  };
  for (const TCase& c : cases) {
    SCOPED_TRACE(c.program);
    RunWith(c.program, {{"T", table}});
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    EXPECT_EQ(host.shown, c.want);
  }
  Result("Tの、0列目から、「a」を、表検索", {{"T", table}});
  EXPECT_EQ(SoreTag(), "e");
  // substrings are found at character boundaries only
  EXPECT_EQ(Result("Tの、0列目から、「@」を、表曖昧検索", {{"T", "　\r\n@\r\n"}}), "1");
}

}  // namespace
}  // namespace tama
