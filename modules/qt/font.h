// The toolkit font of a program font, at the run-time's fixed metrics, and
// the toolkit colour of a program colour.
#pragma once
#include <QColor>
#include <QFont>
#include <algorithm>
#include <cmath>
#include <cstdint>

#include "gui/model.h"
#include "text.h"

namespace tama::qt {

// The run-time's colours are 0x00BBGGRR.
inline QColor Colour(int64_t bgr) { return QColor(bgr & 0xFF, (bgr >> 8) & 0xFF, (bgr >> 16) & 0xFF); }
inline int64_t Bgr(const QColor& c) { return c.red() | (c.green() << 8) | (static_cast<int64_t>(c.blue()) << 16); }

// Points to pixels at 96 dots per inch, rounded half up.
inline int PixelSize(int points) { return static_cast<int>(std::trunc(points * 96.0 / 72.0 + 0.5)); }

// A font of the run-time's own forms, at a size in pixels.
inline QFont PixelFont(const char16_t* name, int pixels) {
  QFont font(QString::fromUtf16(name));
  font.setPixelSize(pixels);
  return font;
}

inline QFont FontOf(const gui::TFont& f) {
  QFont font(Q(f.name));
  font.setPixelSize(std::max(1, PixelSize(f.size)));
  font.setBold(f.bold);
  font.setItalic(f.italic);
  font.setUnderline(f.underline);
  return font;
}

}  // namespace tama::qt
