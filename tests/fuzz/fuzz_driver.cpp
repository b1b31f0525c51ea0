// A mutational fuzz driver for source normalisation and the executor.
//
// It starts from the program tests (tests/programs/*.tmk, Shift-JIS or UTF-8),
// mutates them (bit flips, byte changes, cuts, copies, splices of two
// programs, words of the language put in) and runs each result through the
// whole first run of the interpreter: words, canonical text, labels, the main
// text and the close. Each input runs in a child process with a step budget,
// so that a program that loops ends; the child dies on a sanitizer report, an
// abort or a crash, and is killed when it is still busy after the time limit
// (a hang of the run-time, not of the program). Every such input is kept in
// the findings folder with what the child wrote to standard error.
//
//   tamakazu_fuzz [--seconds N] [--out DIR] [--budget STEPS] [--timeout S]
//                 [--seed N] SEED_FOLDER...
//   tamakazu_fuzz [--continue] --run FILE...
//                 runs inputs in this process, for a report; --continue
//                 answers the error dialog with "go on" (findings say when
//                 they need it)
//
// The children run in a private sandbox folder that is the program folder and
// the working folder; every security question is refused, so the file
// commands change nothing outside it. Files the programs write are capped in
// size; the sandbox is emptied from time to time and removed at the end.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "commands/families.h"
#include "engine/files_state.h"
#include "engine/source_file.h"
#include "engine/tama.h"
#include "host/startup.h"

namespace {

using namespace tama;
namespace fs = std::filesystem;

// Shows nothing, answers the error dialog by going on or stopping, and
// refuses every security question.
class TQuietHost : public THost {
 public:
  // What a person would have seen, for comparing two runs of one program.
  std::string seen;
  void Display(std::string_view text) override {
    seen += "display: ";
    seen += text;
    seen += '\n';
  }
  void Message(std::string_view text, std::string_view) override {
    seen += "message: ";
    seen += text;
    seen += '\n';
  }
  TErrorAnswer ShowErrorDialog(const std::string& log) override {
    seen += "error dialog: ";
    seen += log;
    seen += '\n';
    return goOn ? TErrorAnswer::kContinue : TErrorAnswer::kStop;
  }
  bool Headless() const override { return true; }
  TSecurityAnswer AskSecurity(std::string_view, std::string_view) override { return TSecurityAnswer::kNo; }
  void Warning(std::string_view, std::string_view) override {}
  bool goOn = false;
};

struct TOptions {
  double seconds = 180;
  std::string out = "fuzz-findings";
  uint64_t budget = 20000;
  unsigned timeout = 20;
  uint64_t seed = 0;
  std::vector<std::string> seedFolders;
  std::vector<std::string> runFiles;
  bool goOn = false;  // --run: the error dialog's answer
};

// One first run of a program text, as the run-time does it at start; gives
// what the host was shown.
std::string RunOnce(const std::string& source, const std::string& sandbox, uint64_t budget, bool goOn,
                    bool caches = true) {
  TQuietHost host;
  host.goOn = goOn;
  TTamaBase tama(host);
  tama.cachesOn = caches;
  tama.random.SetSeed(12345);  // both runs of a comparison draw the same numbers
  tama.runtimePath = "tamakazu";
  tama.commandLine = {"tamakazu", "fuzz.tmk"};
  tama.programFileName = "fuzz.tmk";
  tama.securityLevel = 1;  // outside the sandbox every change is a question
  tama.stepBudget = budget;
  tama.sourceText = JoinLinesCrLf(source);
  Files(tama).programFolderReal = sandbox;
  std::vector<const TCommandFamily*> families;
  for (const TCommandFamily& f : AllCommandFamilies()) families.push_back(&f);
  tama.SetHandlers(families);
  host::RunMain(tama, families);
  return std::move(host.seen);
}

std::string ReadFile(const std::string& path) {
  std::string out;
  if (ReadSourceFile(path, out) == TSourceRead::kNotSjis) {
    // keep the bytes as they are: they are an input as good as any
    std::ifstream in(path, std::ios::binary);
    out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return out;
}

void WriteFile(const std::string& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Empties the sandbox without following links; read-only folders are made
// writable first.
void EmptyFolder(const std::string& folder) {
  std::error_code ec;
  for (const auto& e : fs::directory_iterator(folder, ec)) {
    std::error_code ec2;
    if (e.is_directory(ec2) && !e.is_symlink(ec2)) {
      for (auto it = fs::recursive_directory_iterator(e.path(), fs::directory_options::skip_permission_denied, ec2);
           it != fs::recursive_directory_iterator(); it.increment(ec2)) {
        if (it->is_directory(ec2) && !it->is_symlink(ec2))
          fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec2);
      }
      fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add, ec2);
    }
    fs::remove_all(e.path(), ec2);
  }
}

// ---- the mutations ----

class TMutator {
 public:
  TMutator(uint64_t seed, std::vector<std::string> words) : rng_(seed), words_(std::move(words)) {
    for (const TCommandFamily& f : AllCommandFamilies())
      for (size_t i = 0; i < f.count; ++i)
        if (f.defs[i].handler) commands_.push_back(&f.defs[i]);
  }

  size_t Below(size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng_) : 0; }
  bool Chance(unsigned percent) { return Below(100) < percent; }

  std::string Mutate(const std::vector<std::string>& pool) {
    std::string s = pool[Below(pool.size())];
    const size_t rounds = 1 + Below(4);
    for (size_t r = 0; r < rounds; ++r) Once(s, pool);
    if (s.size() > kMaxSize) s.resize(kMaxSize);
    return s;
  }

 private:
  static constexpr size_t kMaxSize = 64 * 1024;

  void Once(std::string& s, const std::vector<std::string>& pool) {
    const size_t at = Below(s.size() + 1);
    switch (Below(11)) {
      case 9:
      case 10:  // a sentence of a built command with odd arguments
        s.insert(at, Sentence());
        break;
      case 0:  // a bit
        if (!s.empty()) s[Below(s.size())] ^= static_cast<char>(1u << Below(8));
        break;
      case 1: {  // a byte that the readers look at
        static const char kBytes[] = {0,    '\r', '\n', '"',  '`',    '{',    '}',    '(',    ')',    '*',
                                      '#',  '&',  ';',  ',',  '=',    '?',    '\\',   '$',    '-',    '9',
                                      ':',  ' ',  '\t', '\x81', '\x82', '\x9F', '\xE0', '\xFC', '\xFF', '\xA4'};
        if (!s.empty()) s[Below(s.size())] = kBytes[Below(sizeof kBytes)];
        break;
      }
      case 2:  // a cut
        if (!s.empty()) s.erase(Below(s.size()), 1 + Below(std::min<size_t>(s.size(), 64)));
        break;
      case 3: {  // a copy of a piece
        if (s.empty()) break;
        const size_t from = Below(s.size());
        const size_t len = 1 + Below(std::min<size_t>(s.size() - from, 256));
        s.insert(at, s.substr(from, len));
        break;
      }
      case 4:
      case 5:  // a word of the language
        s.insert(at, words_[Below(words_.size())]);
        break;
      case 6: {  // the start of this program and the end of another
        const std::string& other = pool[Below(pool.size())];
        s = s.substr(0, at) + other.substr(Below(other.size() + 1));
        break;
      }
      case 7: {  // a line of another program
        const std::string& other = pool[Below(pool.size())];
        const size_t b = other.rfind('\n', Below(other.size() + 1));
        const size_t start = b == std::string::npos ? 0 : b + 1;
        const size_t end = other.find('\n', start);
        s.insert(at, other.substr(start, end == std::string::npos ? std::string::npos : end - start + 1));
        break;
      }
      case 8: {  // a double-byte character, or half of one
        std::string ch;
        ch += static_cast<char>(Chance(50) ? 0x81 + Below(0x1F) : 0xE0 + Below(0x1D));
        if (Chance(85)) ch += static_cast<char>(0x40 + Below(0xBD));
        s.insert(at, ch);
        break;
      }
    }
  }

  // "value particle, ... command" for a command that has a handler, its
  // slots filled from values that commands find hard.
  std::string Sentence() {
    static const char* const kValues[] = {
        "「」", "「abc」", "「あいう」", "0", "-1", "1", "2147483647", "-2147483648", "4294967296",
        "99999999999999999999", "1.5", "-0.5", "1e400", "$FFFFFFFF", "「1,2,3\r\n4,5,6」", "「a=1\r\nb=2」",
        "「\"x\",\"y\r\nz\"」", "それ", "回数", "A", "B", "「A」", "「*」", "「?」", "「.」", "「x.txt」",
        "「sub/x.txt」", "「{それ}」", "「\\」", "「%s%d%」", "「<a b=\"1\">t</a>」", "「ｶﾞｷﾞ」", "「漢字」",
        "(1+)", "「\x82」", "「\xFA\x40」", "「2000/02/30」", "「25:61:61」", "「#」", "「[」", "「(」",
        "「m/(a*)*b/」", "「s/a/$1$99/g」", "「tr/a-z/A-Z/」",
    };
    const TCommandDef* d = commands_[Below(commands_.size())];
    std::string out;
    std::string_view pattern = d->pattern;
    while (!pattern.empty()) {
      size_t comma = pattern.find(',');
      std::string_view slot = pattern.substr(0, comma);
      if (!slot.empty() && slot.front() == '?') slot.remove_prefix(1);
      if (!Chance(10)) {
        out += kValues[Below(std::size(kValues))];
        out += slot;
        out += "、";
      }
      if (comma == std::string_view::npos) break;
      pattern.remove_prefix(comma + 1);
    }
    out += d->name;
    out += "\r\n";
    return out;
  }

  std::mt19937_64 rng_;
  std::vector<std::string> words_;
  std::vector<const TCommandDef*> commands_;
};

// The words that mutations put in: every command name, and the particles,
// control words, quotes and marks of the language.
std::vector<std::string> LanguageWords() {
  std::vector<std::string> words;
  for (const TCommandFamily& f : AllCommandFamilies())
    for (size_t i = 0; i < f.count; ++i) words.emplace_back(f.defs[i].name);
  static const char* const kMore[] = {
      "を", "に", "で", "から", "まで", "と", "の", "へ", "が", "は", "、", "。", "そして", "もし", "ならば", "なら",
      "違えば", "でなければ", "回", "の時", "\r\n", "\r\n(\r\n", "\r\n)\r\n", "「", "」", "『", "』", "“", "”",
      "{", "}", "(", ")", "*", "**", "#", "&", "=", "+", "-", "*", "/", "%", "^", "<", ">", "<=", ">=", "<>",
      "かつ", "または", "以上", "以下", "と等しい", "それ", "回数", "対象", "エラーメッセージ", "ハッシュ",
      "「{それ}」", "「{回数}」", "\\", "\\\\", "\\\"", "※", "//", "/*", "*/", "１２３", "０", "$FF",
      "1e308", "-2147483648", "4294967296", "0.5", "999999999999", "?を,?に", "関数定義", "引数取得",
      "*ラベル\r\n", "ラベルへ飛ぶ\r\n", "ラベルを呼ぶ\r\n", "戻る\r\n", "おわり()", "エラーから復帰()",
      "エラーを無視\r\n", "Eに、エラー処理設定\r\n", "*E\r\n", "計算(「おわり()」)", "計算(T)",
      "Tは、「エラーから復帰()」\r\n", "「{エラーから復帰()}」", "で、ループ (", "を、反復 (", "を、呼ぶ\r\n", "ｶﾞ", "ﾞ", "髙", "\xF0\x40", "\xFA\x40",
  };
  for (const char* w : kMore) words.emplace_back(w);
  return words;
}

// ---- running children ----

struct TOutcome {
  bool found = false;
  bool hang = false;
  bool memory = false;  // the program asked for more memory than the machine gives
  std::string kind;     // the first line that names the fault
};

std::string FirstFaultLine(const std::string& log) {
  for (const char* key : {"SUMMARY:", "runtime error:", "terminate called", "ERROR: AddressSanitizer", "CACHES:"}) {
    size_t p = log.find(key);
    if (p == std::string::npos) continue;
    size_t e = log.find('\n', p);
    return log.substr(p, e == std::string::npos ? std::string::npos : e - p);
  }
  return {};
}

TOutcome RunChild(const std::string& input, const std::string& sandbox, const std::string& logPath,
                  uint64_t budget, unsigned timeout, bool goOn) {
  std::fflush(nullptr);
  std::error_code ec;
  fs::create_directories(sandbox, ec);  // a program may have removed it (フォルダ削除 of ".")
  pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    std::exit(2);
  }
  if (pid == 0) {
    int null = open("/dev/null", O_RDWR);
    int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    dup2(null, 0);
    dup2(null, 1);
    dup2(log, 2);
    close(null);
    close(log);
    struct rlimit fsize = {16u << 20, 16u << 20};  // files written stay small
    setrlimit(RLIMIT_FSIZE, &fsize);
    signal(SIGXFSZ, SIG_IGN);
    alarm(timeout);
    if (chdir(sandbox.c_str()) != 0) _exit(3);
    // the program runs with the read caches and without them: both runs must
    // show the same. A program whose own runs differ (it reads the clock, for
    // one) is run a third time with the caches: only a program that shows the
    // same twice is held to it.
    auto runIn = [&](bool caches) {
      EmptyFolder(sandbox);
      if (chdir(sandbox.c_str()) != 0) _exit(3);  // a run may have changed the working folder
      return RunOnce(input, sandbox, budget, goOn, caches);
    };
    const std::string cached = runIn(true);
    const std::string plain = runIn(false);
    if (cached != plain && runIn(true) == cached) {
      std::fprintf(stderr, "CACHES: the read caches change what the program shows\n--- with caches\n%s\n--- without\n%s\n",
                   cached.c_str(), plain.c_str());
      _exit(4);
    }
    _exit(0);
  }
  int status = 0;
  while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  TOutcome o;
  if (WIFEXITED(status) && WEXITSTATUS(status) == 0) return o;
  std::ifstream in(logPath, std::ios::binary);
  std::string log((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  o.found = true;
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGALRM) {
    o.hang = true;
    o.kind = "hang: still running after the step budget and the time limit";
  } else {
    o.kind = FirstFaultLine(log);
    // AddressSanitizer's operator new reports a failed allocation instead of
    // throwing std::bad_alloc (which the run-time turns into an error of the
    // program): a text as long as the language allows (2 GiB) is no fault
    if (o.kind.find("AddressSanitizer: out-of-memory") != std::string::npos ||
        o.kind.find("AddressSanitizer: allocation-size-too-big") != std::string::npos) {
      o.found = false;
      o.memory = true;
      return o;
    }
    if (o.kind.empty())
      o.kind = WIFSIGNALED(status) ? "signal " + std::to_string(WTERMSIG(status))
                                   : "exit status " + std::to_string(WEXITSTATUS(status));
  }
  return o;
}

std::vector<std::string> SeedFiles(const std::vector<std::string>& folders) {
  std::vector<std::string> files;
  for (const std::string& folder : folders) {
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(folder, ec))
      if (e.path().extension() == ".tmk" || e.path().extension() == ".inc") files.push_back(e.path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

int Fuzz(const TOptions& opt) {
  std::vector<std::string> pool;
  for (const std::string& f : SeedFiles(opt.seedFolders)) pool.push_back(ReadFile(f));
  if (pool.empty()) {
    std::fprintf(stderr, "tamakazu_fuzz: no seed programs (*.tmk) in the folders given\n");
    return 2;
  }
  const size_t seeds = pool.size();
  std::error_code ec;
  fs::create_directories(opt.out, ec);
  const char* tmp = std::getenv("TMPDIR");
  std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/tamakazu-fuzz-XXXXXX";
  if (!mkdtemp(pattern.data())) {
    std::perror("mkdtemp");
    return 2;
  }
  const std::string base = pattern;
  const std::string sandbox = base + "/run/";
  fs::create_directories(sandbox, ec);
  setenv("TMPDIR", base.c_str(), 1);
  const std::string logPath = base + "/child.log";

  const uint64_t seed = opt.seed ? opt.seed : static_cast<uint64_t>(std::random_device{}());
  TMutator mutator(seed, LanguageWords());
  std::printf("fuzzing for %.0f s from %zu programs (seed %llu), findings in %s\n", opt.seconds, seeds,
              static_cast<unsigned long long>(seed), opt.out.c_str());
  // (<chrono> holds a character that the Shift-JIS execution set lacks)
  auto now = [] {
    timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<double>(ts.tv_sec) + ts.tv_nsec / 1e9;
  };
  const double start = now();
  auto elapsed = [&] { return now() - start; };
  std::map<std::string, int> kinds;  // fault line -> inputs found with it
  uint64_t runs = 0, memoryRuns = 0;
  double lastReport = 0;
  // the seeds first, unchanged, then mutations
  for (size_t i = 0; elapsed() < opt.seconds; ++i) {
    const bool seedRun = i < seeds;
    std::string input = seedRun ? pool[i] : mutator.Mutate(pool);
    const bool goOn = !seedRun && mutator.Chance(50);
    TOutcome o = RunChild(input, sandbox, logPath, opt.budget, opt.timeout, goOn);
    ++runs;
    if (o.memory) ++memoryRuns;
    if (o.found) {
      const int n = ++kinds[o.kind];
      if (n <= 3) {
        const std::string name = opt.out + "/finding-" + std::to_string(kinds.size()) + "-" + std::to_string(n);
        WriteFile(name + ".tmk", input);
        fs::copy_file(logPath, name + ".log", fs::copy_options::overwrite_existing, ec);
        if (goOn) std::ofstream(name + ".log", std::ios::app) << "\n(run with --continue: errors went on)\n";
        std::printf("[%6.0f s] %s\n          kept as %s.tmk\n", elapsed(), o.kind.c_str(), name.c_str());
      }
    } else if (!seedRun && pool.size() < seeds + 4000 && mutator.Chance(5)) {
      pool.push_back(std::move(input));  // mutations grow on mutations
    }
    if (runs % 200 == 0) EmptyFolder(sandbox);
    if (elapsed() - lastReport >= 30) {
      lastReport = elapsed();
      std::printf("[%6.0f s] %llu runs, %zu kinds of finding\n", lastReport, static_cast<unsigned long long>(runs),
                  kinds.size());
      std::fflush(stdout);
    }
  }
  fs::remove_all(base, ec);
  std::printf("%llu runs in %.0f s (%llu asked for more memory than there is); %zu kinds of finding\n",
              static_cast<unsigned long long>(runs), elapsed(), static_cast<unsigned long long>(memoryRuns),
              kinds.size());
  for (const auto& [kind, n] : kinds) std::printf("  %4d x %s\n", n, kind.c_str());
  return kinds.empty() ? 0 : 1;
}

// Runs inputs in this process: a sanitizer report comes out directly.
int RunFiles(const TOptions& opt) {
  char cwd[4096];
  if (!getcwd(cwd, sizeof cwd)) return 2;
  std::string sandbox = std::string(cwd) + "/";
  for (const std::string& f : opt.runFiles) {
    std::printf("%s\n", f.c_str());
    std::fflush(stdout);
    RunOnce(ReadFile(f), sandbox, opt.budget, opt.goOn);
  }
  return 0;
}

}  // namespace

// Sanitizer settings of the driver: no leak check in the children (they end
// with _exit), and an allocation too large for the machine fails as the
// program's error instead of ending the child.
extern "C" const char* __asan_default_options() {
  return "detect_leaks=0:allocator_may_return_null=1:max_allocation_size_mb=512";
}
extern "C" const char* __ubsan_default_options() { return "print_stacktrace=1:halt_on_error=1"; }

int main(int argc, char** argv) {
  TOptions opt;
  bool run = false;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&]() -> std::string { return i + 1 < argc ? argv[++i] : std::string(); };
    if (a == "--seconds") opt.seconds = std::atof(next().c_str());
    else if (a == "--out") opt.out = next();
    else if (a == "--budget") opt.budget = std::strtoull(next().c_str(), nullptr, 10);
    else if (a == "--timeout") opt.timeout = static_cast<unsigned>(std::atoi(next().c_str()));
    else if (a == "--seed") opt.seed = std::strtoull(next().c_str(), nullptr, 10);
    else if (a == "--run") run = true;
    else if (a == "--continue") opt.goOn = true;
    else if (run) opt.runFiles.push_back(a);
    else opt.seedFolders.push_back(a);
  }
  if (run) return RunFiles(opt);
  if (opt.seedFolders.empty()) {
    std::fprintf(stderr,
                 "usage: tamakazu_fuzz [--seconds N] [--out DIR] [--budget STEPS] [--timeout S] [--seed N] "
                 "SEED_FOLDER...\n       tamakazu_fuzz --run FILE...\n");
    return 2;
  }
  return Fuzz(opt);
}
