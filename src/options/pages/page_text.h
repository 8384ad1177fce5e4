// Texts between the pages' fields and the option block: fields hold the
// local 8-bit encoding the project files use, and an emptied text drops
// its stored string rather than keeping an empty one.
#pragma once

#include <QString>
#include <string>

#include "project/model/option_block.h"
#include "project/text/pool.h"

namespace pm2 {

inline QString ToQ(const std::string& s) { return QString::fromLocal8Bit(s.c_str()); }
inline std::string FromQ(const QString& s) { return s.toLocal8Bit().toStdString(); }

// A text shown inside a control's caption as it stands: a '&' of a folder
// or file name must not mark a key.
inline QString Literally(QString s) { return s.replace(QLatin1Char('&'), QLatin1String("&&")); }

// A changed text is pooled with the project's strings.
inline void SetStored(OptString& stored, const std::string& text) {
  if (text.empty())
    stored = OptString();
  else if (stored.view() != text)
    stored = OptString::Pooled(text, kPoolProject);
}

}  // namespace pm2
