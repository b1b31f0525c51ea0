#include "commands/output_file.h"

#include <cstdio>

#include "engine/tama.h"
#include "sjis/convert.h"

namespace tama {

void AppendLineToFile(TTamaBase& t, std::string_view fileName, std::string_view text) {
  std::string path = sjis::SjisToUtf8(fileName);
  for (char& c : path)
    if (c == '\\') c = '/';
  std::FILE* f = std::fopen(path.c_str(), "ab");
  if (!f) t.Raise("\"" + std::string(fileName) + "\"へ書き込めません。");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fwrite("\r\n", 1, 2, f);
  std::fclose(f);
}

}  // namespace tama
