// JSON values: a small reader and writer for the messages of the debug
// adapter. Strings are UTF-8 as they travel; numbers are doubles.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tama::json {

class TValue {
 public:
  enum TType { kNull, kBool, kNumber, kString, kArray, kObject };

  TValue() = default;
  TValue(bool b) : type_(kBool), bool_(b) {}
  TValue(int n) : type_(kNumber), number_(n) {}
  TValue(int64_t n) : type_(kNumber), number_(static_cast<double>(n)) {}
  TValue(double n) : type_(kNumber), number_(n) {}
  TValue(const char* s) : type_(kString), string_(s) {}
  TValue(std::string s) : type_(kString), string_(std::move(s)) {}
  TValue(std::string_view s) : type_(kString), string_(s) {}
  static TValue Array() { TValue v; v.type_ = kArray; return v; }
  static TValue Object() { TValue v; v.type_ = kObject; return v; }

  TType type() const { return type_; }
  bool IsNull() const { return type_ == kNull; }
  bool AsBool(bool otherwise = false) const { return type_ == kBool ? bool_ : otherwise; }
  double AsNumber(double otherwise = 0) const { return type_ == kNumber ? number_ : otherwise; }
  int64_t AsInt(int64_t otherwise = 0) const;
  // the text of a string (empty for any other value)
  const std::string& AsString() const;

  // arrays
  const std::vector<TValue>& Items() const { return items_; }
  TValue& Push(TValue v);
  size_t Size() const { return type_ == kArray ? items_.size() : members_.size(); }

  // objects: members in the order they were set; a second Set replaces
  TValue& Set(std::string_view key, TValue v);
  // the member (a null value when missing or when this is no object)
  const TValue& operator[](std::string_view key) const;
  bool Has(std::string_view key) const;
  const std::vector<std::pair<std::string, TValue>>& Members() const { return members_; }

  // the compact text (non-ASCII bytes kept as they are)
  std::string Dump() const;

 private:
  void DumpTo(std::string& out) const;

  TType type_ = kNull;
  bool bool_ = false;
  double number_ = 0;
  std::string string_;
  std::vector<TValue> items_;
  std::vector<std::pair<std::string, TValue>> members_;
};

// Appends `s` as a JSON string (quotes, escapes; bytes from 0x80 kept).
void DumpString(std::string_view s, std::string& out);

// Reads one JSON text (blanks around it allowed); false with the reason.
// Nesting deeper than 200 levels is refused.
bool Parse(std::string_view text, TValue& out, std::string& error);

}  // namespace tama::json
