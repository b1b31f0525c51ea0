// Command ids of the office automation and database commands.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum OfficeId : int {
  kCmdExcelKidou = 1500,                 // エクセル起動
  kCmdExcelHiraku = 1501,                // エクセル開く
  kCmdExcelHozon = 1502,                 // エクセル保存
  kCmdExcelShuuryou = 1503,              // エクセル終了
  kCmdExcelSettei = 1504,                // エクセル設定
  kCmdExcelEru = 1505,                   // エクセル得る
  kCmdExcelMacroJikkou = 1506,           // エクセルマクロ実行
  kCmdWordKidou = 1507,                  // ワード起動
  kCmdWordHiraku = 1508,                 // ワード開く
  kCmdWordHozon = 1509,                  // ワード保存
  kCmdWordShuuryou = 1510,               // ワード終了
  kCmdWordBookmarkSettei = 1511,         // ワードブックマーク設定
  kCmdWordMojiSounyuu = 1512,            // ワード文字挿入
  kCmdWordHonbunWoEru = 1513,            // ワード本文を得る
  kCmdWordMacroJikkou = 1514,            // ワードマクロ実行
  kCmdExcelInsatsu = 1515,               // エクセル印刷
  kCmdWordInsatsu = 1516,                // ワード印刷
  kCmdExcelCsvKeishikiHozon = 1517,      // エクセルCSV形式保存
  kCmdDbShousaiSetsuzoku = 1518,         // DB詳細接続
  kCmdDbSetsudan = 1519,                 // DB切断
  kCmdDbSql = 1520,                      // DBSQL／DB問い合わせ
  kCmdDbZenbuShutoku = 1521,             // DB全部取得
  kCmdDbSentou = 1522,                   // DB先頭
  kCmdDbSaigo = 1523,                    // DB最後
  kCmdDbTsugi = 1524,                    // DB次
  kCmdDbMae = 1525,                      // DB前
  kCmdDbSaigoHantei = 1526,              // DB最後判定
  kCmdDbSentouHantei = 1527,             // DB先頭判定
  kCmdDbTabKugiriDeZenbuShutoku = 1528,  // DBタブ区切りで全部取得
  kCmdDbRecordShutoku = 1529,            // DBレコード取得
  kCmdDbTabKugiriDeRecordShutoku = 1530, // DBタブ区切りでレコード取得
  kCmdDbFieldShutoku = 1531,             // DBフィールド取得
  kCmdDbSetsuzoku = 1532,                // DB接続
  kCmdDbKensaku = 1533,                  // DB検索
  kCmdDbFieldsuuShutoku = 1534,          // DBフィールド数取得
};

// The registration table of this family.
const TCommandFamily& OfficeFamily();

}  // namespace tama
