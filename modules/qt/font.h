// The toolkit font of a program font, at the run-time's fixed metrics.
#pragma once
#include <QFont>
#include <algorithm>
#include <cmath>

#include "gui/model.h"
#include "text.h"

namespace tama::qt {

// Points to pixels at 96 dots per inch, rounded half up.
inline int PixelSize(int points) { return static_cast<int>(std::trunc(points * 96.0 / 72.0 + 0.5)); }

inline QFont FontOf(const gui::TFont& f) {
  QFont font(Q(f.name));
  font.setPixelSize(std::max(1, PixelSize(f.size)));
  font.setBold(f.bold);
  font.setItalic(f.italic);
  font.setUnderline(f.underline);
  return font;
}

}  // namespace tama::qt
