// Command ids of the system and desktop commands (processes, windows, keys, the registry,
// INI files).
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum SystemId : int {
  kCmdKidou = 1100,                       // 起動
  kCmdActive = 1101,                      // アクティブ
  kCmdKeySoushin = 1102,                  // キー送信
  kCmdFolderKa = 1103,                    // フォルダか
  kCmdKidouShiteShuuryouMadeTaiki = 1104, // 起動して終了まで待機
  kCmdRegistryYomu = 1105,                // レジストリ読む
  kCmdRegistryKaku = 1106,                // レジストリ書く
  kCmdRegistryHiraku = 1107,              // レジストリ開く
  kCmdRegistryTojiru = 1108,              // レジストリ閉じる
  kCmdRegistryAtaiSakujo = 1109,          // レジストリ値削除
  kCmdRegistryKeySakujo = 1110,           // レジストリキー削除
  kCmdWindowRekkyo = 1111,                // ウインドウ列挙／ウィンドウ列挙
  kCmdExplorerDeHiraku = 1112,            // エクスプローラーで開く
  kCmdIniFileHiraku = 1113,               // INIファイル開く
  kCmdIniFileTojiru = 1114,               // INIファイル閉じる
  kCmdIniFileKaku = 1115,                 // INIファイル書く
  kCmdIniFileYomu = 1116,                 // INIファイル読む
  kCmdKanrenzukeru = 1117,                // 関連付ける
  kCmdKanrenzukeWoSakujo = 1118,          // 関連付けを削除
  kCmdMessageSoushin = 1119,              // メッセージ送信
  kCmdDriveShuruiHantei = 1120,           // ドライブ種類判定
  kCmdRegistryNoBinaryWoYomu = 1121,      // レジストリのバイナリを読む
  kCmdRegistryNiBinaryWoKaku = 1122,      // レジストリにバイナリを書く
  kCmdRegistryNoDwordWoYomu = 1123,       // レジストリのDWORDを読む
  kCmdRegistryNiDwordWoKaku = 1124,       // レジストリにDWORDを書く
  kCmdClipboardShutoku = 1125,            // クリップボード取得
  kCmdRegistrySubkeyShutoku = 1126,       // レジストリサブキー取得
};

// The registration table of this family.
const TCommandFamily& SystemFamily();

}  // namespace tama
