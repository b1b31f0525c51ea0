// The office commands: a spreadsheet workbook and a word-processor document
// held in the run-time and read from and written to their files, and the
// registration table of the family (the database commands are in
// office_db.cpp). Nothing is shown and no office program runs: printing
// and macros are refused with the family's error.
#include "commands/office.h"

#include <sys/stat.h>

#include <iterator>

#include "commands/files_internal.h"
#include "commands/office_internal.h"
#include "engine/files_state.h"
#include "engine/modules.h"
#include "engine/security.h"
#include "gui/readers.h"
#include "support/csvdb.h"
#include "support/path.h"
#include "support/textops.h"

namespace tama {

namespace {

constexpr std::string_view kExcelError = "Excelのエラー。";
constexpr std::string_view kWordError = "Wordのエラー。";
constexpr std::string_view kNotHere = "この環境では使えません。";
constexpr std::string_view kNoFormat = "この形式は読み書きできません。";
// The largest sheet the workbook files hold.
constexpr int kMaxRows = 1048576, kMaxCols = 16384;

[[noreturn]] void ExcelError(TTamaBase& t, std::string_view why) { t.Raise(std::string(kExcelError) + std::string(why)); }
[[noreturn]] void WordError(TTamaBase& t, std::string_view why) { t.Raise(std::string(kWordError) + std::string(why)); }

TOfficeState& Excel(TTamaBase& t) {
  TOfficeState& o = Office(t);
  if (!o.excel) ExcelError(t, "エクセルが起動していません。");
  return o;
}
TOfficeState& Workbook(TTamaBase& t) {
  TOfficeState& o = Excel(t);
  if (!o.workbook) ExcelError(t, "ブックが開かれていません。");
  return o;
}
TOfficeState& Word(TTamaBase& t) {
  TOfficeState& o = Office(t);
  if (!o.word) WordError(t, "ワードが起動していません。");
  return o;
}
TOfficeState& Document(TTamaBase& t) {
  TOfficeState& o = Word(t);
  if (!o.document) WordError(t, "文書が開かれていません。");
  return o;
}

bool IsRegularFile(const std::string& native) {
  struct stat st;
  return stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// ---- spreadsheet ----

// The cell of a "(x,y)" text: row y, column x (both from 0).
std::pair<int, int> CellAt(TTamaBase& t, const std::string& raw) {
  gui::TPoint p;
  if (!gui::ReadPoint(t, raw, p)) t.Raise("座標の指定エラー");
  if (p.x < 0 || p.y < 0 || p.x >= kMaxCols || p.y >= kMaxRows) ExcelError(t, "セルの位置が正しくありません。");
  return {p.y, p.x};
}

std::string SheetToCsv(const support::TSheet& sheet) {
  TCsvDb table;
  for (const auto& [at, text] : sheet.cells) table.SetCell(at.second, at.first, text);
  return table.SaveToText();
}

support::TSheet SheetFromCsv(std::string_view text, std::string name) {
  support::TSheet sheet;
  sheet.name = std::move(name);
  TCsvDb table(text);
  for (int r = 0; r < table.RowCount(); ++r) {
    const TCsvCells* row = table.Row(r);
    if (!row) continue;
    for (size_t c = 0; c < row->size(); ++c)
      if (!(*row)[c].empty()) sheet.cells[{r, static_cast<int>(c)}] = (*row)[c];
  }
  return sheet;
}

// The sheet name a CSV file gives: its file name without the extension.
std::string SheetNameOf(std::string_view file) {
  std::string_view name = support::FileNamePart(file);
  const std::string_view ext = support::ExtensionPart(name);
  name.remove_suffix(ext.size());
  return std::string(name.empty() ? std::string_view("Sheet1") : name);
}

void ExcelKidou(TTamaBase& t, int) {
  TOfficeState& o = Office(t);
  o.excel = true;
  o.workbook = true;
  o.sheets.assign(1, support::TSheet{"Sheet1", {}});
  o.active = 0;
}

void ExcelHiraku(TTamaBase& t, int id) {
  const std::string name = t.PopArgValue();
  TOfficeState& o = Excel(t);
  const std::string file = ReadableFileName(t, name);
  const std::string native = support::NativePath(file);
  const std::string ext = LowerExtension(file);
  std::vector<support::TSheet> sheets;
  int active = 0;
  if (ext == ".xlsx" || ext == ".xlsm") {
    if (!IsRegularFile(native)) ExcelError(t, "ファイル\"" + name + "\"を開けません。");
    std::map<std::string, std::string> parts;
    std::string error;
    if (!DbModule(t, id).ReadZip(native, parts, error))
      ExcelError(t, "ファイル\"" + name + "\"を開けません。" + error);
    try {
      support::ReadWorkbookParts(parts, sheets, active);
    } catch (const support::EOfficeFile& e) {
      ExcelError(t, "ファイル\"" + name + "\"を開けません。" + e.what());
    }
  } else if (ext == ".csv") {
    std::string text;
    if (!files::ReadWholeFile(native, text)) ExcelError(t, "ファイル\"" + name + "\"を開けません。");
    sheets.push_back(SheetFromCsv(text, SheetNameOf(file)));
  } else {
    ExcelError(t, kNoFormat);
  }
  o.sheets = std::move(sheets);
  o.active = active;
  o.workbook = true;
}

void SaveCsv(TTamaBase& t, TOfficeState& o, const std::string& file) {
  if (!files::WriteWholeFile(support::NativePath(file), SheetToCsv(o.sheets[static_cast<size_t>(o.active)]), false))
    ExcelError(t, "ファイル\"" + file + "\"へ保存できません。");
}

void ExcelHozon(TTamaBase& t, int id) {
  const std::string file = t.PopArgValue();
  TOfficeState& o = Workbook(t);
  const std::string ext = LowerExtension(file);
  if (ext != ".xlsx" && ext != ".csv") ExcelError(t, kNoFormat);
  if (AskSecurity(t, file, "\"" + file + "\"へ保存します。")) return;
  if (ext == ".csv") return SaveCsv(t, o, file);
  std::string error;
  if (!DbModule(t, id).WriteWorkbook(support::NativePath(file), o.sheets, error))
    ExcelError(t, "ファイル\"" + file + "\"へ保存できません。" + error);
}

void ExcelCsvHozon(TTamaBase& t, int) {
  const std::string file = t.PopArgValue();
  TOfficeState& o = Workbook(t);
  if (AskSecurity(t, file, "\"" + file + "\"へ保存します。")) return;
  SaveCsv(t, o, file);
}

void ExcelShuuryou(TTamaBase& t, int) {
  TOfficeState& o = Excel(t);
  o.excel = o.workbook = false;
  o.sheets.clear();
  o.active = 0;
}

void ExcelSettei(TTamaBase& t, int) {
  std::string value = t.PopArgValue();
  const std::string raw = t.PopArgText();
  TOfficeState& o = Workbook(t);
  const auto at = CellAt(t, raw);
  auto& cells = o.sheets[static_cast<size_t>(o.active)].cells;
  if (value.empty()) cells.erase(at);
  else cells[at] = std::move(value);
}

void ExcelEru(TTamaBase& t, int) {
  THashNodeRef var = t.PopWordArgRef(true);
  const std::string raw = t.PopArgText();
  TOfficeState& o = Workbook(t);
  const auto at = CellAt(t, raw);
  const auto& cells = o.sheets[static_cast<size_t>(o.active)].cells;
  auto it = cells.find(at);
  std::string text = it == cells.end() ? std::string() : it->second;
  var->SetValue(text);
  if (var->Kind == wkObject && t.setObjectValue) t.setObjectValue(t, *var, text);
}

void ExcelNotHere(TTamaBase& t, int id) {
  if (id == kCmdExcelMacroJikkou) t.PopArgValue();
  Excel(t);
  ExcelError(t, kNotHere);
}

// ---- word processor ----

void WordKidou(TTamaBase& t, int) {
  TOfficeState& o = Office(t);
  o.word = true;
  o.document = true;
  o.doc = support::TDocument();
}

void WordHiraku(TTamaBase& t, int id) {
  const std::string name = t.PopArgValue();
  TOfficeState& o = Word(t);
  const std::string file = ReadableFileName(t, name);
  const std::string native = support::NativePath(file);
  const std::string ext = LowerExtension(file);
  support::TDocument doc;
  if (ext == ".docx" || ext == ".docm") {
    if (!IsRegularFile(native)) WordError(t, "ファイル\"" + name + "\"を開けません。");
    std::map<std::string, std::string> parts;
    std::string error;
    if (!DbModule(t, id).ReadZip(native, parts, error)) WordError(t, "ファイル\"" + name + "\"を開けません。" + error);
    auto it = parts.find("word/document.xml");
    if (it == parts.end()) WordError(t, "ファイル\"" + name + "\"を開けません。");
    try {
      doc = support::ReadDocumentPart(it->second);
    } catch (const support::EOfficeFile& e) {
      WordError(t, "ファイル\"" + name + "\"を開けません。" + e.what());
    }
  } else if (ext == ".txt") {
    std::string text;
    if (!files::ReadWholeFile(native, text)) WordError(t, "ファイル\"" + name + "\"を開けません。");
    doc = support::DocumentFromText(text);
  } else {
    WordError(t, kNoFormat);
  }
  o.doc = std::move(doc);
  o.document = true;
}

void WordHozon(TTamaBase& t, int id) {
  const std::string file = t.PopArgValue();
  TOfficeState& o = Document(t);
  const std::string ext = LowerExtension(file);
  if (ext != ".docx" && ext != ".txt") WordError(t, kNoFormat);
  if (AskSecurity(t, file, "\"" + file + "\"へ保存します。")) return;
  const std::string native = support::NativePath(file);
  if (ext == ".txt") {
    if (!files::WriteWholeFile(native, support::DocumentToText(o.doc), false))
      WordError(t, "ファイル\"" + file + "\"へ保存できません。");
    return;
  }
  std::string error;
  if (!DbModule(t, id).WriteZip(native, support::DocumentPackage(o.doc), error))
    WordError(t, "ファイル\"" + file + "\"へ保存できません。" + error);
}

void WordShuuryou(TTamaBase& t, int) {
  TOfficeState& o = Word(t);
  o.word = o.document = false;
  o.doc = support::TDocument();
}

void WordBookmarkSettei(TTamaBase& t, int) {
  const std::string text = t.PopArgValue();
  const std::string name = t.PopArgValue();
  TOfficeState& o = Document(t);
  if (!o.doc.SetBookmark(name, text)) WordError(t, "ブックマーク\"" + name + "\"がありません。");
}

void WordMojiSounyuu(TTamaBase& t, int) {
  const std::string text = t.PopArgValue();
  Document(t).doc.InsertAfter(text);
}

void WordHonbun(TTamaBase& t, int) { t.SetResult(Document(t).doc.text, kTagString); }

void WordNotHere(TTamaBase& t, int id) {
  if (id == kCmdWordMacroJikkou) t.PopArgValue();
  if (id == kCmdWordInsatsu) Document(t);
  else Word(t);
  WordError(t, kNotHere);
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"エクセル起動", "", kCmdExcelKidou, ExcelKidou},
    {"エクセル開く", "?を", kCmdExcelHiraku, ExcelHiraku},
    {"エクセル保存", "?へ", kCmdExcelHozon, ExcelHozon},
    {"エクセル終了", "", kCmdExcelShuuryou, ExcelShuuryou},
    {"エクセル設定", "?を,?に", kCmdExcelSettei, ExcelSettei},
    {"エクセル得る", "?を,?に", kCmdExcelEru, ExcelEru},
    {"エクセルマクロ実行", "?を", kCmdExcelMacroJikkou, ExcelNotHere},
    {"ワード起動", "", kCmdWordKidou, WordKidou},
    {"ワード開く", "?を", kCmdWordHiraku, WordHiraku},
    {"ワード保存", "?へ", kCmdWordHozon, WordHozon},
    {"ワード終了", "", kCmdWordShuuryou, WordShuuryou},
    {"ワードブックマーク設定", "?を,?に", kCmdWordBookmarkSettei, WordBookmarkSettei},
    {"ワード文字挿入", "?を", kCmdWordMojiSounyuu, WordMojiSounyuu},
    {"ワード本文を得る", "", kCmdWordHonbunWoEru, WordHonbun},
    {"ワードマクロ実行", "?を", kCmdWordMacroJikkou, WordNotHere},
    {"エクセル印刷", "", kCmdExcelInsatsu, ExcelNotHere},
    {"ワード印刷", "", kCmdWordInsatsu, WordNotHere},
    {"エクセルCSV形式保存", "?へ", kCmdExcelCsvKeishikiHozon, ExcelCsvHozon},
    {"DB詳細接続", "?で", kCmdDbShousaiSetsuzoku, DbSetsuzoku},
    {"DB切断", "", kCmdDbSetsudan, DbSetsudan},
    {"DBSQL", "?と", kCmdDbSql, DbSql},
    {"DB問い合わせ", "?と", kCmdDbSql, DbSql},
    {"DB全部取得", "", kCmdDbZenbuShutoku, DbShutoku},
    {"DB先頭", "", kCmdDbSentou, DbIdou},
    {"DB最後", "", kCmdDbSaigo, DbIdou},
    {"DB次", "", kCmdDbTsugi, DbIdou},
    {"DB前", "", kCmdDbMae, DbIdou},
    {"DB最後判定", "", kCmdDbSaigoHantei, DbHantei},
    {"DB先頭判定", "", kCmdDbSentouHantei, DbHantei},
    {"DBタブ区切りで全部取得", "", kCmdDbTabKugiriDeZenbuShutoku, DbShutoku},
    {"DBレコード取得", "", kCmdDbRecordShutoku, DbShutoku},
    {"DBタブ区切りでレコード取得", "", kCmdDbTabKugiriDeRecordShutoku, DbShutoku},
    {"DBフィールド取得", "?番目の", kCmdDbFieldShutoku, DbFieldShutoku},
    {"DB接続", "", kCmdDbSetsuzoku, DbSetsuzoku},
    {"DB検索", "?の,?から,?で", kCmdDbKensaku, DbSql},
    {"DBフィールド数取得", "", kCmdDbFieldsuuShutoku, DbFieldsuuShutoku},
};

static const TCommandFamily kFamily = {"office", kDefs, std::size(kDefs)};

const TCommandFamily& OfficeFamily() { return kFamily; }

TOfficeState& Office(TTamaBase& t) {
  if (!t.officeState) t.officeState = std::make_shared<TOfficeState>();
  return *t.officeState;
}

std::string_view OfficeCommandName(int id) {
  for (const TCommandDef& d : kDefs)
    if (d.id == id) return d.name;
  return {};
}

office::IDbModule& DbModule(TTamaBase& t, int id) {
  std::string error;
  office::IDbModule* m = LoadModule<office::IDbModule>("db", error);
  if (!m) RaiseModuleMissing(t, OfficeCommandName(id), "db");
  return *m;
}

std::string LowerExtension(std::string_view name) {
  return textops::AsciiLower(support::ExtensionPart(support::FileNamePart(name)));
}

}  // namespace tama
