// The host the object-model tests run against: 表示 and messages collected,
// the error dialog stopping the run, no event loop.
#pragma once
#include <string>
#include <string_view>
#include <vector>

#include "engine/host.h"

namespace tama::gui {

class TTestHost : public THost {
 public:
  std::string out;
  std::vector<std::string> dialogs;
  void Display(std::string_view text) override {
    out += text;
    out += '\n';
  }
  void Message(std::string_view text, std::string_view) override { Display(text); }
  void Warning(std::string_view, std::string_view) override {}
  TErrorAnswer ShowErrorDialog(const std::string& log) override {
    dialogs.push_back(log);
    return TErrorAnswer::kStop;
  }
  bool Headless() const override { return true; }
};

}  // namespace tama::gui
