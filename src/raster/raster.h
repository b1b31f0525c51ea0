// What only the window module can do with a picture: shapes and text with the
// toolkit's painter on the picture's own buffer, the codecs beyond BMP, the
// clipboard's picture, printing and taking windows. The core reaches it
// through IWindowSystem::Raster() (gui/window_system.h); texts are Shift-JIS.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "raster/pixels.h"

namespace tama::raster {

// The pen and brush of a shape: colours as pixels; a width of 0 or less
// means no outline, no brush means no fill.
struct TPen {
  uint32_t colour = kBlack;
  int width = 1;
  bool brush = true;
  uint32_t fill = kBlack;
};

struct TTextFont {
  std::string name;  // Shift-JIS
  int pixelSize = 16;
  bool bold = false, italic = false, underline = false;
};

class IRaster {
 public:
  virtual ~IRaster() = default;
  // A line including both end points.
  virtual void Line(TPixels& p, int x1, int y1, int x2, int y2, const TPen& pen) = 0;
  // A rectangle or ellipse in the box that covers x1..x2-1 x y1..y2-1.
  virtual void Rectangle(TPixels& p, int x1, int y1, int x2, int y2, const TPen& pen) = 0;
  virtual void Ellipse(TPixels& p, int x1, int y1, int x2, int y2, const TPen& pen) = 0;
  // Lines of text, line i with its top at y + i x advance; smoothed (grey
  // edges over the picture) or plain. False with the reason when no text can
  // be drawn (no font system).
  virtual bool Text(TPixels& p, int x, int y, const std::vector<std::string>& lines, int advance,
                    const TTextFont& font, uint32_t colour, bool smooth, std::string& error) = 0;
  // Decodes a picture file's bytes (any format the toolkit reads); false
  // with the reason.
  virtual bool Decode(const std::string& data, TPixels& out, std::string& error) = 0;
  // Whether the toolkit reads files of this extension (lower case, no dot).
  virtual bool Reads(const std::string& extension) = 0;
  // Encodes in a format ("png", "jpg", "ico"); quality for JPEG 1..100.
  virtual bool Encode(const TPixels& p, const std::string& format, int quality, std::string& data,
                      std::string& error) = 0;
  // The clipboard's picture (false when it holds none) and a picture put on it.
  virtual bool ClipboardPicture(TPixels& out) = 0;
  virtual void SetClipboardPicture(const TPixels& p) = 0;
  // Prints pictures, one per page, or text lines, after the printer-setup
  // dialog; `pdf` non-empty prints to that PDF file without a dialog.
  // Returns 1 printed, 0 cancelled, -1 failed (with the reason).
  virtual int Print(const std::vector<TPixels>& pages, const std::vector<std::string>& lines,
                    const std::string& title, const std::string& pdf, std::string& error) = 0;
  // The desktop's picture (window mode only); false when none can be taken.
  virtual bool GrabDesktop(TPixels& out) = 0;
};

}  // namespace tama::raster
