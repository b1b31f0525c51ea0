// Commands on arrays (one element per line) and two-dimensional tables (CSV
// text). Every command reads its value afresh, as a line list or as a table,
// and leaves the new text in それ; the argument variable is never changed.
#include "commands/tables.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <numeric>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "commands/tables_lines.h"
#include "engine/tama.h"
#include "frontend/normalize.h"
#include "sjis/sjis.h"
#include "support/csvdb.h"
#include "support/number.h"
#include "support/random.h"
#include "support/wildcard.h"

namespace tama {

// ---------------------------------------------------------------------------
// Line lists and texts (no interpreter state)

namespace tables {

std::string JoinLines(std::span<const std::string_view> lines) {
  size_t total = 0;
  for (std::string_view l : lines) total += l.size() + 2;
  std::string out;
  out.reserve(total);
  for (std::string_view l : lines) {
    out.append(l);
    out += "\r\n";
  }
  return out;
}

std::string ReplaceAll(std::string_view source, std::string_view search, std::string_view replacement) {
  size_t at = FindAtBoundary(source, search, 0);
  if (at == std::string_view::npos) return std::string(source);
  std::string out;
  out.reserve(source.size() + (replacement.size() > search.size() ? replacement.size() - search.size() : 0) * 4);
  size_t from = 0;
  while (at != std::string_view::npos) {
    out.append(source.substr(from, at - from));
    out.append(replacement);
    from = at + search.size();
    at = FindAtBoundary(source, search, from);
  }
  out.append(source.substr(from));
  return out;
}

void AppendCollationKey(std::string& out, std::string_view s) {
  for (size_t i = 0; i < s.size();) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (sjis::CharLen(s, i) == 2) {
      const unsigned char d = static_cast<unsigned char>(s[i + 1]);
      out += static_cast<char>(c);
      // full-width Ａ-Ｚ (0x8260-0x8279) as ａ-ｚ (0x8281-0x829A)
      out += static_cast<char>(c == 0x82 && d >= 0x60 && d <= 0x79 ? d + 0x21 : d);
      i += 2;
    } else {
      out += static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
      ++i;
    }
  }
}

std::string SortLinesIgnoringCase(std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  std::vector<std::string> keys(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    keys[i].reserve(lines[i].size());
    AppendCollationKey(keys[i], lines[i]);
  }
  std::vector<uint32_t> order(lines.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
  std::vector<std::string_view> sorted;
  sorted.reserve(lines.size());
  for (uint32_t i : order) sorted.push_back(lines[i]);
  return JoinLines(sorted);
}

std::string SortLinesByNumber(std::string_view text) {
  const std::vector<std::string_view> lines = SplitLines(text);
  std::vector<long double> keys(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) keys[i] = TextToNumber(lines[i]);
  std::vector<uint32_t> order(lines.size());
  std::iota(order.begin(), order.end(), 0u);
  std::stable_sort(order.begin(), order.end(), [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; });
  std::vector<std::string_view> sorted;
  sorted.reserve(lines.size());
  for (uint32_t i : order) sorted.push_back(lines[i]);
  return JoinLines(sorted);
}

}  // namespace tables

namespace {

using tables::JoinLines;
using tables::SplitLines;

const char* CommandName(int id);

bool HeaderFlag(TTamaBase& t) { return t.QuickWord("表フィールド名").Value() == "1"; }

// Stores the result without touching any tag.
void SetValueOnly(TTamaBase& t, std::string value) { t.Sore().SetValue(std::move(value)); }

int32_t PopNumberRead(TTamaBase& t) { return NumberRead(t.PopArgNumber()); }
int32_t PopIntegerRead(TTamaBase& t) { return ReadInteger(t.PopArgValue(), -1); }

// The argument error of the statistics and the table sorts (no error line).
[[noreturn]] void ArgumentError(int id) {
  throw std::runtime_error(std::string("\"") + CommandName(id) + "\"命令の引数に誤りがあります。");
}

// ---- A. Arrays

// ソート, 数値ソート
void Sort(TTamaBase& t, int id) {
  std::string text = t.PopArgValue();
  t.SetResult(id == kCmdSort ? tables::SortLinesIgnoringCase(text) : tables::SortLinesByNumber(text), kTagString);
}

// 逆にする: the rows in reverse order (the header row is not kept first).
void Reverse(TTamaBase& t, int) {
  TCsvDb db(t.PopArgValue());
  db.Reverse();
  t.SetResult(db.SaveToText(), kTagString);
}

// 配列シャッフル: n + 1 exchanges of two randomly drawn lines.
void Shuffle(TTamaBase& t, int) {
  std::string text = t.PopArgValue();
  std::vector<std::string_view> lines = SplitLines(text);
  const uint32_t n = static_cast<uint32_t>(lines.size());
  if (n > 0) {
    for (uint64_t k = 0; k <= n; ++k) {
      const uint32_t i = t.random.Draw(n);
      const uint32_t j = t.random.Draw(n);
      std::swap(lines[i], lines[j]);
    }
  }
  SetValueOnly(t, JoinLines(lines));
}

// 要素数, 表行数: the rows, less the header row.
void RowCount(TTamaBase& t, int) {
  TCsvDb db(t.PopArgValue());
  const int rows = db.RowCount() - (HeaderFlag(t) ? 1 : 0);
  t.SetResultTagged(FormatInteger(rows), kTagNumber);
}

// 表列数
void ColCount(TTamaBase& t, int) {
  TCsvDb db(t.PopArgValue());
  t.SetResultTagged(FormatInteger(db.ColCount()), kTagNumber);
}

// 行挿入: the value becomes line n; short lists are filled with empty lines.
void InsertLine(TTamaBase& t, int) {
  std::string value = t.PopArgValue();
  const int32_t n = PopNumberRead(t);
  std::string text = t.PopArgValue();
  if (n < 0) return;
  std::vector<std::string_view> lines = SplitLines(text);
  const size_t at = static_cast<size_t>(n);
  if (at < lines.size()) {
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(at), value);
  } else {
    if (at - lines.size() > (size_t{1} << 24)) throw std::bad_alloc();
    lines.resize(at + 1);
    lines[at] = value;
  }
  SetValueOnly(t, JoinLines(lines));
}

// 行削除
void DeleteLine(TTamaBase& t, int) {
  const int32_t n = PopNumberRead(t);
  std::string text = t.PopArgValue();
  std::vector<std::string_view> lines = SplitLines(text);
  if (n < 0 || static_cast<size_t>(n) >= lines.size()) return;
  lines.erase(lines.begin() + n);
  SetValueOnly(t, JoinLines(lines));
}

// ハッシュキー列挙, 辞書項目列挙: the keys of a dictionary, or the names
// before "=" of the lines of any other word.
void ListKeys(TTamaBase& t, int) {
  const std::string name = t.PopArgText();
  THashNode* word = t.words.Find(name, false);
  if (!word) t.Raise("オブジェクト\"" + name + "\"は、作成されていません。");
  std::string out;
  if (word->Kind == wkHash) {
    if (word->Dict)
      word->Dict->ForEach([&](const THashNode& item) {
        out += item.Name;
        out += "\r\n";
      });
  } else {
    for (std::string_view line : SplitLines(word->Value())) {
      const size_t eq = line.find('=');
      if (eq != std::string_view::npos) out.append(line.substr(0, eq));
      out += "\r\n";
    }
  }
  t.SetResultTagged(std::move(out), kTagString);
}

// ---- B. Statistics over a column of data rows

void Statistic(TTamaBase& t, int id) {
  const int32_t col = PopIntegerRead(t);
  TCsvDb db(t.PopArgValue());
  if (col == -1) ArgumentError(id);
  const int f = HeaderFlag(t) ? 1 : 0;
  const int rows = db.RowCount();
  auto number = [&](int r) {
    try {
      return TextToNumber(db.GetCell(col, r));
    } catch (const TNumError&) {
      return 0.0L;  // a lone point or an overflow reads as no number
    }
  };
  long double result = 0;
  switch (id) {
    case kCmdHyouSaidaichi:
      result = f < rows ? number(f) : 0;
      for (int r = f; r < rows; ++r) result = std::max(result, number(r));
      break;
    case kCmdHyouSaishouchi:
      result = f < rows ? number(f) : 0;
      for (int r = f; r < rows; ++r)
        if (!db.GetCell(col, r).empty()) result = std::min(result, number(r));
      break;
    case kCmdHyouGoukei:
    case kCmdHyouHeikinchi:
      for (int r = f; r < rows; ++r) result += number(r);
      result = CheckResult(result);
      if (id == kCmdHyouHeikinchi && rows > 0) result = CheckedDivide(result, rows - f);
      break;
  }
  t.SetResultTagged(FormatNumber(result), kTagNumber);
}

// ---- C. Sorting and reshaping

void TableSort(TTamaBase& t, int id) {
  const int32_t col = PopIntegerRead(t);
  TCsvDb db(t.PopArgValue());
  if (col == -1) ArgumentError(id);
  db.SetHeader(HeaderFlag(t));
  switch (id) {
    case kCmdHyouSort:
      db.SortText(col);
      t.SetResultTagged(db.SaveToText(), kTagString);
      return;
    case kCmdHyouSuuchiSort:
      db.SortNumber(col);
      break;
    default:
      db.SortDate(col);
      break;
  }
  t.SetResult(db.SaveToText(), kTagString);
}

// 表行列交換
void Transpose(TTamaBase& t, int) {
  TCsvDb db(t.PopArgValue());
  db.Transpose();
  t.SetResultTagged(db.SaveToText(), kTagString);
}

// 表列挿入, 表列削除, 表列コピー, 表重複項目削除: a negative column does nothing.
void ColumnEdit(TTamaBase& t, int id) {
  const int32_t col = PopNumberRead(t);
  std::string text = t.PopArgValue();
  if (col < 0) return;
  TCsvDb db(text);
  switch (id) {
    case kCmdHyouRetsuSounyuu:
      db.InsertColumn(col);
      break;
    case kCmdHyouRetsuSakujo:
      db.DeleteColumn(col);
      break;
    case kCmdHyouChoufukuKoumokuSakujo:
      db.RemoveDuplicates(col);
      break;
    case kCmdHyouRetsuCopy: {
      std::string out;
      for (int r = 0; r < db.RowCount(); ++r) {
        out += db.GetCell(col, r);
        out += "\r\n";
      }
      SetValueOnly(t, std::move(out));
      return;
    }
  }
  SetValueOnly(t, db.SaveToText());
}

// 表列貼付け: the lines of the third argument become the new column.
void PasteColumn(TTamaBase& t, int) {
  std::string source = t.PopArgValue();
  const int32_t col = PopNumberRead(t);
  std::string text = t.PopArgValue();
  if (col < 0) return;
  TCsvDb db(text);
  const std::vector<std::string_view> lines = SplitLines(source);
  db.InsertColumn(col, std::span<const std::string_view>(lines));
  SetValueOnly(t, db.SaveToText());
}

// 表列移動
void MoveColumn(TTamaBase& t, int) {
  const int32_t to = PopNumberRead(t);
  const int32_t from = PopNumberRead(t);
  TCsvDb db(t.PopArgValue());
  db.MoveColumn(from, to);
  t.SetResultTagged(db.SaveToText(), kTagString);
}

// 表列指定置換: every cell of the column, absent rows included.
void ReplaceInColumn(TTamaBase& t, int) {
  std::string replacement = t.PopArgValue();
  std::string search = t.PopArgValue();
  const int32_t col = PopNumberRead(t);
  TCsvDb db(t.PopArgValue());
  if (col >= 0) {
    for (int r = 0; r < db.RowCount(); ++r)
      db.SetCell(col, r, tables::ReplaceAll(db.GetCell(col, r), search, replacement));
  }
  t.SetResultTagged(db.SaveToText(), kTagString);
}

// 表キー合成: a failure of the join leaves それ empty.
void JoinByKey(TTamaBase& t, int) {
  const int32_t otherKey = PopNumberRead(t);
  std::string otherText = t.PopArgValue();
  const int32_t key = PopNumberRead(t);
  std::string text = t.PopArgValue();
  const bool header = HeaderFlag(t);
  std::string out;
  try {
    TCsvDb db(text), other(otherText);
    db.SetHeader(header);
    other.SetHeader(header);
    db.JoinByKey(key, other, otherKey);
    out = db.SaveToText();
  } catch (const std::exception&) {
    out.clear();
  }
  t.SetResultTagged(std::move(out), kTagString);
}

// ---- D. Searching and selection

// 表ピックアップ
void PickUp(TTamaBase& t, int) {
  std::string key = t.PopArgValue();
  const int32_t col = PopIntegerRead(t);
  std::string text = t.PopArgValue();
  const bool header = HeaderFlag(t);
  if (col == -1) {
    std::string out;
    if (!key.empty()) {
      const bool wild = key.find_first_of("*?") != std::string::npos || tables::HasCharAtBoundary(key, '[');
      std::unique_ptr<TWildPattern> pat;
      if (wild) pat = std::make_unique<TWildPattern>(key);
      const std::vector<std::string_view> lines = SplitLines(text);
      for (size_t i = header ? 1 : 0; i < lines.size(); ++i) {
        const std::string_view line = lines[i];
        if (wild ? pat->MatchWhole(line) : tables::FindAtBoundary(line, key, 0) != std::string_view::npos) {
          out.append(line);
          out += "\r\n";
        }
      }
    }
    t.SetResultTagged(std::move(out), kTagString);
    return;
  }
  if (key.empty()) return;
  TCsvDb db(text);
  db.SetHeader(header);
  t.SetResultTagged(db.PickUp(col, key).SaveToText(), kTagString);
}

// 表条件抽出: the condition may use full-width characters and the connectives
// かつ and または.
void Filter(TTamaBase& t, int) {
  std::string condition = t.PopArgValue();
  std::string text = t.PopArgValue();
  condition = frontend::FoldText(condition);
  std::replace(condition.begin(), condition.end(), ',', ' ');
  condition = tables::ReplaceAll(condition, "または ", " OR ");
  condition = tables::ReplaceAll(condition, "かつ ", " AND ");
  SetValueOnly(t, "");
  TCsvDb db(text);
  db.SetHeader(true);
  std::string out;
  try {
    out = db.Filter(condition).SaveToText();
  } catch (const std::exception& e) {
    throw std::runtime_error(std::string("CSVデータベースの解析エラー。") + e.what());
  }
  t.SetResultTagged(std::move(out), kTagString);
}

// The search state of 表検索 of each interpreter.
TFindCsv& SearchState(TTamaBase& t) {
  if (!t.tableSearch) t.tableSearch = std::make_shared<TFindCsv>();
  return *t.tableSearch;
}

// 表検索, 表曖昧検索
void Search(TTamaBase& t, int id) {
  std::string key = t.PopArgValue();
  const int32_t col = PopIntegerRead(t);
  std::string text = t.PopArgValue();
  const int r = SearchState(t).Start(text, key, col, id == kCmdHyouKensaku, HeaderFlag(t));
  t.SetResultTagged(FormatInteger(r), kTagNumber);
}

// 表検索次の値
void SearchNext(TTamaBase& t, int) { t.SetResultTagged(FormatInteger(SearchState(t).FindNext()), kTagNumber); }

// 表検索クリア: それ is not touched.
void SearchClear(TTamaBase& t, int) { SearchState(t).Clear(); }

}  // namespace

static const TCommandDef kDefs[] = {
    {"ソート", "?を", kCmdSort, Sort},
    {"数値ソート", "?を", kCmdSuuchiSort, Sort},
    {"逆にする", "?を", kCmdGyakuNiSuru, Reverse},
    {"表ピックアップ", "?の,?列目から,?を", kCmdHyouPickup, PickUp},
    {"表検索", "?の,?列目から,?を", kCmdHyouKensaku, Search},
    {"表検索次の値", "", kCmdHyouKensakuTsugiNoAtai, SearchNext},
    {"表検索クリア", "", kCmdHyouKensakuClear, SearchClear},
    {"表曖昧検索", "?の,?列目から,?を", kCmdHyouAimaiKensaku, Search},
    {"表最大値", "?の,?列目の", kCmdHyouSaidaichi, Statistic},
    {"表最小値", "?の,?列目の", kCmdHyouSaishouchi, Statistic},
    {"表平均値", "?の,?列目の", kCmdHyouHeikinchi, Statistic},
    {"表ソート", "?の,?列目を", kCmdHyouSort, TableSort},
    {"表数値ソート", "?の,?列目を", kCmdHyouSuuchiSort, TableSort},
    {"表合計", "?の,?列目の", kCmdHyouGoukei, Statistic},
    {"行挿入", "?の,?行目へ,?を", kCmdGyouSounyuu, InsertLine},
    {"行削除", "?の,?行目を", kCmdGyouSakujo, DeleteLine},
    {"表列挿入", "?の,?列目へ", kCmdHyouRetsuSounyuu, ColumnEdit},
    {"表列削除", "?の,?列目を", kCmdHyouRetsuSakujo, ColumnEdit},
    {"表重複項目削除", "?の,?列目をキーに", kCmdHyouChoufukuKoumokuSakujo, ColumnEdit},
    {"ハッシュキー列挙", "?の", kCmdHashKeyRekkyo, ListKeys},
    {"辞書項目列挙", "?の", kCmdJishoKoumokuRekkyo, ListKeys},
    {"表列コピー", "?の,?列目を", kCmdHyouRetsuCopy, ColumnEdit},
    {"表列貼付け", "?の,?列目に,?を", kCmdHyouRetsuHaritsuke, PasteColumn},
    {"表日付ソート", "?の,?列目を", kCmdHyouHizukeSort, TableSort},
    {"表条件抽出", "?を,?で", kCmdHyouJoukenChuushutsu, Filter},
    {"表キー合成", "?の,?列目と,?の,?列目で", kCmdHyouKeyGousei, JoinByKey},
    {"要素数", "?の", kCmdYousosuu, RowCount},
    {"配列シャッフル", "?を", kCmdHairetsuShuffle, Shuffle},
    {"表行列交換", "?の", kCmdHyouGyouretsuKoukan, Transpose},
    {"表行数", "?の", kCmdHyouGyousuu, RowCount},
    {"表列数", "?の", kCmdHyouRetsusuu, ColCount},
    {"表列指定置換", "?の,?列目にある,?を,?に", kCmdHyouRetsuShiteiChikan, ReplaceInColumn},
    {"表列移動", "?の,?列目と,?列目を", kCmdHyouRetsuIdou, MoveColumn},
};

namespace {
const char* CommandName(int id) {
  for (const TCommandDef& d : kDefs)
    if (d.id == id) return d.name;
  return "";
}
}  // namespace

static const TCommandFamily kFamily = {"tables", kDefs, std::size(kDefs)};

const TCommandFamily& TablesFamily() { return kFamily; }

}  // namespace tama
