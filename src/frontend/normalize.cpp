#include "frontend/normalize.h"

#include <array>
#include <charconv>
#include <climits>
#include <cstdint>
#include <cstring>

#include "sjis/sjis.h"

namespace tama::frontend {

namespace {

// One replacement text: one or two ASCII bytes.
struct Repl {
  uint8_t len;
  char s[2];
};

struct FoldPair {
  uint16_t code;
  char a, b;  // the replacement; b is 0 for a one-byte replacement
};

// Symbols, quotes and spacing (digits and letters are ranges, below).
constexpr FoldPair kSymbols[] = {
    {0x8149, '!', 0},   // ！
    {0x8168, '"', 0},   // ”
    {0x8194, '#', 0},   // ＃
    {0x8190, '$', 0},   // ＄
    {0x8193, '%', 0},   // ％
    {0x8195, '&', 0},   // ＆
    {0x8166, '\'', 0},  // ’
    {0x81A6, '\'', 0},  // ※
    {0x8169, '(', 0},   // （
    {0x816A, ')', 0},   // ）
    {0x8181, '=', 0},   // ＝
    {0x817C, '-', 0},   // －
    {0x814F, '^', 0},   // ＾
    {0x8160, '~', 0},   // ～
    {0x818F, '\\', 0},  // ￥
    {0x8162, '|', 0},   // ｜
    {0x816F, '{', 0},   // ｛
    {0x8170, '}', 0},   // ｝
    {0x8197, '@', 0},   // ＠
    {0x8165, '`', 0},   // ‘
    {0x8147, ';', 0},   // ；
    {0x8146, ':', 0},   // ：
    {0x817B, '+', 0},   // ＋
    {0x8196, '*', 0},   // ＊
    {0x815E, '/', 0},   // ／
    {0x817E, '*', 0},   // ×
    {0x8180, '/', 0},   // ÷
    {0x8148, '?', 0},   // ？
    {0x8151, '_', 0},   // ＿
    {0x8183, '<', 0},   // ＜
    {0x8184, '>', 0},   // ＞
    {0x8182, '<', '>'}, // ≠
    {0x8185, '<', '='}, // ≦
    {0x8186, '>', '='}, // ≧
    {0x8143, ',', 0},   // ，
    {0x8144, '.', 0},   // ．
    {0x8140, ' ', 0},   // full-width space
    {0x8141, ',', 0},   // 、
    {0x8142, ';', 0},   // 。
    {0x8175, '"', 0},   // 「
    {0x8176, '"', 0},   // 」
    {0x8177, '`', 0},   // 『
    {0x8178, '`', 0},   // 』
    {0x00A2, '"', 0},   // half-width opening corner bracket
    {0x00A3, '"', 0},   // half-width closing corner bracket
};

// The replacement texts, and for every 16-bit code the index of its
// replacement (0: the character folds to itself).
struct FoldTable {
  std::array<Repl, 256> repl{};
  std::array<uint8_t, 65536> index{};
};

constexpr FoldTable MakeFoldTable() {
  FoldTable t{};
  unsigned count = 1;
  auto add = [&](unsigned code, char a, char b) {
    unsigned k = 0;
    for (unsigned i = 1; i < count; ++i)
      if (t.repl[i].s[0] == a && t.repl[i].s[1] == b) k = i;
    if (k == 0) {
      k = count++;
      t.repl[k] = Repl{static_cast<uint8_t>(b ? 2 : 1), {a, b}};
    }
    t.index[code] = static_cast<uint8_t>(k);
  };
  for (const FoldPair& f : kSymbols) add(f.code, f.a, f.b);
  for (unsigned i = 0; i < 10; ++i) add(0x824F + i, static_cast<char>('0' + i), 0);
  for (unsigned i = 0; i < 26; ++i) add(0x8281 + i, static_cast<char>('a' + i), 0);
  for (unsigned i = 0; i < 26; ++i) add(0x8260 + i, static_cast<char>('A' + i), 0);
  return t;
}

constexpr FoldTable kFold = MakeFoldTable();

// The folded form of the character of `len` bytes at p.
inline std::string_view FoldAt(const char* p, size_t len) {
  unsigned code = static_cast<unsigned char>(p[0]);
  if (len == 2) code = code * 256u + static_cast<unsigned char>(p[1]);
  const uint8_t k = kFold.index[code];
  if (k == 0) return std::string_view(p, len);
  return std::string_view(kFold.repl[k].s, kFold.repl[k].len);
}

// The message of an unbalanced literal or brace: the text, up to 20 bytes of
// the input after the opening character, and the closing words.
[[noreturn]] void Fail(std::string& text, std::string&& out, const char* what, const char* at, int row) {
  std::string message = what;
  message.append(at, strnlen(at, 20));
  message += "』の近く";
  text = std::move(out);
  throw TNormalizeError(message, row);
}

}  // namespace

std::string_view FoldCode(unsigned code) {
  if (code > 0xFFFF) return {};
  const uint8_t k = kFold.index[code];
  if (k == 0) return {};
  return std::string_view(kFold.repl[k].s, kFold.repl[k].len);
}

std::string_view FoldChar(std::string_view ch) {
  if (ch.empty() || ch.size() > 2) return ch;
  return FoldAt(ch.data(), ch.size());
}

std::string FoldText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    const size_t len = sjis::CharLen(text, i);
    out += FoldAt(text.data() + i, len);
    i += len;
  }
  return out;
}

void NormalizeSource(std::string& text) {
  const char* p = text.c_str();
  std::string out;
  // Folding never lengthens the text; only the row prefixes do.
  out.reserve(text.size() + text.size() / 4 + 16);

  bool inDouble = false, inBack = false, inBrace = false, inLine = false;
  int n = 1;  // the row written at the next line break
  int quoteRow = 0, braceRow = 0;
  const char* quoteAt = p;
  const char* braceAt = p;
  char digits[16];

  while (*p != 0) {
    const size_t len = sjis::CharLenZ(p);
    const char* next = p + len;
    const std::string_view folded = FoldAt(p, len);
    const bool inLiteral = inDouble || inBack;
    // Outside literals and comment braces the folded form stands for the character.
    std::string_view ch = (inLiteral || inBrace) ? std::string_view(p, len) : folded;

    switch (folded[0]) {
      case '\r':
        if (*next == '\n') ++next;
        out += "\r\n";
        if (!inLiteral) {
          const auto r = std::to_chars(digits, digits + sizeof digits, n);
          out.append(digits, r.ptr);
          out += ':';
        }
        ++n;
        inLine = false;
        p = next;
        continue;

      case '"':
        if (!inBrace && !inLine && !inBack) {
          inDouble = !inDouble;
          ch = "\"";
          quoteRow = n;
          quoteAt = next;
        }
        break;

      case '\'':
        if (!inLiteral && !inBrace) inLine = true;
        break;

      case '/':
        // The second slash must be the ASCII one.
        if (!inLiteral && !inBrace && *next == '/') {
          inLine = true;
          ++next;
        }
        break;

      case '\\':
        if (inLine || inBrace) {
          p = next;
          continue;
        }
        if (inDouble) {
          // The escaped character is kept as it is, so \" does not end the
          // literal. A line break is still a line break: it keeps the row count.
          out += '\\';
          if (*next != '\r') {
            const size_t len2 = sjis::CharLenZ(next);
            out.append(next, len2);
            next += len2;
          }
          p = next;
          continue;
        }
        break;

      case '`':
        if (!inBrace && !inLine && !inDouble) {
          const size_t len2 = sjis::CharLenZ(next);
          if (len2 != 0 && FoldAt(next, len2)[0] == '`') {
            // Two backquotes in a row are kept and neither open nor close.
            out += "``";
            p = next + len2;
            continue;
          }
          inBack = !inBack;
          ch = "`";
          quoteRow = n;
          quoteAt = next;
        }
        break;

      case '{':
      case '}':
        if (!inLiteral && !inLine) {
          inBrace = folded[0] == '{';
          braceRow = n;
          braceAt = next;
          p = next;
          continue;
        }
        break;

      default:
        break;
    }
    if (!inBrace && !inLine) out += ch;
    p = next;
  }

  if (inBrace) Fail(text, std::move(out), "{ }が対応していません。『", braceAt, braceRow);
  if (inDouble) Fail(text, std::move(out), "「」または\"\"が対応していません。『", quoteAt, quoteRow);
  if (inBack) Fail(text, std::move(out), "『』または''''が対応していません。『", quoteAt, quoteRow);
  text = std::move(out);
}

int ReadLineNumber(const char*& p) {
  while (*p == '\t' || *p == ' ' || *p == '\r' || *p == '\n') ++p;
  const char* q = p;
  long long row = 0;
  while (sjis::IsDigit(*q)) {
    if (row <= INT_MAX) row = row * 10 + (*q - '0');
    ++q;
  }
  // Only digits directly followed by the colon make a row prefix.
  if (q == p || *q != ':') return -1;
  p = q + 1;
  return row > INT_MAX ? INT_MAX : static_cast<int>(row);
}

}  // namespace tama::frontend
