// The registration tables against the vocabulary list in tests/data: every
// command name with its family and argument pattern, the aliases, the system
// words, the quick references and the property names.
#include <gtest/gtest.h>
#include <iconv.h>

#include <cerrno>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "commands/families.h"
#include "commands/wordtable.h"
#include "engine/system_words.h"

namespace tama {
namespace {

// UTF-8 (the list) -> CP932 (the tables).
std::string ToCp932(const std::string& utf8) {
  iconv_t cd = iconv_open("CP932", "UTF-8");
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    ADD_FAILURE() << "iconv_open failed";
    return {};
  }
  std::string out(utf8.size() * 2 + 4, '\0');
  char* in = const_cast<char*>(utf8.data());
  size_t inLeft = utf8.size();
  char* dst = out.data();
  size_t outLeft = out.size();
  if (iconv(cd, &in, &inLeft, &dst, &outLeft) == static_cast<size_t>(-1)) {
    ADD_FAILURE() << "cannot convert \"" << utf8 << "\" (errno " << errno << ")";
  }
  iconv_close(cd);
  out.resize(out.size() - outLeft);
  return out;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

struct TCommandLine {
  std::string family, name, pattern;
};
struct TSysWordLine {
  std::string name, access, initial, typeText;
};

// The list, converted to CP932 (family names and access words are ASCII).
struct TVocabulary {
  std::vector<TCommandLine> commands;
  std::vector<std::vector<std::string>> aliases;
  std::vector<TSysWordLine> syswords;
  std::map<int, std::string> properties;
};

const TVocabulary& Vocabulary() {
  static const TVocabulary vocab = [] {
    TVocabulary v;
    std::ifstream in(TAMA_TEST_DATA "/vocabulary.tsv", std::ios::binary);
    EXPECT_TRUE(in.good()) << "cannot open " TAMA_TEST_DATA "/vocabulary.tsv";
    std::string line;
    while (std::getline(in, line)) {
      if (line.empty()) continue;
      std::vector<std::string> f = SplitTabs(line);
      if (f[0] == "alias") {
        std::vector<std::string> group;
        for (size_t i = 1; i < f.size(); ++i) group.push_back(ToCp932(f[i]));
        v.aliases.push_back(group);
      } else if (f[0] == "sysword") {
        EXPECT_EQ(f.size(), 5u) << line;
        f.resize(5);
        v.syswords.push_back({ToCp932(f[1]), f[2], ToCp932(f[3]), ToCp932(f[4])});
      } else if (f[0] == "property") {
        EXPECT_EQ(f.size(), 3u) << line;
        f.resize(3);
        v.properties[std::stoi(f[1])] = ToCp932(f[2]);
      } else {
        EXPECT_EQ(f.size(), 3u) << line;
        f.resize(3);
        v.commands.push_back({f[0], ToCp932(f[1]), ToCp932(f[2])});
      }
    }
    return v;
  }();
  return vocab;
}

struct TRegistered {
  std::string family;
  std::string pattern;
  int id;
};

// Every registered command name with its family, pattern and id.
std::map<std::string, TRegistered> RegisteredCommands(size_t* rows) {
  std::map<std::string, TRegistered> out;
  *rows = 0;
  for (const TCommandFamily& fam : AllCommandFamilies()) {
    for (size_t i = 0; i < fam.count; ++i) {
      const TCommandDef& d = fam.defs[i];
      ++*rows;
      EXPECT_TRUE(out.emplace(d.name, TRegistered{fam.family, d.pattern, d.id}).second)
          << "name registered twice: " << d.name;
    }
  }
  return out;
}

TEST(Vocabulary, ListIsComplete) {
  const TVocabulary& v = Vocabulary();
  EXPECT_EQ(v.commands.size(), 498u);
  EXPECT_EQ(v.syswords.size(), 124u);
  EXPECT_EQ(v.properties.size(), 57u);
}

TEST(Vocabulary, EveryCommandNameHasItsFamilyAndPattern) {
  size_t rows = 0;
  std::map<std::string, TRegistered> reg = RegisteredCommands(&rows);
  EXPECT_EQ(rows, 498u);
  std::set<std::string> listed;
  for (const TCommandLine& c : Vocabulary().commands) {
    listed.insert(c.name);
    auto it = reg.find(c.name);
    if (it == reg.end()) {
      ADD_FAILURE() << "not registered: " << c.name;
      continue;
    }
    EXPECT_EQ(it->second.family, c.family) << c.name;
    EXPECT_EQ(it->second.pattern, c.pattern) << c.name;
  }
  for (const auto& [name, r] : reg) EXPECT_TRUE(listed.count(name)) << "not in the list: " << name;
}

TEST(Vocabulary, AliasesShareOneIdAndCommandsHaveTheirOwn) {
  size_t rows = 0;
  std::map<std::string, TRegistered> reg = RegisteredCommands(&rows);
  // Expected grouping: the alias groups of the list, every other name alone.
  std::map<std::string, size_t> groupOf;
  size_t groups = 0;
  for (const auto& g : Vocabulary().aliases) {
    for (const std::string& n : g) groupOf[n] = groups;
    ++groups;
  }
  for (const TCommandLine& c : Vocabulary().commands) {
    if (!groupOf.count(c.name)) groupOf[c.name] = groups++;
  }
  EXPECT_EQ(groups, 469u);

  std::map<int, size_t> groupOfId;
  std::map<size_t, int> idOfGroup;
  for (const auto& [name, r] : reg) {
    auto g = groupOf.find(name);
    if (g == groupOf.end()) continue;  // reported by the test above
    auto ig = groupOfId.emplace(r.id, g->second).first;
    EXPECT_EQ(ig->second, g->second) << name << " shares id " << r.id << " with another command";
    auto gi = idOfGroup.emplace(g->second, r.id).first;
    EXPECT_EQ(gi->second, r.id) << name << " has another id than its aliases";
  }
  EXPECT_EQ(groupOfId.size(), 469u);
}

TEST(Vocabulary, EachFamilyKeepsToItsOwnIds) {
  std::map<int, std::string> familyOfId;
  std::set<std::string> names;
  for (const TCommandFamily& fam : AllCommandFamilies()) {
    EXPECT_TRUE(names.insert(fam.family).second) << fam.family;
    EXPECT_GT(fam.count, 0u) << fam.family;
    for (size_t i = 0; i < fam.count; ++i) {
      auto it = familyOfId.emplace(fam.defs[i].id, fam.family).first;
      EXPECT_EQ(it->second, fam.family) << "id " << fam.defs[i].id;
    }
  }
  EXPECT_EQ(names.size(), 22u);
}

TEST(Vocabulary, PatternsAreWellFormed) {
  // Slots are separated by ","; each, trimmed of blanks, is "?" plus a particle
  // or a bare particle; an empty pattern has no slots.
  for (const TCommandFamily& fam : AllCommandFamilies()) {
    for (size_t i = 0; i < fam.count; ++i) {
      std::string p = fam.defs[i].pattern;
      if (p.empty()) continue;
      std::stringstream ss(p);
      std::string slot;
      int slots = 0;
      while (std::getline(ss, slot, ',')) {
        ++slots;
        size_t a = slot.find_first_not_of(" \t");
        EXPECT_NE(a, std::string::npos) << fam.defs[i].name << ": empty slot";
      }
      EXPECT_GE(slots, 1);
      EXPECT_LE(slots, 4) << fam.defs[i].name;
      EXPECT_NE(p.back(), ',') << fam.defs[i].name;
    }
  }
}

// Okurigana folding of the word table: a run of hiragana (0x82A0-0x833E)
// after a double-byte character that is not hiragana is dropped; an empty
// result leaves the name as it is.
std::string Fold(const std::string& name) {
  std::string out;
  bool afterKanji = false;
  for (size_t i = 0; i < name.size();) {
    unsigned char c = static_cast<unsigned char>(name[i]);
    bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    if (!lead || i + 1 >= name.size()) {
      out += name[i++];
      continue;
    }
    unsigned code = c * 256u + static_cast<unsigned char>(name[i + 1]);
    bool hira = code >= 0x82A0 && code <= 0x833E;
    if (!hira || !afterKanji) {
      out.append(name, i, 2);
      afterKanji = !hira;
      i += 2;
      continue;
    }
    while (i + 1 < name.size()) {
      unsigned k = static_cast<unsigned char>(name[i]) * 256u + static_cast<unsigned char>(name[i + 1]);
      if (k < 0x82A0 || k > 0x833E) break;
      i += 2;
    }
    afterKanji = false;
  }
  return out.empty() ? name : out;
}

TEST(Vocabulary, FoldedCommandNamesAndSystemWordsNeverCollide) {
  // Commands are protected and filed under their folded names: two commands
  // with one folded name, or a system word named like a folded command, would
  // make the registration fail.
  ASSERT_EQ(Fold("繰り返す"), "繰返");
  ASSERT_EQ(Fold("おわり"), "おわり");
  std::map<std::string, std::string> folded;
  for (const TCommandFamily& fam : AllCommandFamilies())
    for (size_t i = 0; i < fam.count; ++i) {
      auto [it, fresh] = folded.emplace(Fold(fam.defs[i].name), fam.defs[i].name);
      EXPECT_TRUE(fresh) << fam.defs[i].name << " folds like " << it->second;
    }
  std::set<std::string> words;
  for (const TSystemWordDef& w : SystemWordDefs()) {
    EXPECT_TRUE(words.insert(w.name).second) << "system word twice: " << w.name;
    EXPECT_FALSE(folded.count(w.name)) << w.name;
  }
  EXPECT_FALSE(folded.count(kMainWindowWord));
  EXPECT_FALSE(words.count(kMainWindowWord));
}

TEST(SystemWords, MatchTheList) {
  std::span<const TSystemWordDef> defs = SystemWordDefs();
  const std::vector<TSysWordLine>& list = Vocabulary().syswords;
  ASSERT_EQ(defs.size(), 124u);
  ASSERT_EQ(list.size(), defs.size());
  for (size_t i = 0; i < defs.size(); ++i) {
    const TSystemWordDef& d = defs[i];
    const TSysWordLine& w = list[i];
    EXPECT_EQ(d.name, w.name) << "#" << i + 1;
    EXPECT_EQ(d.readOnly ? "read-only" : "changeable", w.access) << w.name;
    if (w.initial == "COMPUTED") {
      EXPECT_NE(d.computed, TComputed::kNone) << w.name;
      EXPECT_STREQ(d.initial, "") << w.name;
    } else {
      EXPECT_EQ(d.computed, TComputed::kNone) << w.name;
      EXPECT_EQ(d.initial, w.initial) << w.name;
    }
    EXPECT_EQ(d.typeText, w.typeText) << w.name;
  }
}

TEST(SystemWords, ComputedValuesNamed) {
  // Each computed value but the shared menu colour belongs to one word.
  std::map<TComputed, int> uses;
  for (const TSystemWordDef& d : SystemWordDefs())
    if (d.computed != TComputed::kNone) ++uses[d.computed];
  EXPECT_EQ(uses.size(), 21u);
  EXPECT_EQ(uses[TComputed::kColorMenu], 2);
  for (const auto& [c, n] : uses) {
    if (c != TComputed::kColorMenu) {
      EXPECT_EQ(n, 1) << static_cast<int>(c);
    }
  }
}

TEST(SystemWords, QuickReferencesNameExistingWords) {
  std::set<std::string> words, commands;
  for (const TSystemWordDef& d : SystemWordDefs()) words.insert(d.name);
  for (const TCommandFamily& fam : AllCommandFamilies())
    for (size_t i = 0; i < fam.count; ++i) commands.insert(fam.defs[i].name);
  std::span<const TQuickWordDef> quick = QuickWordDefs();
  ASSERT_EQ(quick.size(), static_cast<size_t>(TQuickWord::kCount));
  std::set<std::string> seen;
  for (size_t i = 0; i < quick.size(); ++i) {
    EXPECT_EQ(static_cast<size_t>(quick[i].which), i) << quick[i].name;
    EXPECT_TRUE(seen.insert(quick[i].name).second) << quick[i].name;
    EXPECT_EQ(commands.count(quick[i].name), quick[i].command ? 1u : 0u) << quick[i].name;
    EXPECT_EQ(words.count(quick[i].name), quick[i].command ? 0u : 1u) << quick[i].name;
  }
}

TEST(SystemWords, HiddenCommandAndMainWindow) {
  size_t rows = 0;
  std::map<std::string, TRegistered> reg = RegisteredCommands(&rows);
  auto it = reg.find(kHiddenCommand);
  ASSERT_NE(it, reg.end());
  EXPECT_EQ(it->second.family, "wordtable");
  EXPECT_EQ(it->second.pattern, "");
  EXPECT_EQ(it->second.id, kCmdValentine);
  EXPECT_STREQ(kMainWindowTag, "メインフォーム");
  EXPECT_EQ(kMainWindowObject, 0);

  // An empty line and 19 sentences, CR LF between them and none at the end.
  std::string text = kValentineProgram;
  ASSERT_EQ(text.substr(0, 2), "\r\n");
  EXPECT_NE(text.substr(text.size() - 2), "\r\n");
  size_t breaks = 0;
  for (size_t p = text.find("\r\n"); p != std::string::npos; p = text.find("\r\n", p + 2)) ++breaks;
  EXPECT_EQ(breaks, 19u);
  EXPECT_NE(text.find("「St. Valentine's Day」と、文字描画。"), std::string::npos);
}

TEST(SystemWords, PropertyNamesMatchTheList) {
  std::span<const char* const> names = PropertyNames();
  ASSERT_EQ(names.size(), 57u);
  const std::map<int, std::string>& list = Vocabulary().properties;
  for (size_t i = 0; i < names.size(); ++i) {
    auto it = list.find(static_cast<int>(i));
    ASSERT_NE(it, list.end()) << i;
    EXPECT_EQ(names[i], it->second) << i;
  }
}

}  // namespace
}  // namespace tama
