// Shapes and text with QPainter on a QImage that wraps the picture's own
// buffer, the toolkit's image readers and writers, the clipboard's picture,
// printing and the desktop's picture.
#include "raster.h"

#include <unistd.h>

#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <algorithm>
#include <climits>

#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QPageLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QWidget>

#include "text.h"

namespace tama::qt {

namespace {

QImage Wrap(raster::TPixels& p) {
  return QImage(reinterpret_cast<uchar*>(p.px.data()), p.w, p.h, 4 * p.w,
                p.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
}

QImage Copy(const raster::TPixels& p) {
  return QImage(reinterpret_cast<const uchar*>(p.px.data()), p.w, p.h, 4 * p.w,
                p.alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32)
      .copy();
}

void Take(const QImage& in, raster::TPixels& out) {
  const bool alpha = in.hasAlphaChannel();
  QImage img = in.convertToFormat(alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
  raster::TPixels p;
  p.w = img.width();
  p.h = img.height();
  p.px.assign(static_cast<size_t>(p.w) * p.h, raster::kBlack);
  p.alpha = alpha;
  for (int y = 0; y < img.height(); ++y) {
    const auto* row = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
    std::copy(row, row + img.width(), &p.px[static_cast<size_t>(y) * p.w]);
  }
  if (!alpha)
    for (uint32_t& v : p.px) v |= 0xFF000000u;
  out = std::move(p);
}

// Coordinates far outside any picture are brought nearer: the painter's
// arithmetic is 32-bit.
int Near(int v) { return std::clamp(v, -(1 << 24), 1 << 24); }

QColor Colour(uint32_t px) { return QColor::fromRgb(px | 0xFF000000u); }

// The painter set up as the shapes want it: exact colours, no smoothing.
void SetUp(QPainter& g, const raster::TPen& pen) {
  g.setRenderHint(QPainter::Antialiasing, false);
  g.setCompositionMode(QPainter::CompositionMode_Source);
  if (pen.width > 0)
    g.setPen(QPen(Colour(pen.colour), pen.width, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  else
    g.setPen(Qt::NoPen);
  g.setBrush(pen.brush ? QBrush(Colour(pen.fill)) : QBrush(Qt::NoBrush));
}

// The toolkit's own warnings stay off standard error unless asked for.
void QuietHandler(QtMsgType, const QMessageLogContext&, const QString& msg) {
  const char* v = std::getenv("TAMAKAZU_QT_DEBUG");
  if (v && std::string(v) == "1") std::fprintf(stderr, "qt: %s\n", msg.toLocal8Bit().constData());
}

// Text needs an application object: a headless run makes one on the
// offscreen platform with the run-time's virtual screen.
bool EnsureApplication(std::string& error) {
  if (QCoreApplication::instance()) {
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return true;
    error = "no font system";
    return false;
  }
  qInstallMessageHandler(QuietHandler);
  static int argc = 3;
  static char name[] = "tamakazu";
  static char opt[] = "-platform";
  static std::string platform = "offscreen";
  static char* argv[] = {name, opt, nullptr, nullptr};
  const char* tmp = std::getenv("TMPDIR");
  std::string path = std::string(tmp && *tmp ? tmp : "/tmp") + "/tamakazu-screen-XXXXXX";
  std::vector<char> file(path.begin(), path.end());
  file.push_back('\0');
  std::string config;
  if (const int fd = mkstemp(file.data()); fd >= 0) {
    const std::string json =
        "{\"screens\":[{\"name\":\"v\",\"x\":0,\"y\":0,\"width\":1024,\"height\":768,"
        "\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}";
    const bool written = write(fd, json.data(), json.size()) == static_cast<ssize_t>(json.size());
    close(fd);
    if (written) config = file.data();
  }
  if (!config.empty()) platform = "offscreen:configfile=" + config;
  argv[2] = platform.data();
  static QGuiApplication* app = new QGuiApplication(argc, argv);
  std::setlocale(LC_ALL, "C");
  if (!config.empty()) std::remove(config.c_str());
  (void)app;
  QFont::insertSubstitutions(QString::fromUtf16(u"ＭＳ ゴシック"), {QStringLiteral("IPAGothic")});
  QFont::insertSubstitutions(QString::fromUtf16(u"ＭＳ Ｐゴシック"), {QStringLiteral("IPAPGothic")});
  QFont::insertSubstitutions(QString::fromUtf16(u"ＭＳ 明朝"), {QStringLiteral("IPAMincho")});
  QFont::insertSubstitutions(QString::fromUtf16(u"ＭＳ Ｐ明朝"), {QStringLiteral("IPAPMincho")});
  return true;
}

class TRaster : public raster::IRaster {
 public:
  void Line(raster::TPixels& p, int x1, int y1, int x2, int y2, const raster::TPen& pen) override {
    if (p.Empty() || pen.width <= 0) return;
    QImage img = Wrap(p);
    QPainter g(&img);
    SetUp(g, pen);
    g.drawLine(Near(x1), Near(y1), Near(x2), Near(y2));
  }
  void Rectangle(raster::TPixels& p, int x1, int y1, int x2, int y2, const raster::TPen& pen) override {
    Box(p, x1, y1, x2, y2, pen, false);
  }
  void Ellipse(raster::TPixels& p, int x1, int y1, int x2, int y2, const raster::TPen& pen) override {
    Box(p, x1, y1, x2, y2, pen, true);
  }
  bool Text(raster::TPixels& p, int x, int y, const std::vector<std::string>& lines, int advance,
            const raster::TTextFont& f, uint32_t colour, bool smooth, std::string& error) override {
    if (!EnsureApplication(error)) return false;
    if (p.Empty()) return true;
    QFont font(Q(f.name));
    font.setPixelSize(std::max(1, f.pixelSize));
    font.setBold(f.bold);
    font.setItalic(f.italic);
    font.setUnderline(f.underline);
    font.setStyleStrategy(smooth ? QFont::PreferAntialias : QFont::NoAntialias);
    QImage img = Wrap(p);
    QPainter g(&img);
    g.setRenderHint(QPainter::TextAntialiasing, smooth);
    g.setRenderHint(QPainter::Antialiasing, false);
    g.setFont(font);
    g.setPen(Colour(colour));
    const int ascent = QFontMetrics(font).ascent();
    for (size_t i = 0; i < lines.size(); ++i)
      g.drawText(Near(x), Near(static_cast<int>(std::clamp<int64_t>(int64_t{y} + int64_t(i) * advance + ascent,
                                                                    INT32_MIN, INT32_MAX))),
                 Q(lines[i]));
    return true;
  }
  bool Decode(const std::string& data, raster::TPixels& out, std::string& error) override {
    QImageReader::setAllocationLimit(256);
    QByteArray bytes = QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(false);
    const QSize size = reader.size();
    if (size.isValid() && !raster::SizeAllowed(size.width(), size.height())) {
      error = "too large";
      return false;
    }
    QImage img = reader.read();
    if (img.isNull()) {
      error = Sjis(reader.errorString());
      return false;
    }
    if (!raster::SizeAllowed(img.width(), img.height())) {
      error = "too large";
      return false;
    }
    Take(img, out);
    return true;
  }
  bool Reads(const std::string& extension) override {
    for (const QByteArray& f : QImageReader::supportedImageFormats())
      if (f.toLower().toStdString() == extension) return true;
    return false;
  }
  bool Encode(const raster::TPixels& p, const std::string& format, int quality, std::string& data,
              std::string& error) override {
    QImage img = Copy(p);
    if (!p.alpha || format == "jpg") img = img.convertToFormat(QImage::Format_RGB888);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format == "jpg" ? QByteArray("jpeg") : QByteArray::fromStdString(format));
    if (format == "jpg") writer.setQuality(quality);
    if (!writer.write(img)) {
      error = Sjis(writer.errorString());
      return false;
    }
    data.assign(bytes.constData(), static_cast<size_t>(bytes.size()));
    return true;
  }
  bool ClipboardPicture(raster::TPixels& out) override {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return false;
    QImage img = QGuiApplication::clipboard()->image();
    if (img.isNull()) return false;
    Take(img, out);
    return true;
  }
  void SetClipboardPicture(const raster::TPixels& p) override {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) return;
    QGuiApplication::clipboard()->setImage(Copy(p));
  }
  int Print(const std::vector<raster::TPixels>& pages, const std::vector<std::string>& lines,
            const std::string& title, const std::string& pdf, std::string& error) override {
    if (!EnsureApplication(error)) return -1;
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(Q(title));
    if (!pdf.empty()) {
      printer.setOutputFormat(QPrinter::PdfFormat);
      printer.setOutputFileName(Q(pdf));
    } else {
      if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return 0;
      QPrintDialog dialog(&printer);
      if (dialog.exec() != QDialog::Accepted) return 0;
    }
    QPainter g;
    if (!g.begin(&printer)) {
      error = "the printer cannot start";
      return -1;
    }
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    for (size_t i = 0; i < pages.size(); ++i) {
      if (i) printer.newPage();
      const raster::TPixels& p = pages[i];
      if (p.Empty()) continue;
      // the scale of the longer side to the page
      const double s = p.w > p.h ? static_cast<double>(p.w) / page.width() : static_cast<double>(p.h) / page.height();
      g.drawImage(QRect(0, 0, static_cast<int>(p.w / s), static_cast<int>(p.h / s)), Copy(p));
    }
    if (!lines.empty()) {
      QFont font(QStringLiteral("Monospace"), 10);
      font.setStyleHint(QFont::Monospace);
      g.setFont(font);
      const QFontMetrics m(font, &printer);
      const int perPage = std::max(1, page.height() / std::max(1, m.lineSpacing()));
      for (size_t i = 0; i < lines.size(); ++i) {
        if (i && i % perPage == 0) printer.newPage();
        g.drawText(0, static_cast<int>(i % perPage) * m.lineSpacing() + m.ascent(), Q(lines[i]));
      }
    }
    g.end();
    return 1;
  }
  bool GrabDesktop(raster::TPixels& out) override {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) return false;
    QScreen* s = QGuiApplication::primaryScreen();
    if (!s || QGuiApplication::platformName() != QStringLiteral("xcb")) return false;
    QPixmap shot = s->grabWindow(0);
    if (shot.isNull()) return false;
    Take(shot.toImage(), out);
    return true;
  }

 private:
  void Box(raster::TPixels& p, int x1, int y1, int x2, int y2, const raster::TPen& pen, bool ellipse) {
    if (p.Empty()) return;
    x1 = Near(x1), y1 = Near(y1), x2 = Near(x2), y2 = Near(y2);
    if (x2 < x1) std::swap(x1, x2);
    if (y2 < y1) std::swap(y1, y2);
    QImage img = Wrap(p);
    QPainter g(&img);
    SetUp(g, pen);
    // an outlined box covers x1..x2-1: the toolkit outlines w + 1 pixels;
    // a fill alone covers its rectangle exactly
    const QRect r = pen.width > 0 ? QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1) : QRect(x1, y1, x2 - x1, y2 - y1);
    if (ellipse)
      g.drawEllipse(r);
    else
      g.drawRect(r);
  }
};

}  // namespace

raster::IRaster* RasterOfModule() {
  static TRaster r;
  return &r;
}

}  // namespace tama::qt
