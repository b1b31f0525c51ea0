// The key texts of キー送信: what is typed, as a list of key actions.
//   + ^ %      Shift, Ctrl, Alt held around the next unit
//   ( ... )    a group: "+(ab)" types both letters with Shift
//   ~          Enter
//   {NAME n}   a named key (ENTER, TAB, F5 ...) n times; {x} the key of the
//              character x; {}} the key of "}"; an unknown longer name types
//              nothing
//   any other character: its key (a double-byte character as a whole)
// Keys are the virtual-key numbers the names stand for (Shift 16, Ctrl 17,
// Alt 18, Enter 13 ...).
#pragma once
#include <string>
#include <string_view>
#include <vector>

namespace tama::support {

struct TKeyAction {
  enum TKind { kDown, kUp, kChar } kind;
  int key = 0;       // kDown, kUp: the virtual-key number
  std::string text;  // kChar: one character (Shift-JIS, one or two bytes)
  bool operator==(const TKeyAction&) const = default;
};

// The virtual-key number of a key name (without regard to case); 0 for none.
int NamedKey(std::string_view name);
std::vector<TKeyAction> ParseKeyText(std::string_view text);

}  // namespace tama::support
