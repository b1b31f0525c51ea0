#include "support/mailtext.h"

#include <gtest/gtest.h>

#include <string>

#include "support/jcode.h"

namespace tama::support {
namespace {

std::string Escaped(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (std::isalnum(c)) out += static_cast<char>(c);
    else {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    }
  }
  return out;
}

TEST(MailText, Mailbox) {
  std::string rest;
  EXPECT_EQ(TakeMailboxMessage("A\r\n.\r\nB\r\n.\r\n", rest), "A\r\n.\r\n");
  EXPECT_EQ(rest, "B\r\n.\r\n");
  EXPECT_EQ(TakeMailboxMessage("X\r\nY", rest), "X\r\nY\r\n");
  EXPECT_EQ(rest, "");
  // a lone LF does not end a line; ".." is not the end
  EXPECT_EQ(TakeMailboxMessage("a\nb\r\n..\r\n.\r\nz", rest), "a\nb\r\n..\r\n.\r\n");
  EXPECT_EQ(rest, "z");
}

TEST(MailText, FormBody) {
  EXPECT_EQ(FormBody("a=x y\r\nb=", Escaped), "a=x%20y&b=");
  EXPECT_EQ(FormBody("one=a&b", Escaped), "one=a%26b");
  EXPECT_EQ(FormBody("plain", Escaped), "plain");
  EXPECT_EQ(FormBody(" x=1 ", Escaped), "x=1%20");
}

TEST(MailText, Listings) {
  const std::string listing =
      "total 12\r\n"
      "drwxr-xr-x 2 u g 4096 Jan 1 00:00 old.bak\r\n"
      "-rw-r--r-- 1 u g 10 Jan 1 00:00 file.bak\r\n"
      "drwxr-xr-x 2 u g 4096 Jan 1 00:00 new\r\n"
      "Drwx odd.bak\r\n";
  EXPECT_EQ(FolderListing(listing, "*.bak"), "old.bak\r\nodd.bak");  // the first field in lower case
  EXPECT_EQ(FolderListing(listing, ""), "old.bak\r\nnew\r\nodd.bak");
  EXPECT_EQ(NameListing("a\r\nb\r\n\r\n"), "a\r\nb");
}

TEST(MailText, EnvelopeAddresses) {
  const std::vector<std::string> want = {"a@x.jp", "b@y.jp", "c@z.jp", "d@w.jp"};
  EXPECT_EQ(EnvelopeAddresses("花子 <a@x.jp>, b@y.jp;c@z.jp\r\n d@w.jp ,"), want);
}

TEST(MailText, AttachmentNames) {
  const std::pair<std::string, std::string> cases[] = {
      {"a.txt", "a.txt"},
      {"../evil.txt", "evil.txt"},
      {"..\\..\\evil.txt", "evil.txt"},
      {"/etc/passwd", "passwd"},
      {"..", "_"},
      {".", "_"},
      {"dir/", "_"},
      {"a\x01" "b", "a_b"},
      {"first second.txt", "second.txt"},  // the text after the first space
      {"only ", "only"},
      {"dir\\表.txt", "表.txt"},  // the trail byte 0x5C of 表 is no separator
  };
  for (const auto& [in, out] : cases) EXPECT_EQ(AttachmentFileName(in), out) << in;
}

TEST(MailText, HeaderWords) {
  EXPECT_EQ(DecodeHeaderText("=?ISO-2022-JP?B?GyRCJUYlOSVIGyhC?="), "テスト");
  EXPECT_EQ(DecodeHeaderText("=?utf-8?q?=E8=8A=B1=E5=AD=90?= <h@x.jp>"), "花子 <h@x.jp>");
  EXPECT_EQ(DecodeHeaderText("=?UTF-8?B?6Iqx?= =?UTF-8?B?5a2Q?="), "花子");  // blanks between words go
  EXPECT_EQ(DecodeHeaderText("plain text"), "plain text");
  EXPECT_EQ(DecodeHeaderText("=?bogus"), "=?bogus");
  // what is written is read back, line breaks neutralised
  EXPECT_EQ(DecodeHeaderText(EncodeHeaderText("件名\r\nBcc: x")), "件名  Bcc: x");
  EXPECT_EQ(DecodeHeaderText(EncodeHeaderText("\"引用\"")), "”引用”");
}

TEST(MailText, BuildMail) {
  TOutgoingMail m;
  m.senderName = "送信者";
  m.from = "me@example.jp";
  m.to = "you@example.jp";
  m.subject = "題";
  m.body = "本文\r\n.";
  m.uniqueId = "id1";
  std::string mail = BuildMail(m);
  EXPECT_NE(mail.find("\r\nReply-To: me@example.jp\r\n"), std::string::npos);
  EXPECT_NE(mail.find("\r\nMessage-ID: <id1@example.jp>\r\n"), std::string::npos);
  EXPECT_NE(mail.find("charset=iso-2022-jp"), std::string::npos);
  EXPECT_EQ(mail.find("Cc:"), std::string::npos);
  for (unsigned char c : mail) ASSERT_LT(c, 0x80);
  // a line break in an address goes no further than the header line
  m.from = "me@example.jp\r\nBcc: x@y";
  mail = BuildMail(m);
  EXPECT_EQ(mail.find("\nBcc:"), std::string::npos);
  // and the mail reads back
  m.from = "me@example.jp";
  m.attachments.push_back({"添付.bin", std::string("\0\xFF" "abc", 5)});
  const TReceivedMail r = ParseMail(BuildMail(m));
  EXPECT_EQ(r.subject, "題");
  EXPECT_EQ(r.from, "送信者 <me@example.jp>");
  EXPECT_EQ(r.body, "本文\r\n.");
  ASSERT_EQ(r.attachments.size(), 1u);
  EXPECT_EQ(r.attachments[0].name, "添付.bin");
  EXPECT_EQ(r.attachments[0].bytes, std::string("\0\xFF" "abc", 5));
}

TEST(MailText, ParseNested) {
  const std::string mail =
      "From: a@x\r\nSubject: =?UTF-8?B?5ZCN?=\r\nContent-Type: multipart/mixed; boundary=\"o\"\r\n\r\n"
      "--o\r\nContent-Type: multipart/alternative; boundary=i\r\n\r\n"
      "--i\r\nContent-Type: text/html\r\n\r\n<p>html</p>\r\n"
      "--i\r\nContent-Type: text/plain; charset=\"euc-jp\"\r\nContent-Transfer-Encoding: quoted-printable\r\n\r\n"
      "=C6=FC=CB=DC=\r\ngo\r\n--i--\r\n"
      "--o\r\nContent-Type: application/pdf;\r\n name*0*=utf-8''%E6%97%A5;\r\n name*1=\".pdf\"\r\n"
      "Content-Transfer-Encoding: base64\r\n\r\nUERG\r\n--o--\r\n";
  const TReceivedMail r = ParseMail(mail);
  EXPECT_EQ(r.subject, "名");
  EXPECT_EQ(r.body, "日本go");
  ASSERT_EQ(r.attachments.size(), 1u);
  EXPECT_EQ(r.attachments[0].name, "日.pdf");
  EXPECT_EQ(r.attachments[0].bytes, "PDF");
  // a body without a declared character set is detected
  const TReceivedMail j = ParseMail("Subject: x\r\n\r\n" + SjisToJis("漢字"));
  EXPECT_EQ(j.body, "漢字");
}

TEST(MailText, Dates) {
  setenv("TZ", "JST-9", 1);
  tzset();
  EXPECT_EQ(MailDateText("Tue, 01 Jul 2025 10:20:30 +0900"), "2025/07/01 10:20:30");
  EXPECT_EQ(MailDateText("2 Jul 2025 01:02:03 +0000"), "2025/07/02 10:02:03");
  EXPECT_EQ(MailDateText("Wed, 2 Jul 2025 23:59 -0100"), "2025/07/03 09:59:00");
  EXPECT_EQ(MailDateText("someday"), "someday");
}

TEST(MailText, StoredText) {
  TReceivedMail m;
  m.from = "f";
  m.to = "t";
  m.subject = "s";
  m.date = "d";
  m.body = "b\nc";
  EXPECT_EQ(StoredMailText(m, {"x.txt"}),
            "送信者:f\r\n受信者:t\r\n日時:d\r\n件名:s\r\n添付ファイル:x.txt\r\n\r\n本文:\r\n\r\nb\r\nc\r\n");
  m.replyTo = "r";
  EXPECT_EQ(StoredMailText(m, {}).substr(0, 10), "返信先:r\r\n");
}

}  // namespace
}  // namespace tama::support
