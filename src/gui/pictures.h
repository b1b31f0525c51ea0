// The pixels behind objects: canvases made on first use, the text 表示 drew
// rasterised when the pixels are needed, the image loader and the image
// saver with every picture format.
//
// Choices the drawing commands rely on:
// - a rectangle or ellipse box (x1,y1)-(x2,y2) covers the pixels x1..x2-1 x
//   y1..y2-1; a line includes both end points;
// - an イメージ drawn on before any picture was loaded gets a picture of the
//   widget's current size, filled white; later size changes do not resize
//   it (画像 sets both); a window's picture layer is its client size, filled
//   with its background colour (white), and follows the window's size;
// - グリッド, ラベル, アニメ and リスト draw on a transparent overlay of the
//   widget's size that stays until the object goes; a pixel never drawn
//   reads as the widget's background colour (white when it has none);
// - 画像回転 with a positive angle turns the picture clockwise on screen;
// - 座標色取得 leaves それ unchanged when the point or the canvas is missing.
#pragma once
#include <string>
#include <string_view>

#include "engine/tama.h"
#include "gui/model.h"
#include "raster/raster.h"

namespace tama::gui {

// The window module's painter; raises the missing-module error of the
// command when the module cannot be loaded.
raster::IRaster& RasterFor(TTamaBase& t, std::string_view command);
// The same, null when the module is missing.
raster::IRaster* TryRaster();

// The record whose pixels an object draws on: イメージ itself, a フォーム's
// "img" (母艦 itself), グリッド, ラベル, アニメ, リスト their overlay; null for
// other kinds. `bitmapOnly`: イメージ and フォーム only.
TObjNode* CanvasNode(TTamaBase& t, TObjNode& node, bool bitmapOnly);
// The pixels of a canvas record, made on first use; 母艦's pending text is
// rasterised first.
raster::TPixels& Pixels(TTamaBase& t, TObjNode& canvas, std::string_view command);
// The pixel of the canvas's background colour (white when it has none).
uint32_t BackgroundPixel(const TObjNode& canvas);
// The pixels changed (or were replaced): the record's picture size, and the view.
void PixelsChanged(TTamaBase& t, TObjNode& canvas);
// The text 表示 drew on 母艦 rasterised into its picture layer.
void FlushDrawnText(TTamaBase& t, std::string_view command);

// The image loader: a packed file, "クリップボード", an object name (a name
// without extension), or a picture file (.bmp, .ico, .jpg, .jpeg, .png,
// .exe, and what the toolkit's image readers take). Raises its errors.
raster::TPixels LoadPixels(TTamaBase& t, std::string_view name, std::string_view command);
// The same, false instead of the loader's errors (a missing module still raises).
bool TryLoadPixels(TTamaBase& t, std::string_view name, std::string_view command, raster::TPixels& out);
// The image saver: "クリップボード" or a file by its extension (.bmp, .jpg,
// .jpeg, .png, .ico), written through a temporary file renamed over the
// target. `ask`: the security policy is asked first (a refusal skips it).
void SavePixels(TTamaBase& t, TObjNode& canvas, std::string_view name, bool ask, std::string_view command);

// A picture given to an object (画像): イメージ takes its size, a window's
// layer shows it.
void SetPicture(TTamaBase& t, TObjNode& canvas, raster::TPixels pixels);

}  // namespace tama::gui
