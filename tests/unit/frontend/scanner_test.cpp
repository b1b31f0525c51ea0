// The token readers over canonical program text: words, numbers, literals,
// parenthesised texts and the back-quoted value form.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "frontend/scanner.h"
#include "words/text.h"

namespace tama::frontend {
namespace {

// A token read from the start of a text: what it gave and the rest after it.
struct TRead {
  std::string token;
  std::string rest;
};

template <class F>
TRead ReadFrom(std::string_view text, F read) {
  TTextRef t = MakeText(text);
  const char* p = t->begin();
  std::string token(read(p));
  return {token, std::string(p, t->end())};
}

struct TWordCase {
  const char* text;
  const char* word;
  const char* rest;
};

TEST(ReadWord, StopsAtTheFirstDelimiter) {
  const TWordCase cases[] = {
      {"Aを,表示", "Aを", ",表示"},  // a particle written after a word stays part of it
      {"A を", "A", " を"},
      {"  \tAを", "Aを", ""},         // tabs and spaces before the word are skipped
      {",Aを", "", ",Aを"},           // commas are not
      {"A||B+1", "A||B", "+1"},       // "|" is no delimiter
      {"A.B!C$D{E}", "A.B!C$D{E}", ""},
      {"表示して", "表示して", ""},    // 表 and ソ carry 0x5C as their second byte
      {"ソース(1)", "ソース", "(1)"},
      {"x#1", "x", "#1"},
      {"x`y", "x", "`y"},
      {"x\r\n1:y", "x", "\r\n1:y"},
      {"x\xA4y", "x", "\xA4y"},
      {"x\ny", "x\ny", ""},  // a lone LF is an ordinary byte
      {"", "", ""},
  };
  for (const auto& c : cases) {
    TRead r = ReadFrom(c.text, [](const char*& p) { return ReadWord(p); });
    EXPECT_EQ(r.token, c.word) << c.text;
    EXPECT_EQ(r.rest, c.rest) << c.text;
  }
}

TEST(ReadWord, ALeadByteBeforeTheEndIsOneByte) {
  const std::string text = "ab\x82";
  TRead r = ReadFrom(text, [](const char*& p) { return ReadWord(p); });
  EXPECT_EQ(r.token, text);
  EXPECT_EQ(r.rest, "");
}

struct TNumberCase {
  const char* text;
  const char* number;
  const char* rest;
};

TEST(ReadNumber, TakesTheNumberAsWritten) {
  const TNumberCase cases[] = {
      {"1.5e3を", "1.5e3", "を"},
      {"1.e3", "1", ".e3"},  // a full stop not followed by a digit ends the number
      {"2.50", "2.50", ""},
      {"007", "007", ""},
      {".5", ".5", ""},
      {"1.5E", "1.5", "E"},  // an incomplete exponent is not taken
      {"1.5E-2x", "1.5E-2", "x"},
      {"1E20", "1E20", ""},  // the scientific form the number formatting writes
      {"$FF", "255", ""},
      {"$ff+1", "255", "+1"},
      {"-$10", "-16", ""},
      {"$", "0", ""},
      {"$G", "0", "G"},
      {"-7", "-7", ""},
      {"+3回", "+3", "回"},
      {" ,12", "12", ""},  // blanks before the number are skipped
      {"-A", "-", "A"},    // a sign alone
      {"abc", "", "abc"},
      {".", "", "."},
  };
  for (const auto& c : cases) {
    TRead r = ReadFrom(c.text, [](const char*& p) { return ReadNumber(p); });
    EXPECT_EQ(r.token, c.number) << c.text;
    EXPECT_EQ(r.rest, c.rest) << c.text;
  }
}

struct TLiteralCase {
  const char* text;
  const char* literal;
  const char* rest;
};

TEST(ReadLiteral, TakesTheLiteralWithItsQuotes) {
  const TLiteralCase cases[] = {
      {"\"ab\"を", "\"ab\"", "を"},
      {"  \"a\\\"b\"c", "\"a\\\"b\"", "c"},  // a backslash takes the next character
      {"\"表\"x", "\"表\"", "x"},            // the second byte 0x5C of 表 is no backslash
      {"`a``b`c", "`a``b`", "c"},            // a doubled backquote stays inside
      {"````x", "````", "x"},
      {"``x", "``", "x"},
      {"abc", "", "abc"},
  };
  for (const auto& c : cases) {
    TRead r = ReadFrom(c.text, [](const char*& p) { return ReadLiteral(p); });
    EXPECT_EQ(r.token, c.literal) << c.text;
    EXPECT_EQ(r.rest, c.rest) << c.text;
  }
}

TEST(ReadLiteral, UnclosedLiteralsFail) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"\"abc", "対応するカッコ \" または 」 がありません。"},
      {"\"abc\\\"", "対応するカッコ \" または 」 がありません。"},
      {"\"abc\\", "対応するカッコ \" または 」 がありません。"},
      {"`abc", "対応するカッコ ` または 』 がありません。"},
      {"`abc``", "対応するカッコ ` または 』 がありません。"},
  };
  for (const auto& c : cases) {
    TTextRef t = MakeText(c.text);
    const char* p = t->begin();
    try {
      ReadLiteral(p);
      ADD_FAILURE() << c.text;
    } catch (const TScanError& e) {
      EXPECT_EQ(std::string(e.what()), c.message) << c.text;
    }
  }
}

TEST(ReadLiteral, StopsAtTheLimit) {
  TTextRef t = MakeText("\"abc\" x");
  const char* p = t->begin();
  EXPECT_THROW(ReadLiteral(p, t->begin() + 3), TScanError);
  p = t->begin();
  EXPECT_EQ(ReadLiteral(p, t->begin() + 4), "\"abc\"");
}

struct TParenCase {
  const char* text;
  const char* inner;
  const char* rest;
};

TEST(ReadParenthesised, TakesTheTextInside) {
  const TParenCase cases[] = {
      {"(1,2)を", "1,2", "を"},
      {"(a(b)c)", "a(b)c", ""},
      {"()x", "", "x"},
      {" (a)", "a", ""},
      {"(\")\")", "\")\"", ""},      // parentheses inside literals do not count
      {"(`)`)", "`)`", ""},
      {"(\"`\" `\"` )", "\"`\" `\"` ", ""},  // each quote is inert inside the other
      {"(\"\\\")\")", "\"\\\")\"", ""},        // an escaped quote does not close
      {"(表)", "表", ""},
  };
  for (const auto& c : cases) {
    TRead r = ReadFrom(c.text, [](const char*& p) { return ReadParenthesised(p); });
    EXPECT_EQ(r.token, c.inner) << c.text;
    EXPECT_EQ(r.rest, c.rest) << c.text;
  }
}

TEST(ReadParenthesised, AnUnclosedTextFailsWithTheCursorAfterTheOpening) {
  for (const char* text : {"(a", "(a(b)", "(\")\""}) {
    TTextRef t = MakeText(text);
    const char* p = t->begin();
    try {
      ReadParenthesised(p);
      ADD_FAILURE() << text;
    } catch (const TScanError& e) {
      EXPECT_EQ(std::string(e.what()), "\")\"が対応していません。");
      EXPECT_EQ(p, t->begin() + 1) << text;
    }
  }
}

TEST(QuoteValue, RoundTrips) {
  const struct {
    const char* value;
    const char* quoted;
  } cases[] = {
      {"", "``"},
      {"abc", "`abc`"},
      {"a`b", "`a``b`"},
      {"``", "``````"},
      {"表`", "`表```"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(QuoteValue(c.value), c.quoted);
    EXPECT_EQ(UnquoteValue(c.quoted), c.value);
  }
  // a text without back quotes at both ends comes back unchanged
  for (const char* v : {"abc", "`abc", "abc`", "`"}) EXPECT_EQ(UnquoteValue(v), v);
}

TEST(EndsWithChar, OnlyOnACharacterBoundary) {
  EXPECT_TRUE(EndsWithChar("Aの", "の"));
  EXPECT_TRUE(EndsWithChar("の", "の"));
  EXPECT_FALSE(EndsWithChar("A", "の"));
  // "ー" is 0x81 0x5B; its second byte and a following byte are no character
  EXPECT_FALSE(EndsWithChar("\x81\x5B\x82", "\x5B\x82"));
  EXPECT_TRUE(EndsWithChar("a\x5B\x82", "\x5B\x82"));
}

}  // namespace
}  // namespace tama::frontend
