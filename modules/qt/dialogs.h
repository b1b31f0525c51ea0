// The run-time's dialogs as toolkit windows: its own forms (message, line
// input, list choice, button choice, memo, progress, the error dialog) laid
// out by their fixed arithmetic, and the toolkit's common dialogs.
#pragma once
#include <QWidget>
#include <functional>

#include "gui/window_system.h"

namespace tama::qt {

// The dialogs, owned by the caller; `mainWindow` gives 母艦's widget (the
// owner of the dialogs and the width the button dialog reads), or null.
std::unique_ptr<gui::IDialogWindows> MakeDialogWindows(std::function<QWidget*()> mainWindow);

// The test hook: with TAMAKAZU_DIALOG_LOG set, the dialog's name, size,
// caption and named controls are appended to that file.
void LogDialogGeometry(QWidget& dialog);
// A line of the dialog's own appended to that file.
void LogDialogLine(const QString& line);

}  // namespace tama::qt
