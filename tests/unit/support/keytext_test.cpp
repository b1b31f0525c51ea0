// The key texts of キー送信 as key actions.
#include "support/keytext.h"

#include <gtest/gtest.h>

#include "sjis/convert.h"

namespace tama::support {
namespace {

std::string S(const char8_t* s) { return sjis::Utf8ToSjisLossy(reinterpret_cast<const char*>(s)); }

TKeyAction D(int k) { return {TKeyAction::kDown, k, {}}; }
TKeyAction U(int k) { return {TKeyAction::kUp, k, {}}; }
TKeyAction C(std::string c) { return {TKeyAction::kChar, 0, std::move(c)}; }

TEST(KeyText, Actions) {
  struct {
    std::string text;
    std::vector<TKeyAction> actions;
  } cases[] = {
      {"^c", {D(17), C("c"), U(17)}},
      {"+(ab)c", {D(16), C("a"), C("b"), U(16), C("c")}},
      {"%(x", {D(18), C("x"), U(18)}},  // a group without its ")" runs to the end
      {"{TAB 3}", {D(9), U(9), D(9), U(9), D(9), U(9)}},
      {"{F5}", {D(116), U(116)}},
      {"{f16}{F17}", {D(127), U(127)}},
      {"{XYZ}a", {C("a")}},
      {"{}}", {C("}")}},
      {"{a 2}", {C("a"), C("a")}},
      {"{enter x}", {}},  // a count that is not a number counts 0
      {"~", {D(13), U(13)}},
      {"{Esc}{bksp}{PgDn}", {D(27), U(27), D(8), U(8), D(34), U(34)}},
      {S(u8"a漢"), {C("a"), C(S(u8"漢"))}},
      {"^", {D(17), U(17)}},
      {"", {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(ParseKeyText(c.text), c.actions);
  }
}

TEST(KeyText, NamedKeys) {
  EXPECT_EQ(NamedKey("capslock"), 20);
  EXPECT_EQ(NamedKey("IME"), 25);
  EXPECT_EQ(NamedKey("F1"), 112);
  EXPECT_EQ(NamedKey("F0"), 0);
  EXPECT_EQ(NamedKey("F01"), 0);
  EXPECT_EQ(NamedKey("SPACE"), 0);
}

}  // namespace
}  // namespace tama::support
