// Registration table of the control-flow commands (conditions, loops, jumps, subroutines, included
// files, the end of the run).
#include "commands/control.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"おわり", "", kCmdOwari, nullptr},
    {"終わり", "", kCmdOwari, nullptr},
    {"おわる", "", kCmdOwari, nullptr},
    {"戻る", "", kCmdModoru, nullptr},
    {"飛ぶ", "?へ", kCmdTobu, nullptr},
    {"呼ぶ", "?を", kCmdYobu, nullptr},
    {"ならば", "", kCmdNaraba, nullptr},
    {"違えば", "", kCmdChigaeba, nullptr},
    {"でなければ", "", kCmdChigaeba, nullptr},
    {"取り込む", "?を", kCmdTorikomu, nullptr},
    {"繰り返す", "?を,?から,?まで", kCmdKurikaesu, nullptr},
    {"反復", "?を", kCmdHanpuku, nullptr},
    {"たまかずする", "?を", kCmdTamakazusuru, nullptr},
    {"もし", "", kCmdMoshi, nullptr},
    {"終了処理設定", "?に", kCmdShuuryouShoriSettei, nullptr},
    {"なら", "", kCmdNara, nullptr},
    {"抜ける", "", kCmdNukeru, nullptr},
    {"改行で実行を止める", "", kCmdKaigyouDeJikkouWoTomeru, nullptr},
    {"条件分岐", "?で", kCmdJoukenBunki, nullptr},
    {"続ける", "", kCmdTsuzukeru, nullptr},
    {"関数定義", "?を,?で", kCmdKansuuTeigi, nullptr},
    {"引数取得", "", kCmdHikisuuShutoku, nullptr},
    {"ループ", "?で", kCmdLoop, nullptr},
};

static const TCommandFamily kFamily = {"control", kDefs, std::size(kDefs)};

const TCommandFamily& ControlFamily() { return kFamily; }

}  // namespace tama
