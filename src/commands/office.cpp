// Registration table of the office automation and database commands.
#include "commands/office.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"エクセル起動", "", kCmdExcelKidou, nullptr},
    {"エクセル開く", "?を", kCmdExcelHiraku, nullptr},
    {"エクセル保存", "?へ", kCmdExcelHozon, nullptr},
    {"エクセル終了", "", kCmdExcelShuuryou, nullptr},
    {"エクセル設定", "?を,?に", kCmdExcelSettei, nullptr},
    {"エクセル得る", "?を,?に", kCmdExcelEru, nullptr},
    {"エクセルマクロ実行", "?を", kCmdExcelMacroJikkou, nullptr},
    {"ワード起動", "", kCmdWordKidou, nullptr},
    {"ワード開く", "?を", kCmdWordHiraku, nullptr},
    {"ワード保存", "?へ", kCmdWordHozon, nullptr},
    {"ワード終了", "", kCmdWordShuuryou, nullptr},
    {"ワードブックマーク設定", "?を,?に", kCmdWordBookmarkSettei, nullptr},
    {"ワード文字挿入", "?を", kCmdWordMojiSounyuu, nullptr},
    {"ワード本文を得る", "", kCmdWordHonbunWoEru, nullptr},
    {"ワードマクロ実行", "?を", kCmdWordMacroJikkou, nullptr},
    {"エクセル印刷", "", kCmdExcelInsatsu, nullptr},
    {"ワード印刷", "", kCmdWordInsatsu, nullptr},
    {"エクセルCSV形式保存", "?へ", kCmdExcelCsvKeishikiHozon, nullptr},
    {"DB詳細接続", "?で", kCmdDbShousaiSetsuzoku, nullptr},
    {"DB切断", "", kCmdDbSetsudan, nullptr},
    {"DBSQL", "?と", kCmdDbSql, nullptr},
    {"DB問い合わせ", "?と", kCmdDbSql, nullptr},
    {"DB全部取得", "", kCmdDbZenbuShutoku, nullptr},
    {"DB先頭", "", kCmdDbSentou, nullptr},
    {"DB最後", "", kCmdDbSaigo, nullptr},
    {"DB次", "", kCmdDbTsugi, nullptr},
    {"DB前", "", kCmdDbMae, nullptr},
    {"DB最後判定", "", kCmdDbSaigoHantei, nullptr},
    {"DB先頭判定", "", kCmdDbSentouHantei, nullptr},
    {"DBタブ区切りで全部取得", "", kCmdDbTabKugiriDeZenbuShutoku, nullptr},
    {"DBレコード取得", "", kCmdDbRecordShutoku, nullptr},
    {"DBタブ区切りでレコード取得", "", kCmdDbTabKugiriDeRecordShutoku, nullptr},
    {"DBフィールド取得", "?番目の", kCmdDbFieldShutoku, nullptr},
    {"DB接続", "", kCmdDbSetsuzoku, nullptr},
    {"DB検索", "?の,?から,?で", kCmdDbKensaku, nullptr},
    {"DBフィールド数取得", "", kCmdDbFieldsuuShutoku, nullptr},
};

static const TCommandFamily kFamily = {"office", kDefs, std::size(kDefs)};

const TCommandFamily& OfficeFamily() { return kFamily; }

}  // namespace tama
