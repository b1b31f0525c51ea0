// The line-list and text helpers of the table commands.
#pragma once
#include <cstddef>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "support/lines.h"

namespace tama::tables {

// The lines of a text: CR, LF and CR LF each end a line, a last line without
// a line end still counts, an empty text has no lines.
using support::SplitLines;
// Every line followed by CR LF.
std::string JoinLines(std::span<const std::string_view> lines);

// Byte position of the first occurrence of t in s at or after from that
// begins at a character boundary (from must be one); npos when absent or when
// t is empty.
using support::FindAtBoundary;
// Every occurrence of search replaced, left to right; inserted text is not
// searched again. An empty search text changes nothing.
std::string ReplaceAll(std::string_view source, std::string_view search, std::string_view replacement);
// Whether the single-byte character c stands in s (never a trail byte).
using support::HasCharAtBoundary;

// The comparison key of the case-insensitive line sort: ASCII and full-width
// Latin capitals as small letters, every other character as it is; keys
// compare as bytes.
void AppendCollationKey(std::string& out, std::string_view s);
// ソート: the lines in case-insensitive order (lines that compare equal keep
// their order).
std::string SortLinesIgnoringCase(std::string_view text);
// 数値ソート: the lines in the order of their numbers (the number-reading
// rule); lines with equal numbers keep their order.
std::string SortLinesByNumber(std::string_view text);

}  // namespace tama::tables
