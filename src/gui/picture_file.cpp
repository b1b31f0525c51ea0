// Picture sizes from file headers, and the picture loader without pixels.
#include "gui/picture_file.h"

#include <sys/stat.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

#include "engine/files_state.h"
#include "gui/model.h"
#include "sjis/lcmap.h"
#include "support/path.h"

namespace tama::gui {

namespace {

// At most this much of a file is read to find its size: a JPEG may carry
// large metadata segments before its frame header.
constexpr size_t kHeadLimit = 1 << 20;
constexpr int kMaxSide = 16384;

unsigned U8(const std::vector<unsigned char>& d, size_t at) { return at < d.size() ? d[at] : 0; }
unsigned Le16(const std::vector<unsigned char>& d, size_t at) { return U8(d, at) | U8(d, at + 1) << 8; }
uint32_t Le32(const std::vector<unsigned char>& d, size_t at) {
  return Le16(d, at) | static_cast<uint32_t>(Le16(d, at + 2)) << 16;
}
unsigned Be16(const std::vector<unsigned char>& d, size_t at) { return U8(d, at) << 8 | U8(d, at + 1); }
uint32_t Be32(const std::vector<unsigned char>& d, size_t at) {
  return static_cast<uint32_t>(Be16(d, at)) << 16 | Be16(d, at + 2);
}

bool Plausible(int64_t w, int64_t h) { return w > 0 && h > 0 && w <= kMaxSide && h <= kMaxSide; }

bool BmpSize(const std::vector<unsigned char>& d, TPictureSize& out) {
  if (d.size() < 26 || d[0] != 'B' || d[1] != 'M') return false;
  uint32_t header = Le32(d, 14);
  int64_t w, h;
  if (header == 12) {  // the old core header: 16-bit sides
    w = Le16(d, 18);
    h = Le16(d, 20);
  } else if (header >= 40 && d.size() >= 26) {
    w = static_cast<int32_t>(Le32(d, 18));
    h = static_cast<int32_t>(Le32(d, 22));
    if (h < 0) h = -h;  // stored top-down
  } else {
    return false;
  }
  if (!Plausible(w, h)) return false;
  out = {static_cast<int>(w), static_cast<int>(h)};
  return true;
}

bool IcoSize(const std::vector<unsigned char>& d, TPictureSize& out) {
  if (d.size() < 22 || Le16(d, 0) != 0 || Le16(d, 2) != 1 || Le16(d, 4) == 0) return false;
  // the first image of the directory; a side of 0 stands for 256
  int w = d[6] ? d[6] : 256, h = d[7] ? d[7] : 256;
  out = {w, h};
  return true;
}

bool PngSize(const std::vector<unsigned char>& d, TPictureSize& out) {
  static const unsigned char kSig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  if (d.size() < 24) return false;
  for (int i = 0; i < 8; ++i)
    if (d[i] != kSig[i]) return false;
  if (d[12] != 'I' || d[13] != 'H' || d[14] != 'D' || d[15] != 'R') return false;
  int64_t w = Be32(d, 16), h = Be32(d, 20);
  if (!Plausible(w, h)) return false;
  out = {static_cast<int>(w), static_cast<int>(h)};
  return true;
}

bool GifSize(const std::vector<unsigned char>& d, TPictureSize& out) {
  if (d.size() < 10 || d[0] != 'G' || d[1] != 'I' || d[2] != 'F' || d[3] != '8' || (d[4] != '7' && d[4] != '9') ||
      d[5] != 'a')
    return false;
  int64_t w = Le16(d, 6), h = Le16(d, 8);
  if (!Plausible(w, h)) return false;
  out = {static_cast<int>(w), static_cast<int>(h)};
  return true;
}

bool JpegSize(const std::vector<unsigned char>& d, TPictureSize& out) {
  if (d.size() < 4 || d[0] != 0xFF || d[1] != 0xD8) return false;
  size_t i = 2;
  while (i + 4 <= d.size()) {
    if (d[i] != 0xFF) return false;
    unsigned marker = d[i + 1];
    if (marker == 0xFF) {  // fill byte
      ++i;
      continue;
    }
    if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD7)) {  // no length
      i += 2;
      continue;
    }
    if (marker == 0xD9 || marker == 0xDA) return false;  // end or scan before a frame header
    unsigned length = Be16(d, i + 2);
    if (length < 2) return false;
    bool frame = marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8 && marker != 0xCC;
    if (frame) {
      if (i + 9 > d.size()) return false;
      int64_t h = Be16(d, i + 5), w = Be16(d, i + 7);
      if (!Plausible(w, h)) return false;
      out = {static_cast<int>(w), static_cast<int>(h)};
      return true;
    }
    i += 2 + length;
  }
  return false;
}

[[noreturn]] void RaiseBare(TTamaBase& t, const std::string& message) {
  t.errorLog.AddLine(message);
  throw ETama(message);
}

}  // namespace

TPictureRead ReadPictureSize(const std::string& nativePath, std::string_view extension, TPictureSize& out,
                             std::string& reason) {
  std::string ext = sjis::ToLower(extension);
  bool (*reader)(const std::vector<unsigned char>&, TPictureSize&) = nullptr;
  if (ext == ".bmp")
    reader = BmpSize;
  else if (ext == ".ico")
    reader = IcoSize;
  else if (ext == ".png")
    reader = PngSize;
  else if (ext == ".jpg" || ext == ".jpeg")
    reader = JpegSize;
  else if (ext == ".gif")
    reader = GifSize;
  else
    return TPictureRead::kUnsupported;
  struct stat st;
  if (stat(nativePath.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return TPictureRead::kCannotOpen;
  std::ifstream in(nativePath, std::ios::binary);
  if (!in) return TPictureRead::kCannotOpen;
  std::vector<unsigned char> data(kHeadLimit);
  in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
  data.resize(static_cast<size_t>(in.gcount()));
  if (!reader(data, out)) {
    reason = "画像の形式が正しくありません。";
    return TPictureRead::kBadData;
  }
  return TPictureRead::kOk;
}

TObjNode& PictureLayer(TTamaBase& t, TObjNode& form) {
  if (form.number == 0 || form.imgNumber == form.number) return form;
  TObjNode* layer = Gui(t).Find(form.imgNumber);
  if (!layer) t.Raise("オブジェクト\"フォームのimg\"は、作成されていません。");
  return *layer;
}

TPictureSize LoadPicture(TTamaBase& t, std::string_view name, std::string* nativePath) {
  if (nativePath) nativePath->clear();
  std::string file = ExtractPackedFile(t, name);
  if (file.empty()) {
    if (name == "クリップボード") return {};
    if (support::ExtensionPart(name).empty()) {
      TGuiState& g = Gui(t);
      TObjNode* node = g.FindByName(name);
      if (node && node->kind == kForm) node = &PictureLayer(t, *node);
      if (node && (node->kind == kImage || node->kind == kForm)) {
        if (node->hasPicture || node->pictureW > 0) return {node->pictureW, node->pictureH};
        return {node->w, node->h};
      }
      RaiseBare(t, "画像として、\"" + std::string(name) + "\"を読み込めません。");
    }
    file = ResolveFileName(t, name);
  }
  TPictureSize size;
  std::string reason;
  const std::string native = support::NativePath(file);
  switch (ReadPictureSize(native, support::ExtensionPart(file), size, reason)) {
    case TPictureRead::kOk:
      if (nativePath) *nativePath = native;
      return size;
    case TPictureRead::kUnsupported:
      if (sjis::ToLower(support::ExtensionPart(file)) == ".exe") break;
      t.Raise("\"" + file + "\"が読込めません。未対応のファイル形式です。");
    case TPictureRead::kBadData:
      t.Raise("画像ファイル\"" + file + "\"が読込めません。" + reason);
    case TPictureRead::kCannotOpen:
      break;
  }
  // an executable's icon needs the icon reader of the drawing commands
  t.Raise("画像ファイル\"" + file + "\"が読込めません。");
}

}  // namespace tama::gui
