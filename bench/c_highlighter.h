// The peer of the editor's colouring: a QSyntaxHighlighter for C that marks
// what ours marks (the given keywords as whole words, double- and
// single-quoted strings, line comments and block comments over lines), as a
// Qt program would write it.
#pragma once

#include <QRegularExpression>
#include <QStringList>
#include <QSyntaxHighlighter>
#include <QTextDocument>

namespace pm2::bench {

class CHighlighter : public QSyntaxHighlighter {
 public:
  CHighlighter(QTextDocument* doc, const QStringList& keywords) : QSyntaxHighlighter(doc) {
    QStringList words;
    for (const QString& k : keywords) words << QString("\\b%1\\b").arg(k);
    m_keyword = QRegularExpression(words.join('|'));
    m_string = QRegularExpression("\"[^\"]*\"|'[^']*'");
  }

 protected:
  void highlightBlock(const QString& text) override {
    for (auto it = m_keyword.globalMatch(text); it.hasNext();) {
      auto m = it.next();
      setFormat(int(m.capturedStart()), int(m.capturedLength()), QColor(0, 0, 255));
    }
    for (auto it = m_string.globalMatch(text); it.hasNext();) {
      auto m = it.next();
      setFormat(int(m.capturedStart()), int(m.capturedLength()), QColor(255, 0, 0));
    }
    setCurrentBlockState(0);
    int start = previousBlockState() == 1 ? 0 : int(text.indexOf("/*"));
    while (start >= 0) {
      int end = int(text.indexOf("*/", start));
      int len = end < 0 ? int(text.size()) - start : end - start + 2;
      if (end < 0) setCurrentBlockState(1);
      setFormat(start, len, QColor(0, 128, 0));
      start = end < 0 ? -1 : int(text.indexOf("/*", end + 2));
    }
    int line = int(text.indexOf("//"));
    if (line >= 0) setFormat(line, int(text.size()) - line, QColor(0, 128, 0));
  }

 private:
  QRegularExpression m_keyword, m_string;
};

}  // namespace pm2::bench
