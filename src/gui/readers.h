// The readers of positions, rectangles, colours and font texts that
// objects and the drawing commands share, and the tab expansion of text
// output.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/tama.h"
#include "gui/model.h"

namespace tama::gui {

struct TPoint {
  int x = 0, y = 0;
};
struct TRect {
  int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
};

// "(X,Y)": a word's value, parentheses removed, evaluated as an argument list
// that must push exactly two values; false otherwise.
bool ReadPoint(TTamaBase& t, std::string_view text, TPoint& out);
// "(x1,y1,x2,y2)": zero to four values, missing ones 0; more than four raise
// "座標の指定エラー。引数が多すぎます。" with the values.
TRect ReadRect(TTamaBase& t, std::string_view text);

// A colour value: "#RRGGBB" or an integer (decimal or "$" hexadecimal) in the
// 0x00BBGGRR form; `fallback` when the text is not a number.
int64_t ReadColour(std::string_view text, int64_t fallback);

// A font text "name｜style｜size": an unknown name gives
// "ＭＳ ゴシック", no size 0.
struct TFontSpec {
  std::string name;
  bool bold = false, italic = false, underline = false;
  int size = 0;
};
TFontSpec ParseFontSpec(std::string_view spec);
// The installed font names a font text matches (the four default
// names always count as installed).
void SetInstalledFonts(std::vector<std::string> names);

// The drawing font of new objects and of 表示: 文字色, 文字書体 and 文字サイズ.
TFont DrawingFont(TTamaBase& t);

// Tabs to spaces up to the next multiple of the width (a double-byte
// character counts two columns); CR, LF, CR LF and LF CR become CR LF.
std::string ExpandTabs(std::string_view text, int tabWidth);

}  // namespace tama::gui
