#include "support/csvdb.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <new>
#include <numeric>
#include <unordered_map>

#include "sjis/lcmap.h"
#include "sjis/sjis.h"
#include "support/datetime_parse.h"
#include "support/lines.h"
#include "support/number.h"
#include "support/wildcard.h"

namespace tama {

namespace {

const std::string kNoText;

// Writes that would add more than this many empty rows or cells at once are
// refused (an index typed by mistake must not eat the memory).
constexpr size_t kMaxGrowth = size_t{1} << 24;

void CheckGrowth(size_t have, size_t want) {
  if (want > have && want - have > kMaxGrowth) throw std::bad_alloc();
}

std::string_view CutAtZero(std::string_view s) {
  const size_t z = s.find('\0');
  return z == std::string_view::npos ? s : s.substr(0, z);
}

inline bool IsCtl(char c) { return static_cast<unsigned char>(c) <= 0x20; }

std::string_view StripCtl(std::string_view s) { return support::TrimControl(s); }

bool IsBlankCell(std::string_view s) {
  for (char c : s)
    if (!IsCtl(c)) return false;
  return true;
}

using support::FindAtBoundary;
using support::HasCharAtBoundary;

// The number-reading rule for a cell: a text that is no number reads as 0,
// and so does one that the rule refuses (a lone point, an overflow).
long double CellNumber(std::string_view s) {
  try {
    return TextToNumber(s);
  } catch (const TNumError&) {
    return 0;
  }
}

// Whether a filter value begins with a number (after the blanks, full-width
// forms and commas that the number-reading rule passes over).
bool HasNumberPrefix(std::string_view v) {
  v = StripCtl(v);
  if (v.size() > 254) v = v.substr(0, 254);
  std::string u = sjis::ToHalfWidth(v);
  std::erase(u, ',');
  std::string_view w = StripCtl(u);
  if (w.empty()) return false;
  if (w[0] == '$') return w.size() > 1 && std::isxdigit(static_cast<unsigned char>(w[1]));
  if (w[0] == '+' || w[0] == '-') w.remove_prefix(1);
  const size_t n = DecimalPrefixLength(w, NumberSyntax::kValue);
  return n > 0 && w.substr(0, n) != ".";
}

// ---- Reading CSV

// One field from pos; raw bytes into buf. Returns whether a comma ended the
// field (the comma is consumed).
bool ReadField(std::string_view t, size_t& pos, std::string& buf, bool& quoted) {
  const size_t n = t.size();
  buf.clear();
  while (pos < n && t[pos] == ' ') ++pos;
  quoted = false;
  if (pos < n && t[pos] == '"') {
    quoted = true;
    ++pos;
  }
  while (pos < n) {
    // A run of plain characters at once.
    size_t run = pos;
    while (run < n) {
      const char b = t[run];
      if (b == ',' || b == '\r' || b == '\n' || b == '"') break;
      run += (sjis::IsLead(b) && run + 1 < n) ? 2 : 1;
    }
    if (run > pos) {
      buf.append(t.data() + pos, run - pos);
      pos = run;
      continue;
    }
    const char c = t[pos];
    if (c == ',' || c == '\r' || c == '\n') {
      if (!quoted) break;
      buf += c;
      ++pos;
      continue;
    }
    if (c == '"') {
      if (pos + 1 < n && t[pos + 1] == '"') {
        buf += '"';
        pos += 2;
        continue;
      }
      size_t k = pos + 1;
      while (k < n && t[k] == ' ') ++k;
      if (k >= n || t[k] == '\r' || t[k] == '\n' || t[k] == ',') {
        ++pos;  // the closing quote; blanks after it stay
        break;
      }
      buf += '"';
      ++pos;
      continue;
    }
  }
  if (pos < n && t[pos] == ',') {
    ++pos;
    return true;
  }
  return false;
}

// The cell text of a field: blanks and control bytes at both ends go; an
// unquoted field that still begins and ends with a quote loses those quotes.
std::string_view FinishField(std::string_view raw, bool quoted) {
  std::string_view s = StripCtl(raw);
  if (!quoted && s.size() > 1 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
  return s;
}

// One row from pos, with the line end after it.
TCsvCells ReadRow(std::string_view t, size_t& pos, std::string& buf, size_t expect = 0) {
  const size_t n = t.size();
  TCsvCells cells;
  cells.reserve(expect);
  for (;;) {
    bool quoted = false;
    const bool comma = ReadField(t, pos, buf, quoted);
    cells.emplace_back(FinishField(buf, quoted));
    if (comma) continue;  // a comma always opens another field
    if (pos >= n || t[pos] == '\r' || t[pos] == '\n') break;
  }
  if (pos < n && t[pos] == '\r') ++pos;
  if (pos < n && t[pos] == '\n') ++pos;
  return cells;
}

// ---- The filter's comparisons

enum class Op : uint8_t { kEq, kNe, kGt, kGe, kLt, kLe };

std::optional<Op> ParseOp(std::string_view op) {
  if (op == "=") return Op::kEq;
  if (op == "<>" || op == "><") return Op::kNe;
  if (op == ">") return Op::kGt;
  if (op == ">=" || op == "=>") return Op::kGe;
  if (op == "<") return Op::kLt;
  if (op == "<=" || op == "=<") return Op::kLe;
  return std::nullopt;
}

template <class T>
bool Compare(Op op, const T& a, const T& b) {
  switch (op) {
    case Op::kEq: return a == b;
    case Op::kNe: return !(a == b);
    case Op::kGt: return b < a;
    case Op::kGe: return !(a < b);
    case Op::kLt: return a < b;
    case Op::kLe: return !(b < a);
  }
  return false;
}

inline bool IsOpChar(char c) { return c == '<' || c == '=' || c == '>'; }

// The ")" that closes the "(" at open, or npos. Quotes and backslash escapes
// inside double quotes are passed over.
size_t MatchingParen(std::string_view s, size_t open) {
  int depth = 0;
  bool dq = false, sq = false;
  for (size_t i = open; i < s.size();) {
    const size_t len = sjis::CharLen(s, i);
    const char c = s[i];
    if (len == 1) {
      if (dq) {
        if (c == '\\') {
          i += 1;
          if (i < s.size()) i += sjis::CharLen(s, i);
          continue;
        }
        if (c == '"') dq = false;
      } else if (sq) {
        if (c == '\'') sq = false;
      } else if (c == '"') {
        dq = true;
      } else if (c == '\'') {
        sq = true;
      } else if (c == '(') {
        ++depth;
      } else if (c == ')') {
        if (--depth == 0) return i;
      }
    }
    i += len;
  }
  return std::string_view::npos;
}

}  // namespace

// ---------------------------------------------------------------------------
// Text form

void TCsvDb::Clear() {
  rows_.clear();
  width_ = 0;
  widthValid_ = true;
}

void TCsvDb::LoadFromText(std::string_view text) {
  Clear();
  text = CutAtZero(text);
  rows_.reserve(static_cast<size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  std::string buf;
  size_t pos = 0;
  while (pos < text.size()) {
    TCsvCells cells = ReadRow(text, pos, buf, rows_.empty() ? 0 : rows_.back()->size());
    Grew(cells.size());
    rows_.emplace_back(std::move(cells));
  }
}

void TCsvDb::AppendCsvCell(std::string& out, std::string_view cell) {
  if (cell.find('"') != std::string_view::npos) {
    out += '"';
    for (char c : cell) {
      if (c == '"') out += '"';
      out += c;
    }
    out += '"';
  } else if (cell.find_first_of(",\r\n") != std::string_view::npos || cell.find("ID") != std::string_view::npos) {
    out += '"';
    out += cell;
    out += '"';
  } else {
    out += cell;
  }
}

std::string TCsvDb::SaveToText() const {
  const int width = ColCount();
  size_t estimate = 0;
  for (const auto& row : rows_) {
    estimate += 2;
    if (row) {
      estimate += static_cast<size_t>(width);
      for (const auto& c : *row) estimate += c.size() + 2;
    }
  }
  std::string out;
  out.reserve(estimate);
  for (const auto& row : rows_) {
    if (row) {
      for (int c = 0; c < width; ++c) {
        if (c > 0) out += ',';
        if (static_cast<size_t>(c) < row->size()) AppendCsvCell(out, (*row)[c]);
      }
    }
    out += "\r\n";
  }
  return out;
}

std::string TCsvDb::RowText(int row) const {
  std::string out;
  if (const TCsvCells* cells = Row(row)) {
    for (size_t c = 0; c < cells->size(); ++c) {
      if (c > 0) out += ',';
      AppendCsvCell(out, (*cells)[c]);
    }
  }
  return out;
}

std::string TCsvDb::ToHtmlTable(std::string_view attributes) const {
  const int width = ColCount();
  std::string out = "<TABLE ";
  out += attributes;
  out += ">\r\n";
  for (int r = 0; r < RowCount(); ++r) {
    out += "<TR>";
    for (int c = 0; c < width; ++c) {
      out += "<TD>";
      out += GetCell(c, r);
      out += "</TD>";
    }
    out += "</TR>\r\n";
  }
  out += "</TABLE>";
  return out;
}

// ---------------------------------------------------------------------------
// Size and access

int TCsvDb::ColCount() const {
  if (!widthValid_) {
    size_t w = 0;
    for (const auto& row : rows_)
      if (row) w = std::max(w, row->size());
    width_ = static_cast<int>(w);
    widthValid_ = true;
  }
  return width_;
}

const TCsvCells* TCsvDb::Row(int row) const {
  if (row < 0 || static_cast<size_t>(row) >= rows_.size() || !rows_[row]) return nullptr;
  return &*rows_[row];
}

const std::string& TCsvDb::GetCell(int col, int row) const {
  const TCsvCells* cells = Row(row);
  if (!cells || col < 0 || static_cast<size_t>(col) >= cells->size()) return kNoText;
  return (*cells)[col];
}

// The row in slot r, created (with absent rows before it) when needed.
TCsvCells& TCsvDb::PresentRow(int row) {
  const size_t r = static_cast<size_t>(row);
  if (r >= rows_.size()) {
    CheckGrowth(rows_.size(), r + 1);
    rows_.resize(r + 1);
  }
  if (!rows_[r]) rows_[r].emplace();
  return *rows_[r];
}

void TCsvDb::SetCell(int col, int row, std::string_view text) {
  if (col < 0 || row < 0) return;
  const size_t c = static_cast<size_t>(col);
  // Check before creating anything, so that a refused write changes nothing.
  if (const TCsvCells* have = Row(row)) CheckGrowth(have->size(), c + 1);
  else CheckGrowth(0, c + 1);
  TCsvCells& cells = PresentRow(row);
  if (cells.size() <= c) {
    cells.resize(c + 1);
    Grew(cells.size());
  }
  cells[c].assign(CutAtZero(text));
}

void TCsvDb::SetRow(int row, std::string_view csvLine) {
  if (row < 0) return;
  csvLine = CutAtZero(csvLine);
  std::string buf;
  size_t pos = 0;
  SetRowCells(row, ReadRow(csvLine, pos, buf));
}

void TCsvDb::SetRowCells(int row, std::optional<TCsvCells> cells) {
  if (row < 0) return;
  const size_t r = static_cast<size_t>(row);
  if (r >= rows_.size()) {
    CheckGrowth(rows_.size(), r + 1);
    rows_.resize(r + 1);
  }
  if (cells) {
    for (auto& c : *cells) c.resize(CutAtZero(c).size());
    Grew(cells->size());
  }
  rows_[r] = std::move(cells);
  Shrank();
}

void TCsvDb::AppendRow(TCsvCells cells) {
  for (auto& c : cells) c.resize(CutAtZero(c).size());
  Grew(cells.size());
  rows_.emplace_back(std::move(cells));
}

// ---------------------------------------------------------------------------
// Columns and rows

template <class Text>
void TCsvDb::InsertColumnFrom(int col, std::span<const Text> source, bool withSource) {
  if (col < 0) return;
  const size_t c = static_cast<size_t>(col);
  CheckGrowth(0, c + 1);
  for (size_t r = 0; r < rows_.size(); ++r) {
    if (!rows_[r]) continue;
    TCsvCells& cells = *rows_[r];
    if (cells.size() <= c) cells.resize(c + 1);
    std::string cell;
    if (withSource && r < source.size()) cell.assign(CutAtZero(source[r]));
    cells.insert(cells.begin() + static_cast<std::ptrdiff_t>(c), std::move(cell));
    Grew(cells.size());
  }
}

void TCsvDb::InsertColumn(int col) { InsertColumnFrom<std::string>(col, {}, false); }
void TCsvDb::InsertColumn(int col, std::span<const std::string> source) { InsertColumnFrom(col, source, true); }
void TCsvDb::InsertColumn(int col, std::span<const std::string_view> source) {
  InsertColumnFrom(col, source, true);
}

void TCsvDb::DeleteColumn(int col) {
  if (col < 0) return;
  const size_t c = static_cast<size_t>(col);
  for (auto& row : rows_)
    if (row && c < row->size()) row->erase(row->begin() + static_cast<std::ptrdiff_t>(c));
  Shrank();
}

void TCsvDb::MoveColumn(int from, int to) {
  for (const auto& row : rows_) {
    if (!row) continue;
    const int n = static_cast<int>(row->size());
    const int bad = (from < 0 || from >= n) ? from : (to < 0 || to >= n) ? to : -1;
    if (from < 0 || from >= n || to < 0 || to >= n)
      throw ECsvDb("リストのインデックスが範囲を超えています (" + std::to_string(bad) + ")");
  }
  if (from == to) return;
  for (auto& row : rows_) {
    if (!row) continue;
    auto b = row->begin();
    if (from < to) std::rotate(b + from, b + from + 1, b + to + 1);
    else std::rotate(b + to, b + from, b + from + 1);
  }
}

void TCsvDb::Reverse() {
  const size_t f = header_ && !rows_.empty() ? 1 : 0;
  std::reverse(rows_.begin() + static_cast<std::ptrdiff_t>(f), rows_.end());
}

void TCsvDb::Transpose() {
  const int rows = RowCount(), cols = ColCount();
  std::vector<std::optional<TCsvCells>> out(static_cast<size_t>(cols));
  for (int c = 0; c < cols; ++c) {
    TCsvCells cells(static_cast<size_t>(rows));
    for (int r = 0; r < rows; ++r) {
      if (TCsvCells* src = rows_[r] ? &*rows_[r] : nullptr; src && static_cast<size_t>(c) < src->size())
        cells[r] = std::move((*src)[c]);
    }
    out[c] = std::move(cells);
  }
  rows_ = std::move(out);
  TrimEmpty();
}

void TCsvDb::TrimEmpty() {
  // True when the row has no cells left once its trailing blank cells are gone.
  auto trim = [](std::optional<TCsvCells>& row) {
    if (!row) return true;
    while (!row->empty() && IsBlankCell(row->back())) row->pop_back();
    return row->empty();
  };
  size_t first = 0;
  while (first < rows_.size() && trim(rows_[first])) ++first;
  rows_.erase(rows_.begin(), rows_.begin() + static_cast<std::ptrdiff_t>(first));
  while (!rows_.empty() && trim(rows_.back())) rows_.pop_back();
  Shrank();
}

// ---------------------------------------------------------------------------
// Sorting
//
// The rows from f on are ordered through an index array with each row's key
// computed once. A range [lo, hi] of at most 21 rows is put in order by
// selection (each position takes, by exchange, the first of the smallest keys
// after it); a longer one is split at lo/2 + hi/2, both halves sorted, and
// merged taking the left row unless the right one is strictly smaller.

template <class Key, class MakeKey>
void TCsvDb::SortBy(int col, MakeKey makeKey) {
  TrimEmpty();
  const int f = header_ ? 1 : 0;
  const int n = RowCount();
  if (n - f < 2) return;
  std::vector<Key> keys;
  keys.reserve(static_cast<size_t>(n - f));
  for (int r = f; r < n; ++r) keys.push_back(makeKey(GetCell(col, r)));
  // idx[p - f] is the row (relative to f) now standing at position p.
  std::vector<uint32_t> idx(static_cast<size_t>(n - f)), scratch(idx.size());
  std::iota(idx.begin(), idx.end(), 0u);
  auto at = [&](int p) -> uint32_t& { return idx[static_cast<size_t>(p - f)]; };
  auto less = [&](uint32_t a, uint32_t b) { return keys[a] < keys[b]; };

  auto sortRange = [&](auto& self, int lo, int hi) -> void {
    if (hi - lo < 20) {
      for (int i = lo; i < hi; ++i) {
        int m = i;
        for (int j = i + 1; j <= hi; ++j)
          if (less(at(j), at(m))) m = j;
        if (m != i) std::swap(at(i), at(m));
      }
      return;
    }
    const int mid = lo / 2 + hi / 2;
    self(self, lo, mid);
    self(self, mid + 1, hi);
    int a = lo, b = mid + 1;
    size_t k = 0;
    while (a <= mid && b <= hi) scratch[k++] = less(at(b), at(a)) ? at(b++) : at(a++);
    while (a <= mid) scratch[k++] = at(a++);
    while (b <= hi) scratch[k++] = at(b++);
    std::copy(scratch.begin(), scratch.begin() + static_cast<std::ptrdiff_t>(k), &at(lo));
  };
  sortRange(sortRange, f, n - 1);

  std::vector<std::optional<TCsvCells>> sorted;
  sorted.reserve(idx.size());
  for (uint32_t i : idx) sorted.push_back(std::move(rows_[f + i]));
  std::move(sorted.begin(), sorted.end(), rows_.begin() + f);
}

void TCsvDb::SortText(int col) {
  SortBy<std::string_view>(col, [](const std::string& s) { return std::string_view(s); });
}

void TCsvDb::SortNumber(int col) {
  SortBy<long double>(col, [](const std::string& s) { return CellNumber(s); });
}

void TCsvDb::SortDate(int col) {
  SortBy<double>(col, [](const std::string& s) { return ReadDateTime(s).value_or(0.0); });
}

// Row i goes when a later row has the same cell: of each group of equal cells
// the last row stays, where it stands.
void TCsvDb::RemoveDuplicates(int col) {
  if (col < 0) return;
  std::unordered_map<std::string_view, size_t> last;
  last.reserve(rows_.size());
  for (size_t r = 0; r < rows_.size(); ++r) last[GetCell(col, static_cast<int>(r))] = r;
  std::vector<char> keep(rows_.size());
  for (const auto& [key, r] : last) keep[r] = 1;
  last.clear();
  size_t w = 0;
  for (size_t r = 0; r < rows_.size(); ++r)
    if (keep[r]) {
      if (w != r) rows_[w] = std::move(rows_[r]);
      ++w;
    }
  rows_.resize(w);
  Shrank();
}

void TCsvDb::JoinByKey(int key, const TCsvDb& otherIn, int otherKey) {
  std::optional<TCsvDb> self;
  const TCsvDb& other = &otherIn == this ? self.emplace(*this) : otherIn;
  const int w = ColCount();
  auto append = [&](int row, const TCsvCells& from) {
    int c = w;
    for (size_t j = 0; j < from.size(); ++j)
      if (static_cast<int>(j) != otherKey) SetCell(c++, row, from[j]);
  };
  int start = 0;
  if (header_) {
    if (other.header_ && RowCount() > 0 && other.RowCount() > 0)
      if (const TCsvCells* names = other.Row(0)) append(0, *names);
    start = 1;
  }
  // The other table's data rows by key, first occurrence.
  std::unordered_map<std::string_view, int> index;
  index.reserve(other.rows_.size());
  for (int r = other.header_ ? 1 : 0; r < other.RowCount(); ++r)
    if (other.RowPresent(r)) index.emplace(other.GetCell(otherKey, r), r);
  for (int r = start; r < RowCount(); ++r) {
    if (!RowPresent(r)) continue;
    const auto it = index.find(GetCell(key, r));
    if (it != index.end()) append(r, *other.Row(it->second));
  }
}

// ---------------------------------------------------------------------------
// Searching

int TCsvDb::FindExact(std::string_view key, int col, int start) const {
  for (int r = std::max(start, 0); r < RowCount(); ++r) {
    const TCsvCells* cells = Row(r);
    if (!cells) continue;
    if (col == -1) {
      for (const auto& c : *cells)
        if (c == key) return r;
    } else if (GetCell(col, r) == key) {
      return r;
    }
  }
  return -1;
}

int TCsvDb::FindContains(std::string_view key, int col, int start) const {
  if (key.empty()) return -1;
  for (int r = std::max(start, 0); r < RowCount(); ++r) {
    if (!RowPresent(r)) continue;
    if (col == -1 ? FindAtBoundary(RowText(r), key) != std::string_view::npos
                  : FindAtBoundary(GetCell(col, r), key) != std::string_view::npos)
      return r;
  }
  return -1;
}

int TCsvDb::FindWildcard(std::string_view pattern, int col, int start) const {
  const TWildPattern pat(pattern);
  for (int r = std::max(start, 0); r < RowCount(); ++r) {
    if (!RowPresent(r)) continue;
    if (col == -1 ? pat.MatchWhole(RowText(r)) : pat.MatchWhole(GetCell(col, r))) return r;
  }
  return -1;
}

int TCsvDb::FieldIndex(std::string_view name) const {
  if (const TCsvCells* names = Row(0)) {
    for (size_t c = 0; c < names->size(); ++c)
      if ((*names)[c] == name) return static_cast<int>(c);
  }
  return -1;
}

TCsvDb TCsvDb::PickUp(int col, std::string_view key) const {
  TCsvDb out;
  int start = 0;
  if (header_) {
    if (!rows_.empty()) out.SetRowCells(0, rows_[0]);
    start = 1;
  }
  const bool wild = key.find_first_of("*?") != std::string_view::npos || HasCharAtBoundary(key, '[');
  std::optional<TWildPattern> pat;
  if (wild) pat.emplace(key);
  for (int r = start; r < RowCount(); ++r) {
    const std::string& cell = GetCell(col, r);
    if (wild ? pat->MatchWhole(cell) : FindAtBoundary(cell, key) != std::string_view::npos)
      out.SetRowCells(out.RowCount(), rows_[r]);
  }
  return out;
}

// ---------------------------------------------------------------------------
// The condition filter
//
// Terms are read from the left: "(...)" and comparisons are OR-ed into the
// selection; "AND " or "OR " joins the selection so far with the whole rest of
// the condition, so 「A AND B OR C」 is A AND (B OR C).

TCsvDb TCsvDb::Filter(std::string_view condition) const {
  TCsvDb out;
  condition = StripCtl(condition);
  if (condition.empty()) return out;
  const std::vector<char> sel = EvalCondition(condition);
  for (size_t r = 0; r < rows_.size(); ++r)
    if (sel[r] && rows_[r]) out.AppendRow(*rows_[r]);
  return out;
}

std::vector<char> TCsvDb::EvalCondition(std::string_view s) const {
  const size_t rows = rows_.size();
  // The selections of the stretches between connectives, and the connectives
  // (true for AND); folded from the right at the end.
  std::vector<std::vector<char>> parts(1, std::vector<char>(rows));
  std::vector<bool> ands;
  auto orInto = [](std::vector<char>& a, const std::vector<char>& b) {
    for (size_t i = 0; i < a.size(); ++i) a[i] |= b[i];
  };
  size_t i = 0;
  while (i < s.size()) {
    if (s[i] == ' ' || s[i] == '\t') {
      ++i;
      continue;
    }
    const std::string_view rest = s.substr(i);
    if (s[i] == '(') {
      const size_t close = MatchingParen(s, i);
      if (close == std::string_view::npos) throw ECsvDb("\")\"が対応していません。");
      orInto(parts.back(), EvalCondition(s.substr(i + 1, close - i - 1)));
      i = close + 1;
      continue;
    }
    if (rest.starts_with("AND ") || rest.starts_with("and ") || rest.starts_with("OR ") ||
        rest.starts_with("or ")) {
      const bool isAnd = rest[0] == 'A' || rest[0] == 'a';
      ands.push_back(isAnd);
      parts.emplace_back(rows);
      i += isAnd ? 4 : 3;
      continue;
    }
    // field, operator, value up to the next blank or line end (consumed)
    size_t j = i;
    while (j < s.size() && !IsOpChar(s[j])) j += sjis::CharLen(s, j);
    const std::string_view field = s.substr(i, j - i);
    size_t k = j;
    while (k < s.size() && IsOpChar(s[k])) ++k;
    const std::string_view op = s.substr(j, k - j);
    size_t e = k;
    while (e < s.size() && s[e] != ' ' && s[e] != '\t' && s[e] != '\r' && s[e] != '\n') e += sjis::CharLen(s, e);
    const std::string_view value = s.substr(k, e - k);
    i = e < s.size() ? e + 1 : e;
    orInto(parts.back(), EvalComparison(field, op, value));
  }
  for (size_t p = parts.size() - 1; p > 0; --p) {
    std::vector<char>& left = parts[p - 1];
    const std::vector<char>& right = parts[p];
    for (size_t r = 0; r < rows; ++r) left[r] = ands[p - 1] ? (left[r] && right[r]) : (left[r] || right[r]);
  }
  return std::move(parts[0]);
}

std::vector<char> TCsvDb::EvalComparison(std::string_view field, std::string_view opText,
                                          std::string_view value) const {
  const std::optional<Op> op = ParseOp(opText);
  if (!op) throw ECsvDb("演算子の指定エラー。");
  field = StripCtl(field);
  value = StripCtl(value);
  const int col = FieldIndex(field);
  if (col < 0) throw ECsvDb("フィールド名\"" + std::string(field) + "\"が見つかりません。");

  const size_t rows = rows_.size();
  std::vector<char> sel(rows);
  if (rows > 0) sel[0] = 1;
  auto each = [&](auto test) {
    for (size_t r = 1; r < rows; ++r)
      if (rows_[r]) sel[r] = test(GetCell(col, static_cast<int>(r)));
  };
  auto textTest = [&](std::string_view text) {
    if (*op == Op::kEq || *op == Op::kNe) {
      const TWildPattern pat(text);
      const bool want = *op == Op::kEq;
      each([&](const std::string& cell) { return pat.MatchWhole(cell) == want; });
    } else {
      each([&](const std::string& cell) { return Compare(*op, std::string_view(cell), text); });
    }
  };

  if (!value.empty() && (value[0] == '"' || value[0] == '`')) {
    std::string_view text = value.substr(1);
    // The closing quote, when the value has one.
    size_t lastChar = std::string_view::npos;
    for (size_t p = 0; p < text.size(); p += sjis::CharLen(text, p)) lastChar = p;
    if (lastChar != std::string_view::npos && lastChar == text.size() - 1 && (text.back() == '"' || text.back() == '`'))
      text.remove_suffix(1);
    textTest(text);
  } else if (!value.empty() && value[0] == '#') {
    const std::optional<double> when = ReadDateTime(value.substr(1));
    if (when) {
      each([&](const std::string& cell) {
        const std::optional<double> d = ReadDateTime(cell);
        return d && Compare(*op, *d, *when);
      });
    }
  } else if (HasNumberPrefix(value)) {
    const long double num = CellNumber(value);
    each([&](const std::string& cell) { return Compare(*op, CellNumber(cell), num); });
  } else {
    // A value that is no number is a text, as if it were quoted.
    textTest(value);
  }
  return sel;
}

// ---------------------------------------------------------------------------
// Grids

void TCsvDb::LoadFromGrid(const TCsvGrid& grid) {
  Clear();
  const int rows = grid.GridRowCount(), cols = grid.GridColCount();
  rows_.reserve(static_cast<size_t>(std::max(rows, 0)));
  for (int r = 0; r < rows; ++r) {
    TCsvCells cells;
    cells.reserve(static_cast<size_t>(std::max(cols, 0)));
    for (int c = 0; c < cols; ++c) cells.push_back(grid.GridCell(c, r));
    AppendRow(std::move(cells));
  }
}

void TCsvDb::ShowInGrid(TCsvGrid& grid, bool autoSize) const {
  const int rows = RowCount(), cols = ColCount();
  grid.SetGridShape(cols, rows + 1, 0, 1);
  for (int r = 0; r < rows; ++r)
    for (int c = 0; c < cols; ++c) grid.SetGridCell(c, r, GetCell(c, r));
  for (int c = 0; c < cols; ++c) grid.SetGridCell(c, rows, "");
  if (!autoSize) return;
  for (int c = 0; c < cols; ++c) {
    int widest = 0;
    for (int r = 0; r < rows; ++r) widest = std::max(widest, grid.TextWidth(GetCell(c, r)));
    grid.SetColWidth(c, widest > 0 ? widest + 5 : grid.DefaultColWidth());
  }
  grid.SetDefaultRowHeight(std::abs(grid.FontHeight()) + 4);
}

// ---------------------------------------------------------------------------
// Incremental search

int TFindCsv::Start(std::string_view csv, std::string_view searchKey, int col, bool exactMatch, bool headerRow) {
  table.LoadFromText(csv);
  table.SetHeader(false);
  key.assign(searchKey);
  column = col;
  exact = exactMatch;
  nextRow = headerRow ? 1 : 0;
  return FindNext();
}

int TFindCsv::FindNext() {
  if (table.RowCount() == 0) return -1;
  int r;
  if (exact) r = table.FindExact(key, column, nextRow);
  else if (key.find_first_of("*?") != std::string::npos) r = table.FindWildcard(key, column, nextRow);
  else r = table.FindContains(key, column, nextRow);
  nextRow = r >= 0 ? r + 1 : table.RowCount();
  return r;
}

void TFindCsv::Clear() {
  key.clear();
  column = -1;
  table.Clear();
  nextRow = 0;
}

}  // namespace tama
