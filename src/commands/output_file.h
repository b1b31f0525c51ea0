// Appending lines of output to a file that a program names.
#pragma once
#include <string>
#include <string_view>

namespace tama {

class TTamaBase;

// Appends the text as a line (CR LF after it) to the file, creating it when
// it does not exist, after the security question; a refused question writes
// nothing. The name is a program's file name (Shift-JIS).
void AppendLineToFile(TTamaBase& t, std::string_view fileName, std::string_view text);

}  // namespace tama
