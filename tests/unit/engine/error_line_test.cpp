// The line number of an error: the row prefix of the line after the cursor,
// the current row where none follows, and the source line of a block body.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "engine/tama.h"

namespace tama {
namespace {

class TQuietHost : public THost {
 public:
  void Display(std::string_view) override {}
  void Message(std::string_view, std::string_view) override {}
  TErrorAnswer ShowErrorDialog(const std::string&) override { return TErrorAnswer::kStop; }
  bool Headless() const override { return true; }
};

class ErrorLine : public ::testing::Test {
 protected:
  ErrorLine() : tama(host) { tama.programFileName = "C:\\dir\\prog.tmk"; }
  // The line of a cursor at the first occurrence of `at` in the text.
  int LineAt(const TTextRef& text, std::string_view at, int currentRow) {
    tama.currentRow = currentRow;
    tama.Jump({text, text->begin() + text->view().find(at)});
    return tama.LineNumberOf();
  }
  TQuietHost host;
  TTamaBase tama;
};

TEST_F(ErrorLine, TheRowPrefixOfTheNextLine) {
  // a normalised text: every line after the first starts with its 0-based row
  TTextRef text = MakeText("a1\r\n1:b2\r\n2:c3;d3\r\n3:\r\n4:e5\r\n5:");
  EXPECT_EQ(LineAt(text, "a1", 9), 1);
  EXPECT_EQ(LineAt(text, "b2", 9), 2);
  EXPECT_EQ(LineAt(text, "d3", 9), 3);
  EXPECT_EQ(LineAt(text, "\r\n3:", 9), 3);  // the line break belongs to its line
  EXPECT_EQ(LineAt(text, "e5", 9), 5);
  // line breaks without a prefix between them are passed over
  TTextRef gaps = MakeText("x\r\n\n\r\n6:y");
  EXPECT_EQ(LineAt(gaps, "x", 0), 6);
  // after the last prefix nothing follows: the current row stands
  EXPECT_EQ(LineAt(text, "5:", 9), 9);
  // and the row found is kept as the current row
  LineAt(text, "b2", 9);
  EXPECT_EQ(tama.currentRow, 2);
}

TEST_F(ErrorLine, ANilCursorGivesTheCurrentRow) {
  tama.StopCursor();
  tama.currentRow = 7;
  EXPECT_EQ(tama.LineNumberOf(), 7);
}

TEST_F(ErrorLine, ABlockBodyKnowsItsSourceLine) {
  // the body of "3回、…" cut out of line 12: no prefix follows inside it
  TTextRef body = MakeText("ない命令", 12);
  EXPECT_EQ(LineAt(body, "ない", 11), 12);
  // a body over several lines: its own prefixes, then the line it ends on
  TTextRef lines = MakeText("x\r\n7:y", 8);
  EXPECT_EQ(LineAt(lines, "x", 0), 7);
  EXPECT_EQ(LineAt(lines, "y", 0), 8);
  // a whole program text has no such line
  TTextRef main = MakeText("z");
  EXPECT_EQ(LineAt(main, "z", 3), 3);
}

TEST_F(ErrorLine, TheErrorLineNamesTheFilePartAndIsLogged) {
  TTextRef text = MakeText("a\r\n1:b\r\n2:");
  tama.errorLog.Clear();
  tama.Jump({text, text->begin()});
  EXPECT_EQ(tama.FormatErrorLine("m"), "[エラー] prog.tmk(1行目): m");
  tama.programFileName = "/home/u/x.tmk";
  try {
    tama.Raise("%s");  // the message is used as it is, never as a format
    ADD_FAILURE();
  } catch (const ETama& e) {
    EXPECT_EQ(std::string(e.what()), "[エラー] x.tmk(1行目): %s");
  }
  EXPECT_EQ(tama.errorLog.Text(), "[エラー] x.tmk(1行目): %s\r\n");
  tama.Warn("w");
  EXPECT_EQ(tama.errorLog.Text(), "[エラー] x.tmk(1行目): %s\r\n[注　意] x.tmk(1行目): w\r\n");
}

}  // namespace
}  // namespace tama
