// The two-dimensional table behind table values (CSV text), element access,
// the table commands and grids.
//
// A table is a list of row slots; a slot holds a row of cells or no row at all
// (an absent row, read as a row without cells and written as an empty line).
// Columns and rows are 0-based; reading outside the table gives the empty
// text, writing beyond it extends it. Cells cannot hold a zero byte: texts are
// cut at the first one.
#pragma once
#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace tama {

// A failure of the condition filter or of a column move; the message is the
// bare text for the user.
class ECsvDb : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One row: its cells in order.
using TCsvCells = std::vector<std::string>;

// What the table needs from a string-grid control.
class TCsvGrid {
 public:
  virtual ~TCsvGrid() = default;
  virtual int GridRowCount() const = 0;
  virtual int GridColCount() const = 0;
  virtual std::string GridCell(int col, int row) const = 0;
  // Size and fixed rows and columns.
  virtual void SetGridShape(int cols, int rows, int fixedCols, int fixedRows) = 0;
  virtual void SetGridCell(int col, int row, std::string_view text) = 0;
  // Measures in the grid's font.
  virtual int TextWidth(std::string_view text) const = 0;
  virtual int FontHeight() const = 0;  // may be negative (a character height)
  virtual int DefaultColWidth() const = 0;
  virtual void SetColWidth(int col, int width) = 0;
  virtual void SetDefaultRowHeight(int height) = 0;
};

class TCsvDb {
 public:
  TCsvDb() = default;
  explicit TCsvDb(std::string_view csv) { LoadFromText(csv); }

  // The header flag: row 0 holds the field names, stays first and is skipped
  // by sorts and searches.
  bool HasHeader() const { return header_; }
  void SetHeader(bool on) { header_ = on; }

  // ---- Text form
  void Clear();
  // Clears the table and reads every row of the CSV text.
  void LoadFromText(std::string_view text);
  // Every row slot in order, each followed by CR LF; present rows have exactly
  // ColCount cells.
  std::string SaveToText() const;
  // One row's own cells as one CSV line (no line end; "" for an absent row).
  std::string RowText(int row) const;
  // A cell as it is written in CSV text.
  static void AppendCsvCell(std::string& out, std::string_view cell);
  // The HTML table of the whole table; the attribute text goes into <TABLE ...>.
  std::string ToHtmlTable(std::string_view attributes) const;

  // ---- Size and access
  int RowCount() const { return static_cast<int>(rows_.size()); }
  // The largest cell count of any row (0 for an empty table).
  int ColCount() const;
  // The row in slot r; nullptr for an absent row or outside the table.
  const TCsvCells* Row(int row) const;
  bool RowPresent(int row) const { return Row(row) != nullptr; }
  // The text of cell (col, row); empty outside the table.
  const std::string& GetCell(int col, int row) const;

  // Sets cell (col, row), adding absent rows up to row and empty cells up to
  // col. Negative col or row: nothing happens.
  void SetCell(int col, int row, std::string_view text);
  // Puts the first row of the CSV text into slot row (absent rows added as
  // needed). A negative row: nothing happens.
  void SetRow(int row, std::string_view csvLine);
  // Puts the cells into slot row, or an absent row when cells is nullopt.
  void SetRowCells(int row, std::optional<TCsvCells> cells);
  void AppendRow(TCsvCells cells);

  // ---- Columns and rows
  // Inserts a cell at col in every present row (short rows are filled up to
  // col first); with a source, row i gets the source's text i (empty past its
  // end). A negative col: nothing happens.
  void InsertColumn(int col);
  void InsertColumn(int col, std::span<const std::string> source);
  void InsertColumn(int col, std::span<const std::string_view> source);
  // Removes cell col from every present row that has it.
  void DeleteColumn(int col);
  // Moves cell from to position to in every present row. Both positions must
  // exist in every present row, else ECsvDb with the list-index message.
  void MoveColumn(int from, int to);
  // Reverses the row slots (row 0 stays first with the header flag).
  void Reverse();
  // Exchanges rows and columns, then TrimEmpty.
  void Transpose();
  // Removes empty rows at the top and at the bottom; the first and the last
  // remaining row lose their trailing blank cells.
  void TrimEmpty();

  // ---- Sorting (TrimEmpty first; the header row stays first)
  void SortText(int col);    // byte order
  void SortNumber(int col);  // the number-reading rule; no number is 0
  void SortDate(int col);    // date-time texts; no date-time is 0

  // Removes each row whose cell in col is repeated in a later row.
  void RemoveDuplicates(int col);
  // Appends to every data row the cells (but the key cell) of the first data
  // row of other whose cell in otherKey equals this row's cell in key; with
  // the header flag on both, the header row gets other's field names.
  void JoinByKey(int key, const TCsvDb& other, int otherKey);

  // ---- Searching: the first present row at or after start that matches, or
  // -1. Column -1 means every cell (FindExact) or the row's CSV line.
  int FindExact(std::string_view key, int col, int start) const;
  // The key occurs at a character boundary (an empty key never occurs).
  int FindContains(std::string_view key, int col, int start) const;
  // The cell (or line) matches the wildcard pattern as a whole.
  int FindWildcard(std::string_view pattern, int col, int start) const;
  // The first cell of row 0 equal to the name, or -1.
  int FieldIndex(std::string_view name) const;

  // A new table (no header flag) of the rows whose cell in col matches the key:
  // as a wildcard pattern when it has "*", "?" or "[", else as a text that
  // occurs in the cell. With the header flag the header row comes first.
  TCsvDb PickUp(int col, std::string_view key) const;
  // A new table of the rows that satisfy the condition, header row first
  // (row 0 must hold the field names). Raises ECsvDb (or EWildcard for a bad
  // pattern) with the message for the user.
  TCsvDb Filter(std::string_view condition) const;

  // ---- Grids
  // Clears the table and copies every cell of the grid into it.
  void LoadFromGrid(const TCsvGrid& grid);
  // Fills the grid: RowCount + 1 rows (one fixed), ColCount columns, the extra
  // last row cleared; with autoSize the columns fit their widest cell.
  void ShowInGrid(TCsvGrid& grid, bool autoSize) const;

 private:
  TCsvCells& PresentRow(int row);
  template <class Text>
  void InsertColumnFrom(int col, std::span<const Text> source, bool withSource);
  template <class Key, class MakeKey>
  void SortBy(int col, MakeKey makeKey);
  std::vector<char> EvalCondition(std::string_view cond) const;
  std::vector<char> EvalComparison(std::string_view field, std::string_view op, std::string_view value) const;
  void Grew(size_t cells) const {
    if (widthValid_ && static_cast<int>(cells) > width_) width_ = static_cast<int>(cells);
  }
  void Shrank() const { widthValid_ = false; }

  std::vector<std::optional<TCsvCells>> rows_;
  bool header_ = false;
  mutable int width_ = 0;
  mutable bool widthValid_ = true;
};

// The state of the incremental table search: the table (never with a header
// flag), the key, the column (-1 every column), the next row to examine and
// whether cells must equal the key (else substring or wildcard matching).
struct TFindCsv {
  TCsvDb table;
  std::string key;
  int column = -1;
  int nextRow = 0;
  bool exact = true;

  // Loads the table text and the search, then finds the first match.
  int Start(std::string_view csv, std::string_view searchKey, int col, bool exactMatch, bool headerRow);
  // The next matching row, or -1 (then every later call answers -1 too).
  int FindNext();
  void Clear();
};

}  // namespace tama
