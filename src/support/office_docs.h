// The office documents held by the run-time: workbooks (sheets of cells) and
// word-processor documents (paragraphs and bookmarks), the reading of their
// package parts, the writing of a document package, and the connection
// strings of the database commands. Texts are Shift-JIS; package parts are
// UTF-8 XML.
#pragma once
#include <cstddef>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tama::support {

// A broken package part; the message names what is wrong.
class EOfficeFile : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// ---- a streaming reader of UTF-8 XML ----
// Start tags, end tags and texts in document order; names lose their
// namespace prefix; texts and attribute values have their entities decoded.
// An empty element gives its start and its end. Declarations, comments and
// processing instructions are skipped; CDATA is text.
class TXmlReader {
 public:
  enum TKind { kDone, kStart, kEnd, kText };
  explicit TXmlReader(std::string_view xml) : s_(xml) {}
  TKind Next();  // throws EOfficeFile
  const std::string& Name() const { return name_; }
  const std::string& Text() const { return text_; }
  // The value of an attribute by its local name; `found` tells it was there.
  std::string Attr(std::string_view localName, bool* found = nullptr) const;

 private:
  void ReadTag();
  std::string_view s_;
  size_t pos_ = 0;
  bool pendingEnd_ = false;
  std::string name_, text_;
  std::vector<std::pair<std::string, std::string>> attrs_;
};

// Decodes the five named entities and numeric references.
std::string XmlDecode(std::string_view raw);

// ---- workbooks ----
struct TSheet {
  std::string name;
  std::map<std::pair<int, int>, std::string> cells;  // (row, column) from 0
};

// The cell "A1" -> (row 0, column 0); false for another text.
bool ReadCellName(std::string_view ref, int& row, int& col);

// The sheets of a workbook package from its parts (by name), and the sheet
// shown first. Shared strings, inline strings, numbers, booleans and the
// values last computed for formulas are read; formulas and formatting are not.
void ReadWorkbookParts(const std::map<std::string, std::string>& parts, std::vector<TSheet>& sheets, int& active);

// ---- documents ----
// The text of a document: every paragraph ends with CR (so an empty document
// is one CR); a tab is TAB, a line break inside a paragraph is VT. Bookmarks
// are byte ranges of the text.
struct TDocument {
  struct TMark {
    std::string name;
    size_t start = 0, end = 0;
  };
  std::string text = "\r";
  std::vector<TMark> marks;

  // Appends at the end of the document, before its last paragraph mark.
  void InsertAfter(std::string_view sjis);
  // Replaces the text of the bookmark (names compare without regard to
  // ASCII case); false when there is none.
  bool SetBookmark(std::string_view name, std::string_view sjis);
};

// Line ends of inserted text become paragraph marks: CR LF, CR and LF.
std::string ParagraphText(std::string_view sjis);
// A text file's content as a document, and a document as text: each
// paragraph followed by CR LF.
TDocument DocumentFromText(std::string_view sjis);
std::string DocumentToText(const TDocument& doc);
// The document part (word/document.xml) of a package.
TDocument ReadDocumentPart(std::string_view xml);
// The parts of a minimal package holding the document.
std::vector<std::pair<std::string, std::string>> DocumentPackage(const TDocument& doc);

// ---- connection strings ----
// "key=value;" pieces in order: blanks around keys and values dropped, a
// value in double or single quotes or braces may hold ";"; pieces without
// "=" are dropped.
struct TConnItem {
  std::string key, value;
};
std::vector<TConnItem> ParseConnectionString(std::string_view text);
// The value of a key (ASCII case ignored); "" when absent.
std::string ConnValue(const std::vector<TConnItem>& items, std::string_view key);
bool HasConnKey(const std::vector<TConnItem>& items, std::string_view key);
// The items written out again as "key=value;" pieces.
std::string JoinConnectionString(const std::vector<TConnItem>& items);
// A message with every password replaced by "****": the values of
// "Password=" and "PWD=" (any case, up to ";"), the user information of URLs
// and each of the given secrets wherever it appears.
std::string ScrubPasswords(std::string_view message, const std::vector<std::string>& secrets);

}  // namespace tama::support
