// The debug dialog as a window: where the run is, the variables, the choice
// of how the run goes on. One dialog for the run: sizes, column widths, the
// splitter and the filters last between openings.
#pragma once
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "gui/window_system.h"

namespace tama::qt {

class TDebugDialog;

class TDebugDialogHolder {
 public:
  // `owner`: 母艦's widget (null when none); `memo`: the memo dialog of the
  // value view (caption, text); `message`: a plain message box (text).
  TDebugDialogHolder(std::function<QWidget*()> owner, std::function<void(const std::string&, const std::string&)> memo,
                     std::function<void(const std::string&)> message);
  ~TDebugDialogHolder();
  gui::TDebugChoice Show(const gui::TDebugWindow& window, const gui::TDebugChoice* scripted);

 private:
  std::function<QWidget*()> owner_;
  std::function<void(const std::string&, const std::string&)> memo_;
  std::function<void(const std::string&)> message_;
  std::unique_ptr<TDebugDialog> dialog_;
};

}  // namespace tama::qt
