// The painter, codecs, clipboard, printing and window grabs on pictures.
#pragma once
#include "raster/raster.h"

namespace tama::qt {

raster::IRaster* RasterOfModule();

}  // namespace tama::qt
