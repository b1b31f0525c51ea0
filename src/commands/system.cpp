// Registration table of the system and desktop commands (processes, windows, keys, the registry,
// INI files).
#include "commands/system.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"起動", "?を", kCmdKidou, nullptr},
    {"アクティブ", "?を", kCmdActive, nullptr},
    {"キー送信", "?に,?を", kCmdKeySoushin, nullptr},
    {"フォルダか", "?が", kCmdFolderKa, nullptr},
    {"起動して終了まで待機", "?を", kCmdKidouShiteShuuryouMadeTaiki, nullptr},
    {"レジストリ読む", "?を", kCmdRegistryYomu, nullptr},
    {"レジストリ書く", "?に", kCmdRegistryKaku, nullptr},
    {"レジストリ開く", "?の,?を", kCmdRegistryHiraku, nullptr},
    {"レジストリ閉じる", "", kCmdRegistryTojiru, nullptr},
    {"レジストリ値削除", "?を", kCmdRegistryAtaiSakujo, nullptr},
    {"レジストリキー削除", "?を", kCmdRegistryKeySakujo, nullptr},
    {"ウインドウ列挙", "", kCmdWindowRekkyo, nullptr},
    {"ウィンドウ列挙", "", kCmdWindowRekkyo, nullptr},
    {"エクスプローラーで開く", "?を", kCmdExplorerDeHiraku, nullptr},
    {"INIファイル開く", "?の", kCmdIniFileHiraku, nullptr},
    {"INIファイル閉じる", "", kCmdIniFileTojiru, nullptr},
    {"INIファイル書く", "?を,?の,?へ", kCmdIniFileKaku, nullptr},
    {"INIファイル読む", "?に,?の,?を", kCmdIniFileYomu, nullptr},
    {"関連付ける", "?を,?に,?として", kCmdKanrenzukeru, nullptr},
    {"関連付けを削除", "?の", kCmdKanrenzukeWoSakujo, nullptr},
    {"メッセージ送信", "?に,?と", kCmdMessageSoushin, nullptr},
    {"ドライブ種類判定", "?の", kCmdDriveShuruiHantei, nullptr},
    {"レジストリのバイナリを読む", "?を,?つ", kCmdRegistryNoBinaryWoYomu, nullptr},
    {"レジストリにバイナリを書く", "?を,?に,?つ", kCmdRegistryNiBinaryWoKaku, nullptr},
    {"レジストリのDWORDを読む", "?を", kCmdRegistryNoDwordWoYomu, nullptr},
    {"レジストリにDWORDを書く", "?を,?に", kCmdRegistryNiDwordWoKaku, nullptr},
    {"クリップボード取得", "", kCmdClipboardShutoku, nullptr},
    {"レジストリサブキー取得", "", kCmdRegistrySubkeyShutoku, nullptr},
};

static const TCommandFamily kFamily = {"system", kDefs, std::size(kDefs)};

const TCommandFamily& SystemFamily() { return kFamily; }

}  // namespace tama
