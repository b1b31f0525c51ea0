// Every command family of the language, in registration order.
#include "commands/families.h"

#include "commands/wordtable.h"
#include "commands/control.h"
#include "commands/errors.h"
#include "commands/strings.h"
#include "commands/conversion.h"
#include "commands/numeric.h"
#include "commands/tables.h"
#include "commands/files.h"
#include "commands/datetime.h"
#include "commands/dialogs.h"
#include "commands/system.h"
#include "commands/dll.h"
#include "commands/network.h"
#include "commands/archive.h"
#include "commands/office.h"
#include "commands/drawing.h"
#include "commands/sound.h"
#include "commands/gui_objects.h"
#include "commands/mainwindow.h"
#include "commands/widgets.h"
#include "commands/debug.h"
#include "commands/xml.h"

namespace tama {

std::span<const TCommandFamily> AllCommandFamilies() {
  static const TCommandFamily kAll[] = {
      WordTableFamily(),
      ControlFamily(),
      ErrorsFamily(),
      StringsFamily(),
      ConversionFamily(),
      NumericFamily(),
      TablesFamily(),
      FilesFamily(),
      DateTimeFamily(),
      DialogsFamily(),
      SystemFamily(),
      DllFamily(),
      NetworkFamily(),
      ArchiveFamily(),
      OfficeFamily(),
      DrawingFamily(),
      SoundFamily(),
      GuiObjectsFamily(),
      MainWindowFamily(),
      WidgetsFamily(),
      DebugFamily(),
      XmlFamily(),
  };
  return kAll;
}

}  // namespace tama
