#include "support/json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "sjis/convert.h"

namespace tama::json {

namespace {

const TValue kNullValue;
const std::string kEmpty;

class TReader {
 public:
  explicit TReader(std::string_view s) : s_(s) {}

  bool Read(TValue& out, std::string& error) {
    if (!Value(out, 0)) {
      error = error_ + " at offset " + std::to_string(i_);
      return false;
    }
    Blank();
    if (i_ != s_.size()) {
      error = "text after the value at offset " + std::to_string(i_);
      return false;
    }
    return true;
  }

 private:
  void Blank() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) ++i_;
  }
  bool Fail(const char* why) {
    error_ = why;
    return false;
  }
  bool Word(std::string_view w) {
    if (s_.substr(i_, w.size()) != w) return false;
    i_ += w.size();
    return true;
  }

  bool Value(TValue& out, int depth) {
    if (depth > 200) return Fail("nested too deeply");
    Blank();
    if (i_ >= s_.size()) return Fail("a value is missing");
    const char c = s_[i_];
    if (c == '{') return ObjectValue(out, depth);
    if (c == '[') return ArrayValue(out, depth);
    if (c == '"') {
      std::string s;
      if (!String(s)) return false;
      out = TValue(std::move(s));
      return true;
    }
    if (Word("true")) return out = TValue(true), true;
    if (Word("false")) return out = TValue(false), true;
    if (Word("null")) return out = TValue(), true;
    return Number(out);
  }

  bool Number(TValue& out) {
    const size_t start = i_;
    if (i_ < s_.size() && s_[i_] == '-') ++i_;
    const size_t digits = i_;
    while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
    if (i_ == digits) return Fail("not a value");
    if (i_ < s_.size() && s_[i_] == '.') {
      ++i_;
      const size_t frac = i_;
      while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
      if (i_ == frac) return Fail("a number without digits after its point");
    }
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      ++i_;
      if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
      const size_t exp = i_;
      while (i_ < s_.size() && s_[i_] >= '0' && s_[i_] <= '9') ++i_;
      if (i_ == exp) return Fail("a number without exponent digits");
    }
    out = TValue(std::strtod(std::string(s_.substr(start, i_ - start)).c_str(), nullptr));
    return true;
  }

  bool Hex4(uint32_t& v) {
    if (i_ + 4 > s_.size()) return Fail("a short \\u escape");
    v = 0;
    for (int k = 0; k < 4; ++k) {
      const char h = s_[i_++];
      v <<= 4;
      if (h >= '0' && h <= '9') v |= h - '0';
      else if (h >= 'a' && h <= 'f') v |= h - 'a' + 10;
      else if (h >= 'A' && h <= 'F') v |= h - 'A' + 10;
      else return Fail("a bad \\u escape");
    }
    return true;
  }

  bool String(std::string& out) {
    ++i_;  // the opening quote
    while (true) {
      if (i_ >= s_.size()) return Fail("an unterminated string");
      const unsigned char c = static_cast<unsigned char>(s_[i_++]);
      if (c == '"') return true;
      if (c < 0x20) return Fail("a control character in a string");
      if (c != '\\') {
        out += static_cast<char>(c);
        continue;
      }
      if (i_ >= s_.size()) return Fail("an unterminated string");
      const char e = s_[i_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          uint32_t cp;
          if (!Hex4(cp)) return false;
          if (cp >= 0xD800 && cp < 0xDC00) {
            uint32_t low;
            if (!Word("\\u") || !Hex4(low) || low < 0xDC00 || low >= 0xE000) return Fail("a lone surrogate");
            cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
          } else if (cp >= 0xDC00 && cp < 0xE000) {
            return Fail("a lone surrogate");
          }
          sjis::AppendUtf8(out, cp);
          break;
        }
        default: return Fail("a bad escape");
      }
    }
  }

  bool ArrayValue(TValue& out, int depth) {
    ++i_;
    out = TValue::Array();
    Blank();
    if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
    while (true) {
      TValue item;
      if (!Value(item, depth + 1)) return false;
      out.Push(std::move(item));
      Blank();
      if (i_ < s_.size() && s_[i_] == ',') {
        ++i_;
        continue;
      }
      if (i_ < s_.size() && s_[i_] == ']') return ++i_, true;
      return Fail("',' or ']' expected");
    }
  }

  bool ObjectValue(TValue& out, int depth) {
    ++i_;
    out = TValue::Object();
    Blank();
    if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
    while (true) {
      Blank();
      if (i_ >= s_.size() || s_[i_] != '"') return Fail("a member name expected");
      std::string key;
      if (!String(key)) return false;
      Blank();
      if (i_ >= s_.size() || s_[i_] != ':') return Fail("':' expected");
      ++i_;
      TValue v;
      if (!Value(v, depth + 1)) return false;
      out.Set(key, std::move(v));
      Blank();
      if (i_ < s_.size() && s_[i_] == ',') {
        ++i_;
        continue;
      }
      if (i_ < s_.size() && s_[i_] == '}') return ++i_, true;
      return Fail("',' or '}' expected");
    }
  }

  std::string_view s_;
  size_t i_ = 0;
  std::string error_;
};

}  // namespace

void DumpString(std::string_view s, std::string& out) {
  out += '"';
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '\b': out += "\\b"; break;
      case '\f': out += "\\f"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

int64_t TValue::AsInt(int64_t otherwise) const {
  if (type_ != kNumber || !std::isfinite(number_) || std::fabs(number_) > 9.0e18) return otherwise;
  return static_cast<int64_t>(number_);
}

const std::string& TValue::AsString() const { return type_ == kString ? string_ : kEmpty; }

TValue& TValue::Push(TValue v) {
  if (type_ != kArray) *this = Array();
  items_.push_back(std::move(v));
  return items_.back();
}

TValue& TValue::Set(std::string_view key, TValue v) {
  if (type_ != kObject) *this = Object();
  for (auto& m : members_)
    if (m.first == key) return m.second = std::move(v);
  members_.emplace_back(std::string(key), std::move(v));
  return members_.back().second;
}

const TValue& TValue::operator[](std::string_view key) const {
  if (type_ == kObject)
    for (const auto& m : members_)
      if (m.first == key) return m.second;
  return kNullValue;
}

bool TValue::Has(std::string_view key) const {
  if (type_ == kObject)
    for (const auto& m : members_)
      if (m.first == key) return true;
  return false;
}

void TValue::DumpTo(std::string& out) const {
  switch (type_) {
    case kNull: out += "null"; break;
    case kBool: out += bool_ ? "true" : "false"; break;
    case kNumber: {
      if (!std::isfinite(number_)) {
        out += "null";
      } else if (number_ == std::trunc(number_) && std::fabs(number_) < 1e15) {
        out += std::to_string(static_cast<int64_t>(number_));
      } else {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.17g", number_);
        out += buf;
      }
      break;
    }
    case kString: DumpString(string_, out); break;
    case kArray:
      out += '[';
      for (size_t i = 0; i < items_.size(); ++i) {
        if (i) out += ',';
        items_[i].DumpTo(out);
      }
      out += ']';
      break;
    case kObject:
      out += '{';
      for (size_t i = 0; i < members_.size(); ++i) {
        if (i) out += ',';
        DumpString(members_[i].first, out);
        out += ':';
        members_[i].second.DumpTo(out);
      }
      out += '}';
      break;
  }
}

std::string TValue::Dump() const {
  std::string out;
  DumpTo(out);
  return out;
}

bool Parse(std::string_view text, TValue& out, std::string& error) {
  out = TValue();
  return TReader(text).Read(out, error);
}

}  // namespace tama::json
