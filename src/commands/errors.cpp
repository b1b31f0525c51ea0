// The error-handling commands: whether an error shows the error dialog, is
// ignored or jumps to the program's own handler, and the way back from it.
#include "commands/errors.h"

#include <iterator>

#include "engine/tama.h"

namespace tama {

namespace {

// エラーを無視: errors are no longer shown, and the handler is forgotten.
void ErrorWoMushi(TTamaBase& t, int) {
  t.warnFlag = false;
  t.errorHandler.reset();
}

// エラーを警告: errors show the error dialog again, and the handler is forgotten.
void ErrorWoKeikoku(TTamaBase& t, int) {
  t.warnFlag = true;
  t.errorHandler.reset();
}

// エラー処理設定: "?に" — the label that errors jump to from now on.
void ErrorShoriSettei(TTamaBase& t, int) {
  const std::string name = t.PopArgText();
  THashNodeRef label = t.words.FindRef(name, false);
  if (!label || label->Kind != wkLabel) {
    t.errorHandler.reset();
    t.Raise("未定義のラベル\"" + name + "\"に、ジャンプしようとしました。");
  }
  t.errorHandler = std::move(label);
}

// エラーから復帰: back to where the handled error happened; with no such
// place the run stops.
void ErrorKaraFukki(TTamaBase& t, int) {
  if (t.errorPos)
    t.Jump(t.errorPos);
  else
    t.StopCursor();
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"エラーを無視", "", kCmdErrorWoMushi, ErrorWoMushi},
    {"エラー処理設定", "?に", kCmdErrorShoriSettei, ErrorShoriSettei},
    {"エラーを警告", "", kCmdErrorWoKeikoku, ErrorWoKeikoku},
    {"エラーから復帰", "", kCmdErrorKaraFukki, ErrorKaraFukki},
};

static const TCommandFamily kFamily = {"errors", kDefs, std::size(kDefs)};

const TCommandFamily& ErrorsFamily() { return kFamily; }

}  // namespace tama
