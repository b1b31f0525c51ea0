// Registration table of the dialog commands.
#include "commands/dialogs.h"

#include <iterator>

#include "engine/tama.h"

namespace tama {

namespace {

// 言う: a message to the user.
void Iu(TTamaBase& t, int) { t.host.Message(t.PopArgValue(), ""); }

}  // namespace

static const TCommandDef kDefs[] = {
    {"尋ねる", "?と", kCmdTazuneru, nullptr},
    {"言う", "?と", kCmdIu, Iu},
    {"二択", "?と", kCmdNitaku, nullptr},
    {"読込ファイル選択", "?の", kCmdYomikomiFileSentaku, nullptr},
    {"書込ファイル選択", "?の", kCmdKakikomiFileSentaku, nullptr},
    {"色選択", "", kCmdIroSentaku, nullptr},
    {"三択", "?と", kCmdSantaku, nullptr},
    {"フォルダ選択", "", kCmdFolderSentaku, nullptr},
    {"どれか尋ねる", "?が,?の", kCmdDoreKaTazuneru, nullptr},
    {"メモ記入", "?の", kCmdMemoKinyuu, nullptr},
    {"リストから選択", "?を,?の", kCmdListKaraSentaku, nullptr},
    {"ボタンで選択", "?を,?の", kCmdButtonDeSentaku, nullptr},
    {"フォント選択", "", kCmdFontSentaku, nullptr},
};

static const TCommandFamily kFamily = {"dialogs", kDefs, std::size(kDefs)};

const TCommandFamily& DialogsFamily() { return kFamily; }

}  // namespace tama
