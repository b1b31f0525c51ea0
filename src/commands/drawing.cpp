// The drawing and image commands: shapes and text on pictures, loading,
// saving, copying, effects, capture, fades, icons and printing.
#include "commands/drawing.h"

#include <unistd.h>

#include <cmath>
#include <iterator>

#include "commands/files_internal.h"
#include "engine/files_state.h"
#include "engine/security.h"
#include "gui/mainwindow.h"
#include "gui/model.h"
#include "gui/objects.h"
#include "gui/pictures.h"
#include "gui/readers.h"
#include "raster/pixels.h"
#include "support/lines.h"
#include "support/number.h"
#include "support/path.h"
#include "words/tags.h"

namespace tama {

namespace {

using gui::Gui;
using gui::TObjNode;

// The command's name as the table below registers it.
const char* NameOf(int id);

[[noreturn]] void RaiseArgs(TTamaBase& t, int id) {
  t.Raise("\"" + std::string(NameOf(id)) + "\"命令の引数に誤りがあります。");
}

std::string Unquoted(std::string name) {
  if (name.size() >= 2 && (name.front() == '`' || name.front() == '"') && name.back() == name.front())
    name = name.substr(1, name.size() - 2);
  return name;
}

// The object an image argument names: the name as written, else its value;
// null when none has that name.
TObjNode* FindImage(TTamaBase& t, const std::string& raw, std::string& name) {
  gui::MainWindow(t);
  name = Unquoted(raw);
  if (TObjNode* node = Gui(t).FindByName(name)) return node;
  std::string value;
  if (t.ResolveValue(raw, value)) {
    name = value;
    if (TObjNode* node = Gui(t).FindByName(value)) return node;
  }
  return nullptr;
}

// The same, raising when none has that name.
TObjNode& ImageObject(TTamaBase& t, const std::string& raw, std::string& name) {
  TObjNode* node = FindImage(t, raw, name);
  if (!node) t.Raise("オブジェクト\"" + name + "\"は、作成されていません。");
  return *node;
}

// The bitmap of an image argument (イメージ or フォーム; with `bitmapOnly`
// false, any object with a canvas), with the errors.
TObjNode& BitmapArg(TTamaBase& t, const std::string& raw, bool bitmapOnly = true) {
  std::string name;
  TObjNode* canvas = gui::CanvasNode(t, ImageObject(t, raw, name), bitmapOnly);
  if (!canvas) t.Raise("\"" + name + "\"は、イメージではありません。");
  return *canvas;
}

// The canvas of an image argument (any object with one, or with
// `bitmapOnly` イメージ and フォーム only), null when none.
TObjNode* CanvasArg(TTamaBase& t, const std::string& raw, bool bitmapOnly = false) {
  std::string name;
  TObjNode* node = FindImage(t, raw, name);
  return node ? gui::CanvasNode(t, *node, bitmapOnly) : nullptr;
}

raster::TPen PenOf(TTamaBase& t) {
  raster::TPen pen;
  pen.colour = raster::PixelOf(gui::ReadColour(t.QuickWord("ペン色").Value(), 0));
  const int32_t w = ReadInteger(t.QuickWord("ペン太さ").Value(), 1);
  pen.width = w <= 0 ? 1 : w;
  pen.fill = raster::PixelOf(gui::ReadColour(t.QuickWord("塗り色").Value(), 0));
  pen.brush = true;
  return pen;
}

// A literal or a word standing for "(…)" is read through its value.
std::string Coordinates(TTamaBase& t, const std::string& text) {
  if (text.empty() || text.front() == '(') return text;
  return t.EvaluateText(text);
}

bool Point(TTamaBase& t, const std::string& text, gui::TPoint& p) { return gui::ReadPoint(t, Coordinates(t, text), p); }
gui::TRect Rect(TTamaBase& t, const std::string& text) { return gui::ReadRect(t, Coordinates(t, text)); }

TObjNode& Main(TTamaBase& t) { return gui::MainWindow(t); }

void Shape(TTamaBase& t, int id, TObjNode& canvas, bool boxFromRect, bool fillOnly, const std::string& startText,
           const std::string& endText, bool startOmitted) {
  raster::TPen pen = PenOf(t);
  int x1, y1, x2, y2;
  if (boxFromRect) {
    const gui::TRect r = Rect(t, endText);
    x1 = r.x1, y1 = r.y1, x2 = r.x2, y2 = r.y2;
  } else {
    gui::TPoint a{t.textX, t.textY}, b;
    if (!startOmitted && !Point(t, startText, a)) return;
    if (!Point(t, endText, b)) return;
    x1 = a.x, y1 = a.y, x2 = b.x, y2 = b.y;
  }
  if (fillOnly) pen.width = 0;
  raster::IRaster& r = gui::RasterFor(t, NameOf(id));
  raster::TPixels& p = gui::Pixels(t, canvas, NameOf(id));
  switch (id) {
    case kCmdSen:
    case kCmdSenByouga: r.Line(p, x1, y1, x2, y2, pen); break;
    case kCmdShikakukei:
    case kCmdShikakukeiByouga: r.Rectangle(p, x1, y1, x2, y2, pen); break;
    default: r.Ellipse(p, x1, y1, x2, y2, pen); break;
  }
  gui::PixelsChanged(t, canvas);
}

// 線, 四角形, 円形 on 母艦.
void MainShape(TTamaBase& t, int id) {
  const bool omitted = t.omitted;
  const std::string end = t.PopArgText();
  const std::string start = t.PopArgText();
  const bool rect = omitted && id != kCmdSen;
  Shape(t, id, Main(t), rect, omitted && id == kCmdShikakukei, start, end, omitted);
}

// 線描画, 四角形描画, 円形描画 on an image.
void ImageShape(TTamaBase& t, int id) {
  const std::string end = t.PopArgText();
  const std::string start = t.PopArgText();
  TObjNode& canvas = BitmapArg(t, t.PopArgText());
  Shape(t, id, canvas, false, false, start, end, false);
}

// 点描画 and 座標色取得: 母艦 when the image is omitted; failures are ignored.
void Pixel(TTamaBase& t, int id) {
  const bool omitted = t.omitted;
  const std::string point = t.PopArgText();
  const std::string image = t.PopArgText();
  TObjNode* canvas = omitted ? &Main(t) : CanvasArg(t, image);
  gui::TPoint at;
  if (!canvas || !Point(t, point, at)) return;
  raster::TPixels& p = gui::Pixels(t, *canvas, NameOf(id));
  if (!p.Inside(at.x, at.y)) return;
  if (id == kCmdTenByouga) {
    uint32_t& v = p.At(at.x, at.y);
    v = raster::PixelOf(gui::ReadColour(t.QuickWord("ペン色").Value(), 0));
    gui::PixelsChanged(t, *canvas);
    return;
  }
  uint32_t v = p.At(at.x, at.y);
  // a pixel of an overlay never drawn shows the widget beneath
  if (p.alpha && (v >> 24) == 0) v = gui::BackgroundPixel(*canvas);
  t.SetResultTagged(std::to_string(raster::ColourOf(v)), kTagNumber);
}

// Draws a loaded picture on 母艦 at the placement cursor; the cursor goes below it.
void ShowOnMain(TTamaBase& t, int id, raster::TPixels& pic) {
  TObjNode& main = Main(t);
  raster::TPixels& p = gui::Pixels(t, main, NameOf(id));
  raster::MakeOpaque(p);
  const int x = Gui(t).centering ? (main.w - pic.w) / 2 : t.textX;
  raster::Draw(p, pic, x, t.textY);
  t.textY = static_cast<int>(std::min<int64_t>(int64_t{t.textY} + pic.h, INT32_MAX));
  gui::PixelsChanged(t, main);
}

void GazouHyouji(TTamaBase& t, int id) {
  std::string size;
  if (id == kCmdGazouKakudaiHyouji) size = t.PopArgText();
  const std::string name = t.PopArgValue();
  raster::TPixels pic;
  if (!gui::TryLoadPixels(t, name, NameOf(id), pic)) t.Raise("\"" + name + "\"が読込めません。");
  if (id == kCmdGazouKakudaiHyouji) {
    gui::TPoint wh;
    if (!Point(t, size, wh) || !raster::ResampleAllowed(pic, wh.x, wh.y)) RaiseArgs(t, id);
    pic = raster::Resample(pic, wh.x, wh.y);
  }
  ShowOnMain(t, id, pic);
}

void MojiByouga(TTamaBase& t, int id) {
  const std::string text = t.PopArgValue();
  const std::string point = t.PopArgText();
  const std::string image = t.PopArgText();
  TObjNode& canvas = BitmapArg(t, image, false);
  gui::TPoint at;
  if (!Point(t, point, at)) return;
  const gui::TFont font = gui::DrawingFont(t);
  const int advance = static_cast<int>(std::trunc(1.2L * Gui(t).view->TextHeight(font)));
  raster::IRaster& r = gui::RasterFor(t, NameOf(id));
  raster::TPixels& p = gui::Pixels(t, canvas, NameOf(id));
  raster::TTextFont f{font.name, gui::PixelSize(font.size), font.bold, font.italic, font.underline};
  std::string error;
  if (!r.Text(p, at.x, at.y, gui::DisplayLines(t, text), advance, f, raster::PixelOf(font.color),
              id == kCmdMojiByouga, error))
    t.Raise("\"" + std::string(NameOf(id)) + "\"命令で文字を描けません。" + error);
  gui::PixelsChanged(t, canvas);
}

void ByougaShoriHanei(TTamaBase& t, int) {
  gui::Changed(t, Main(t));
  if (TEventLoop* loop = t.host.Loop()) loop->ProcessPending();
}

// The source picture of a copy resized to the rectangle when x2 or y2 > 0.
bool Sized(const raster::TPixels& src, const gui::TRect& r, raster::TPixels& out) {
  if (r.x2 <= 0 && r.y2 <= 0) {
    out = src;
    return true;
  }
  const int64_t w = int64_t{r.x2} - r.x1, h = int64_t{r.y2} - r.y1;
  if (!raster::ResampleAllowed(src, w, h)) return false;
  out = raster::Resample(src, static_cast<int>(w), static_cast<int>(h));
  return true;
}

// The picture a copy reads and the canvas it writes; false when either is missing (nothing is copied).
bool CopyEnds(TTamaBase& t, const std::string& srcName, const std::string& dstName, TObjNode*& src, TObjNode*& dst) {
  src = CanvasArg(t, srcName, true);
  dst = CanvasArg(t, dstName);
  return src && dst;
}

void ImageCopy(TTamaBase& t, int id) {
  const gui::TRect rect = Rect(t, t.PopArgText());
  const std::string dstName = t.PopArgText();
  const std::string srcName = t.PopArgText();
  TObjNode *src = nullptr, *dst = nullptr;
  if (!CopyEnds(t, srcName, dstName, src, dst)) return;
  const raster::TPixels from = gui::Pixels(t, *src, NameOf(id));
  raster::TPixels sized;
  raster::TPixels& to = gui::Pixels(t, *dst, NameOf(id));
  if (Sized(from, rect, sized)) {
    raster::Draw(to, sized, rect.x1, rect.y1);
  } else {
    // a size the resampling cannot make: stretched into the rectangle instead
    raster::StretchRect(to, rect.x1, rect.y1, int64_t{rect.x2} - rect.x1, int64_t{rect.y2} - rect.y1, from, 0, 0, from.w,
                        from.h);
  }
  gui::PixelsChanged(t, *dst);
}

void ImageBubunCopy(TTamaBase& t, int id) {
  gui::TRect to = Rect(t, t.PopArgText());
  const std::string dstName = t.PopArgText();
  const gui::TRect from = Rect(t, t.PopArgText());
  const std::string srcName = t.PopArgText();
  std::string name;
  TObjNode& srcNode = ImageObject(t, srcName, name);
  TObjNode& dstNode = ImageObject(t, dstName, name);
  TObjNode* src = gui::CanvasNode(t, srcNode, true);
  TObjNode* dst = gui::CanvasNode(t, dstNode, false);
  if (!src || !dst) RaiseArgs(t, id);
  int64_t tw = int64_t{to.x2} - to.x1, th = int64_t{to.y2} - to.y1;
  if (to.x2 == 0 && to.y2 == 0) {
    tw = int64_t{from.x2} - from.x1;
    th = int64_t{from.y2} - from.y1;
  }
  const raster::TPixels copy = gui::Pixels(t, *src, NameOf(id));
  raster::StretchRect(gui::Pixels(t, *dst, NameOf(id)), to.x1, to.y1, tw, th, copy, from.x1, from.y1,
                      int64_t{from.x2} - from.x1, int64_t{from.y2} - from.y1);
  gui::PixelsChanged(t, *dst);
}

void ImageHantoumeiCopy(TTamaBase& t, int id) {
  const long double percent = t.PopArgNumber();
  const gui::TRect rect = Rect(t, t.PopArgText());
  const std::string dstName = t.PopArgText();
  const std::string srcName = t.PopArgText();
  TObjNode *src = nullptr, *dst = nullptr;
  if (!CopyEnds(t, srcName, dstName, src, dst)) return;
  raster::TPixels sized;
  if (!Sized(gui::Pixels(t, *src, NameOf(id)), rect, sized)) RaiseArgs(t, id);
  raster::TPixels& p = gui::Pixels(t, *dst, NameOf(id));
  raster::Blend(p, sized, rect.x1, rect.y1, percent);
  gui::PixelsChanged(t, *dst);
}

void ImageHozon(TTamaBase& t, int id) {
  const std::string image = t.PopArgText();
  const std::string file = t.PopArgValue();
  TObjNode& canvas = BitmapArg(t, image);
  gui::SavePixels(t, canvas, file, true, NameOf(id));
}

int64_t WholeNumber(TTamaBase& t) {
  const long double n = std::trunc(t.PopArgNumber());
  if (!std::isfinite(n)) return 0;
  return static_cast<int64_t>(std::clamp<long double>(n, -9.2e18L, 9.2e18L));
}

void Effect(TTamaBase& t, int id) {
  int64_t n = 0;
  long double g = 0;
  switch (id) {
    case kCmdGammaHosei: g = t.PopArgNumber(); break;
    case kCmdGazouSepia: n = gui::ReadColour(t.PopArgValue(), 0); break;
    case kCmdAkarusaHosei:
    case kCmdGazouKaiten:
    case kCmdGazouBokashi:
    case kCmdGazouSharp:
    case kCmdGazouBitsuuHenkou: n = WholeNumber(t); break;
    default: break;
  }
  const std::string image = t.PopArgText();
  TObjNode* canvas;
  if (id == kCmdGazouBitsuuHenkou) {
    // the argument must be an object word
    std::string name = Unquoted(image);
    const THashNode* word = t.words.Find(name, false);
    TObjNode* node = word && word->Kind == wkObject ? gui::ObjectOfWord(t, *word) : nullptr;
    canvas = node ? gui::CanvasNode(t, *node, true) : nullptr;
    if (!canvas) t.Raise("オブジェクト\"" + name + "\"は、作成されていません。");
  } else {
    canvas = &BitmapArg(t, image);
  }
  // the work is done on a copy written back at the end
  raster::TPixels p = gui::Pixels(t, *canvas, NameOf(id));
  switch (id) {
    case kCmdSuichokuHanten: raster::FlipVertical(p); break;
    case kCmdSuiheiHanten: raster::FlipHorizontal(p); break;
    case kCmdMigiKaiten: p = raster::RotateRight(p); break;
    case kCmdNegaPosiHanten: raster::Negative(p); break;
    case kCmdGrayscaleHenkan: raster::Greyscale(p); break;
    case kCmdSolarization: raster::Solarize(p); break;
    case kCmdAkarusaHosei: raster::Brightness(p, n); break;
    case kCmdGammaHosei: raster::Gamma(p, static_cast<double>(g)); break;
    case kCmdGazouKaiten: raster::Rotate(p, n); break;
    case kCmdGazouBokashi: raster::Blur(p, n); break;
    case kCmdGazouSharp:
      if (!raster::Sharpen(p, n)) RaiseArgs(t, id);
      break;
    case kCmdGazouEdgeKenshutsu: raster::Edge(p); break;
    case kCmdGazouSepia: raster::Sepia(p, n); break;
    case kCmdGazouBitsuuHenkou:
      if (!raster::SetDepth(p, n))
        t.Raise("\"" + std::string(NameOf(id)) + "\"命令の引数に誤りがあります。" + std::to_string(n) +
                "ビットはサポートしていません。");
      break;
    default: break;
  }
  const int w = p.w, h = p.h;
  *canvas->picture = std::move(p);
  if (id == kCmdMigiKaiten && canvas->kind == gui::kImage && !(canvas->parent > 0 &&
                                                                Gui(t).Find(canvas->parent) &&
                                                                Gui(t).Find(canvas->parent)->imgNumber == canvas->number)) {
    // the widget takes the new size
    canvas->w = w;
    canvas->h = h;
  }
  gui::PixelsChanged(t, *canvas);
}

void MadoCapture(TTamaBase& t, int id) {
  const bool omitted = t.omitted;
  const std::string title = t.PopArgValue();
  const std::string image = t.PopArgText();
  TObjNode* canvas = &Main(t);
  if (!omitted) {
    std::string name;
    TObjNode* node = FindImage(t, image, name);
    canvas = node ? gui::CanvasNode(t, *node, false) : nullptr;
    if (!canvas) t.Raise("オブジェクト\"" + name + "\"が特定できません。");
  }
  raster::TPixels shot;
  bool got = false;
  if (title == "デスクトップ" && !t.host.Headless())
    if (raster::IRaster* r = gui::TryRaster()) got = r->GrabDesktop(shot);
  if (!got) {
    // the run-time's own windows: their picture layers (the desktop without a
    // window is 母艦's)
    gui::TGuiState& g = Gui(t);
    TObjNode* window = nullptr;
    if (title == "デスクトップ") window = &g.Main();
    for (size_t i = 0; !window && i < g.objects.size(); ++i)
      if (TObjNode* n = g.objects[i].get(); n && n->kind == gui::kForm && n->text == title) window = n;
    if (!window) return;
    TObjNode* layer = gui::CanvasNode(t, *window, true);
    if (!layer) return;
    shot = gui::Pixels(t, *layer, NameOf(id));
  }
  raster::Draw(gui::Pixels(t, *canvas, NameOf(id)), shot, 0, 0);
  gui::PixelsChanged(t, *canvas);
  gui::Changed(t, Main(t));
}

void Fade(TTamaBase& t, int id) {
  const int64_t s = WholeNumber(t);
  TObjNode& main = Main(t);
  raster::TPixels& p = gui::Pixels(t, main, NameOf(id));
  raster::MakeOpaque(p);
  const bool down = id == kCmdGamenFadeOut;
  TEventLoop* loop = t.host.Loop();
  for (int step = 0; step < 26 && !t.stopFlag; ++step) {
    raster::FadeLevel(p, down ? 255 - 10 * step : 10 * step, down);
    gui::PixelsChanged(t, main);
    for (int64_t k = 0; k <= s && s >= 0 && !t.stopFlag; ++k) {
      if (loop) loop->ProcessPending();
      usleep(2000);
    }
  }
  gui::PixelsChanged(t, main);
}

void IconChuushutsu(TTamaBase& t, int id) {
  THashNode& word = t.PopWordArg(false);
  const int64_t n = WholeNumber(t);
  const std::string file = t.PopArgValue();
  if (word.Kind != wkObject) t.Raise("\"" + word.Name + "\"は、オブジェクトではありません。");
  TObjNode* node = gui::ObjectOfWord(t, word);
  if (!node || node->kind != gui::kImage)
    t.Raise("\"" + word.Name + "\"は、オブジェクトではありません。イメージを指定します。");
  if (n < 0) RaiseArgs(t, id);
  std::string path = ExtractPackedFile(t, file);
  if (path.empty()) path = ResolveFileName(t, file);
  const std::string cannot = "画像ファイル\"" + path + "\"が読込めません。";
  std::string bytes;
  if (!files::ReadWholeFile(support::NativePath(path), bytes)) bytes.clear();
  std::string ico = raster::IconOfExecutable(bytes, n);
  if (ico.empty()) t.Raise(cannot);
  raster::TPixels pic;
  std::string reason;
  switch (raster::DecodeIco(ico, pic, reason)) {
    case raster::TDecode::kOk: break;
    case raster::TDecode::kBadData: t.Raise(cannot + reason);
    case raster::TDecode::kNotMine:
      if (!gui::RasterFor(t, NameOf(id)).Decode(ico, pic, reason)) t.Raise(cannot + reason);
      break;
  }
  gui::SetPicture(t, *node, std::move(pic));
  node->w = node->pictureW;
  node->h = node->pictureH;
  gui::PixelsChanged(t, *node);
}

// Printing: the printer-setup dialog with a window; without one, a PDF next
// to the program once the security question allows it.
void Print(TTamaBase& t, int id, const std::vector<raster::TPixels>& pages, const std::vector<std::string>& lines) {
  std::string pdf;
  if (t.host.Headless()) {
    const std::string program = t.programFileName.empty() ? std::string("印刷.tmk") : t.programFileName;
    pdf = support::ChangeExtension(program, ".pdf");
    if (AskSecurity(t, pdf, "\"" + pdf + "\"へ印刷します。")) return;
  }
  std::string error;
  const int done = gui::RasterFor(t, NameOf(id)).Print(pages, lines, Main(t).text, pdf.empty() ? pdf : support::NativePath(pdf), error);
  if (done < 0) t.Raise("\"" + std::string(NameOf(id)) + "\"命令で印刷できません。" + error);
}

void ImageInsatsu(TTamaBase& t, int id) {
  const std::string raw = t.PopArgText();
  std::string name = Unquoted(raw);
  const THashNode* word = t.words.Find(name, false);
  if (!word || word->Kind != wkObject) {
    name = t.EvaluateText(raw);
    word = t.words.Find(name, false);
  }
  TObjNode* node = word && word->Kind == wkObject ? gui::ObjectOfWord(t, *word) : nullptr;
  if (!node || node->kind != gui::kImage) t.Raise("オブジェクト\"" + name + "\"は、作成されていません。");
  raster::TPixels p = gui::Pixels(t, *node, NameOf(id));
  raster::MakeOpaque(p);
  Print(t, id, {p}, {});
}

void KaniInsatsu(TTamaBase& t, int id) {
  const std::string text = t.PopArgValue();
  std::vector<std::string> lines;
  support::ForEachLine(text, [&lines](std::string_view line) { lines.emplace_back(line); });
  if (lines.empty()) lines.emplace_back();
  Print(t, id, {}, lines);
}

}  // namespace

static const TCommandDef kDefs[] = {
    {"線", "?から,?へ", kCmdSen, MainShape},
    {"四角形", "?から,?へ", kCmdShikakukei, MainShape},
    {"円形", "?から,?へ", kCmdEnkei, MainShape},
    {"画像表示", "?を", kCmdGazouHyouji, GazouHyouji},
    {"画像拡大表示", "?を,?で", kCmdGazouKakudaiHyouji, GazouHyouji},
    {"描画処理反映", "", kCmdByougaShoriHanei, ByougaShoriHanei},
    {"点描画", "?の,?へ", kCmdTenByouga, Pixel},
    {"窓キャプチャー", "?へ,?を", kCmdMadoCapture, MadoCapture},
    {"イメージコピー", "?を,?の,?に", kCmdImageCopy, ImageCopy},
    {"画面フェードアウト", "?で", kCmdGamenFadeOut, Fade},
    {"画面フェードイン", "?で", kCmdGamenFadeIn, Fade},
    {"イメージ保存", "?へ,?を", kCmdImageHozon, ImageHozon},
    {"簡易印刷", "?を", kCmdKaniInsatsu, KaniInsatsu},
    {"垂直反転", "?を", kCmdSuichokuHanten, Effect},
    {"水平反転", "?を", kCmdSuiheiHanten, Effect},
    {"右回転", "?を", kCmdMigiKaiten, Effect},
    {"ネガポジ反転", "?を", kCmdNegaPosiHanten, Effect},
    {"グレイスケール変換", "?を", kCmdGrayscaleHenkan, Effect},
    {"ソラリゼーション", "?を", kCmdSolarization, Effect},
    {"明るさ補正", "?を,?度", kCmdAkarusaHosei, Effect},
    {"ガンマ補正", "?を,?度", kCmdGammaHosei, Effect},
    {"文字描画", "?の,?へ,?と", kCmdMojiByouga, MojiByouga},
    {"画像回転", "?を,?度", kCmdGazouKaiten, Effect},
    {"画像エッジ検出", "?を", kCmdGazouEdgeKenshutsu, Effect},
    {"画像ボカシ", "?を,?度", kCmdGazouBokashi, Effect},
    {"画像シャープ", "?を,?度", kCmdGazouSharp, Effect},
    {"画像セピア", "?を,?で", kCmdGazouSepia, Effect},
    {"イメージ半透明コピー", "?を,?の,?に,?パーセント", kCmdImageHantoumeiCopy, ImageHantoumeiCopy},
    {"線描画", "?の,?から,?へ", kCmdSenByouga, ImageShape},
    {"四角形描画", "?の,?から,?へ", kCmdShikakukeiByouga, ImageShape},
    {"円形描画", "?の,?から,?へ", kCmdEnkeiByouga, ImageShape},
    {"イメージ部分コピー", "?の,?を,?の,?に", kCmdImageBubunCopy, ImageBubunCopy},
    {"イメージ印刷", "?を", kCmdImageInsatsu, ImageInsatsu},
    {"画像ビット数変更", "?を,?ビットに", kCmdGazouBitsuuHenkou, Effect},
    {"座標色取得", "?の,?を", kCmdZahyouIroShutoku, Pixel},
    {"アイコン抽出", "?の,?を,?に", kCmdIconChuushutsu, IconChuushutsu},
    {"文字表示", "?の,?へ,?と", kCmdMojiHyouji, MojiByouga},
};

namespace {

const char* NameOf(int id) {
  for (const TCommandDef& d : kDefs)
    if (d.id == id) return d.name;
  return "";
}

}  // namespace

static const TCommandFamily kFamily = {"drawing", kDefs, std::size(kDefs)};

const TCommandFamily& DrawingFamily() { return kFamily; }

}  // namespace tama
