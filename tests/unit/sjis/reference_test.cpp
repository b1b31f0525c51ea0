// The code table and the mappings checked against tools installed from the
// distribution: iconv's CP932 table, nkf's width and kana conversions and
// uconv's case mapping. Their output is in tests/data/sjis/, written by
// tools/gen_sjis_reference.py. Where a mapping differs from a tool on
// purpose, the difference is listed here with the reason.
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sjis/convert.h"
#include "sjis/lcmap.h"
#include "sjis/sjis.h"

using namespace tama::sjis;

namespace {

std::string Bytes(const std::string& hex) {
  std::string s;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) s.push_back(static_cast<char>(std::stoul(hex.substr(i, 2), nullptr, 16)));
  return s;
}

std::string Hex(std::string_view s) {
  static const char digits[] = "0123456789ABCDEF";
  std::string h;
  for (unsigned char c : s) {
    h.push_back(digits[c >> 4]);
    h.push_back(digits[c & 15]);
  }
  return h;
}

std::vector<std::vector<std::string>> ReadFields(const char* name) {
  std::ifstream f(std::string(TAMA_TEST_DATA) + "/sjis/" + name);
  EXPECT_TRUE(f.good()) << name;
  std::vector<std::vector<std::string>> rows;
  std::string line;
  while (std::getline(f, line)) {
    if (line.empty() || line[0] == '#') continue;
    std::istringstream in(line);
    std::vector<std::string> fields;
    for (std::string w; in >> w;) fields.push_back(w);
    rows.push_back(fields);
  }
  return rows;
}

std::vector<unsigned> AllDoubleByteCodes() {
  std::vector<unsigned> codes;
  for (unsigned lead = 0x81; lead <= 0xFC; ++lead) {
    if (!IsLead(static_cast<unsigned char>(lead))) continue;
    for (unsigned trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail != 0x7F) codes.push_back(lead * 256 + trail);
    }
  }
  return codes;
}

std::string CodeBytes(unsigned code) {
  std::string s;
  if (code > 0xFF) s.push_back(static_cast<char>(code >> 8));
  s.push_back(static_cast<char>(code & 0xFF));
  return s;
}

// The tool's result for each input it changed, by op.
std::map<std::string, std::map<std::string, std::string>> ReadOps(const char* name) {
  std::map<std::string, std::map<std::string, std::string>> ops;
  for (const auto& r : ReadFields(name)) {
    EXPECT_EQ(r.size(), 3u);
    if (r.size() == 3) ops[r[0]][Bytes(r[1])] = r[2] == "-" ? "" : Bytes(r[2]);
  }
  return ops;
}

bool SameCharacter(const std::string& a, const std::string& b) { return SjisToUtf8(a) == SjisToUtf8(b); }

// Compare a mapping over every double-byte code with the tool's results; a
// code the tool did not list must stay. ours: our deliberate results.
void CompareAllCodes(std::string (*f)(std::string_view), const std::string& op,
                     const std::map<std::string, std::string>& tool,
                     const std::map<std::string, std::string>& ours) {
  size_t compared = 0;
  for (unsigned code : AllDoubleByteCodes()) {
    const std::string in = CodeBytes(code);
    if (CodeToUnicode(code) == 0xFFFD) continue;
    std::string want = in;
    if (auto it = ours.find(in); it != ours.end()) {
      want = it->second;
    } else if (auto t = tool.find(in); t != tool.end() && !t->second.empty()) {
      // nkf also rewrites the NEC-selected IBM codes into the IBM codes of the
      // same character; a mapping leaves the bytes of such a character alone.
      if (!SameCharacter(t->second, in)) want = t->second;
    }
    EXPECT_EQ(Hex(f(in)), Hex(want)) << op << " of " << Hex(in) << " (" << in << ")";
    ++compared;
  }
  EXPECT_EQ(compared, 9604u);
}

}  // namespace

TEST(Reference, CodeTableMatchesIconv) {
  const auto rows = ReadFields("cp932_iconv.txt");
  ASSERT_EQ(rows.size(), 128u + 63u + 9604u);
  std::set<unsigned> listed;
  for (const auto& r : rows) {
    const unsigned code = std::stoul(r[0], nullptr, 16);
    const char32_t u = std::stoul(r[1], nullptr, 16);
    listed.insert(code);
    EXPECT_EQ(CodeToUnicode(code), u) << r[0];
    // Written back as iconv writes it: the same code, or the preferred one.
    const unsigned back = r.size() > 2 ? std::stoul(r[2], nullptr, 16) : code;
    EXPECT_EQ(UnicodeToCode(u), back) << r[0];
  }
  // Every code iconv rejects has no character here either (the single bytes
  // 0x80, 0xA0, 0xFD-0xFF, lone lead bytes and the empty cells).
  for (unsigned code = 0; code < 0x100; ++code) {
    if (!listed.count(code)) {
      EXPECT_EQ(CodeToUnicode(code), 0xFFFDu) << std::hex << code;
    }
  }
  for (unsigned code : AllDoubleByteCodes()) {
    if (!listed.count(code)) {
      EXPECT_EQ(CodeToUnicode(code), 0xFFFDu) << std::hex << code;
    }
  }
}

TEST(Reference, HalfWidthMatchesNkf) {
  auto ops = ReadOps("nkf_lcmap.txt");
  // Deliberate differences from nkf -Z1 -Z4:
  const std::map<std::string, std::string> ours = {
      // U+FF5E is the full-width form of the tilde.
      {"～", "~"},
      // The yen sign is written 0x5C in CP932 (the folding of program text
      // reads it as the backslash too).
      {"￥", "\\"},
      // U+FF02 and U+FF07 (IBM extension codes) are the full-width forms of
      // the ASCII quotes.
      {"\xFA\x57", "\""}, {"\xEE\xFC", "\""}, {"\xFA\x56", "'"}, {"\xEE\xFB", "'"},
      // nkf writes look-alikes for these; they have no half-width form (and
      // the folding of program text keeps them too).
      {"´", "´"}, {"―", "―"}, {"〈", "〈"}, {"〉", "〉"},
  };
  CompareAllCodes(ToHalfWidth, "half", ops["half"], ours);
}

TEST(Reference, KanaMatchesNkf) {
  auto ops = ReadOps("nkf_lcmap.txt");
  CompareAllCodes(ToHiragana, "hira", ops["hira"], {});
  CompareAllCodes(ToKatakana, "kata", ops["kata"], {});
}

TEST(Reference, FullWidthKanaMatchesNkf) {
  auto ops = ReadOps("nkf_lcmap.txt");
  ASSERT_EQ(ops["full"].size(), 63u * 3u);
  for (const auto& [in, want] : ops["full"]) EXPECT_EQ(Hex(ToFullWidth(in)), Hex(want)) << Hex(in);
}

TEST(Reference, FullWidthAsciiMatchesIconv) {
  auto ops = ReadOps("iconv_fullwidth.txt");
  ASSERT_EQ(ops["full"].size(), 95u);
  // Deliberate differences: the quotes take ” and ’ (JIS X 0208 codes, which
  // the JIS and EUC conversions can write and which fold back to the ASCII
  // quotes), not iconv's IBM extension codes 0xFA57 and 0xFA56.
  const std::map<std::string, std::string> ours = {{"\"", "”"}, {"'", "’"}};
  for (const auto& [in, tool] : ops["full"]) {
    auto it = ours.find(in);
    EXPECT_EQ(Hex(ToFullWidth(in)), Hex(it != ours.end() ? it->second : tool)) << in;
  }
}

TEST(Reference, CaseMatchesUconv) {
  auto ops = ReadOps("uconv_case.txt");
  // Deliberate difference: the Roman numerals Ⅰ-Ⅹ / ⅰ-ⅹ are numerals to
  // the case commands and stay, as do letters whose other case has no CP932
  // code (uconv's "-").
  std::map<std::string, std::string> keep;
  for (const char* op : {"upper", "lower"}) {
    for (const auto& [in, out] : ops[op]) {
      const char32_t u = CodeToUnicode(static_cast<unsigned char>(in[0]) * 256u + static_cast<unsigned char>(in[1]));
      if (u >= 0x2160 && u <= 0x217F) keep[in] = in;
      (void)out;
    }
  }
  ASSERT_EQ(keep.size(), 20u + 20u);  // Ⅰ-Ⅹ and ⅰ-ⅹ, at two codes each
  CompareAllCodes(ToUpper, "upper", ops["upper"], keep);
  CompareAllCodes(ToLower, "lower", ops["lower"], keep);
}
