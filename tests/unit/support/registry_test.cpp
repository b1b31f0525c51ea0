// The registry store: value round trips through the export text, case,
// deletion, subkeys, imports, and the file under its lock.
#include "support/registry.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>

#include "sjis/convert.h"

namespace tama::support {
namespace {

std::string S(const char8_t* s) { return sjis::Utf8ToSjisLossy(reinterpret_cast<const char*>(s)); }

constexpr const char* kKey = "HKEY_CURRENT_USER\\Software\\Test";

TEST(Registry, EveryValueTypeRoundTrips) {
  const std::string sjisText = S(u8"表示ソフト\\");  // trail bytes that are the byte of "\"
  struct {
    const char* what;
    TRegType type;
    std::string data;
  } cases[] = {
      {"plain", TRegType::kText, "abc"},
      {"empty", TRegType::kText, ""},
      {"escapes", TRegType::kText, std::string("q\"b\\s\r\nz\0e", 10)},
      {"sjis", TRegType::kText, sjisText},
      {"lone lead byte", TRegType::kText, std::string("a\x81\n")},
      {"lead byte last", TRegType::kText, std::string("a\x81")},
      {"dword", TRegType::kDword, std::string("\x2a\0\0\x80", 4)},
      {"binary", TRegType::kBinary, std::string("\x01\x00\xff", 3)},
      {"empty binary", TRegType::kBinary, ""},
      {"long binary", TRegType::kBinary, std::string(100, '\x7f')},
  };
  TRegistry r;
  for (const auto& c : cases) {
    if (c.type == TRegType::kText) r.SetText(kKey, c.what, c.data);
    if (c.type == TRegType::kBinary) r.SetBinary(kKey, c.what, c.data);
    if (c.type == TRegType::kDword) r.SetDword(kKey, c.what, 0x8000002a);
  }
  r.SetText(kKey, "", "default");
  const std::string text = r.Export();
  TRegistry back;
  std::string error;
  ASSERT_TRUE(back.Import(text, &error)) << error;
  EXPECT_EQ(back.Export(), text);
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const TRegValue* v = back.Value(kKey, c.what);
    ASSERT_NE(v, nullptr);
    EXPECT_EQ(v->type, c.type);
    EXPECT_EQ(v->data, c.data);
  }
  EXPECT_EQ(back.Value(kKey, "dword")->Dword(), 0x8000002au);
  EXPECT_EQ(back.Value(kKey, "")->data, "default");
  EXPECT_NE(text.find("@=\"default\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"dword\"=dword:8000002a\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"binary\"=hex:01,00,ff\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"escapes\"=\"q\\\"b\\\\s\\r\\nz\\0e\"\r\n"), std::string::npos);
  EXPECT_NE(text.find("\"lone lead byte\"=hex(1):61,81,0a,00\r\n"), std::string::npos);
}

TEST(Registry, NamesCompareWithoutCaseAndKeepTheirFirstSpelling) {
  TRegistry r;
  r.SetText("HKEY_CURRENT_USER\\Software\\MyApp", "Name", "1");
  r.SetText("hkey_current_user\\SOFTWARE\\myapp\\", "NAME", "2");
  r.SetText(S(u8"HKEY_CURRENT_USER\\Software\\ＡＰＰ"), "k", "w");
  ASSERT_EQ(r.FindKey("HKEY_CURRENT_USER\\Software\\MyApp")->values.size(), 1u);
  const TRegValue* v = r.Value("HKEY_CURRENT_USER\\\\software\\MYAPP", "name");
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->data, "2");
  EXPECT_EQ(v->name, "Name");
  EXPECT_EQ(r.FindKey("HKEY_CURRENT_USER\\software\\myapp")->path, "HKEY_CURRENT_USER\\Software\\MyApp");
  EXPECT_NE(r.Value(S(u8"HKEY_CURRENT_USER\\Software\\ａｐｐ"), "K"), nullptr);
  EXPECT_EQ(r.Value("HKEY_CURRENT_USER\\Software\\MyApp", "other"), nullptr);
  EXPECT_EQ(r.Value("HKEY_CURRENT_USER\\Software\\None", "Name"), nullptr);
}

TEST(Registry, KeysSubkeysAndDeletion) {
  TRegistry r;
  r.CreateKey("HKEY_CURRENT_USER\\A\\B\\C");
  r.SetText("HKEY_CURRENT_USER\\A\\D", "v", "1");
  r.SetText("HKEY_CURRENT_USER\\A", "v", "1");
  r.CreateKey("HKEY_CURRENT_USER\\AB");
  EXPECT_EQ(r.SubKeys("HKEY_CURRENT_USER\\a"), (std::vector<std::string>{"B", "D"}));
  EXPECT_EQ(r.SubKeys("HKEY_CURRENT_USER"), (std::vector<std::string>{"A", "AB"}));
  EXPECT_TRUE(r.SubKeys("HKEY_CURRENT_USER\\A\\B\\C").empty());
  // a key without values stays and is written as a section without lines
  EXPECT_NE(r.Export().find("[HKEY_CURRENT_USER\\A\\B\\C]\r\n"), std::string::npos);

  EXPECT_TRUE(r.DeleteValue("HKEY_CURRENT_USER\\A", "V"));
  EXPECT_FALSE(r.DeleteValue("HKEY_CURRENT_USER\\A", "v"));
  EXPECT_FALSE(r.DeleteValue("HKEY_CURRENT_USER\\X", "v"));
  EXPECT_NE(r.FindKey("HKEY_CURRENT_USER\\A"), nullptr);

  EXPECT_TRUE(r.DeleteKey("HKEY_CURRENT_USER\\a\\b"));  // with everything below it
  EXPECT_EQ(r.FindKey("HKEY_CURRENT_USER\\A\\B\\C"), nullptr);
  EXPECT_FALSE(r.DeleteKey("HKEY_CURRENT_USER\\A\\B"));
  EXPECT_TRUE(r.DeleteKey("HKEY_CURRENT_USER\\A"));
  EXPECT_NE(r.FindKey("HKEY_CURRENT_USER\\AB"), nullptr);  // a sibling with the same beginning stays
}

TEST(Registry, ImportsAnExportText) {
  TRegistry r;
  r.SetText("HKEY_LOCAL_MACHINE\\Gone", "x", "1");
  r.SetText("HKEY_USERS\\Keep", "drop", "1");
  const std::string text =
      "REGEDIT4\n"
      "\n"
      "; a comment\n"
      "[hkey_classes_root\\.txt]\n"
      "@=\"txtfile\"\n"
      "[HKEY_CURRENT_USER\\Software\\X]\n"
      "\"Path\"=\"C:\\\\Program Files\\\\x\"\n"
      "\"N\" = dword:0000000a\n"
      "\"Bin\"=hex:01,02,\\\n"
      "  03,04\n"
      "\"Str\"=hex(1):41,42,00\n"
      "\"Dw\"=hex(4):ff,00,00,00\n"
      "\"Multi\"=hex(7):41,00,00\n"
      "[-HKEY_LOCAL_MACHINE\\Gone]\n"
      "\"ignored\"=\"1\"\n"
      "[HKEY_USERS\\Keep]\n"
      "\"drop\"=-\n";
  std::string error;
  ASSERT_TRUE(r.Import(text, &error)) << error;
  EXPECT_EQ(r.FindKey("HKEY_CLASSES_ROOT\\.txt")->path, "HKEY_CLASSES_ROOT\\.txt");
  EXPECT_EQ(r.Value("HKEY_CLASSES_ROOT\\.TXT", "")->data, "txtfile");
  EXPECT_EQ(r.Value("HKEY_CURRENT_USER\\Software\\X", "path")->data, "C:\\Program Files\\x");
  EXPECT_EQ(r.Value("HKEY_CURRENT_USER\\Software\\X", "n")->Dword(), 10u);
  EXPECT_EQ(r.Value("HKEY_CURRENT_USER\\Software\\X", "bin")->data, "\x01\x02\x03\x04");
  EXPECT_EQ(r.Value("HKEY_CURRENT_USER\\Software\\X", "str")->data, "AB");
  EXPECT_EQ(r.Value("HKEY_CURRENT_USER\\Software\\X", "dw")->type, TRegType::kDword);
  EXPECT_EQ(r.Value("HKEY_CURRENT_USER\\Software\\X", "dw")->Dword(), 255u);
  const TRegValue* multi = r.Value("HKEY_CURRENT_USER\\Software\\X", "multi");
  ASSERT_NE(multi, nullptr);
  EXPECT_EQ(multi->type, TRegType::kOther);
  EXPECT_NE(r.Export().find("\"Multi\"=hex(7):41,00,00"), std::string::npos);
  EXPECT_EQ(r.FindKey("HKEY_LOCAL_MACHINE\\Gone"), nullptr);
  EXPECT_EQ(r.Value("HKEY_USERS\\Keep", "drop"), nullptr);
}

TEST(Registry, TextsThatDoNotParseChangeNothing) {
  const char* cases[] = {
      "[HKEY_CURRENT_USER\\A]\r\n",                 // no header
      "REGEDIT4\r\n\"a\"=\"1\"\r\n",               // a value before any key
      "REGEDIT4\r\n[HKEY_NOWHERE\\A]\r\n",         // no such root
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\A\r\n",     // no "]"
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=\"open\r\n",
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=dword:123456789\r\n",
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=hex:0g\r\n",
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\n\"a\"=what\r\n",
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\A]\r\nname=\"1\"\r\n",
  };
  for (const char* c : cases) {
    SCOPED_TRACE(c);
    TRegistry r;
    r.SetText("HKEY_USERS\\X", "k", "v");
    const std::string before = r.Export();
    std::string error;
    EXPECT_FALSE(r.Import(c, &error));
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(r.Export(), before);
  }
  TRegistry empty;
  EXPECT_TRUE(empty.Import(""));
  EXPECT_TRUE(empty.Keys().empty());
}

class RegistryFile : public ::testing::Test {
 protected:
  RegistryFile() {
    char tmpl[] = "/tmp/regtestXXXXXX";
    dir_ = mkdtemp(tmpl);
    path_ = dir_ + "/cfg/tamakazu/registry.reg";
  }
  ~RegistryFile() override { (void)!system(("rm -rf '" + dir_ + "'").c_str()); }
  std::string Read() {
    std::ifstream in(path_, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  std::string dir_, path_;
};

TEST_F(RegistryFile, CreatedAtTheFirstChangeAndSeenByAnotherReader) {
  TRegistryFile a(path_), b(path_);
  ASSERT_TRUE(a.Load());
  EXPECT_TRUE(a.Store().Keys().empty());
  struct stat st;
  EXPECT_NE(stat((dir_ + "/cfg").c_str(), &st), 0);  // reading makes nothing
  ASSERT_TRUE(a.Change([](TRegistry& r) { r.SetDword("HKEY_CURRENT_USER\\K", "n", 7); }));
  EXPECT_EQ(Read(), "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"n\"=dword:00000007\r\n");
  ASSERT_EQ(stat(path_.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  ASSERT_EQ(stat((dir_ + "/cfg/tamakazu").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0700u);
  ASSERT_TRUE(b.Load());
  EXPECT_EQ(b.Store().Value("HKEY_CURRENT_USER\\K", "N")->Dword(), 7u);
  // b's change starts from the file, not from what b read before
  ASSERT_TRUE(a.Change([](TRegistry& r) { r.SetText("HKEY_CURRENT_USER\\K", "t", "x"); }));
  ASSERT_TRUE(b.Change([](TRegistry& r) { r.SetText("HKEY_CURRENT_USER\\K", "u", "y"); }));
  ASSERT_TRUE(a.Load());
  EXPECT_NE(a.Store().Value("HKEY_CURRENT_USER\\K", "t"), nullptr);
  EXPECT_NE(a.Store().Value("HKEY_CURRENT_USER\\K", "u"), nullptr);
}

TEST_F(RegistryFile, ABrokenFileIsLeftAsItIs) {
  TRegistryFile a(path_);
  ASSERT_TRUE(a.Change([](TRegistry& r) { r.CreateKey("HKEY_USERS\\X"); }));
  {
    std::ofstream out(path_, std::ios::binary | std::ios::trunc);
    out << "not a registry\r\n";
  }
  EXPECT_FALSE(a.Load());
  EXPECT_TRUE(a.Corrupt());
  EXPECT_FALSE(a.Change([](TRegistry& r) { r.CreateKey("HKEY_USERS\\Y"); }));
  EXPECT_EQ(Read(), "not a registry\r\n");
}

TEST_F(RegistryFile, WritersInSeveralProcessesLoseNothing) {
  constexpr int kWriters = 4, kEach = 15;
  for (int w = 0; w < kWriters; ++w) {
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
      TRegistryFile f(path_);
      for (int i = 0; i < kEach; ++i) {
        const std::string name = std::to_string(w) + "-" + std::to_string(i);
        if (!f.Change([&](TRegistry& r) { r.SetText("HKEY_CURRENT_USER\\Many", name, "v"); })) _exit(1);
      }
      _exit(0);
    }
  }
  for (int w = 0; w < kWriters; ++w) {
    int status = 0;
    wait(&status);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  TRegistryFile f(path_);
  ASSERT_TRUE(f.Load());
  EXPECT_EQ(f.Store().FindKey("HKEY_CURRENT_USER\\Many")->values.size(), size_t{kWriters * kEach});
}

TEST(RegistryPath, FollowsXdgConfigHome) {
  const char* old = getenv("XDG_CONFIG_HOME");
  std::string saved = old ? old : "";
  setenv("XDG_CONFIG_HOME", "/some/where", 1);
  EXPECT_EQ(TRegistryFile::DefaultPath(), "/some/where/tamakazu/registry.reg");
  setenv("XDG_CONFIG_HOME", "relative", 1);  // not absolute: ignored
  EXPECT_NE(TRegistryFile::DefaultPath(), "relative/tamakazu/registry.reg");
  if (old) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
  else unsetenv("XDG_CONFIG_HOME");
}

}  // namespace
}  // namespace tama::support
