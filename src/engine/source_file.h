// Reading program files: Shift-JIS as they are, UTF-8 files converted.
#pragma once
#include <string>
#include <string_view>

namespace tama {

enum class TSourceRead { kOk, kMissing, kNotSjis };

// Reads the file at a path of the file system. A UTF-8 file (a byte-order
// mark, or valid UTF-8 with non-ASCII bytes) is converted to Shift-JIS; when
// a character has no Shift-JIS form the result is kNotSjis and `badLine` (if
// given) is its 1-based line.
TSourceRead ReadSourceFile(const std::string& nativePath, std::string& out, int* badLine = nullptr);

// The lines of a text (ended by CR LF, CR or LF) joined again, each followed by CR LF.
std::string JoinLinesCrLf(std::string_view text);

}  // namespace tama
