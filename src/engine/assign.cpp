// Assignment: A は V, A = V.
#include "frontend/scanner.h"
#include "engine/tama.h"
#include "sjis/sjis.h"

namespace tama {

void TTamaBase::AssignVariable(std::string_view target, const char*& p) {
  const char* s = p;
  while (*p && *p != '\r' && *p != '\n' && *p != ';') p += sjis::CharLenZ(p);
  std::string value = EvaluateText(std::string_view(s, p - s));
  std::string name(target);
  THashNode* node = words.Find(name, false);
  if (!node) {
    auto n = std::make_shared<THashNode>(name, false, frames.FrameCount(), value);
    n->Tag = curTag;
    AddWord(std::move(n));
    return;
  }
  if (node->Protected) Raise("\"" + name + "\"は、読取専用です。");
  node->SetValue(std::move(value));
  node->Tag = curTag;
}

}  // namespace tama
