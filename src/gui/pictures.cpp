// Canvases, pending text, the image loader and the image saver.
#include "gui/pictures.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "engine/files_state.h"
#include "engine/modules.h"
#include "engine/security.h"
#include "gui/objects.h"
#include "gui/picture_file.h"
#include "gui/readers.h"
#include "gui/window_system.h"
#include "sjis/lcmap.h"
#include "support/fileops.h"
#include "support/path.h"

namespace tama::gui {

namespace {

bool IsOverlayKind(int kind) { return kind == kGrid || kind == kLabel || kind == kAnime || kind == kList; }

[[noreturn]] void RaiseBare(TTamaBase& t, const std::string& message) {
  t.errorLog.AddLine(message);
  throw ETama(message);
}

bool ReadWhole(const std::string& native, std::string& data) {
  struct stat st;
  if (stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (st.st_size > (int64_t{512} << 20)) return false;
  std::ifstream in(native, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  data = s.str();
  return true;
}

// A whole file written beside the target and renamed over it.
bool WriteReplacing(const std::string& native, const std::string& data, std::string& reason) {
  std::string tmp = native + ".tmp-XXXXXX";
  const int fd = mkstemp(tmp.data());
  if (fd < 0) {
    reason = std::strerror(errno);
    return false;
  }
  if (!support::WriteAll(fd, data.data(), data.size())) {
    reason = std::strerror(errno);
    close(fd);
    unlink(tmp.c_str());
    return false;
  }
  fchmod(fd, 0644);
  if (close(fd) != 0 || rename(tmp.c_str(), native.c_str()) != 0) {
    reason = std::strerror(errno);
    unlink(tmp.c_str());
    return false;
  }
  return true;
}

// The record takes its picture's size.
void TookPicture(TObjNode& canvas) {
  canvas.hasPicture = true;
  canvas.pictureW = canvas.picture->w;
  canvas.pictureH = canvas.picture->h;
}

}  // namespace

uint32_t BackgroundPixel(const TObjNode& canvas) {
  return raster::PixelOf(canvas.background < 0 ? 0xFFFFFF : canvas.background);
}

raster::IRaster* TryRaster() {
  std::string error;
  IWindowSystem* ws = LoadModule<IWindowSystem>("qt", error);
  return ws ? ws->Raster() : nullptr;
}

raster::IRaster& RasterFor(TTamaBase& t, std::string_view command) {
  raster::IRaster* r = TryRaster();
  if (!r) RaiseModuleMissing(t, command, "qt");
  return *r;
}

TObjNode* CanvasNode(TTamaBase& t, TObjNode& node, bool bitmapOnly) {
  if (node.kind == kImage) return &node;
  if (node.kind == kForm) return &PictureLayer(t, node);
  if (!bitmapOnly && IsOverlayKind(node.kind)) return &node;
  return nullptr;
}

void FlushDrawnText(TTamaBase& t, std::string_view command) {
  TGuiState& g = Gui(t);
  if (g.drawnText.empty()) return;
  TObjNode& main = g.Main();
  raster::IRaster& r = RasterFor(t, command);
  if (!main.picture) main.picture = std::make_shared<raster::TPixels>(raster::Make(main.w, main.h, BackgroundPixel(main)));
  // the list goes first: a failure leaves no half-drawn list to draw again
  std::vector<TGuiState::TDrawnText> lines;
  lines.swap(g.drawnText);
  for (const auto& line : lines) {
    raster::TTextFont f{line.font.name, PixelSize(line.font.size), line.font.bold, line.font.italic,
                        line.font.underline};
    std::string error;
    r.Text(*main.picture, line.x, line.y, {line.text}, 0, f, raster::PixelOf(line.font.color), true, error);
  }
  TookPicture(main);
}

raster::TPixels& Pixels(TTamaBase& t, TObjNode& canvas, std::string_view command) {
  if (canvas.number == 0) FlushDrawnText(t, command);
  if (!canvas.picture) {
    if (IsOverlayKind(canvas.kind)) {
      auto p = std::make_shared<raster::TPixels>(raster::Make(canvas.w, canvas.h, 0));
      p->alpha = true;
      canvas.picture = std::move(p);
    } else {
      int w = canvas.w, h = canvas.h;
      if (canvas.kind == kForm || canvas.parent > 0 || canvas.number == 0) {
        // a window's layer: its client size
        if (canvas.pictureW > 0 && canvas.pictureH > 0) w = canvas.pictureW, h = canvas.pictureH;
      }
      if (!raster::SizeAllowed(w, h)) w = h = 0;
      canvas.picture = std::make_shared<raster::TPixels>(raster::Make(w, h, BackgroundPixel(canvas)));
      TookPicture(canvas);
    }
  }
  return *canvas.picture;
}

void PixelsChanged(TTamaBase& t, TObjNode& canvas) {
  if (canvas.picture && !IsOverlayKind(canvas.kind)) TookPicture(canvas);
  Changed(t, canvas);
}

void SetPicture(TTamaBase& t, TObjNode& canvas, raster::TPixels pixels) {
  if (canvas.number == 0) Gui(t).drawnText.clear();
  canvas.picture = std::make_shared<raster::TPixels>(std::move(pixels));
  TookPicture(canvas);
}

namespace {

// A failure of the loader: its message, raised with or without the position prefix.
struct TLoadFailure {
  std::string message;
  bool bare = false;
};

raster::TPixels LoadImpl(TTamaBase& t, std::string_view name, std::string_view command) {
  std::string file = ExtractPackedFile(t, name);
  TGuiState& g = Gui(t);
  if (file.empty()) {
    if (name == "クリップボード") {
      raster::TPixels p;
      if (!t.host.Headless()) {
        if (raster::IRaster* r = TryRaster(); r && r->ClipboardPicture(p)) return p;
        return {};
      }
      return g.clipboardPicture ? *g.clipboardPicture : raster::TPixels{};
    }
    if (support::ExtensionPart(name).empty()) {
      TObjNode* node = g.FindByName(name);
      TObjNode* canvas = node ? CanvasNode(t, *node, true) : nullptr;
      if (!canvas) throw TLoadFailure{"画像として、\"" + std::string(name) + "\"を読み込めません。", true};
      return Pixels(t, *canvas, command);
    }
    file = ResolveFileName(t, name);
  }
  const std::string ext = sjis::ToLower(support::ExtensionPart(file));
  const std::string cannot = "画像ファイル\"" + file + "\"が読込めません。";
  std::string data;
  auto read = [&] {
    if (!ReadWhole(support::NativePath(file), data)) throw TLoadFailure{cannot};
  };
  raster::TPixels out;
  std::string reason;
  auto byToolkit = [&](const std::string& failure) {
    raster::IRaster& r = RasterFor(t, command);
    if (!r.Decode(data, out, reason)) throw TLoadFailure{failure + reason};
  };
  if (ext == ".bmp" || ext == ".ico" || ext == ".exe") {
    read();
    if (ext == ".exe") {
      data = raster::IconOfExecutable(data, 0);
      if (data.empty()) throw TLoadFailure{cannot};
    }
    raster::TDecode d = ext == ".bmp" ? raster::DecodeBmp(data, out, reason) : raster::DecodeIco(data, out, reason);
    if (d == raster::TDecode::kBadData) throw TLoadFailure{cannot + reason};
    if (d == raster::TDecode::kNotMine) byToolkit(cannot);
  } else if (ext == ".jpg" || ext == ".jpeg" || ext == ".png") {
    read();
    byToolkit(cannot);
  } else {
    raster::IRaster* r = TryRaster();
    const std::string bare = ext.empty() ? std::string() : ext.substr(1);
    if (!r || bare.empty() || !r->Reads(bare)) throw TLoadFailure{"\"" + file + "\"が読込めません。未対応のファイル形式です。"};
    read();
    if (!r->Decode(data, out, reason)) throw TLoadFailure{"\"" + file + "\"が読込めません。画像の読み込みエラー。"};
  }
  return out;
}

}  // namespace

raster::TPixels LoadPixels(TTamaBase& t, std::string_view name, std::string_view command) {
  try {
    return LoadImpl(t, name, command);
  } catch (const TLoadFailure& f) {
    if (f.bare) RaiseBare(t, f.message);
    t.Raise(f.message);
  }
}

bool TryLoadPixels(TTamaBase& t, std::string_view name, std::string_view command, raster::TPixels& out) {
  try {
    out = LoadImpl(t, name, command);
    return true;
  } catch (const TLoadFailure&) {
    return false;
  }
}

void SavePixels(TTamaBase& t, TObjNode& canvas, std::string_view name, bool ask, std::string_view command) {
  TGuiState& g = Gui(t);
  if (canvas.kind == kImage && canvas.parent >= 0) {
    // a フォーム's "img" is first sized to the form's client area
    if (TObjNode* form = g.Find(canvas.parent); form && form->kind == kForm && form->imgNumber == canvas.number) {
      raster::Resize(Pixels(t, canvas, command), form->w, form->h, BackgroundPixel(canvas));
    }
  }
  raster::TPixels& p = Pixels(t, canvas, command);
  if (name == "クリップボード") {
    g.clipboardPicture = std::make_shared<raster::TPixels>(p);
    if (!t.host.Headless())
      if (raster::IRaster* r = TryRaster()) r->SetClipboardPicture(p);
    return;
  }
  const std::string file(name);
  if (ask && AskSecurity(t, file, "イメージを\"" + file + "\"へ保存します。")) return;
  const std::string ext = sjis::ToLower(support::ExtensionPart(file));
  const std::string failed = "ファイル\"" + file + "\"の、読み込みか書き込みに、失敗しました。";
  std::string data, reason;
  if (ext == ".bmp") {
    data = raster::EncodeBmp(p);
  } else if (ext == ".jpg" || ext == ".jpeg" || ext == ".png" || ext == ".ico") {
    int quality = -1;
    if (ext == ".jpg" || ext == ".jpeg") {
      const std::string q = t.QuickWord("JPEG圧縮率").Value();
      char* end = nullptr;
      const long v = std::strtol(q.c_str(), &end, 10);
      if (q.empty() || *end || v < 1 || v > 100) t.Raise(failed + "JPEG圧縮率は1から100の整数です。");
      quality = static_cast<int>(v);
    }
    if (ext == ".ico" && (p.w > 256 || p.h > 256)) t.Raise(failed + "アイコンは256×256までです。");
    raster::TPixels opaque = p;
    if (ext != ".png" && ext != ".ico") raster::MakeOpaque(opaque);
    const std::string format = ext == ".png" ? "png" : ext == ".ico" ? "ico" : "jpg";
    if (!RasterFor(t, command).Encode(opaque, format, quality, data, reason)) t.Raise(failed + reason);
  } else {
    t.Raise("\"" + ext + "\"は、未対応の画像ファイルです。");
  }
  if (!WriteReplacing(support::NativePath(file), data, reason)) t.Raise(failed + reason);
}

}  // namespace tama::gui
