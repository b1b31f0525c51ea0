// Run-time errors: the error line, the error log, the error step and warnings.
#include <cstdlib>

#include "engine/tama.h"
#include "sjis/sjis.h"
#include "support/number.h"

namespace tama {

int TTamaBase::LineNumberOf() {
  if (!cur) return currentRow;
  const char* p = cur;
  while (*p && *p != '\r' && *p != '\n') p += (sjis::IsLead(*p) && p[1]) ? 2 : 1;
  if (!*p) {
    // the last line of a block body cut out of the program: the body knows
    // the source line it ends on
    if (curText && curText->lastLine() > 0 && curText->contains(cur)) currentRow = curText->lastLine();
    return currentRow;
  }
  while (*p == '\r' || *p == '\n') ++p;
  const char* digits = p;
  int value = 0;
  bool any = false;
  while (*p >= '0' && *p <= '9') {
    value = value * 10 + (*p - '0');
    if (value > 100000000) break;
    any = true;
    ++p;
  }
  if (any && *p == ':') currentRow = value;
  (void)digits;
  return currentRow;
}

namespace {
// The file-name part of a path: the text after the last "\", "/" or ":".
std::string_view FilePart(std::string_view path) {
  size_t cut = 0;
  for (size_t i = 0; i < path.size(); i += sjis::CharLen(path, i)) {
    char c = path[i];
    if (c == '\\' || c == '/' || c == ':') cut = i + 1;
  }
  return path.substr(cut);
}
}  // namespace

std::string TTamaBase::FormatErrorLine(std::string_view message) {
  int line = LineNumberOf();
  std::string out = "[エラー] ";
  out += FilePart(programFileName);
  out += '(';
  out += std::to_string(line);
  out += "行目): ";
  out += message;
  return out;
}

void TTamaBase::Raise(std::string_view message) {
  std::string line = FormatErrorLine(message);
  errorLog.AddLine(line);
  throw ETama(line);
}

void TTamaBase::Warn(std::string_view message) {
  int line = LineNumberOf();
  std::string out = "[注　意] ";
  out += FilePart(programFileName);
  out += '(';
  out += std::to_string(line);
  out += "行目): ";
  out += message;
  errorLog.AddLine(out);
  if (debugFlag) {
    errorShown = true;
    if (host.ShowErrorDialog(errorLog.Text()) == THost::TErrorAnswer::kStop) {
      stopFlag = true;
      StopCursor();
    }
  }
}

void TTamaBase::ErrorStep(const std::exception& e) {
  std::string message = e.what();
  ErrorMessageWord().SetValue(message);
  // An error before the handler has run a single sentence of its own since the
  // last jump to it would only jump there again, for ever: it is reported as
  // if no handler were set.
  const bool handlerFailing = handlerEntered && sentencesDone == handlerMark;
  if (errorHandler && !handlerFailing) {
    if (errorHandler->Kind == wkLabel && errorHandler->Link) {
      errorPos = Here();
      Jump(errorHandler->Link);
      handlerEntered = true;
      handlerMark = sentencesDone;
      return;
    }
    // a handler that is not a label: report it and take the step as without one
    std::string name = errorHandler->Name;
    errorHandler.reset();
    try {
      Raise("未定義のラベル\"" + name + "\"に、ジャンプしようとしました。");
    } catch (const ETama&) {
    }
  }
  if (warnFlag) {
    if (errorLog.Blank()) errorLog.Assign(FormatErrorLine(message) + "\r\n特定できないシステムエラーです(ToT)");
    errorShown = true;
    switch (host.ShowErrorDialog(errorLog.Text())) {
      case THost::TErrorAnswer::kContinue:
        return;
      case THost::TErrorAnswer::kDebug:
        if (debugDialog && debugDialog(*this)) CloseRun();
        return;
      case THost::TErrorAnswer::kStop:
        stopFlag = true;
        StopCursor();
        return;
    }
  }
}

}  // namespace tama
