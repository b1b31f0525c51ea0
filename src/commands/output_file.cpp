#include "commands/output_file.h"

#include <cstdio>

#include "engine/security.h"
#include "engine/tama.h"
#include "support/path.h"

namespace tama {

void AppendLineToFile(TTamaBase& t, std::string_view fileName, std::string_view text) {
  const std::string name(fileName);
  if (AskSecurity(t, name, "\"" + name + "\"へ書き込みます。")) return;
  std::FILE* f = std::fopen(support::NativePath(name).c_str(), "ab");
  if (!f) t.Raise("\"" + name + "\"へ書き込めません。");
  std::fwrite(text.data(), 1, text.size(), f);
  std::fwrite("\r\n", 1, 2, f);
  std::fclose(f);
}

}  // namespace tama
