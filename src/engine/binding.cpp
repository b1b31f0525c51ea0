// Binding the items of a sentence to a command's pattern, dispatch by id, and
// the operations handlers take their arguments with.
#include "frontend/scanner.h"
#include "engine/tama.h"
#include "support/number.h"

namespace tama {

namespace {

bool ParticleMatches(std::string_view found, std::string_view wanted) {
  if (found == wanted) return true;
  if (wanted == "と" || wanted == "の") return found == "を";
  if (wanted == "を") return found == "と" || found == "の";
  if (wanted == "に") return found == "へ";
  if (wanted == "へ") return found == "に";
  return false;
}

std::string_view Tail(std::string_view item, size_t len) {
  return item.size() <= len ? item : item.substr(item.size() - len);
}

constexpr size_t kMaxArgs = 5000;

}  // namespace

void TTamaBase::BindArguments(THashNode& word) {
  const std::vector<std::string>& slots = word.Slots();
  const size_t n = slots.size();
  auto& items = args.Items();
  if (n == items.size() + 1) {
    items.insert(items.begin(), positional ? std::string("それ") : std::string("それ") + slots[0]);
    omitted = true;
  } else {
    omitted = false;
  }
  if (n > items.size())
    Raise("\"" + word.Name + "\"命令の引数に誤りがあります。\"" + word.Pattern() +
          "\"の形式で指定してください。引数が少ないです。");
  if (n == 0) {
    if (items.size() > kMaxArgs) Raise("スタックが一杯になりました。ラベルなどに再帰呼び出しがないか確認！");
    return;
  }
  // slots are filled from the last one; each takes the nearest acceptable item from the top
  std::string kept[8];
  std::vector<std::string> many;
  std::string* out = kept;
  if (n > 8) {
    many.resize(n);
    out = many.data();
  }
  for (size_t k = n; k-- > 0;) {
    const std::string& particle = slots[k];
    size_t taken = items.size();
    if (positional) {
      if (!items.empty()) taken = items.size() - 1;
    } else {
      for (size_t i = items.size(); i-- > 0;) {
        if (ParticleMatches(Tail(items[i], particle.size()), particle)) {
          taken = i;
          break;
        }
      }
    }
    if (taken == items.size())
      Raise("\"" + word.Name + "\"命令の引数に誤りがあります。\"" + word.Pattern() + "\"の形式で指定してください。\"" +
            particle + "\"");
    std::string arg = std::move(items[taken]);
    items.erase(items.begin() + static_cast<ptrdiff_t>(taken));
    bool strip = positional ? ParticleMatches(Tail(arg, particle.size()), particle) : true;
    if (strip) arg.resize(arg.size() >= particle.size() ? arg.size() - particle.size() : 0);
    out[k] = std::move(arg);
  }
  for (size_t k = 0; k < n; ++k) items.push_back(std::move(out[k]));
  if (items.size() > kMaxArgs) Raise("スタックが一杯になりました。ラベルなどに再帰呼び出しがないか確認！");
}

void TTamaBase::CallCommand(THashNode& word) {
  if (word.Kind == wkDllFunction) {
    CallImported(word);
    return;
  }
  BindArguments(word);
  const int id = word.Id;
  try {
    TCommandHandler h = (id >= 0 && static_cast<size_t>(id) < handlers.size()) ? handlers[id] : nullptr;
    if (!h) Raise("\"" + word.Name + "\":たまかず命令のリンク切れ。作者へ報告を！");
    h(*this, id);
  } catch (const std::exception& e) {
    Raise(std::string("システム命令実行中のエラー。理由は,") + e.what());
  }
}

void TTamaBase::CallImported(THashNode& word) {
  if (!callImported) Raise("\"" + word.Name + "\":たまかず命令のリンク切れ。作者へ報告を！");
  BindArguments(word);
  callImported(*this, word);
}

std::string TTamaBase::PopArgText() { return args.Pop(); }

std::string TTamaBase::PopArgValue() { return EvaluateText(args.Pop()); }

long double TTamaBase::PopArgNumber() { return TextToNumber(PopArgValue()); }

THashNodeRef TTamaBase::PopWordArgRef(bool create) {
  std::string name = PopArgText();
  if (name.size() >= 2 && name.front() == '`' && name.back() == '`') name = name.substr(1, name.size() - 2);
  THashNodeRef node = words.FindRef(name, false);
  if (node) return node;
  if (!create) Raise("オブジェクト\"" + name + "\"が特定できません。");
  node = std::make_shared<THashNode>(name, false, frames.FrameCount(), "");
  AddWord(node);
  return node;
}

THashNode& TTamaBase::PopWordArg(bool create) { return *PopWordArgRef(create); }

}  // namespace tama
