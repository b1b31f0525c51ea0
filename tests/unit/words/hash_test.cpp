#include "words/hash.h"

#include <gtest/gtest.h>

#include <array>

#include "words/runcontrol.h"
#include "words/stack.h"

using namespace tama;

namespace {
THashNodeRef Var(const std::string& name, const std::string& value, bool prot = false) {
  return std::make_shared<THashNode>(name, prot, 0, value);
}
THashNodeRef Cmd(const std::string& name, int id) {
  return std::make_shared<THashNode>(FoldOkurigana(name), true, TPos{}, wkCommand, id, "", "", "?を");
}
}  // namespace

TEST(Okurigana, Fold) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"書き込む", "書込"}, {"繰り返す", "繰返"},     {"言う", "言"},
      {"取り込む", "取込"}, {"おわり", "おわり"},     {"文字列として扱う", "文字列扱"},
      {"数値として扱う", "数値扱"}, {"エラーを無視", "エラー無視"}, {"足し算", "足算"},
      {"繰り返すを", "繰返"}, {"もし", "もし"},       {"abc", "abc"},
      {"", ""},             {"Aの", "Aの"},           {"漢ぁ", "漢ぁ"},  // small ぁ is not counted as hiragana
      {"表示", "表示"},
  };
  for (const auto& c : cases) EXPECT_EQ(FoldOkurigana(c.in), c.out) << c.in;
  // a hiragana run after a kanji is dropped, and the flag resets
  EXPECT_EQ(FoldOkurigana("二つの"), "二");
  EXPECT_EQ(FoldOkurigana("書きこむ字を"), "書字");
  // single bytes do not change the flag
  EXPECT_EQ(FoldOkurigana("字aを"), "字a");
  // a lead byte at the very end is a single character
  EXPECT_EQ(FoldOkurigana(std::string("字\x82")), std::string("字\x82"));
}

TEST(WordTable, BucketOrderIsByteSumThenInsertion) {
  THash h;
  h.Add(Var("b", "2"));
  h.Add(Var("ab", "3"));
  h.Add(Var("a", "1"));
  h.Add(Var("c", "4"));
  // a=97, b=98, c=99, ab=195
  EXPECT_EQ(h.KeysText(), "a\r\nb\r\nc\r\nab");
  EXPECT_EQ(h.DumpText(), "a=1\r\nb=2\r\nc=4\r\nab=3");
  // same bucket: insertion order ("ba" and "ab" both sum to 195)
  h.Add(Var("ba", "5"));
  EXPECT_EQ(h.KeysText(), "a\r\nb\r\nc\r\nab\r\nba");
}

TEST(WordTable, ReplaceInPlaceKeepsOldNodeAliveForHolders) {
  THash h;
  h.Add(Var("x", "1"));
  h.Add(Var("y", "2"));
  THashNodeRef held = h.FindRef("x", false);
  EXPECT_EQ(h.Add(Var("x", "9")), 2);
  EXPECT_EQ(h.Count(), 2);
  EXPECT_EQ(held->Value(), "1");
  EXPECT_EQ(h.FindValue("x", false), "9");
  EXPECT_EQ(h.KeysText(), "x\r\ny");
  h.Remove("x", false);
  EXPECT_EQ(held->Value(), "1");
  EXPECT_EQ(h.Count(), 1);
}

TEST(WordTable, ProtectedNameRaisesAndKeepsOldWord) {
  THash h;
  h.Add(Cmd("書き込む", 7));
  try {
    h.Add(Var("書込", "v"));
    FAIL();
  } catch (const TWordError& e) {
    EXPECT_EQ(std::string(e.what()), "\"書込\"は予約語なので、登録できません。");
  }
  EXPECT_EQ(h.Find("書込", false)->Kind, wkCommand);
}

TEST(WordTable, FoldedLookup) {
  THash h;
  h.Add(Cmd("書き込む", 7));
  for (const char* n : {"書き込む", "書込む", "書込"}) {
    ASSERT_NE(h.Find(n, true), nullptr) << n;
    EXPECT_EQ(h.Find(n, true)->Id, 7);
  }
  EXPECT_EQ(h.Find("書き込む", false), nullptr);
  EXPECT_EQ(h.Find("", true), nullptr);
  // the folded name shadows a variable in folded lookups
  h.Add(Var("書込み", "v"));
  EXPECT_EQ(h.Find("書込み", true)->Kind, wkCommand);
  EXPECT_EQ(h.Find("書込み", false)->Kind, wkVariable);
}

TEST(WordTable, RemoveWithFoldRemovesBoth) {
  THash h;
  h.Add(Var("繰返", "1"));
  h.Add(Var("繰り返す", "2"));
  h.Add(Var("z", "3"));
  EXPECT_EQ(h.Remove("繰り返す", true), 1);
  EXPECT_EQ(h.Count(), 1);
  EXPECT_EQ(h.Remove("nothing", true), -1);
}

TEST(WordTable, LoadFromText) {
  THash h;
  h.LoadFromText("a=1=2\r\n b =x\nc\r\n\r\nd=");
  EXPECT_EQ(h.FindValue("a", false), "1=2");
  EXPECT_EQ(h.FindValue("b", false), "x");
  ASSERT_NE(h.Find("c", false), nullptr);
  EXPECT_EQ(h.FindValue("c", false), "");
  ASSERT_NE(h.Find("d", false), nullptr);
  EXPECT_EQ(h.Count(), 5);  // the empty line adds a node with an empty name
  THash e;
  EXPECT_EQ(e.KeysText(), "");
  e.LoadFromText("k=v");
  EXPECT_EQ(e.KeysText(), "k");
}

TEST(WordTable, CloneIsDeep) {
  THash h;
  auto d = std::make_shared<THashNode>("dict", false, 0, "ハッシュ");
  d->Kind = wkHash;
  d->Dict = std::make_unique<THash>();
  d->Dict->Add(Var("k", "v"));
  h.Add(d);
  auto copy = h.Clone();
  copy->Find("dict", false)->Dict->Find("k", false)->SetValue("changed");
  EXPECT_EQ(h.Find("dict", false)->Dict->FindValue("k", false), "v");
}

// The table against a plain model of its order (256 lists by byte sum, in
// insertion order, replacement in place) through many adds, replacements and
// removals of names that crowd into a few buckets, as numbered names do.
TEST(WordTable, ManyNamesKeepTheOrderOfTheModel) {
  THash h;
  std::array<std::vector<std::pair<std::string, std::string>>, 256> model;
  auto modelFind = [&](const std::string& name) -> std::pair<std::string, std::string>* {
    for (auto& e : model[BucketOf(name)])
      if (e.first == name) return &e;
    return nullptr;
  };
  auto modelDump = [&] {
    std::string out;
    for (const auto& b : model)
      for (const auto& e : b) out += e.first + "=" + e.second + "\r\n";
    return std::string(TrimControl(out));
  };
  uint32_t seed = 12345;
  auto next = [&] {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 8) % 30000;
  };
  size_t modelCount = 0;
  for (int step = 0; step < 60000; ++step) {
    const std::string name = "k" + std::to_string(next());
    const std::string value = std::to_string(step);
    if (step % 3 == 2) {
      auto& b = model[BucketOf(name)];
      bool there = false;
      for (auto it = b.begin(); it != b.end(); ++it)
        if (it->first == name) {
          b.erase(it);
          there = true;
          --modelCount;
          break;
        }
      EXPECT_EQ(h.Remove(name, false), there ? static_cast<int32_t>(modelCount) : -1) << name;
    } else {
      if (auto* e = modelFind(name)) {
        e->second = value;
      } else {
        model[BucketOf(name)].emplace_back(name, value);
        ++modelCount;
      }
      EXPECT_EQ(h.Add(Var(name, value)), static_cast<int32_t>(modelCount));
    }
  }
  EXPECT_EQ(h.Count(), static_cast<int32_t>(modelCount));
  const std::string dump = modelDump();
  EXPECT_EQ(h.DumpText(), dump);
  EXPECT_EQ(h.Clone()->DumpText(), dump);
  std::vector<THashNodeRef> nodes = h.Nodes();
  ASSERT_EQ(nodes.size(), modelCount);
  for (const auto& n : nodes) {
    auto* e = modelFind(n->Name);
    ASSERT_NE(e, nullptr) << n->Name;
    EXPECT_EQ(h.FindValue(n->Name, false), e->second);
  }
  // emptied down to nothing and filled again
  for (const auto& n : nodes) h.Remove(n->Name, false);
  EXPECT_EQ(h.Count(), 0);
  EXPECT_EQ(h.KeysText(), "");
  h.Add(Var("ab", "1"));
  h.Add(Var("ba", "2"));
  EXPECT_EQ(h.KeysText(), "ab\r\nba");
}

// A dictionary of 100,000 keys loaded from text, and one as big made by adds.
TEST(WordTable, HundredThousandKeys) {
  std::string text;
  for (int i = 0; i < 100000; ++i) text += "key" + std::to_string(i) + "=" + std::to_string(i * 2) + "\r\n";
  THash h;
  h.LoadFromText(text);
  EXPECT_EQ(h.Count(), 100000);
  EXPECT_EQ(h.FindValue("key77777", false), "155554");
  EXPECT_EQ(h.Find("key100000", false), nullptr);
  THash g;
  for (int i = 0; i < 100000; ++i) g.Add(Var("L" + std::to_string(i), ""));
  EXPECT_EQ(g.Count(), 100000);
  // buckets in order, and inside a bucket the order of insertion
  std::vector<THashNodeRef> nodes = g.Nodes();
  for (size_t i = 1; i < nodes.size(); ++i) {
    const uint8_t a = BucketOf(nodes[i - 1]->Name), b = BucketOf(nodes[i]->Name);
    ASSERT_LE(a, b);
    if (a == b) {
      ASSERT_LT(std::stoi(nodes[i - 1]->Name.substr(1)), std::stoi(nodes[i]->Name.substr(1)));
    }
  }
}

TEST(WordNode, PatternSlots) {
  THashNode n;
  n.SetPattern("?を, ?から ,?まで");
  ASSERT_EQ(n.Slots().size(), 3u);
  EXPECT_EQ(n.Slots()[0], "を");
  EXPECT_EQ(n.Slots()[1], "から");
  EXPECT_EQ(n.Slots()[2], "まで");
  n.SetPattern("");
  EXPECT_TRUE(n.Slots().empty());
}

TEST(Stacks, ArgumentStackAndLevels) {
  TStack s;
  EXPECT_EQ(s.Pop(), "");
  EXPECT_EQ(s.TakeFirst(), "");
  s.Push("a");
  s.Push("b");
  EXPECT_EQ(s.ItemAt(5), "");
  EXPECT_EQ(s.TakeFirst(), "a");
  TRunControlStack rc;
  rc.PopLevel();  // no saved level: nothing happens
  TRunControl f;
  f.kind = fkTimes;
  rc.PushFrame(f);
  rc.PopLevel();
  EXPECT_EQ(rc.FrameCount(), 1);
  rc.PushLevel();
  EXPECT_EQ(rc.FrameCount(), 0);
  EXPECT_FALSE(rc.PopFrame());
  rc.PopLevel();
  EXPECT_EQ(rc.FrameCount(), 1);
  // a frame copy shares its body
  f.body = MakeText("abc");
  rc.PushFrame(f);
  TRunControl out;
  ASSERT_TRUE(rc.PopFrame(out));
  EXPECT_EQ(out.body.get(), f.body.get());
}
