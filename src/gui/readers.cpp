// Positions, rectangles, colours, font texts and tab expansion.
#include "gui/readers.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "sjis/lcmap.h"
#include "sjis/sjis.h"
#include "support/number.h"

namespace tama::gui {

namespace {

// The values of an argument list text: a word stands for its value, outer
// parentheses are removed while nothing follows the closing one. The items
// come back in the order they were pushed.
std::vector<std::string> ArgumentValues(TTamaBase& t, std::string_view text) {
  std::string s(text);
  std::string resolved;
  if (!s.empty() && s.front() != '(' && t.ResolveValue(s, resolved)) s = std::move(resolved);
  for (;;) {
    size_t a = 0;
    while (a < s.size() && (s[a] == ' ' || s[a] == '\t')) ++a;
    size_t b = s.size();
    while (b > a && (s[b - 1] == ' ' || s[b - 1] == '\t')) --b;
    if (b - a < 2 || s[a] != '(' || s[b - 1] != ')') break;
    // the parenthesis must close at the end, not earlier: "(1)+(2)" stays
    int depth = 0;
    size_t close = std::string::npos;
    for (size_t i = a; i < b; ++i) {
      if (sjis::IsLead(s[i]) && i + 1 < b) {
        ++i;
        continue;
      }
      if (s[i] == '(') ++depth;
      if (s[i] == ')' && --depth == 0) {
        close = i;
        break;
      }
    }
    if (close != b - 1) break;
    s = s.substr(a + 1, b - a - 2);
  }
  TStack saved;
  saved.Swap(t.args);
  struct TRestore {
    TTamaBase& t;
    TStack& saved;
    ~TRestore() { t.args.Swap(saved); }
  } restore{t, saved};
  t.ParseArgumentList(s);
  return std::move(t.args.Items());
}

int ToCoordinate(TTamaBase& t, const std::string& item) {
  long double n = TextToNumber(t.EvaluateText(item));
  if (!std::isfinite(n)) return 0;
  n = std::trunc(n);
  return static_cast<int>(std::clamp<long double>(n, -2147483647.0L, 2147483647.0L));
}

const char* const kDefaultFonts[] = {"ＭＳ ゴシック", "ＭＳ Ｐゴシック", "ＭＳ 明朝", "ＭＳ Ｐ明朝"};

std::vector<std::string>& InstalledFonts() {
  static std::vector<std::string> names(std::begin(kDefaultFonts), std::end(kDefaultFonts));
  return names;
}

// A font name as names are compared: upper case, full width, without spaces.
std::string FontKey(std::string_view name) {
  std::string s = sjis::ToFullWidth(sjis::ToUpper(name));
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == ' ') continue;
    if (s.compare(i, 2, "　") == 0) {
      ++i;
      continue;
    }
    out += s[i];
    if (sjis::IsLead(s[i]) && i + 1 < s.size()) out += s[++i];
  }
  return out;
}

// Ideographic spaces back to spaces, then trimmed.
std::string Part(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s.compare(i, 2, "　") == 0) {
      out += ' ';
      ++i;
      continue;
    }
    out += s[i];
    if (sjis::IsLead(s[i]) && i + 1 < s.size()) out += s[++i];
  }
  size_t a = out.find_first_not_of(" \t");
  if (a == std::string::npos) return {};
  size_t b = out.find_last_not_of(" \t");
  return out.substr(a, b - a + 1);
}

bool Contains(std::string_view s, std::string_view what) {
  for (size_t i = 0; i + what.size() <= s.size();) {
    if (s.compare(i, what.size(), what) == 0) return true;
    i += sjis::IsLead(s[i]) && i + 1 < s.size() ? 2 : 1;
  }
  return false;
}

}  // namespace

bool ReadPoint(TTamaBase& t, std::string_view text, TPoint& out) {
  std::vector<std::string> items = ArgumentValues(t, text);
  if (items.size() != 2) return false;
  out.y = ToCoordinate(t, items[1]);
  out.x = ToCoordinate(t, items[0]);
  return true;
}

TRect ReadRect(TTamaBase& t, std::string_view text) {
  std::vector<std::string> items = ArgumentValues(t, text);
  if (items.size() > 4) {
    std::string list;
    for (const auto& it : items) {
      list += it;
      list += "\r\n";
    }
    t.Raise("座標の指定エラー。引数が多すぎます。\"" + list + "\"");
  }
  int v[4] = {0, 0, 0, 0};
  for (size_t i = items.size(); i-- > 0;) v[i] = ToCoordinate(t, items[i]);
  return {v[0], v[1], v[2], v[3]};
}

int64_t ReadColour(std::string_view text, int64_t fallback) {
  if (!text.empty() && text.front() == '#') {
    auto hex = [&](size_t at) -> int {
      int v = 0;
      for (size_t i = at; i < at + 2; ++i) {
        char c = i < text.size() ? text[i] : '0';
        int d = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : 0;
        v = v * 16 + d;
      }
      return v;
    };
    int r = hex(1), g = hex(3), b = hex(5);
    return static_cast<int64_t>(r) | (static_cast<int64_t>(g) << 8) | (static_cast<int64_t>(b) << 16);
  }
  constexpr int32_t kNone = INT32_MIN;
  int32_t v = ReadInteger(text, kNone);
  return v == kNone && text != "-2147483648" ? fallback : v;
}

void SetInstalledFonts(std::vector<std::string> names) {
  auto& list = InstalledFonts();
  list.assign(std::begin(kDefaultFonts), std::end(kDefaultFonts));
  for (auto& n : names)
    if (std::find(list.begin(), list.end(), n) == list.end()) list.push_back(std::move(n));
}

TFontSpec ParseFontSpec(std::string_view spec) {
  std::string s = sjis::ToFullWidth(sjis::ToUpper(spec));
  // the parts at the first and second "｜"
  std::string_view parts[3];
  std::string_view rest = s;
  for (int k = 0; k < 2; ++k) {
    size_t at = std::string_view::npos;
    for (size_t i = 0; i + 1 < rest.size();) {
      if (rest.compare(i, 2, "｜") == 0) {
        at = i;
        break;
      }
      i += sjis::IsLead(rest[i]) ? 2 : 1;
    }
    if (at == std::string_view::npos) {
      parts[k] = rest;
      rest = {};
      break;
    }
    parts[k] = rest.substr(0, at);
    rest = rest.substr(at + 2);
  }
  parts[2] = rest;
  TFontSpec out;
  std::string name = Part(parts[0]);
  std::string key = FontKey(name);
  out.name = "ＭＳ ゴシック";
  for (const auto& installed : InstalledFonts())
    if (FontKey(installed) == key) {
      out.name = installed;
      break;
    }
  std::string style = Part(parts[1]);
  out.bold = Contains(style, "ボールド") || Contains(style, "太字");
  out.italic = Contains(style, "イタリック") || Contains(style, "傾斜") || Contains(style, "斜体");
  out.underline = Contains(style, "罫線") || Contains(style, "下線") || Contains(style, "アンダーライン");
  std::string size = Part(parts[2]);
  if (!size.empty()) {
    long double n = 0;
    try {
      n = TextToNumber(sjis::ToHalfWidth(size));
    } catch (const std::exception&) {
      n = 0;
    }
    if (std::isfinite(n) && std::fabs(n) < 1e6L) out.size = static_cast<int>(std::trunc(n));
  }
  return out;
}

TFont DrawingFont(TTamaBase& t) {
  TFont font;
  font.color = ReadColour(t.QuickWord("文字色").Value(), 0);
  TFontSpec spec = ParseFontSpec(t.QuickWord("文字書体").Value());
  font.name = spec.name;
  font.bold = spec.bold;
  font.italic = spec.italic;
  font.underline = spec.underline;
  font.size = spec.size > 0 ? spec.size : ReadInteger(t.QuickWord("文字サイズ").Value(), 12);
  return font;
}

std::string ExpandTabs(std::string_view text, int tabWidth) {
  if (tabWidth < 1) tabWidth = 1;
  std::string out;
  out.reserve(text.size());
  int column = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (sjis::IsLead(c) && i + 1 < text.size()) {
      out += c;
      out += text[++i];
      column += 2;
    } else if (c == '\t') {
      int n = tabWidth - column % tabWidth;
      out.append(static_cast<size_t>(n), ' ');
      column += n;
    } else if (c == '\r' || c == '\n') {
      if (i + 1 < text.size() && (text[i + 1] == '\r' || text[i + 1] == '\n') && text[i + 1] != c) ++i;
      out += "\r\n";
      column = 0;
    } else {
      out += c;
      ++column;
    }
  }
  return out;
}

}  // namespace tama::gui
