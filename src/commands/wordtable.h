// Command ids of the commands on the word table itself (renaming, retyping, copying and
// listing words).
// Handlers switch on these; the aliases of a command share its id.
#pragma once
#include "engine/command.h"

namespace tama {

enum WordTableId : int {
  kCmdMeigiHenkou = 100,              // 名義変更
  kCmdSuuchiToshiteAtsukau = 101,     // 数値として扱う
  kCmdMojiretsuToshiteAtsukau = 102,  // 文字列として扱う
  kCmdJishoToshiteAtsukau = 103,      // 辞書として扱う
  kCmdTangoCopy = 104,                // 単語コピー
  kCmdHensuumeiRekkyo = 105,          // 変数名列挙
  kCmdIreru = 106,                    // 入れる
  kCmdValentine = 107,                // バレンタインデー
};

// The registration table of this family.
const TCommandFamily& WordTableFamily();

// The program text that the hidden command runs through "たまかずする": an
// empty line, then 19 sentences, joined with CR LF (none after the last).
extern const char kValentineProgram[];

}  // namespace tama
