// The commands that import functions from external libraries, and the call
// of an imported function word.
//
// A library is opened with dlopen and kept for the process; a call goes
// through libffi with the platform's default convention, one native argument
// per slot of the declaration. The names of the Windows system libraries
// cannot be opened here: a few of their functions are answered by the
// run-time itself (dll_shims.cpp), the rest are not found.
#include "commands/dll.h"

#include <dlfcn.h>
#include <ffi.h>
#include <setjmp.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <stdexcept>
#include <vector>

#include "commands/dll_internal.h"
#include "engine/tama.h"
#include "frontend/normalize.h"
#include "sjis/convert.h"
#include "sjis/sjis.h"
#include "support/number.h"
#include "support/path.h"
#include "support/textops.h"

namespace tama {

namespace {

std::string Normalized(std::string s) {
  frontend::NormalizeSource(s);
  // the canonical text may end in its own line break
  while (!s.empty() && (s.back() == '\r' || s.back() == '\n' || s.back() == 0)) s.pop_back();
  return s;
}

bool FileExists(const std::string& native) { return !native.empty() && access(native.c_str(), F_OK) == 0; }

std::string RuntimeFolder() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  if (n <= 0) return {};
  return support::NativeDirName(std::string(buf, static_cast<size_t>(n)));
}

// The libraries opened by declarations: never closed while the process runs.
std::vector<void*>& OpenedLibraries() {
  static std::vector<void*> libs;
  return libs;
}

void* OpenNative(const std::string& native) { return dlopen(native.c_str(), RTLD_NOW | RTLD_LOCAL); }

// The library f (program text), by the search of the run-time: a name
// without a folder in the program folder, then the run-time's folder (a name
// ending in ".dll" also as STEM.so and libSTEM.so there), then the system's
// search; a name with a folder only as the file system finds it.
void* OpenLibrary(TTamaBase& t, const std::string& f) {
  if (f.empty()) return nullptr;
  if (support::FileNameStart(f) > 0) {
    std::string native = support::NativePath(f);
    if (!support::IsAbsoluteName(f)) native = support::AbsolutePath(native);
    return OpenNative(native);
  }
  const std::string name = sjis::SjisToUtf8(f);
  std::vector<std::string> names{name};
  const std::string lower = textops::AsciiLower(name);
  if (lower.size() > 4 && lower.compare(lower.size() - 4, 4, ".dll") == 0) {
    const std::string stem = name.substr(0, name.size() - 4);
    names.push_back(stem + ".so");
    names.push_back("lib" + stem + ".so");
  }
  std::vector<std::string> folders;
  if (!t.programFolder.empty()) folders.push_back(support::AbsolutePath(support::NativePath(t.programFolder)));
  folders.push_back(RuntimeFolder());
  for (const auto& folder : folders) {
    if (folder.empty()) continue;
    for (const auto& n : names) {
      const std::string path = support::JoinNative(folder, n);
      if (FileExists(path))
        if (void* h = OpenNative(path)) return h;
    }
  }
  for (const auto& n : names)
    if (void* h = OpenNative(n)) return h;
  return nullptr;
}

// A declared library and function: the entry point, or an error.
void* FindEntry(TTamaBase& t, const std::string& f, const std::string& function) {
  bool shimLibrary = false;
  if (support::FileNameStart(f) == 0) {
    if (void* p = dll::ShimEntry(f, function, shimLibrary)) return p;
    if (shimLibrary)
      throw std::runtime_error("DLL\"" + f + "\"の関数\"" + function + "\"が見つかりません。");
    if (dll::IsSystemLibraryName(f)) throw std::runtime_error("DLL\"" + f + "\"が見つかりません。");
  }
  void* lib = OpenLibrary(t, f);
  if (!lib) throw std::runtime_error("DLL\"" + f + "\"が見つかりません。");
  OpenedLibraries().push_back(lib);
  void* entry = dlsym(lib, function.c_str());
  if (!entry) throw std::runtime_error("DLL\"" + f + "\"の関数\"" + function + "\"が見つかりません。");
  return entry;
}

void AddImported(TTamaBase& t, const std::string& name, const std::string& f, const std::string& function,
                 void* entry, std::string value, std::string pattern) {
  auto node = std::make_shared<THashNode>(name, false, TPos{}, wkDllFunction,
                                          static_cast<int32_t>(OpenedLibraries().size()),
                                          "\"" + f + "\"" + function, std::move(value), std::move(pattern));
  node->Native = entry;
  t.callImported = dll::CallImported;
  t.AddWord(std::move(node));
}

// The text in the parentheses of a declaration "name(list)", which is left
// as the name; "" when there are none.
std::string CutParenthesized(std::string& decl) {
  const size_t open = decl.find('(');
  if (open == std::string::npos) return {};
  std::string inside = decl.substr(open + 1);
  if (!inside.empty() && inside.back() == ')') inside.pop_back();
  decl.resize(open);
  return inside;
}

// DLL宣言 and 文字型DLL宣言: the library, the function with its pattern in
// parentheses, the new name.
void DeclareUntyped(TTamaBase& t, int id) {
  std::string name = Normalized(t.PopArgValue());
  std::string decl = Normalized(t.PopArgValue());
  const std::string f = t.PopArgValue();
  const std::string pattern = CutParenthesized(decl);
  void* entry = FindEntry(t, f, decl);
  AddImported(t, name, f, decl, entry, id == kCmdMojigataDllSengen ? "P" : "", pattern);
}

// The letter of a type word ('\0' for a word of no type).
char TypeLetter(std::string_view word) {
  const std::string w = textops::AsciiLower(word);
  if (w == "void") return 'v';
  if (w == "char*") return 'p';
  if (w == "word") return 'w';
  if (w == "dword") return 'd';
  if (w == "int") return 'i';
  if (w == "bool") return 'b';
  return 0;
}

// DLLを利用: the library, the typed declaration, the pattern, the new name.
void DeclareTyped(TTamaBase& t, int) {
  std::string name = Normalized(t.PopArgValue());
  std::string pattern = Normalized(t.PopArgValue());
  std::string decl = Normalized(t.PopArgValue());
  const std::string f = t.PopArgValue();
  std::string letters;
  if (const std::string list = CutParenthesized(decl); !list.empty()) {
    size_t start = 0;
    while (true) {
      const size_t comma = list.find(',', start);
      std::string piece = list.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
      std::string bare;
      for (char c : piece)
        if (c != ' ') bare += c;
      if (bare.empty()) break;
      if (char l = TypeLetter(bare)) letters += l;
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
  }
  // a result of no known type is not read (the call returns nothing)
  char result = 'v';
  std::string function = decl;
  const size_t space = decl.find(' ');
  if (space != std::string::npos) {
    const char l = TypeLetter(decl.substr(0, space));
    result = l ? l : 'v';
    function = decl.substr(space + 1);
  }
  const auto typed = letters.size() - static_cast<size_t>(std::count(letters.begin(), letters.end(), 'v'));
  const auto slots = static_cast<size_t>(std::count(pattern.begin(), pattern.end(), '?'));
  if (slots != typed) throw std::runtime_error("\"DLLを利用\"命令の引数に誤りがあります。");
  void* entry = FindEntry(t, f, function);
  AddImported(t, name, f, function, entry, std::string("=") + result + letters, pattern);
}

// ---- the call ----

// The value of an argument text of an imported function.
std::string ArgumentValue(TTamaBase& t, const std::string& text) {
  if (text.empty()) return text;
  if (t.words.Find(text, true)) return t.EvaluateText(text);
  const size_t no = text.find("の");
  if (no != std::string::npos && no > 0) {
    // の at a character boundary ends the first word
    size_t i = 0;
    while (i < no) i += sjis::CharLen(text, i);
    if (i == no) {
      const std::string head = text.substr(0, no);
      const THashNode* w = t.words.Find(head, true);
      if (w && w->Kind == wkVariable) w = t.words.Find(w->Value(), true);
      if (w && (w->Kind == wkObject || w->Kind == wkHash)) return t.EvaluateText(text);
    }
  }
  const char first = text.front(), last = text.back();
  if (text.size() >= 2 && ((first == '"' && last == '"') || (first == '`' && last == '`')))
    return t.EvaluateText(text);
  return text;
}

sigjmp_buf gFaultJump;
volatile sig_atomic_t gGuarded = 0;

void OnFault(int) {
  if (gGuarded) siglongjmp(gFaultJump, 1);
  // a fault outside a guarded call: the default action
  signal(SIGSEGV, SIG_DFL);
}

// Calls through libffi with faults of the callee caught; false on a fault.
bool GuardedCall(ffi_cif* cif, void* entry, void* result, void** values) {
  static std::vector<char> altStack(1 << 16);
  stack_t ss{}, oldSs{};
  ss.ss_sp = altStack.data();
  ss.ss_size = altStack.size();
  sigaltstack(&ss, &oldSs);
  static const int kSignals[] = {SIGSEGV, SIGBUS, SIGFPE, SIGILL};
  struct sigaction sa{}, old[4];
  sa.sa_handler = OnFault;
  sa.sa_flags = SA_ONSTACK | SA_NODEFER;
  sigemptyset(&sa.sa_mask);
  for (int i = 0; i < 4; ++i) sigaction(kSignals[i], &sa, &old[i]);
  bool ok = true;
  if (sigsetjmp(gFaultJump, 1) == 0) {
    gGuarded = 1;
    ffi_call(cif, FFI_FN(entry), result, values);
  } else {
    ok = false;
  }
  gGuarded = 0;
  for (int i = 0; i < 4; ++i) sigaction(kSignals[i], &old[i], nullptr);
  sigaltstack(&oldSs, nullptr);
  return ok;
}

// The text of a typed slot without an argument.
const std::string kNoValue;

// The number of an argument, truncated toward zero, within [lo, hi].
bool WholeIn(const std::string& v, long double lo, long double hi, int64_t& out) {
  long double n = std::trunc(TextToNumber(v));
  if (!(n >= lo && n <= hi)) return false;
  out = static_cast<int64_t>(n);
  return true;
}

}  // namespace

namespace dll {

void CallImported(TTamaBase& t, THashNode& word) {
  // the word may be replaced by program code run while its arguments are read
  const std::string name = word.Name;
  const std::string form = word.Value();
  void* entry = word.Native;
  const auto k = static_cast<size_t>(std::count(word.Pattern().begin(), word.Pattern().end(), '?'));
  std::vector<std::string> texts(k);
  for (size_t i = k; i-- > 0;) texts[i] = t.PopArgText();
  std::vector<std::string> values(k);
  for (size_t i = 0; i < k; ++i) values[i] = ArgumentValue(t, texts[i]);
  const std::string failed = "外部DLLからの関数\"" + name + "\"の呼び出しに失敗しました。";
  const std::string badForm = "DLLからインポートした命令\"" + name + "\"の定義が間違っています。";

  std::vector<ffi_type*> types;
  std::vector<uint64_t> ints;      // the integer slots
  std::vector<const char*> ptrs;   // the pointer slots
  std::vector<void*> slotValues;
  // the slots point into these: no reallocation once they are filled
  ints.reserve(form.size() + k);
  ptrs.reserve(form.size() + k);
  ffi_type* resultType = &ffi_type_sint64;
  char resultLetter = 0;
  if (form.empty() || form == "P") {
    if (k > 5) t.Raise(badForm);
    for (size_t i = 0; i < k; ++i) {
      ptrs.push_back(values[i].c_str());
      types.push_back(&ffi_type_pointer);
      slotValues.push_back(&ptrs.back());
    }
    if (form == "P") resultType = &ffi_type_pointer;
  } else if (form.size() >= 2 && form[0] == '=') {
    resultLetter = form[1];
    size_t arg = 0;
    for (size_t j = 2; j < form.size(); ++j) {
      const char l = form[j];
      if (l == 'v') continue;
      const std::string& v = arg < k ? values[arg] : kNoValue;
      ++arg;
      if (l == 'p') {
        ptrs.push_back(v.c_str());
        types.push_back(&ffi_type_pointer);
        slotValues.push_back(&ptrs.back());
        continue;
      }
      int64_t n = 0;
      bool ok = true;
      switch (l) {
        case 'w': ok = WholeIn(v, 0, 65535, n); break;
        case 'd': ok = WholeIn(v, 0, 4294967295.0L, n); break;
        case 'i': ok = WholeIn(v, -2147483648.0L, 2147483647.0L, n); break;
        case 'b': n = TextToNumber(v) != 0 ? -1 : 0; break;
        default: t.Raise(badForm);
      }
      if (!ok) t.Raise(failed);
      ints.push_back(static_cast<uint64_t>(n));  // w, d zero-extended; i, b sign-extended
      types.push_back(&ffi_type_sint64);
      slotValues.push_back(&ints.back());
    }
    switch (resultLetter) {
      case 'v': resultType = &ffi_type_void; break;
      case 'p': resultType = &ffi_type_pointer; break;
      case 'w': case 'd': case 'i': case 'b': resultType = &ffi_type_uint64; break;
      default: t.Raise(badForm);
    }
  } else {
    t.Raise(badForm);
  }
  ffi_cif cif;
  if (ffi_prep_cif(&cif, FFI_DEFAULT_ABI, static_cast<unsigned>(types.size()), resultType,
                   types.empty() ? nullptr : types.data()) != FFI_OK)
    t.Raise(failed);
  union {
    uint64_t u;
    void* p;
    ffi_arg raw;
  } result{};
  dll::TCallScope scope(t);
  if (!GuardedCall(&cif, entry, &result, slotValues.empty() ? nullptr : slotValues.data())) t.Raise(failed);
  auto textAt = [](const void* p) { return p ? std::string(static_cast<const char*>(p)) : std::string(); };
  if (form.empty()) {
    t.SetResult(std::to_string(static_cast<int32_t>(static_cast<uint32_t>(result.u))), kTagNumber);
    return;
  }
  if (form == "P") {
    t.SetResult(textAt(result.p), kTagString);
    return;
  }
  switch (resultLetter) {
    case 'v': t.SetResult("", kTagNumber); break;
    case 'p': t.SetResult(textAt(result.p), kTagString); break;
    case 'w': t.SetResult(std::to_string(result.u & 0xFFFF), kTagNumber); break;
    case 'd': t.SetResult(std::to_string(result.u & 0xFFFFFFFFu), kTagNumber); break;
    default: t.SetResult(std::to_string(static_cast<int32_t>(static_cast<uint32_t>(result.u))), kTagNumber); break;
  }
}

}  // namespace dll

static const TCommandDef kDefs[] = {
    {"DLL宣言", "?の,?を,?で", kCmdDllSengen, DeclareUntyped},
    {"文字型DLL宣言", "?の,?を,?で", kCmdMojigataDllSengen, DeclareUntyped},
    {"DLLを利用", "?の,?を,?の,?として", kCmdDllWoRiyou, DeclareTyped},
};

static const TCommandFamily kFamily = {"dll", kDefs, std::size(kDefs)};

const TCommandFamily& DllFamily() { return kFamily; }

}  // namespace tama
