#include "engine/source_file.h"

#include <sys/stat.h>

#include <fstream>
#include <iterator>

#include "sjis/convert.h"
#include "support/lines.h"

namespace tama {

TSourceRead ReadSourceFile(const std::string& nativePath, std::string& out, int* badLine) {
  // a folder opens as a stream but fails at the first read
  struct stat st;
  if (stat(nativePath.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return TSourceRead::kMissing;
  std::ifstream in(nativePath, std::ios::binary);
  if (!in) return TSourceRead::kMissing;
  std::string bytes;
  try {
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure&) {
    return TSourceRead::kMissing;  // a read error of the file system
  }
  if (in.bad()) return TSourceRead::kMissing;
  if (sjis::LooksLikeUtf8Source(bytes)) {
    std::string_view body = bytes;
    if (body.substr(0, sjis::kUtf8Bom.size()) == sjis::kUtf8Bom) body.remove_prefix(sjis::kUtf8Bom.size());
    size_t bad = 0;
    std::string converted;
    if (!sjis::Utf8ToSjis(body, converted, &bad)) {
      if (badLine) {
        *badLine = 1;
        for (size_t i = 0; i < bad && i < body.size(); ++i)
          if (body[i] == '\n' || (body[i] == '\r' && (i + 1 >= body.size() || body[i + 1] != '\n'))) ++*badLine;
      }
      return TSourceRead::kNotSjis;
    }
    bytes = std::move(converted);
  }
  out = std::move(bytes);
  return TSourceRead::kOk;
}

std::string JoinLinesCrLf(std::string_view text) { return support::LinesEndingCrLf(text); }

}  // namespace tama
