// Formatting of numbers and values into text: the thousands-separated
// currency form and the one-directive format strings of the string commands.
#pragma once
#include <optional>
#include <string>
#include <string_view>

namespace tama {

// The number in the text (number-reading rule) as a four-decimal fixed-point
// amount, written with thousands separators: "#,##0.00" when the text holds a
// ".", else "#,##0" (halves away from zero). An amount beyond the 64-bit
// fixed-point range raises TNumError (range).
std::string FormatCurrency(std::string_view text);

// The value formatted by a format string of the form
//   text "%" [index ":"] ["-"] [width] ["." precision] type text ...
// with the value as the only argument. The argument is a floating-point
// number when the format holds the letter "f" or "m" anywhere, else a 64-bit
// integer when it holds "d", else the text itself (the letters are looked for
// character by character: a trail byte is not a letter). Types: d u x (integer
// argument), e f g n m (floating point), s (text); "%%" is "%". nullopt when
// the format cannot be applied (a malformed directive, a type that does not
// fit the argument, a value that does not read as a number).
std::optional<std::string> FormatValue(std::string_view format, std::string_view value);

}  // namespace tama
