// Command ids of the commands on files, folders and file handles.
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum FilesId : int {
  kCmdYomu = 800,                     // 読む／開く
  kCmdKaku = 801,                     // 書く／保存
  kCmdFileCopy = 802,                 // ファイルコピー
  kCmdFileSakujo = 803,               // ファイル削除
  kCmdFilemeiHenkou = 804,            // ファイル名変更
  kCmdFileIdou = 805,                 // ファイル移動
  kCmdSagyouFolderHenkou = 806,       // 作業フォルダ変更／作業ディレクトリ変更
  kCmdFolderSakusei = 807,            // フォルダ作成
  kCmdFolderSakujo = 808,             // フォルダ削除
  kCmdFileZokuseiHenkou = 809,        // ファイル属性変更
  kCmdShortcutSakusei = 810,          // ショートカット作成
  kCmdFileRekkyo = 811,               // ファイル列挙
  kCmdFileKa = 812,                   // ファイルか
  kCmdSonzaiSuruKa = 813,             // 存在するか
  kCmdKyouyuuHozon = 814,             // 共有保存
  kCmdKyouyuuYomikomi = 815,          // 共有読込
  kCmdSagyouFolder = 816,             // 作業フォルダ／作業ディレクトリ
  kCmdAngoukaShiteHozon = 817,        // 暗号化して保存
  kCmdAngouKaijoShiteYomikomi = 818,  // 暗号解除して読込
  kCmdFolderRekkyo = 819,             // フォルダ列挙
  kCmdPathWoKiridasu = 820,           // パスを切り出す
  kCmdKakuchoushiWoKiridasu = 821,    // 拡張子を切り出す
  kCmdFileNichiji = 822,              // ファイル日時
  kCmdFileSize = 823,                 // ファイルサイズ
  kCmdFileGousei = 824,               // ファイル合成
  kCmdGouseiFileToridasu = 825,       // 合成ファイル取り出す
  kCmdZenFileRekkyo = 826,            // 全ファイル列挙
  kCmdFilemeiWoKiridasu = 827,        // ファイル名を切り出す
  kCmdTsuikaHozon = 828,              // 追加保存
  kCmdKakuchoushiHenkou = 829,        // 拡張子変更
  kCmdHandleWoHiraku = 830,           // ハンドルを開く
  kCmdHandleWoIchigyouYomu = 831,     // ハンドルを一行読む
  kCmdHandleHeIchigyouKaku = 832,     // ハンドルへ一行書く
  kCmdHandleWoTojiru = 833,           // ハンドルを閉じる
  kCmdHandleSaigoKa = 834,            // ハンドル最後か
  kCmdHandleWoSentouNiIdou = 835,     // ハンドルを先頭に移動
  kCmdHandleWoSaigoNiIdou = 836,      // ハンドルを最後に移動
  kCmdFileZokuseiShutoku = 837,       // ファイル属性取得
  kCmdMijikaiFilemeiShutoku = 838,    // 短いファイル名取得
  kCmdNagaiFilemeiShutoku = 839,      // 長いファイル名取得
  kCmdFileKanzenSakujo = 840,         // ファイル完全削除
  kCmdHandleWoIdou = 841,             // ハンドルを移動
  kCmdHandleNiBinaryWoKaku = 842,     // ハンドルにバイナリを書く
  kCmdHandleNiBinaryWoYomu = 843,     // ハンドルにバイナリを読む
  kCmdHandleWoKuwashikuHiraku = 844,  // ハンドルを詳しく開く
  kCmdZenFolderRekkyo = 845,          // 全フォルダ列挙
};

// The registration table of this family.
const TCommandFamily& FilesFamily();

}  // namespace tama
