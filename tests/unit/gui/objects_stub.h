// What the stand-ins of the object operations recorded.
#pragma once
#include <utility>
#include <vector>

namespace tama::gui {

struct TStubLog {
  int changed = 0;
  std::vector<std::pair<int, int>> events;  // object number, slot
  void Clear() {
    changed = 0;
    events.clear();
  }
};
TStubLog& StubLog();

}  // namespace tama::gui
