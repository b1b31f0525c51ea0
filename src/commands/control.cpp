// Registration table of the control-flow commands (conditions, loops, jumps, subroutines, included
// files, the end of the run).
#include "commands/control.h"

#include <iterator>

#include "engine/flow.h"

namespace tama {

static const TCommandDef kDefs[] = {
    {"おわり", "", kCmdOwari, flow::Owari},
    {"終わり", "", kCmdOwari, flow::Owari},
    {"おわる", "", kCmdOwari, flow::Owari},
    {"戻る", "", kCmdModoru, flow::Modoru},
    {"飛ぶ", "?へ", kCmdTobu, flow::Tobu},
    {"呼ぶ", "?を", kCmdYobu, flow::Yobu},
    {"ならば", "", kCmdNaraba, flow::Naraba},
    {"違えば", "", kCmdChigaeba, flow::Naraba},
    {"でなければ", "", kCmdChigaeba, flow::Naraba},
    {"取り込む", "?を", kCmdTorikomu, flow::Torikomu},
    {"繰り返す", "?を,?から,?まで", kCmdKurikaesu, flow::Kurikaesu},
    {"反復", "?を", kCmdHanpuku, flow::Hanpuku},
    {"たまかずする", "?を", kCmdTamakazusuru, flow::Tamakazusuru},
    {"もし", "", kCmdMoshi, flow::Moshi},
    {"終了処理設定", "?に", kCmdShuuryouShoriSettei, flow::ShuuryouShoriSettei},
    {"なら", "", kCmdNara, flow::Nara},
    {"抜ける", "", kCmdNukeru, flow::Nukeru},
    {"改行で実行を止める", "", kCmdKaigyouDeJikkouWoTomeru, flow::KaigyouDeTomeru},
    {"条件分岐", "?で", kCmdJoukenBunki, flow::JoukenBunki},
    {"続ける", "", kCmdTsuzukeru, flow::Tsuzukeru},
    {"関数定義", "?を,?で", kCmdKansuuTeigi, flow::KansuuTeigi},
    {"引数取得", "", kCmdHikisuuShutoku, flow::HikisuuShutoku},
    {"ループ", "?で", kCmdLoop, flow::Loop},
};

static const TCommandFamily kFamily = {"control", kDefs, std::size(kDefs)};

const TCommandFamily& ControlFamily() { return kFamily; }

}  // namespace tama
