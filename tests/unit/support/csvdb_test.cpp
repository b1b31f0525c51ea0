#include "support/csvdb.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "support/wildcard.h"

using namespace tama;

namespace {

using Rows = std::vector<std::vector<std::string>>;

// The table as rows of cells; an absent row shows as the single cell "<absent>".
Rows Cells(const TCsvDb& db) {
  Rows out;
  for (int r = 0; r < db.RowCount(); ++r) {
    if (const TCsvCells* row = db.Row(r)) out.emplace_back(row->begin(), row->end());
    else out.push_back({"<absent>"});
  }
  return out;
}

TCsvDb Table(const Rows& rows, bool header = false) {
  TCsvDb db;
  for (const auto& r : rows) db.AppendRow(TCsvCells(r.begin(), r.end()));
  db.SetHeader(header);
  return db;
}

// A column of the table, for checking orders.
std::vector<std::string> Column(const TCsvDb& db, int col) {
  std::vector<std::string> out;
  for (int r = 0; r < db.RowCount(); ++r) out.push_back(db.GetCell(col, r));
  return out;
}

// ---------------------------------------------------------------------------
// Reading and writing

TEST(CsvDb, Reading) {
  struct Case {
    const char* text;
    Rows rows;
  };
  const Case cases[] = {
      {"a, \"b,c\",d", {{"a", "b,c", "d"}}},
      {"\"b,c\" ,d", {{"b,c", "", "d"}}},  // blanks after a closing quote: an extra empty cell
      {"\"b\"  \r\nx", {{"b", ""}, {"x"}}},
      {"\" x \"", {{"x"}}},                // blanks go, inside quotes too
      {"  a  ,\tb\t", {{"a", "b"}}},
      {"\"\"\"q\"\"\"", {{"\"q\""}}},      // a doubled quote is a quote of the cell
      {"\"say \"\"hi\"\"\",x", {{"say \"hi\"", "x"}}},
      {"a\"b,c", {{"a\"b", "c"}}},         // a quote inside an unquoted field is kept
      {"say \"hi\"", {{"say \"hi"}}},      // ...but one that ends the field is not
      {"\"x\r\ny\",z\r\nw", {{"x\r\ny", "z"}, {"w"}}},
      {"\"a\nb", {{"a\nb"}}},              // an unclosed quote runs to the end
      {"\"\"", {{""}}},
      {"a\r\n\r\nb", {{"a"}, {""}, {"b"}}},  // an empty line is a row of one empty cell
      {"a\nb\rc\r\n", {{"a"}, {"b"}, {"c"}}},
      {"a\r\r\nb", {{"a"}, {""}, {"b"}}},
      {"\r\n", {{""}}},
      {"", {}},
      {"a,b,", {{"a", "b", ""}}},          // a comma always opens a field
      {",,\r\n", {{"", "", ""}}},
      {"表,ソ,\"ー\"", {{"表", "ソ", "ー"}}},
  };
  for (const auto& c : cases) {
    TCsvDb db(c.text);
    EXPECT_EQ(Cells(db), c.rows) << c.text;
  }
  TCsvDb zero(std::string_view("x,y\0z", 5));  // the text ends at a zero byte
  EXPECT_EQ(Cells(zero), (Rows{{"x", "y"}}));
}

TEST(CsvDb, Writing) {
  struct Case {
    Rows rows;
    const char* text;
  };
  const Case cases[] = {
      {{{"a", "b,c", "d"}}, "a,\"b,c\",d\r\n"},
      {{{"say \"hi\""}}, "\"say \"\"hi\"\"\"\r\n"},
      {{{"ID", "VALID", "id"}}, "\"ID\",\"VALID\",id\r\n"},
      {{{"x\ny", "p\rq"}}, "\"x\ny\",\"p\rq\"\r\n"},
      {{{"a", "b", "c"}, {""}, {"d"}}, "a,b,c\r\n,,\r\nd,,\r\n"},  // every row as wide as the widest
      {{}, ""},
  };
  for (const auto& c : cases) EXPECT_EQ(Table(c.rows).SaveToText(), c.text);

  TCsvDb db("a");
  db.SetCell(2, 5, "v");
  EXPECT_EQ(db.SaveToText(), "a,,\r\n\r\n\r\n\r\n\r\n,,v\r\n");
  EXPECT_FALSE(db.RowPresent(3));
  EXPECT_EQ(db.RowText(0), "a");
  EXPECT_EQ(Table({{"x", "y,z"}}).RowText(0), "x,\"y,z\"");
}

TEST(CsvDb, RoundTripKeepsEveryCell) {
  const Rows rows = {{"\"q\"", "a,b", "x\r\ny"}, {"ID", "", ""}, {"", "say \"hi\"", ""}};
  TCsvDb db = Table(rows);
  TCsvDb back(db.SaveToText());
  EXPECT_EQ(Cells(back), rows);
  EXPECT_EQ(back.ColCount(), 3);
}

TEST(CsvDb, CellAccess) {
  TCsvDb db("a,b\r\nc");
  EXPECT_EQ(db.RowCount(), 2);
  EXPECT_EQ(db.ColCount(), 2);
  EXPECT_EQ(db.GetCell(1, 0), "b");
  EXPECT_EQ(db.GetCell(1, 1), "");
  EXPECT_EQ(db.GetCell(-1, 0), "");
  EXPECT_EQ(db.GetCell(0, 9), "");
  db.SetCell(-1, 0, "x");
  db.SetCell(0, -1, "x");
  EXPECT_EQ(Cells(db), (Rows{{"a", "b"}, {"c"}}));
  db.SetCell(3, 1, std::string_view("p\0q", 3));
  EXPECT_EQ(Cells(db), (Rows{{"a", "b"}, {"c", "", "", "p"}}));
  EXPECT_EQ(db.ColCount(), 4);

  db.SetRow(3, "\"x\r\ny\",z\r\nignored");
  EXPECT_EQ(Cells(db), (Rows{{"a", "b"}, {"c", "", "", "p"}, {"<absent>"}, {"x\r\ny", "z"}}));
  db.SetRow(1, "k");
  EXPECT_EQ(db.ColCount(), 2);
  db.SetRow(-1, "k");
  EXPECT_EQ(db.RowCount(), 4);

  // A write far beyond the table is refused and changes nothing.
  EXPECT_THROW(db.SetCell(0, 1 << 30, "x"), std::bad_alloc);
  EXPECT_THROW(db.SetCell(1 << 30, 0, "x"), std::bad_alloc);
  EXPECT_EQ(db.RowCount(), 4);
  EXPECT_EQ(db.Row(0)->size(), 2u);
}

TEST(CsvDb, HtmlTable) {
  TCsvDb db("a,<b>\r\nc");
  EXPECT_EQ(db.ToHtmlTable("border=1"),
            "<TABLE border=1>\r\n<TR><TD>a</TD><TD><b></TD></TR>\r\n<TR><TD>c</TD><TD></TD></TR>\r\n</TABLE>");
}

// ---------------------------------------------------------------------------
// Columns and rows

TEST(CsvDb, ColumnEdits) {
  TCsvDb db = Table({{"a", "b", "c"}, {"x"}});
  db.SetCell(0, 3, "z");  // rows 2 absent
  db.InsertColumn(1);
  EXPECT_EQ(Cells(db), (Rows{{"a", "", "b", "c"}, {"x", "", ""}, {"<absent>"}, {"z", "", ""}}));
  db.InsertColumn(-1);
  db.DeleteColumn(2);
  EXPECT_EQ(Cells(db), (Rows{{"a", "", "c"}, {"x", ""}, {"<absent>"}, {"z", ""}}));

  TCsvDb src = Table({{"a"}, {"b"}, {"c"}});
  src.SetRowCells(1, std::nullopt);
  const std::vector<std::string> lines = {"L0", "L1"};
  src.InsertColumn(0, std::span<const std::string>(lines));
  // row i takes line i; absent rows are skipped; rows past the lines get ""
  EXPECT_EQ(Cells(src), (Rows{{"L0", "a"}, {"<absent>"}, {"", "c"}}));
  const std::vector<std::string_view> views = {"v0"};
  src.InsertColumn(3, std::span<const std::string_view>(views));
  // short rows are filled up to the column first, then the new cell goes in
  EXPECT_EQ(Cells(src), (Rows{{"L0", "a", "", "v0", ""}, {"<absent>"}, {"", "c", "", "", ""}}));
}

TEST(CsvDb, MoveColumn) {
  struct Case {
    int from, to;
    std::vector<std::string> row;
  };
  const Case cases[] = {
      {0, 2, {"b", "c", "a", "d"}},
      {2, 0, {"c", "a", "b", "d"}},
      {0, 1, {"b", "a", "c", "d"}},
      {3, 3, {"a", "b", "c", "d"}},
  };
  for (const auto& c : cases) {
    TCsvDb db = Table({{"a", "b", "c", "d"}});
    db.MoveColumn(c.from, c.to);
    EXPECT_EQ(Cells(db)[0], c.row) << c.from << "->" << c.to;
  }
  TCsvDb shortRow = Table({{"a", "b", "c"}, {"x", "y"}});
  try {
    shortRow.MoveColumn(0, 2);
    FAIL();
  } catch (const ECsvDb& e) {
    EXPECT_EQ(std::string(e.what()), "リストのインデックスが範囲を超えています (2)");
  }
  EXPECT_EQ(Cells(shortRow), (Rows{{"a", "b", "c"}, {"x", "y"}}));  // unchanged
}

TEST(CsvDb, ReverseTransposeTrim) {
  TCsvDb db = Table({{"h"}, {"1"}, {"2"}, {"3"}});
  db.Reverse();
  EXPECT_EQ(Column(db, 0), (std::vector<std::string>{"3", "2", "1", "h"}));
  db.SetHeader(true);
  db.Reverse();
  EXPECT_EQ(Column(db, 0), (std::vector<std::string>{"3", "h", "1", "2"}));

  TCsvDb t = Table({{"a", "b"}, {"c"}});
  t.Transpose();
  EXPECT_EQ(Cells(t), (Rows{{"a", "c"}, {"b"}}));  // the last row loses its trailing empty cell

  TCsvDb trim = Table({{""}, {" ", "\t"}, {"a", "", " "}, {""}, {"b", ""}, {"", ""}});
  trim.SetRowCells(6, std::nullopt);
  trim.TrimEmpty();
  EXPECT_EQ(Cells(trim), (Rows{{"a"}, {""}, {"b"}}));
  EXPECT_EQ(trim.ColCount(), 1);
}

// ---------------------------------------------------------------------------
// Sorting

TEST(CsvDb, SortKinds) {
  TCsvDb text = Table({{"b"}, {""}, {"A"}, {"a"}, {"B"}});
  text.SortText(0);
  EXPECT_EQ(Column(text, 0), (std::vector<std::string>{"", "A", "B", "a", "b"}));

  TCsvDb withHeader = Table({{"名前"}, {"b"}, {"a"}}, true);
  withHeader.SortText(0);
  EXPECT_EQ(Column(withHeader, 0), (std::vector<std::string>{"名前", "a", "b"}));

  TCsvDb num = Table({{"10", "r0"}, {"9", "r1"}, {"", "r2"}, {"abc", "r3"}, {"-1", "r4"}, {"1.5", "r5"}});
  num.SortNumber(0);
  EXPECT_EQ(Column(num, 1), (std::vector<std::string>{"r4", "r2", "r3", "r5", "r1", "r0"}));

  TCsvDb dates = Table({{"2004/1/10"}, {"2003/12/31"}, {"2004/1/2 10:00"}, {"不明"}, {"2004/1/2 9:00"}});
  dates.SortDate(0);
  EXPECT_EQ(Column(dates, 0),
            (std::vector<std::string>{"不明", "2003/12/31", "2004/1/2 9:00", "2004/1/2 10:00", "2004/1/10"}));

  // Sorting trims empty rows at both ends first.
  TCsvDb padded = Table({{""}, {"b"}, {"a"}, {" "}});
  padded.SortText(0);
  EXPECT_EQ(Cells(padded), (Rows{{"a"}, {"b"}}));
}

TEST(CsvDb, SortOrderOfEqualKeys) {
  // Short ranges are sorted by selection with exchanges, which may reorder
  // equal keys: the "a" is exchanged with the first "b".
  TCsvDb small = Table({{"b", "1"}, {"b", "2"}, {"a", "3"}});
  small.SortText(0);
  EXPECT_EQ(Column(small, 1), (std::vector<std::string>{"3", "2", "1"}));

  // 25 rows: split at 0/2 + 24/2 = 12, each half by selection, then a merge
  // that keeps equal keys in order.
  auto build = [](bool header) {
    TCsvDb db;
    if (header) db.AppendRow({"k", "id"});
    db.AppendRow({"b", "b0"});
    for (int i = 1; i <= 23; ++i) db.AppendRow({"c", "c" + std::to_string(i)});
    db.AppendRow({"a", "a24"});
    db.SetHeader(header);
    return db;
  };
  auto ids = [](std::initializer_list<int> cs, int last) {
    std::vector<std::string> v = {"a24", "b0"};
    for (int i : cs) v.push_back("c" + std::to_string(i));
    v.push_back("c" + std::to_string(last));
    return v;
  };
  TCsvDb plain = build(false);
  plain.SortText(0);
  EXPECT_EQ(Column(plain, 1),
            ids({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}, 13));

  // With the header the range is rows 1..25, split at 0 + 12 = 12.
  TCsvDb headed = build(true);
  headed.SortText(0);
  std::vector<std::string> expect = ids({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23}, 12);
  expect.insert(expect.begin(), "id");
  EXPECT_EQ(Column(headed, 1), expect);
}

TEST(CsvDb, RemoveDuplicates) {
  TCsvDb db = Table({{"a", "1"}, {"b", "2"}, {"a", "3"}, {"c", "4"}, {"b", "5"}, {"a", "6"}});
  db.RemoveDuplicates(0);
  EXPECT_EQ(Column(db, 1), (std::vector<std::string>{"4", "5", "6"}));

  TCsvDb missing = Table({{"x", ""}, {"y"}, {"z", "k"}});
  missing.RemoveDuplicates(1);  // a missing cell reads as the empty text
  EXPECT_EQ(Column(missing, 0), (std::vector<std::string>{"y", "z"}));
}

TEST(CsvDb, JoinByKey) {
  struct Case {
    Rows own;
    bool header;
    Rows other;
    int key, otherKey;
    Rows result;
  };
  const Case cases[] = {
      // without header rows the other table's row 0 is a data row like any other
      {{{"k1", "x"}, {"k2", "y"}, {"k3", "z"}}, false, {{"k1", "p", "P"}, {"k2", "q", "Q"}}, 0, 0,
       {{"k1", "x", "p", "P"}, {"k2", "y", "q", "Q"}, {"k3", "z"}}},
      // with header rows: field names joined, the key cell left out
      {{{"id", "name"}, {"1", "a"}, {"2", "b"}}, true, {{"price", "id"}, {"200", "2"}, {"100", "1"}}, 0, 1,
       {{"id", "name", "price"}, {"1", "a", "100"}, {"2", "b", "200"}}},
      // a data key equal to a field name still finds its data row
      {{{"id", "n"}, {"id", "x"}}, true, {{"id", "p"}, {"id", "9"}}, 0, 0, {{"id", "n", "p"}, {"id", "x", "9"}}},
      // cells go after the width before the join, the first match counts
      {{{"k", "1", "2"}, {"m"}}, false, {{"m", "A"}, {"m", "B"}, {"k", "C", "D"}}, 0, 0,
       {{"k", "1", "2", "C", "D"}, {"m", "", "", "A"}}},
  };
  for (const auto& c : cases) {
    TCsvDb own = Table(c.own, c.header);
    const TCsvDb other = Table(c.other, c.header);
    own.JoinByKey(c.key, other, c.otherKey);
    EXPECT_EQ(Cells(own), c.result);
  }
  TCsvDb self = Table({{"a", "1"}, {"b", "2"}});
  self.JoinByKey(0, self, 0);
  EXPECT_EQ(Cells(self), (Rows{{"a", "1", "1"}, {"b", "2", "2"}}));
}

// ---------------------------------------------------------------------------
// Searching

TEST(CsvDb, Searches) {
  TCsvDb db = Table({{"name", "note"}, {"apple", "red,round"}, {"ソ", "　"}, {"pear", "apple"}});
  db.SetRowCells(4, std::nullopt);
  db.AppendRow({"x"});
  struct Case {
    char kind;  // e exact, c contains, w wildcard
    const char* key;
    int col, start, found;
  };
  const Case cases[] = {
      {'e', "apple", 0, 0, 1},
      {'e', "apple", 0, 2, -1},
      {'e', "apple", -1, 2, 3},
      {'e', "", 1, 0, 5},  // the absent row 4 is never examined
      {'e', "nothing", -1, 0, -1},
      {'c', "ppl", 0, 0, 1},
      {'c', "d,r", 1, 0, 1},
      {'c', "e,\"red", -1, 0, 1},  // every column: the row's CSV line
      {'c', "@", 1, 0, -1},        // the trail byte of 　 is no "@"
      {'c', "\\", 0, 0, -1},       // nor that of ソ a backslash
      {'c', "", 0, 0, -1},
      {'w', "p*", 0, 0, 3},
      {'w', "*r*", 1, 0, 1},
      {'w', "apple,\"red,*\"", -1, 0, 1},
      {'w', "?", 0, 0, 2},
  };
  for (const auto& c : cases) {
    int r = c.kind == 'e'   ? db.FindExact(c.key, c.col, c.start)
            : c.kind == 'c' ? db.FindContains(c.key, c.col, c.start)
                            : db.FindWildcard(c.key, c.col, c.start);
    EXPECT_EQ(r, c.found) << c.kind << " " << c.key;
  }
  EXPECT_EQ(db.FieldIndex("note"), 1);
  EXPECT_EQ(db.FieldIndex("none"), -1);
  EXPECT_EQ(TCsvDb().FieldIndex("note"), -1);
}

TEST(CsvDb, PickUp) {
  const Rows rows = {{"名前", "数量"}, {"山田", "1"}, {"田中", "2"}, {"山本", "3"}, {"ラーメン", "4"}};
  struct Case {
    bool header;
    int col;
    const char* key;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {true, 0, "山*", {"名前", "山田", "山本"}},
      {false, 0, "山*", {"山田", "山本"}},
      {true, 0, "田", {"名前", "山田", "田中"}},
      {true, 0, "ラー", {"名前", "ラーメン"}},  // ー holds the byte of "[" as its trail byte
      {true, 0, "[山田]*", {"名前", "山田", "田中", "山本"}},
      {true, 1, "?", {"名前", "山田", "田中", "山本", "ラーメン"}},
      {true, 0, "", {"名前"}},
  };
  for (const auto& c : cases) {
    const TCsvDb out = Table(rows, c.header).PickUp(c.col, c.key);
    EXPECT_FALSE(out.HasHeader());
    EXPECT_EQ(Column(out, 0), c.names) << c.key;
  }
}

// ---------------------------------------------------------------------------
// The condition filter

TEST(CsvDb, Filter) {
  const TCsvDb db = Table({{"名前", "数量", "日付"},
                           {"山田", "12", "2004/1/2"},
                           {"田中", "20", "2004/1/10"},
                           {"山本", "5", "不明"},
                           {"山口", "10", "2003/12/31 23:00"},
                           {"abc", "", ""}},
                          true);
  struct Case {
    const char* condition;
    std::vector<std::string> names;
  };
  const Case cases[] = {
      {"数量>=10 AND 名前=山*", {"名前", "山田", "山口"}},
      {"数量>=10 AND 名前=\"山*\"", {"名前", "山田", "山口"}},
      {"数量>=10 and 名前=`山*`", {"名前", "山田", "山口"}},
      {"数量<10 OR 名前=田中", {"名前", "田中", "山本", "abc"}},
      {"名前=山田 名前=田中", {"名前", "山田", "田中"}},  // terms without a connective are OR-ed
      {"(数量>15 OR 数量<6) AND 名前=山*", {"名前", "山本"}},
      {"数量>=10 AND 名前=山* OR 名前=田中", {"名前", "山田", "田中", "山口"}},  // A AND (B OR C)
      {"名前=田中 OR 数量>=10 AND 名前=山*", {"名前", "山田", "田中", "山口"}},  // A OR (B AND C)
      {"数量=>20", {"名前", "田中"}},
      {"数量=<5", {"名前", "山本", "abc"}},
      {"数量>5", {"名前", "山田", "田中", "山口"}},
      {"数量<5", {"名前", "abc"}},
      {"数量=12", {"名前", "山田"}},
      {"数量<>12", {"名前", "田中", "山本", "山口", "abc"}},
      {"数量><12", {"名前", "田中", "山本", "山口", "abc"}},
      {"数量>=１０", {"名前", "山田", "田中", "山口"}},
      {"名前<>山*", {"名前", "田中", "abc"}},
      {"名前>\"b\"", {"名前", "山田", "田中", "山本", "山口"}},  // bytes: kanji after ASCII
      {"名前<\"b\"", {"名前", "abc"}},
      {"日付>=#2004/1/2", {"名前", "山田", "田中"}},
      {"日付<#2004/1/2", {"名前", "山口"}},
      {"日付=#2004/1/10", {"名前", "田中"}},
      {"日付=#不明", {"名前"}},
      {"数量=", {"名前", "abc"}},  // an empty text matches empty cells only
      {"  ", {}},
      {"(名前=山田)", {"名前", "山田"}},
      {"(名前=\"a)b\" OR 名前=山田)", {"名前", "山田"}},
  };
  for (const auto& c : cases) {
    const TCsvDb out = db.Filter(c.condition);
    EXPECT_EQ(Column(out, 0), c.names) << c.condition;
  }
  const TCsvDb out = db.Filter("名前=山田");
  EXPECT_EQ(Cells(out), (Rows{{"名前", "数量", "日付"}, {"山田", "12", "2004/1/2"}}));
}

TEST(CsvDb, FilterErrors) {
  const TCsvDb db = Table({{"x", "y"}, {"1", "2"}}, true);
  struct Case {
    const char* condition;
    std::string message;
  };
  const Case cases[] = {
      {"z=1", "フィールド名\"z\"が見つかりません。"},
      {"x!1", "演算子の指定エラー。"},
      {"z!1", "演算子の指定エラー。"},  // the operator is looked at before the field
      {"x=<>1", "演算子の指定エラー。"},
      {"x", "演算子の指定エラー。"},
      {"x<<1", "演算子の指定エラー。"},
      {"(x=1", "\")\"が対応していません。"},
  };
  for (const auto& c : cases) {
    try {
      db.Filter(c.condition);
      ADD_FAILURE() << c.condition;
    } catch (const ECsvDb& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.condition;
    }
  }
  EXPECT_THROW(db.Filter("x=\"[\\x]\""), EWildcard);
}

// ---------------------------------------------------------------------------
// Grids and the incremental search

class FakeGrid : public TCsvGrid {
 public:
  int rows = 0, cols = 0, fixedCols = -1, fixedRows = -1, rowHeight = 0;
  std::map<std::pair<int, int>, std::string> cells;
  std::map<int, int> widths;

  int GridRowCount() const override { return rows; }
  int GridColCount() const override { return cols; }
  std::string GridCell(int c, int r) const override {
    auto it = cells.find({c, r});
    return it == cells.end() ? "" : it->second;
  }
  void SetGridShape(int c, int r, int fc, int fr) override {
    cols = c;
    rows = r;
    fixedCols = fc;
    fixedRows = fr;
  }
  void SetGridCell(int c, int r, std::string_view text) override { cells[{c, r}] = std::string(text); }
  int TextWidth(std::string_view text) const override { return static_cast<int>(text.size()) * 7; }
  int FontHeight() const override { return -12; }
  int DefaultColWidth() const override { return 64; }
  void SetColWidth(int c, int w) override { widths[c] = w; }
  void SetDefaultRowHeight(int h) override { rowHeight = h; }
};

TEST(CsvDb, Grids) {
  FakeGrid grid;
  grid.cells[{2, 3}] = "stale";
  TCsvDb db = Table({{"ab", ""}, {"abcd"}});
  db.SetCell(2, 2, "x");
  db.ShowInGrid(grid, true);
  EXPECT_EQ(grid.rows, 4);
  EXPECT_EQ(grid.cols, 3);
  EXPECT_EQ(grid.fixedRows, 1);
  EXPECT_EQ(grid.fixedCols, 0);
  EXPECT_EQ(grid.GridCell(0, 1), "abcd");
  EXPECT_EQ(grid.GridCell(2, 3), "");  // the extra last row is cleared
  EXPECT_EQ(grid.widths, (std::map<int, int>{{0, 33}, {1, 64}, {2, 12}}));
  EXPECT_EQ(grid.rowHeight, 16);

  TCsvDb back;
  back.LoadFromGrid(grid);
  EXPECT_EQ(Cells(back), (Rows{{"ab", "", ""}, {"abcd", "", ""}, {"", "", "x"}, {"", "", ""}}));
}

TEST(CsvDb, IncrementalSearch) {
  TFindCsv find;
  const char* csv = "name\r\nab\r\nb\r\nab\r\n[a]\r\n";
  EXPECT_EQ(find.Start(csv, "ab", 0, true, true), 1);
  EXPECT_EQ(find.FindNext(), 3);
  EXPECT_EQ(find.FindNext(), -1);
  EXPECT_EQ(find.FindNext(), -1);

  EXPECT_EQ(find.Start(csv, "b", -1, false, false), 1);  // substring
  EXPECT_EQ(find.FindNext(), 2);
  EXPECT_EQ(find.Start(csv, "?", 0, false, false), 2);  // wildcard
  EXPECT_EQ(find.Start(csv, "[a]", 0, false, false), 4);  // "[" alone: substring
  EXPECT_EQ(find.Start(csv, "zz", 0, true, false), -1);
  EXPECT_EQ(find.FindNext(), -1);
  EXPECT_FALSE(find.table.HasHeader());

  find.Clear();
  EXPECT_EQ(find.table.RowCount(), 0);
  EXPECT_EQ(find.column, -1);
  EXPECT_EQ(find.FindNext(), -1);
}

}  // namespace
