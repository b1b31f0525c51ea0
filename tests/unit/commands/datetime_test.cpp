// The date and time commands run through whole programs: each case is one
// sentence and what it leaves in それ, or the reason of the error it stops with.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "run_fixture.h"
#include "support/number.h"

namespace tama {
namespace {

using TCase = runfx::TResultCase;
using TErrorCase = runfx::TErrorCase;

class DateTimeCommands : public runfx::TResultFixture {
 protected:
  void CheckError(const TErrorCase& c) {
    SCOPED_TRACE(c.program);
    Run(std::string("それは、「前」\n") + c.program);
    EXPECT_EQ(host.dialogs.size(), 1u);
    EXPECT_EQ(Reason(), c.reason);
    EXPECT_EQ(Value("それ"), "前");
  }
};

TEST_F(DateTimeCommands, TimeAddition) {
  const TCase cases[] = {
      {"「10:00:00」に、「3:0:0」を、時間加算", "13:00:00", "?"},
      {"「01:00:00」に、「-3:0:0」を、時間加算", "22:00:00", "?"},
      {"「23:00:00」に、「2:0:0」を、時間加算", "01:00:00", "?"},
      {"「10:00」に、「0:90」を、時間加算", "11:30:00", "?"},
      {"「10:00」に、「+1:30」を、時間加算", "11:30:00", "?"},
      {"「12:00」に、「90」を、時間加算", "06:00:00", "?"},        // 90 hours
      {"「12:00」に、「1:30:x」を、時間加算", "13:30:00", "?"},    // not an integer: 0
      {"「12:00:00」に、「0:0:59」を、時間加算", "12:00:59", "?"},
      {"「 2004/1/1 23:30 」に、「 0:45 」を、時間加算", "00:15:00", "?"},
      {"「0.5」に、「1:0:0」を、時間加算", "13:00:00", "?"},        // a day count
      // taking away more than a day still gives the time of day
      {"「01:00」に、「-26:0:0」を、時間加算", "23:00:00", "?"},
      {"「01:00」に、「-0:0:65535」を、時間加算", "06:47:45", "?"},
      // before 1899-12-30 the time of day runs forward as on any other day
      {"「1899/12/29 06:00」に、「1:0:0」を、時間加算", "07:00:00", "?"},
      {"「1899/12/29 06:00」に、「-7:0:0」を、時間加算", "23:00:00", "?"},
  };
  for (const TCase& c : cases) Check(c);
  const TErrorCase errors[] = {
      {"「10:00」に、「1:-5:0」を、時間加算", kMsgRangeCheck},
      {"「10:00」に、「65536」を、時間加算", kMsgRangeCheck},
      {"「x」に、「1:0」を、時間加算", "String型から Date 型へのバリアント型変換はできません"},
      {"「25:00」に、「1:0」を、時間加算", "String型から Date 型へのバリアント型変換はできません"},
  };
  for (const TErrorCase& c : errors) CheckError(c);
}

TEST_F(DateTimeCommands, DateAddition) {
  const TCase cases[] = {
      {"「2004/01/31」に、「0/1/0」を、日付加算", "2004/02/29", "?"},
      {"「2004/03/01」に、「-0/0/1」を、日付加算", "2004/02/29", "?"},
      {"「2004/02/29」に、「1/0/0」を、日付加算", "2005/02/28", "?"},
      {"「2004/01/15」に、「-0/2/0」を、日付加算", "2003/11/15", "?"},
      {"「2004/01/31」に、「1/1/0」を、日付加算", "2005/02/28", "?"},
      {"「2004/12/31」に、「0/0/1」を、日付加算", "2005/01/01", "?"},
      {"「2005/01/01」に、「-0/0/1」を、日付加算", "2004/12/31", "?"},
      {"「2004/11/30」に、「0/3/0」を、日付加算", "2005/02/28", "?"},
      {"「2004/01/15」に、「0/14/0」を、日付加算", "2005/03/15", "?"},
      {"「2004/05/15」に、「-1/5/0」を、日付加算", "2002/12/15", "?"},
      {"「2004/1/1 23:59」に、「0/0/1」を、日付加算", "2004/01/02", "?"},
      {"「2004/1/31」に、「0/1/1」を、日付加算", "2004/03/01", "?"},  // months first, then days
      {"「2004/2/28」に、「+0/0/366」を、日付加算", "2005/02/28", "?"},
      {"「2004」に、「0/0/0」を、日付加算", "1905/06/26", "?"},  // a bare number is a day count
      {"「2004年1月2日」に、「0/0/30」を、日付加算", "2004/02/01", "?"},
      {"「1899/12/29 18:00」に、「0/0/1」を、日付加算", "1899/12/30", "?"},
  };
  for (const TCase& c : cases) Check(c);
  const TErrorCase errors[] = {
      {"「9999/12/01」に、「0/1/0」を、日付加算", "日付に変換できない値が渡されました"},
      {"「9999/12/31」に、「0/0/1」を、日付加算", "日付に変換できない値が渡されました"},
      {"「0001/01/01」に、「-0/0/1」を、日付加算", "日付に変換できない値が渡されました"},
      {"「2004/1/1」に、「0/65536/0」を、日付加算", kMsgRangeCheck},
      {"「2004/13/1」に、「0/1/0」を、日付加算", "String型から Date 型へのバリアント型変換はできません"},
  };
  for (const TErrorCase& c : errors) CheckError(c);
}

TEST_F(DateTimeCommands, Differences) {
  const TCase cases[] = {
      {"「2004/1/10」と、「2004/1/1」の、日数差", "9", "e"},
      {"「2004/1/1」と、「2004/1/10」の、日数差", "-9", "e"},
      {"「2004/1/2 06:00」と、「2004/1/1 12:00」の、日数差", "0", "e"},
      {"「2004/3/1」と、「2004/2/1」の、日数差", "29", "e"},
      {"「2005/1/1」と、「2004/1/1」の、日数差", "366", "e"},
      {"「1899/12/29 06:00」と、「1899/12/30 12:00」の、日数差", "-1", "e"},
      {"「10:00:30」と、「10:00:00」の、秒差", "30", "e"},
      {"「10:00:00」と、「10:00:30」の、秒差", "-30", "e"},
      {"「2004/1/2」と、「2004/1/1」の、秒差", "86400", "e"},
      {"「10:00:00.5」と、「10:00:00」の、秒差", "0", "e"},  // a half goes to the even neighbour
      {"「10:00:01.5」と、「10:00:00」の、秒差", "2", "e"},
      {"「1899/12/29 23:00」と、「1899/12/29 22:00」の、秒差", "3600", "e"},
  };
  for (const TCase& c : cases) Check(c);
  const TErrorCase errors[] = {
      {"「2100/1/1」と、「1900/1/1」の、秒差", kMsgRangeCheck},
      {"「x」と、「1:0」の、秒差", "日時の指定が不正です。"},
      {"「2004/1/1」と、「」の、日数差", "日時の指定が不正です。"},
  };
  for (const TErrorCase& c : errors) CheckError(c);
}

TEST_F(DateTimeCommands, WeekdaysAndEras) {
  const TCase cases[] = {
      {"「2004/1/1」の、曜日", "木", "s"},
      {"「2004/1/1」の、曜日を数値で得る", "5", "e"},
      {"「1899/12/30」の、曜日", "土", "s"},
      {"「1899/12/30」の、曜日を数値で得る", "7", "e"},
      {"「1899/12/31」の、曜日", "日", "s"},
      {"「1899/12/29 06:00」の、曜日", "金", "s"},
      {"「1800/1/1」の、曜日", "水", "s"},
      {"「2024/2/29」の、曜日", "木", "s"},
      {"「2019/5/1 23:59:59」の、曜日", "水", "s"},
      {"「2004/1/5」の、曜日を数値で得る", "2", "e"},
      {"「1868/1/1」を、和暦に変換", "明治元年1月1日", "s"},
      {"「1911/12/31」を、和暦に変換", "明治44年12月31日", "s"},
      {"「1867/12/31」を、和暦に変換", "", "s"},
      {"「1912/7/30」を、和暦に変換", "大正元年7月30日", "s"},
      {"「1926/12/25」を、和暦に変換", "昭和元年12月25日", "s"},
      {"「1989/1/7」を、和暦に変換", "昭和64年1月7日", "s"},
      {"「1989/1/8」を、和暦に変換", "平成元年1月8日", "s"},
      {"「2004/1/2」を、和暦に変換", "平成16年1月2日", "s"},
      {"「2019/4/30」を、和暦に変換", "平成31年4月30日", "s"},
      {"「2019/5/1」を、和暦に変換", "令和元年5月1日", "s"},
      {"「2024/03/15 10:00」を、和暦に変換", "令和6年3月15日", "s"},
  };
  for (const TCase& c : cases) Check(c);
  const TErrorCase errors[] = {
      {"「x」の、曜日", "\"曜日\"命令の引数に誤りがあります。：年月日の取得に失敗"},
      {"「2004/2/30」の、曜日を数値で得る", "\"曜日を数値で得る\"命令の引数に誤りがあります。：年月日の取得に失敗"},
      {"「昨日」を、和暦に変換", "\"和暦に変換\"命令の引数に誤りがあります。日付に変換出来ません。"},
  };
  for (const TErrorCase& c : errors) CheckError(c);
}

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

TEST_F(DateTimeCommands, ClockWordsHaveTheirShape) {
  Run("A=今\nB=今日\nC=システム時間");
  ASSERT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
  const std::string now = Value("A"), today = Value("B"), ticks = Value("C");
  ASSERT_EQ(now.size(), 8u);
  EXPECT_EQ(now[2], ':');
  EXPECT_EQ(now[5], ':');
  EXPECT_TRUE(AllDigits(now.substr(0, 2)) && AllDigits(now.substr(3, 2)) && AllDigits(now.substr(6, 2)));
  EXPECT_LT(std::stoi(now.substr(0, 2)), 24);
  ASSERT_EQ(today.size(), 10u);
  EXPECT_EQ(today[4], '/');
  EXPECT_EQ(today[7], '/');
  EXPECT_TRUE(AllDigits(today.substr(0, 4)) && AllDigits(today.substr(5, 2)) && AllDigits(today.substr(8, 2)));
  EXPECT_TRUE(AllDigits(ticks)) << ticks;
  EXPECT_LE(std::stoull(ticks), 4294967295ull);
  // today is a date the other commands read
  Run("今日の、曜日を数値で得る");
  EXPECT_TRUE(host.dialogs.empty()) << tama.errorLog.Text();
  Run("今に、「0:0:0」を、時間加算");
  EXPECT_EQ(Value("それ").size(), 8u);
}

}  // namespace
}  // namespace tama
