#include "support/mailtext.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "sjis/convert.h"
#include "sjis/sjis.h"
#include "support/base64.h"
#include "support/jcode.h"
#include "support/lines.h"
#include "support/mailheader.h"
#include "support/textops.h"
#include "support/wildcard.h"

namespace tama::support {

using sjis::IsLead;
using sjis::SjisToUtf8;
using sjis::Utf8ToSjis;
using sjis::Utf8ToSjisLossy;
using textops::AsciiLower;
using textops::ReplaceAll;

namespace {

std::string Lower(std::string_view s) { return AsciiLower(s); }

// Control characters of a Shift-JIS text as spaces (trail bytes kept).
std::string ControlsAsSpaces(std::string_view s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    if (IsLead(c) && i + 1 < s.size()) {
      out += s.substr(i, 2);
      ++i;
    } else {
      out += c < 0x20 || c == 0x7F ? ' ' : static_cast<char>(c);
    }
  }
  return out;
}

std::string Base64Lines(std::string_view bytes) {
  const std::string one = Base64Encode(bytes);
  std::string out;
  for (size_t i = 0; i < one.size(); i += 76) {
    out += one.substr(i, 76);
    out += "\r\n";
  }
  return out;
}

// A UTF-8 text %-encoded for an RFC 2231 parameter.
std::string Rfc2231(std::string_view sjis) { return "UTF-8''" + textops::PercentEncode(SjisToUtf8(sjis), "-._~"); }

std::string MailDate(time_t when) {
  struct tm tm;
  localtime_r(&when, &tm);
  static const char* days[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const long off = tm.tm_gmtoff / 60;
  char buf[64];
  std::snprintf(buf, sizeof buf, "%s, %d %s %04d %02d:%02d:%02d %c%02ld%02ld", days[tm.tm_wday], tm.tm_mday,
                months[tm.tm_mon], tm.tm_year + 1900, tm.tm_hour, tm.tm_min, tm.tm_sec, off < 0 ? '-' : '+',
                (off < 0 ? -off : off) / 60, (off < 0 ? -off : off) % 60);
  return buf;
}

}  // namespace

// ---- sending ----

std::string EncodeHeaderText(std::string_view s) {
  return MailHeaderEncode(ReplaceAll(ControlsAsSpaces(s), "\"", "”"));
}

bool HasLineBreak(std::string_view s) { return s.find_first_of("\r\n") != std::string_view::npos; }

std::vector<std::string> EnvelopeAddresses(std::string_view list) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t i = 0; i <= list.size(); ++i) {
    if (i < list.size() && !std::strchr(",;\r\n", list[i])) continue;
    std::string_view piece = list.substr(start, i - start);
    start = i + 1;
    const size_t open = piece.find('<');
    if (open != std::string_view::npos) {
      const size_t close = piece.find('>', open);
      piece = piece.substr(open + 1, close == std::string_view::npos ? std::string_view::npos : close - open - 1);
    }
    piece = TrimControl(piece);
    if (!piece.empty()) out.emplace_back(piece);
  }
  return out;
}

std::string BuildMail(const TOutgoingMail& m) {
  std::string h;
  const std::string name = EncodeHeaderText(m.senderName);
  const std::string from = ControlsAsSpaces(m.from);
  h += "From: " + (name.empty() ? from : name + " <" + from + ">") + "\r\n";
  if (!from.empty()) h += "Reply-To: " + from + "\r\n";
  // display names in the lists as encoded words, addresses as they are
  h += "To: " + MailHeaderEncode(ControlsAsSpaces(m.to)) + "\r\n";
  if (!m.cc.empty()) h += "Cc: " + MailHeaderEncode(ControlsAsSpaces(m.cc)) + "\r\n";
  h += "Subject: " + EncodeHeaderText(m.subject) + "\r\n";
  h += "X-Mailer: " + EncodeHeaderText("日本語プログラム言語「たまかず」") + "\r\n";
  h += "Date: " + MailDate(m.date) + "\r\n";
  std::string domain = "localhost";
  if (size_t at = from.rfind('@'); at != std::string::npos && at + 1 < from.size()) {
    domain.clear();
    for (char c : from.substr(at + 1))
      if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-') domain += c;
    if (domain.empty()) domain = "localhost";
  }
  h += "Message-ID: <" + m.uniqueId + "@" + domain + ">\r\n";
  h += "MIME-Version: 1.0\r\n";
  // the body with every line ending in CR LF
  const std::string text = LinesEndingCrLf(SjisToJis(m.body));
  const char* textType = "Content-Type: text/plain; charset=iso-2022-jp\r\nContent-Transfer-Encoding: 7bit\r\n";
  if (m.attachments.empty()) return h + textType + "\r\n" + text;
  const std::string boundary = "----=_Part_" + m.uniqueId;
  h += "Content-Type: multipart/mixed; boundary=\"" + boundary + "\"\r\n\r\n";
  h += "This is a multi-part message in MIME format.\r\n";
  h += "--" + boundary + "\r\n" + textType + "\r\n" + text;
  for (const TMailAttachment& a : m.attachments) {
    const std::string encoded = EncodeHeaderText(a.name);
    h += "--" + boundary + "\r\n";
    h += "Content-Type: application/octet-stream; name=\"" + encoded + "\"\r\n";
    h += "Content-Transfer-Encoding: base64\r\n";
    // the disposition names the file exactly (encoded words lose the blanks
    // between them); the type's name is for readers of encoded words only
    h += "Content-Disposition: attachment;\r\n filename*=" + Rfc2231(a.name) + "\r\n\r\n";
    h += Base64Lines(a.bytes);
  }
  h += "--" + boundary + "--\r\n";
  return h;
}

// ---- receiving ----

namespace {

struct THeader {
  std::string name, value;  // name in lower case; value unfolded, raw
};

struct TPart {
  std::vector<THeader> headers;
  std::string_view body;
  const std::string* Find(std::string_view name) const {
    for (const THeader& h : headers)
      if (h.name == name) return &h.value;
    return nullptr;
  }
};

TPart SplitPart(std::string_view bytes) {
  TPart part;
  size_t pos = 0;
  std::string_view line;
  // a part that starts with an empty line has no headers
  while (NextLine(bytes, pos, line)) {
    if (line.empty()) break;
    if ((line[0] == ' ' || line[0] == '\t') && !part.headers.empty()) {
      part.headers.back().value += ' ';
      part.headers.back().value += TrimControl(line);
      continue;
    }
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    part.headers.push_back({Lower(TrimControl(line.substr(0, colon))), std::string(TrimControl(line.substr(colon + 1)))});
  }
  part.body = bytes.substr(std::min(pos, bytes.size()));
  return part;
}

// "type/subtype; a=b; c=\"d\"" → the type in lower case and the parameters
// (names in lower case; RFC 2231 pieces joined and decoded to Shift-JIS).
struct TFieldValue {
  std::string value;
  std::vector<std::pair<std::string, std::string>> params;
  std::string Param(std::string_view name) const {
    for (const auto& [k, v] : params)
      if (k == name) return v;
    return {};
  }
};

std::string Unpercent(std::string_view s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
        std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else {
      out += s[i];
    }
  }
  return out;
}

std::string CharsetToSjis(std::string_view bytes, std::string_view charset) {
  const std::string cs = Lower(charset);
  if (cs == "utf-8" || cs == "utf8") return Utf8ToSjisLossy(bytes);
  if (cs.find("2022") != std::string::npos) return JisToSjis(bytes);
  if (cs == "euc-jp" || cs == "x-euc-jp") return EucToSjis(bytes);
  if (cs == "shift_jis" || cs == "x-sjis" || cs == "cp932" || cs == "windows-31j" || cs == "sjis") return std::string(bytes);
  if (cs == "us-ascii" && bytes.find('\x1b') == std::string_view::npos) return std::string(bytes);
  const int code = DetectCode(bytes);
  if (code == kCodeJisNew || code == kCodeJisOld) return JisToSjis(bytes);
  if (code == kCodeEuc) return EucToSjis(bytes);
  if (code == kCodeSjis || code == kCodeEucOrSjis) return std::string(bytes);
  std::string out;
  if (Utf8ToSjis(bytes, out)) return out;
  return std::string(bytes);
}

TFieldValue ReadField(std::string_view s) {
  TFieldValue f;
  size_t i = 0;
  auto piece = [&]() {
    std::string out;
    bool quoted = false;
    while (i < s.size()) {
      const char c = s[i];
      if (quoted) {
        if (c == '\\' && i + 1 < s.size()) {
          out += s[i + 1];
          i += 2;
          continue;
        }
        if (c == '"') quoted = false;
        else out += c;
        ++i;
        continue;
      }
      if (c == ';') break;
      if (c == '"') quoted = true;
      else out += c;
      ++i;
    }
    return out;
  };
  f.value = Lower(TrimControl(piece()));
  // RFC 2231: name*0*, name*1... joined; a "*" piece is charset'lang'%XX
  std::vector<std::pair<std::string, std::string>> extended;
  while (i < s.size()) {
    ++i;  // ';'
    std::string p = piece();
    const size_t eq = p.find('=');
    if (eq == std::string::npos) continue;
    std::string name = Lower(TrimControl(std::string_view(p).substr(0, eq)));
    std::string value(TrimControl(std::string_view(p).substr(eq + 1)));
    const size_t star = name.find('*');
    if (star == std::string::npos) {
      f.params.emplace_back(std::move(name), std::move(value));
      continue;
    }
    const std::string base = name.substr(0, star);
    const bool encoded = name.back() == '*';
    auto it = extended.begin();
    for (; it != extended.end(); ++it)
      if (it->first == base) break;
    if (it == extended.end()) {
      extended.emplace_back(base, "");
      it = extended.end() - 1;
    }
    if (encoded) it->second += Unpercent(value);
    else it->second += value;
  }
  for (auto& [base, value] : extended) {
    // charset'language'text
    std::string charset;
    const size_t q1 = value.find('\'');
    const size_t q2 = q1 == std::string::npos ? std::string::npos : value.find('\'', q1 + 1);
    std::string text = value;
    if (q2 != std::string::npos) {
      charset = value.substr(0, q1);
      text = value.substr(q2 + 1);
    }
    // an extended parameter wins over the plain one of the same name
    std::erase_if(f.params, [&](const auto& p) { return p.first == base; });
    f.params.emplace_back(base, "\x01" + CharsetToSjis(text, charset));
  }
  return f;
}

// A parameter value in Shift-JIS (plain ones may hold encoded words or raw bytes).
std::string ParamText(const TFieldValue& f, std::string_view name) {
  std::string v = f.Param(name);
  if (!v.empty() && v[0] == '\x01') return v.substr(1);
  return DecodeHeaderText(v);
}

std::string DecodeQuotedPrintable(std::string_view s, bool header) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    const char c = s[i];
    if (header && c == '_') {
      out += ' ';
    } else if (c == '=' && i + 2 < s.size() && std::isxdigit(static_cast<unsigned char>(s[i + 1])) &&
               std::isxdigit(static_cast<unsigned char>(s[i + 2]))) {
      out += static_cast<char>(std::stoi(std::string(s.substr(i + 1, 2)), nullptr, 16));
      i += 2;
    } else if (c == '=' && !header) {
      // a soft line break
      size_t j = i + 1;
      while (j < s.size() && (s[j] == ' ' || s[j] == '\t')) ++j;
      if (j < s.size() && s[j] == '\r') ++j;
      if (j < s.size() && s[j] == '\n') i = j;
      else out += c;
    } else {
      out += c;
    }
  }
  return out;
}

std::string DecodeBody(const TPart& part) {
  const std::string* cte = part.Find("content-transfer-encoding");
  const std::string enc = cte ? Lower(TrimControl(*cte)) : "";
  if (enc == "base64") {
    std::string compact;
    for (char c : part.body)
      if (std::isalnum(static_cast<unsigned char>(c)) || c == '+' || c == '/' || c == '=') compact += c;
    while (compact.size() % 4) compact += '=';
    std::string out;
    Base64Decode(compact, out);
    return out;
  }
  if (enc == "quoted-printable") return DecodeQuotedPrintable(part.body, false);
  return std::string(part.body);
}

void WalkPart(const TPart& part, TReceivedMail& mail, int depth) {
  const std::string* ct = part.Find("content-type");
  const TFieldValue type = ReadField(ct ? *ct : "text/plain");
  const std::string* cd = part.Find("content-disposition");
  const TFieldValue disposition = ReadField(cd ? *cd : "");
  if (type.value.starts_with("multipart/") && depth < 20) {
    const std::string boundary = type.Param("boundary");
    if (boundary.empty()) return;
    const std::string mark = "--" + boundary;
    std::vector<std::string_view> pieces;
    size_t pos = 0, start = std::string_view::npos;
    std::string_view line;
    size_t lineStart = 0;
    bool ended = false;
    while (!ended && NextLine(part.body, pos, line)) {
      if (line.starts_with(mark)) {
        const std::string_view tail = TrimControl(line.substr(mark.size()));
        if (start != std::string_view::npos) {
          // the line break before the mark belongs to it
          size_t end = lineStart;
          if (end > start && part.body[end - 1] == '\n') --end;
          if (end > start && part.body[end - 1] == '\r') --end;
          pieces.push_back(part.body.substr(start, end - start));
        }
        if (tail == "--") ended = true;
        start = pos;
      }
      lineStart = pos;
    }
    if (!ended && start != std::string_view::npos && start < part.body.size()) pieces.push_back(part.body.substr(start));
    if (type.value == "multipart/alternative") {
      // one of the forms: the plain text when there is one
      for (std::string_view p : pieces) {
        TPart sub = SplitPart(p);
        const std::string* st = sub.Find("content-type");
        if (!st || ReadField(*st).value == "text/plain") return WalkPart(sub, mail, depth + 1);
      }
      if (!pieces.empty()) WalkPart(SplitPart(pieces[0]), mail, depth + 1);
      return;
    }
    for (std::string_view p : pieces) WalkPart(SplitPart(p), mail, depth + 1);
    return;
  }
  std::string name = ParamText(disposition, "filename");
  if (name.empty()) name = ParamText(type, "name");
  const bool isText = type.value.empty() || type.value.starts_with("text/");
  if (!name.empty() || disposition.value == "attachment" || !isText) {
    if (name.empty()) name = "attachment";
    mail.attachments.push_back({name, DecodeBody(part)});
    return;
  }
  mail.body += CharsetToSjis(DecodeBody(part), type.Param("charset"));
}

}  // namespace

std::string DecodeHeaderText(std::string_view s) {
  std::string out;
  size_t i = 0;
  bool lastWasWord = false;
  std::string pending;  // blanks between two encoded words go
  while (i < s.size()) {
    if (s.compare(i, 2, "=?") == 0) {
      const size_t q1 = s.find('?', i + 2);
      const size_t q2 = q1 == std::string_view::npos ? q1 : s.find('?', q1 + 1);
      const size_t end = q2 == std::string_view::npos ? q2 : s.find("?=", q2 + 1);
      if (end != std::string_view::npos && q2 == q1 + 2) {
        std::string charset(s.substr(i + 2, q1 - i - 2));
        if (size_t star = charset.find('*'); star != std::string::npos) charset.resize(star);
        const char enc = static_cast<char>(std::toupper(static_cast<unsigned char>(s[q1 + 1])));
        const std::string_view text = s.substr(q2 + 1, end - q2 - 1);
        std::string bytes;
        bool ok = true;
        if (enc == 'B') {
          std::string padded(text);
          while (padded.size() % 4) padded += '=';
          ok = Base64Decode(padded, bytes);
        } else if (enc == 'Q') {
          bytes = DecodeQuotedPrintable(text, true);
        } else {
          ok = false;
        }
        if (ok) {
          if (!lastWasWord) out += pending;
          pending.clear();
          out += CharsetToSjis(bytes, charset);
          lastWasWord = true;
          i = end + 2;
          continue;
        }
      }
    }
    const char c = s[i++];
    if (c == ' ' || c == '\t') {
      pending += c;
      continue;
    }
    out += pending;
    pending.clear();
    out += c;
    lastWasWord = false;
  }
  out += pending;
  // raw 8-bit or JIS bytes outside encoded words
  bool plain = true;
  for (unsigned char c : out)
    if (c >= 0x80 || c == 0x1b) plain = false;
  if (!plain && out.find('\x1b') != std::string::npos) out = JisToSjis(out);
  return ControlsAsSpaces(out);
}

std::string MailDateText(std::string_view s) {
  static const char* months[] = {"jan", "feb", "mar", "apr", "may", "jun", "jul", "aug", "sep", "oct", "nov", "dec"};
  std::string text(TrimControl(s));
  if (size_t comma = text.find(','); comma != std::string::npos) text = text.substr(comma + 1);
  int day = 0, year = 0, hh = 0, mm = 0, ss = 0;
  char mon[4] = "";
  char zone[16] = "";
  const int n = std::sscanf(text.c_str(), " %d %3s %d %d:%d:%d %15s", &day, mon, &year, &hh, &mm, &ss, zone);
  if (n < 6) {
    // without seconds
    ss = 0;
    if (std::sscanf(text.c_str(), " %d %3s %d %d:%d %15s", &day, mon, &year, &hh, &mm, zone) < 5) return std::string(TrimControl(s));
  }
  int month = -1;
  for (int k = 0; k < 12; ++k)
    if (Lower(mon) == months[k]) month = k;
  if (month < 0 || day < 1 || day > 31) return std::string(TrimControl(s));
  if (year < 100) year += year < 50 ? 2000 : 1900;
  long offset = 0;
  if ((zone[0] == '+' || zone[0] == '-') && std::strlen(zone) >= 5) {
    const long v = std::strtol(zone + 1, nullptr, 10);
    offset = (v / 100 * 60 + v % 100) * 60;
    if (zone[0] == '-') offset = -offset;
  }
  struct tm tm {};
  tm.tm_year = year - 1900;
  tm.tm_mon = month;
  tm.tm_mday = day;
  tm.tm_hour = hh;
  tm.tm_min = mm;
  tm.tm_sec = ss;
  const time_t utc = timegm(&tm) - offset;
  struct tm local;
  localtime_r(&utc, &local);
  char buf[96];
  std::snprintf(buf, sizeof buf, "%04d/%02d/%02d %02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour, local.tm_min, local.tm_sec);
  return buf;
}

TReceivedMail ParseMail(std::string_view bytes) {
  TReceivedMail mail;
  const TPart top = SplitPart(bytes);
  auto header = [&](std::string_view name) {
    const std::string* v = top.Find(name);
    return v ? DecodeHeaderText(*v) : std::string();
  };
  mail.replyTo = header("reply-to");
  mail.from = header("from");
  mail.to = header("to");
  mail.subject = header("subject");
  if (const std::string* d = top.Find("date")) mail.date = MailDateText(*d);
  WalkPart(top, mail, 0);
  return mail;
}

std::string AttachmentFileName(std::string_view raw) {
  std::string name(raw);
  if (const size_t sp = name.find(' '); sp != std::string::npos) {
    const std::string after = name.substr(sp + 1);
    name = TrimControl(after).empty() ? name.substr(0, sp) : after;
  }
  name = std::string(TrimControl(name));
  // the last path part, cut by characters
  size_t start = 0;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsLead(c) && i + 1 < name.size()) {
      ++i;
      continue;
    }
    if (c == '/' || c == '\\') start = i + 1;
  }
  name = name.substr(start);
  std::string clean;
  for (size_t i = 0; i < name.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (IsLead(c) && i + 1 < name.size()) {
      clean += name.substr(i, 2);
      ++i;
      continue;
    }
    clean += c < 0x20 || c == 0x7F ? '_' : static_cast<char>(c);
  }
  if (clean.empty() || clean == "." || clean == "..") clean = "_";
  return clean;
}

std::string StoredMailText(const TReceivedMail& m, const std::vector<std::string>& storedNames) {
  std::string s;
  if (!m.replyTo.empty()) s += "返信先:" + m.replyTo + "\r\n";
  s += "送信者:" + m.from + "\r\n";
  s += "受信者:" + m.to + "\r\n";
  s += "日時:" + m.date + "\r\n";
  s += "件名:" + m.subject + "\r\n";
  for (const std::string& n : storedNames) s += "添付ファイル:" + n + "\r\n";
  s += "\r\n本文:\r\n\r\n";
  s += LinesEndingCrLf(m.body);
  return s;
}

// ---- mailbox, forms, listings ----

std::string TakeMailboxMessage(std::string_view text, std::string& rest) {
  std::string out;
  size_t pos = 0;
  while (pos < text.size()) {
    const size_t crlf = text.find("\r\n", pos);
    const std::string_view line = text.substr(pos, crlf == std::string_view::npos ? std::string_view::npos : crlf - pos);
    pos = crlf == std::string_view::npos ? text.size() : crlf + 2;
    out += line;
    out += "\r\n";
    if (line == ".") break;
  }
  rest = std::string(text.substr(pos));
  return out;
}

std::string FormBody(std::string_view text, const std::function<std::string(const std::string&)>& escape) {
  const std::vector<std::string_view> lines = SplitLines(text);
  std::vector<std::string> items;
  for (std::string_view line : lines) {
    const size_t eq = line.find('=');
    if (eq != std::string_view::npos && eq + 1 < line.size())
      items.push_back(std::string(line.substr(0, eq + 1)) + escape(std::string(line.substr(eq + 1))));
    else
      items.emplace_back(line);
  }
  std::string out;
  if (items.size() == 1) out = items[0];
  else
    for (size_t i = 0; i < items.size(); ++i) out += (i ? "&" : "") + items[i];
  return std::string(TrimControl(out));
}

std::string NameListing(std::string_view listing) {
  std::string out;
  ForEachLine(listing, [&](std::string_view line) { out += std::string(line) + "\r\n"; });
  return std::string(TrimControl(out));
}

std::string FolderListing(std::string_view listing, std::string_view pattern) {
  std::string out;
  ForEachLine(listing, [&](std::string_view line) {
    const std::string_view trimmed = TrimControl(line);
    const size_t sp = trimmed.find(' ');
    const std::string first = Lower(TrimControl(trimmed.substr(0, sp)));
    if (first == "total" || first.empty() || first[0] != 'd') return;
    const size_t last = trimmed.rfind(' ');
    const std::string name(last == std::string_view::npos ? trimmed : trimmed.substr(last + 1));
    if (pattern.empty() || WildMatchWhole(name, pattern)) out += name + "\r\n";
  });
  return std::string(TrimControl(out));
}

}  // namespace tama::support
