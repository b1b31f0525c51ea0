#include "frontend/scanner.h"

#include "support/number.h"

namespace tama::frontend {

std::string_view ReadWord(const char*& p) {
  SkipSpaces(p);
  const char* start = p;
  while (*p) {
    if (sjis::IsLead(*p) && p[1]) {
      p += 2;
      continue;
    }
    if (sjis::IsDelimiter(*p)) break;
    ++p;
  }
  return {start, static_cast<size_t>(p - start)};
}

namespace {
inline int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}
}  // namespace

std::string ReadNumber(const char*& p) {
  SkipBlanks(p);
  std::string sign;
  if (*p == '+' || *p == '-') {
    sign = *p;
    ++p;
  }
  if (*p == '$') {
    ++p;
    unsigned long long v = 0;
    while (HexValue(*p) >= 0) {
      v = (v << 4) | static_cast<unsigned>(HexValue(*p));
      ++p;
    }
    return sign + std::to_string(v);
  }
  // digits, a fraction only when a digit follows the point, an exponent only
  // when it is complete ("1.e3" reads 1, "1.5E" reads 1.5)
  const char* s = p;
  p = SkipDecimalNumber(p, NumberSyntax::kProgram);
  if (p == s) return sign;  // no digits: a sign alone, or nothing
  return sign + std::string(s, p);
}

std::string_view ReadLiteral(const char*& p, const char* limit) {
  SkipBlanks(p);
  const char* start = p;
  auto within = [&](const char* q) { return *q != 0 && (limit == nullptr || q <= limit); };
  if (*p == '"') {
    const char* q = p + 1;
    while (within(q)) {
      if (*q == '\\') {
        ++q;
        if (!within(q)) break;
        q += sjis::CharLenZ(q);
        continue;
      }
      if (*q == '"') {
        p = q + 1;
        return {start, static_cast<size_t>(p - start)};
      }
      q += sjis::CharLenZ(q);
    }
    throw TScanError("対応するカッコ \" または 」 がありません。");
  }
  if (*p == '`') {
    const char* q = p + 1;
    while (within(q)) {
      if (*q == '`') {
        if (within(q + 1) && q[1] == '`') {
          q += 2;
          continue;
        }
        p = q + 1;
        return {start, static_cast<size_t>(p - start)};
      }
      q += sjis::CharLenZ(q);
    }
    throw TScanError("対応するカッコ ` または 』 がありません。");
  }
  return {};
}

std::string_view ReadParenthesised(const char*& p) {
  SkipBlanks(p);
  if (*p != '(') return {};
  const char* open = ++p;
  const char* q = open;
  int depth = 1;
  bool inDouble = false, inBack = false;
  while (*q) {
    if (sjis::IsLead(*q) && q[1]) {
      q += 2;
      continue;
    }
    char c = *q;
    if (c == '"' && !inBack) {
      inDouble = !inDouble;
    } else if (c == '`' && !inDouble) {
      inBack = !inBack;
    } else if (inDouble && c == '\\') {
      ++q;
      if (!*q) break;
      q += sjis::CharLenZ(q);
      continue;
    } else if (!inDouble && !inBack) {
      if (c == '(') {
        ++depth;
      } else if (c == ')') {
        if (--depth == 0) {
          p = q + 1;
          return {open, static_cast<size_t>(q - open)};
        }
      }
    }
    ++q;
  }
  p = open;
  throw TScanError("\")\"が対応していません。");
}

std::string QuoteValue(std::string_view v) {
  std::string out;
  out.reserve(v.size() + 2);
  out += '`';
  for (size_t i = 0; i < v.size(); ++i) {
    out += v[i];
    if (v[i] == '`') out += '`';
    if (sjis::IsLead(v[i]) && i + 1 < v.size()) out += v[++i];  // a trail byte 0x60 is no backquote
  }
  out += '`';
  return out;
}

std::string UnquoteValue(std::string_view v) {
  if (v.size() < 2 || v.front() != '`' || v.back() != '`') return std::string(v);
  std::string out;
  out.reserve(v.size() - 2);
  for (size_t i = 1; i + 1 < v.size(); ++i) {
    out += v[i];
    if (v[i] == '`' && i + 2 < v.size() && v[i + 1] == '`') ++i;
    else if (sjis::IsLead(v[i]) && i + 2 < v.size()) out += v[++i];
  }
  return out;
}

bool EndsWithChar(std::string_view s, std::string_view suffix) {
  if (s.size() < suffix.size() || s.substr(s.size() - suffix.size()) != suffix) return false;
  // the suffix must start on a character boundary
  size_t start = s.size() - suffix.size();
  size_t i = 0;
  while (i < start) i += sjis::CharLen(s, i);
  return i == start;
}

}  // namespace tama::frontend
