// Texts between the run-time (Shift-JIS, CR LF) and the toolkit (UTF-16, LF).
#pragma once
#include <QString>
#include <string>

#include "sjis/convert.h"

namespace tama::qt {

inline QString Q(const std::string& sjis) { return QString::fromStdString(sjis::SjisToUtf8(sjis)); }

// A text for a multi-line box: CR LF and CR become LF.
inline QString QLines(const std::string& sjis) {
  QString s = Q(sjis);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QChar('\r'), QChar('\n'));
  return s;
}

// What the user typed, in Shift-JIS ("?" for a character without a form).
inline std::string Sjis(const QString& s) { return sjis::Utf8ToSjisLossy(s.toStdString()); }
inline std::string SjisLines(QString s) {
  s.replace(QChar('\n'), QStringLiteral("\r\n"));
  return Sjis(s);
}

}  // namespace tama::qt
