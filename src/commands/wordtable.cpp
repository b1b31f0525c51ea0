// Registration table of the commands on the word table itself (renaming, retyping, copying and
// listing words).
#include "commands/wordtable.h"

#include <iterator>

namespace tama {

static const TCommandDef kDefs[] = {
    {"名義変更", "?を,?に", kCmdMeigiHenkou, nullptr},
    {"数値として扱う", "?を", kCmdSuuchiToshiteAtsukau, nullptr},
    {"文字列として扱う", "?を", kCmdMojiretsuToshiteAtsukau, nullptr},
    {"辞書として扱う", "?を", kCmdJishoToshiteAtsukau, nullptr},
    {"単語コピー", "?から,?へ", kCmdTangoCopy, nullptr},
    {"変数名列挙", "?以上の", kCmdHensuumeiRekkyo, nullptr},
    {"入れる", "?に", kCmdIreru, nullptr},
    {"バレンタインデー", "", kCmdValentine, nullptr},
};

static const TCommandFamily kFamily = {"wordtable", kDefs, std::size(kDefs)};

const TCommandFamily& WordTableFamily() { return kFamily; }

const char kValentineProgram[] =
    "\r\n"
    "ペン色は、RGB(255,0,0)\r\n"
    "塗り色は、RGB(255,128,128)\r\n"
    "ペン太さは、5\r\n"
    "あイメージを、作る。\r\n"
    "その、サイズは、(0,0,100,50)\r\n"
    "その、可視は、オフ。\r\n"
    "あイメージの、(2,2)から、(98,98)へ、円形描画\r\n"
    "あイメージを、母艦の、(0,0)に、イメージコピー\r\n"
    "あイメージを、母艦の、(100,0)に、イメージコピー\r\n"
    "いイメージを、作る。\r\n"
    "その、可視は、オフ。\r\n"
    "その、サイズは、(0,0,100,300)\r\n"
    "いイメージの、(2,2)から、(298,298)へ、円形描画\r\n"
    "いイメージの、(0,150,100,300)を、母艦の、(0,50)に、イメージ部分コピー\r\n"
    "いイメージを、水平反転。\r\n"
    "いイメージの、(0,150,100,300)を、母艦の、(100,50)に、イメージ部分コピー\r\n"
    "文字色は、白色。\r\n"
    "文字サイズは、14\r\n"
    "母艦の、(15,60)へ、「St. Valentine's Day」と、文字描画。";

}  // namespace tama
