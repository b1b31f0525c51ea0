// The size of a picture file from its header (BMP, ICO, PNG, JPEG, GIF), and
// the picture loader as the object properties use it without pixels: what a
// name stands for (a packed file, the clipboard, an object, a file) and the
// loader's errors.
#pragma once
#include <string>
#include <string_view>

#include "engine/tama.h"
#include "gui/model.h"

namespace tama::gui {

struct TPictureSize {
  int w = 0, h = 0;
};

enum class TPictureRead {
  kOk,
  kCannotOpen,   // missing, a folder, or unreadable
  kBadData,      // the header is not one of its format
  kUnsupported,  // an extension no reader takes
};

// Reads the width and height from the header of the file at the native path,
// by the extension (".bmp", ".ico", ".png", ".jpg"/".jpeg", ".gif", in any
// case). On kBadData `reason` tells what is wrong.
TPictureRead ReadPictureSize(const std::string& nativePath, std::string_view extension, TPictureSize& out,
                             std::string& reason);

// The picture layer of a window: a フォーム's "img" (raises the error of a
// missing one), 母艦's own record, whose layer carries number 0.
TObjNode& PictureLayer(TTamaBase& t, TObjNode& form);

// The picture a name loads: a packed file, "クリップボード" (empty without a
// picture), an object name (a name without extension: an イメージ's picture
// or a フォーム's "img"), or a picture file completed as reading commands
// complete names. Raises the loader's errors. `nativePath`, when given, gets
// the file's path as the system names it (empty for a picture of an object
// or of the clipboard).
TPictureSize LoadPicture(TTamaBase& t, std::string_view name, std::string* nativePath = nullptr);

}  // namespace tama::gui
