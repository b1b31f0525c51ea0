// The texts of the network commands that need no connection: the mail the
// sending command writes (headers as encoded words, an ISO-2022-JP body,
// attachments in BASE64), the reading of a received mail into its parts, the
// stored text of a received mail, the taking of one message from a mailbox
// text, the body of a posted form and the reading of FTP listings. Texts are
// Shift-JIS unless they are said to be wire bytes.
#pragma once
#include <cstdint>
#include <ctime>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tama::support {

// ---- sending ----

struct TMailAttachment {
  std::string name;   // the file name part (Shift-JIS)
  std::string bytes;  // the file's content
};

struct TOutgoingMail {
  std::string senderName, from, to, cc, subject, body;
  std::vector<TMailAttachment> attachments;
  time_t date = 0;       // the moment of sending
  std::string uniqueId;  // the left part of the Message-ID (unique per mail)
};

// A header value as the mail carries it: line breaks and other control
// characters become spaces, '"' becomes '”', then encoded words.
std::string EncodeHeaderText(std::string_view s);
// The whole mail, CR LF line ends, 7-bit bytes.
std::string BuildMail(const TOutgoingMail& mail);
// The addresses of an address list for the envelope: cut at ",", ";" and line
// breaks, each the part inside "<>" when it has one, trimmed; empty pieces go.
std::vector<std::string> EnvelopeAddresses(std::string_view list);
// A text holding CR or LF (it would add header lines or protocol commands).
bool HasLineBreak(std::string_view s);

// ---- receiving ----

struct TReceivedMail {
  std::string replyTo, from, to, subject, date;  // Shift-JIS; date "yyyy/mm/dd hh:mm:ss"
  std::string body;                              // the text parts, Shift-JIS
  std::vector<TMailAttachment> attachments;      // names as the mail gives them (Shift-JIS)
};

// Reads a mail (wire bytes): its header values decoded, its text parts
// converted from their declared character sets (detected when none is
// declared), its attachments decoded from BASE64 or quoted-printable.
TReceivedMail ParseMail(std::string_view bytes);
// A header value with its encoded words (B or Q; ISO-2022-JP, UTF-8,
// Shift-JIS, EUC-JP, ASCII) decoded, in Shift-JIS.
std::string DecodeHeaderText(std::string_view s);
// A mail date ("Tue, 1 Jul 2025 10:20:30 +0900") in local time
// "yyyy/mm/dd hh:mm:ss"; the text as it is when it cannot be read.
std::string MailDateText(std::string_view s);
// The name an attachment is stored under: the rule of the space (the text
// after the first space when that is not blank, else the text before it),
// trimmed, then only its last path part ("/" and "\" cut by characters);
// "", ".", ".." and control characters become "_".
std::string AttachmentFileName(std::string_view name);
// The stored text of a received mail (attachment lines given), CR LF ends.
std::string StoredMailText(const TReceivedMail& mail, const std::vector<std::string>& storedNames);

// ---- mailbox, forms, listings ----

// The first message of a mailbox text: its lines (each with CR LF) up to and
// including a line that is exactly "."; `rest` gets what follows.
std::string TakeMailboxMessage(std::string_view text, std::string& rest);
// The body of a posted form: non-empty values of name=value lines escaped,
// two or more lines joined with "&", the whole trimmed.
std::string FormBody(std::string_view text, const std::function<std::string(const std::string&)>& escape);
// A name listing: every line followed by CR LF, the whole trimmed.
std::string NameListing(std::string_view listing);
// The folders of a detailed listing ("total" lines skipped, lines whose first
// field begins with "d"), the last word of each line, kept when the pattern is
// empty or matches; each followed by CR LF, the whole trimmed.
std::string FolderListing(std::string_view listing, std::string_view pattern);

}  // namespace tama::support
