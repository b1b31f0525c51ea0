// Registration table of the commands on files, folders and file handles.
#include "commands/files.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"読む", "?に,?を", kCmdYomu, nullptr},
    {"開く", "?に,?を", kCmdYomu, nullptr},
    {"書く", "?を,?へ", kCmdKaku, nullptr},
    {"保存", "?を,?へ", kCmdKaku, nullptr},
    {"ファイルコピー", "?から,?へ", kCmdFileCopy, nullptr},
    {"ファイル削除", "?を", kCmdFileSakujo, nullptr},
    {"ファイル名変更", "?から,?へ", kCmdFilemeiHenkou, nullptr},
    {"ファイル移動", "?から,?へ", kCmdFileIdou, nullptr},
    {"作業フォルダ変更", "?へ", kCmdSagyouFolderHenkou, nullptr},
    {"作業ディレクトリ変更", "?へ", kCmdSagyouFolderHenkou, nullptr},
    {"フォルダ作成", "?へ", kCmdFolderSakusei, nullptr},
    {"フォルダ削除", "?の", kCmdFolderSakujo, nullptr},
    {"ファイル属性変更", "?を,?に", kCmdFileZokuseiHenkou, nullptr},
    {"ショートカット作成", "?を,?へ", kCmdShortcutSakusei, nullptr},
    {"ファイル列挙", "?の", kCmdFileRekkyo, nullptr},
    {"ファイルか", "?が", kCmdFileKa, nullptr},
    {"存在するか", "?が", kCmdSonzaiSuruKa, nullptr},
    {"共有保存", "?へ", kCmdKyouyuuHozon, nullptr},
    {"共有読込", "?を", kCmdKyouyuuYomikomi, nullptr},
    {"作業フォルダ", "?へ", kCmdSagyouFolder, nullptr},
    {"作業ディレクトリ", "", kCmdSagyouFolder, nullptr},
    {"暗号化して保存", "?を,?へ", kCmdAngoukaShiteHozon, nullptr},
    {"暗号解除して読込", "?に,?を", kCmdAngouKaijoShiteYomikomi, nullptr},
    {"フォルダ列挙", "?の", kCmdFolderRekkyo, nullptr},
    {"パスを切り出す", "?から", kCmdPathWoKiridasu, nullptr},
    {"拡張子を切り出す", "?から", kCmdKakuchoushiWoKiridasu, nullptr},
    {"ファイル日時", "?の", kCmdFileNichiji, nullptr},
    {"ファイルサイズ", "?の", kCmdFileSize, nullptr},
    {"ファイル合成", "?を, ?へ", kCmdFileGousei, nullptr},
    {"合成ファイル取り出す", "?から,?を", kCmdGouseiFileToridasu, nullptr},
    {"全ファイル列挙", "?の", kCmdZenFileRekkyo, nullptr},
    {"ファイル名を切り出す", "?から", kCmdFilemeiWoKiridasu, nullptr},
    {"追加保存", "?を,?へ", kCmdTsuikaHozon, nullptr},
    {"拡張子変更", "?を,?に", kCmdKakuchoushiHenkou, nullptr},
    {"ハンドルを開く", "?で,?の", kCmdHandleWoHiraku, nullptr},
    {"ハンドルを一行読む", "?に,?の", kCmdHandleWoIchigyouYomu, nullptr},
    {"ハンドルへ一行書く", "?を,?の", kCmdHandleHeIchigyouKaku, nullptr},
    {"ハンドルを閉じる", "?の", kCmdHandleWoTojiru, nullptr},
    {"ハンドル最後か", "?の", kCmdHandleSaigoKa, nullptr},
    {"ハンドルを先頭に移動", "?の", kCmdHandleWoSentouNiIdou, nullptr},
    {"ハンドルを最後に移動", "?の", kCmdHandleWoSaigoNiIdou, nullptr},
    {"ファイル属性取得", "?の", kCmdFileZokuseiShutoku, nullptr},
    {"短いファイル名取得", "?の", kCmdMijikaiFilemeiShutoku, nullptr},
    {"長いファイル名取得", "?の", kCmdNagaiFilemeiShutoku, nullptr},
    {"ファイル完全削除", "?を", kCmdFileKanzenSakujo, nullptr},
    {"ハンドルを移動", "?の,?に", kCmdHandleWoIdou, nullptr},
    {"ハンドルにバイナリを書く", "?を,?に,?つ", kCmdHandleNiBinaryWoKaku, nullptr},
    {"ハンドルにバイナリを読む", "?へ,?を,?つ", kCmdHandleNiBinaryWoYomu, nullptr},
    {"ハンドルを詳しく開く", "?に,?を,?で", kCmdHandleWoKuwashikuHiraku, nullptr},
    {"全フォルダ列挙", "?の", kCmdZenFolderRekkyo, nullptr},
};

static const TCommandFamily kFamily = {"files", kDefs, std::size(kDefs)};

const TCommandFamily& FilesFamily() { return kFamily; }

}  // namespace tama
