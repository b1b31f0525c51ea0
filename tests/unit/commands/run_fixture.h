// A whole interpreter with every command family, run on a program text with a
// host that records what the program shows instead of showing it.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "commands/families.h"
#include "engine/tama.h"
#include "frontend/normalize.h"

namespace tama::runfx {

// Records 表示 and 言う lines (each followed by "\n") and every error log the
// error dialog was opened with; the dialog answers `answer`.
class TRecordingHost : public THost {
 public:
  void Display(std::string_view text) override {
    shown += text;
    shown += '\n';
  }
  void Message(std::string_view text, std::string_view) override {
    shown += text;
    shown += '\n';
  }
  TErrorAnswer ShowErrorDialog(const std::string& log) override {
    dialogs.push_back(log);
    return answer;
  }
  bool Headless() const override { return true; }

  std::string shown;
  std::vector<std::string> dialogs;
  TErrorAnswer answer = TErrorAnswer::kStop;
};

class TRunFixture : public ::testing::Test {
 protected:
  TRunFixture() : tama(host) {
    for (const TCommandFamily& f : AllCommandFamilies()) families.push_back(&f);
    tama.SetHandlers(families);
  }

  // Loads a program (Shift-JIS source with LF line breaks, as the literals of a
  // test are): a new
  // run with a fresh word table, the labels collected, the cursor at the start.
  void Load(std::string_view source, const char* fileName = "t.tmk") {
    tama.errorLog.Clear();
    host.shown.clear();
    host.dialogs.clear();
    tama.stopFlag = false;
    tama.StopCursor();
    tama.args.Clear();
    tama.currentRow = 0;
    tama.programFileName = fileName;
    tama.words.Clear();
    tama.RegisterWords(families);
    // as the loader gives it: every line followed by CR LF
    std::string text;
    for (size_t i = 0; i < source.size();) {
      size_t j = source.find('\n', i);
      if (j == std::string_view::npos) j = source.size();
      text.append(source.substr(i, j - i));
      text += "\r\n";
      i = j + 1;
    }
    frontend::NormalizeSource(text);
    TTextRef main = MakeText(text);
    tama.sourceTexts.assign(1, main);
    tama.CollectLabels(main, tama.programFileName);
    tama.Jump({main, main->begin()});
  }

  // Loads and runs the program to its end.
  void Run(std::string_view source) {
    Load(source);
    tama.RunProgram();
  }

  std::string Value(std::string_view name) {
    THashNode* n = tama.words.Find(name, false);
    return n ? n->Value() : std::string("<none>");
  }
  THashNode* Word(std::string_view name) { return tama.words.Find(name, false); }

  // The lines of the error log, without their line breaks.
  std::vector<std::string> LogLines() const {
    std::vector<std::string> lines;
    const std::string& log = tama.errorLog.Text();
    size_t i = 0;
    while (i < log.size()) {
      size_t j = log.find("\r\n", i);
      if (j == std::string::npos) j = log.size();
      lines.push_back(log.substr(i, j - i));
      i = j + 2;
    }
    return lines;
  }

  TRecordingHost host;
  TTamaBase tama;
  std::vector<const TCommandFamily*> families;
};

// A program and what it leaves in それ: its value and its Tag ("?" when the
// program leaves the Tag alone).
struct TResultCase {
  const char* program;
  const char* value;
  const char* tag;
};

// A program and the reason of the handler error it stops with.
struct TErrorCase {
  const char* program;
  const char* reason;
};

class TResultFixture : public TRunFixture {
 protected:
  // Runs the program with それ's Tag set to "?" first.
  void RunTagged(std::string_view program) {
    Load(program);
    tama.Sore().Tag = "?";
    tama.RunProgram();
  }
  void Check(const TResultCase& c) {
    SCOPED_TRACE(c.program);
    RunTagged(c.program);
    EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
    EXPECT_EQ(Value("それ"), c.value);
    EXPECT_EQ(Word("それ")->Tag, c.tag);
  }
  // The reason of the last handler error, without the error-line prefix of a
  // run-time error raised inside the handler.
  std::string Reason() const {
    const auto lines = LogLines();
    if (lines.empty()) return "<no error>";
    std::string r = lines.back();
    const std::string mark = "理由は,";
    const size_t at = r.find(mark);
    if (at == std::string::npos) return r;
    r = r.substr(at + mark.size());
    if (r.rfind("[エラー]", 0) == 0) r = r.substr(r.find("): ") + 3);
    return r;
  }
};

}  // namespace tama::runfx
