#include "engine/tama.h"

#include "engine/plan.h"

namespace tama {

void TQuickRef::Bind(std::string name, THashNodeRef node) {
  name_ = std::move(name);
  node_ = std::move(node);
}

TTamaBase::TTamaBase(THost& h) : host(h), cachesOn(plan::CachesWanted()) {}
TTamaBase::~TTamaBase() = default;

void TTamaBase::AddWord(THashNodeRef node) {
  const std::string& name = node->Name;
  // a quick reference follows a replaced word, and one whose word had been
  // removed takes the new word of its name
  auto quickName = [&](std::string_view n) {
    if (n == sore_.Name() || n == kaisu_.Name() || n == soshite_.Name() || n == errorMessage_.Name()) return true;
    for (const auto& ref : controlRefs_)
      if (ref.Name() == n) return true;
    for (const auto& ref : otherRefs_)
      if (ref.first == n) return true;
    return false;
  };
  bool replacing = words.Find(name, false) != nullptr || quickName(name);
  words.Add(std::move(node));
  if (replacing) {
    BindQuickRefs();
  }
}

void TTamaBase::RemoveWord(std::string_view name, bool fold) {
  if (words.Remove(name, fold) >= 0) {
    BindQuickRefs();
  }
}

void TTamaBase::BindQuickRefs() {
  auto bind = [&](TQuickRef& ref, std::string_view name) {
    // a word still in the table, under its own or a new name (名義変更), stays
    // the reference; a replaced or removed one gives way to the word of the name
    if (!ref.Name().empty()) {
      THashNode& held = ref.Get();
      if (words.Find(held.Name, false) == &held) return;
    }
    THashNodeRef node = words.FindRef(name, false);
    if (!node) {
      // the word is gone: keep a detached word so that commands still have one
      node = std::make_shared<THashNode>(std::string(name), false, -1, "");
    }
    ref.Bind(std::string(name), std::move(node));
  };
  bind(sore_, "それ");
  bind(kaisu_, "回数");
  bind(soshite_, "そして");
  bind(errorMessage_, "エラーメッセージ");
  // commands are filed under their folded names (違えば as 違)
  static const char* const kControlNames[cwCount] = {"もし", "ならば", "なら", "違", "でなければ"};
  for (int i = 0; i < cwCount; ++i) bind(controlRefs_[i], kControlNames[i]);
  for (auto& [name, ref] : otherRefs_) bind(ref, name);
}

THashNode& TTamaBase::QuickWord(std::string_view name) {
  for (auto& [n, ref] : otherRefs_)
    if (n == name) return ref.Get();
  otherRefs_.emplace_back(std::string(name), TQuickRef());
  THashNodeRef node = words.FindRef(name, false);
  if (!node) node = std::make_shared<THashNode>(std::string(name), false, -1, "");
  otherRefs_.back().second.Bind(std::string(name), std::move(node));
  return otherRefs_.back().second.Get();
}

void TTamaBase::SetResult(std::string value, std::string_view tag) {
  Sore().SetValue(std::move(value));
  curTag = tag;
}

void TTamaBase::SetResultTagged(std::string value, std::string_view tag) {
  THashNode& s = Sore();
  s.SetValue(std::move(value));
  s.Tag = tag;
  curTag = tag;
}

void TTamaBase::SetHandlers(const std::vector<const TCommandFamily*>& families) {
  handlers.clear();
  for (const TCommandFamily* f : families) {
    for (size_t i = 0; i < f->count; ++i) {
      const TCommandDef& d = f->defs[i];
      if (d.id < 0) continue;
      if (static_cast<size_t>(d.id) >= handlers.size()) handlers.resize(d.id + 1, nullptr);
      if (d.handler) handlers[d.id] = d.handler;
    }
  }
}

TTamaBase::TNested::TNested(TTamaBase& t)
    : t_(t), cursor_(t.Here()), fileName_(t.programFileName), positional_(t.positional) {
  if (!t.budget.Enter(TStackBudget::kRun)) t.Raise("スタックが一杯になりました。ラベルなどに再帰呼び出しがないか確認！");
  t.args.Swap(args_);
  t.positional = false;
  t.frames.PushLevel();
}

TTamaBase::TNested::~TNested() {
  t_.frames.PopLevel();
  t_.args.Swap(args_);
  t_.positional = positional_;
  t_.programFileName = std::move(fileName_);
  t_.Jump(cursor_);
  t_.budget.Leave(TStackBudget::kRun);
}

}  // namespace tama
