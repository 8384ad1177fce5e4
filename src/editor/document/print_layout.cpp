#include "editor/document/print_layout.h"

#include <algorithm>

#include "editor/text/text_buffer.h"

namespace pm2 {

PageLayout ComputePageLayout(const PageMetrics& m) {
  PageLayout l;
  int lh = std::max(m.lineHeight, 1);
  int band = lh + 2 * (lh / 4);
  l.headerHeight = m.hasHeader ? band : 0;
  l.footerHeight = m.hasFooter ? band : 0;
  l.rowsPerPage = std::max((m.pageHeight - l.headerHeight - l.footerHeight) / lh, 1);
  l.charsPerRow = std::max(m.pageWidth / std::max(m.charWidth, 1), 1);
  return l;
}

std::vector<std::string> PrintedRows(const CEditTextBuffer& text, const CEditLine* line,
                                     int charsPerRow) {
  std::string expanded;
  int tab = std::max(text.GetTabSize(), 1);
  int n = text.ContentLength(line);
  for (int i = 0; i < n; ++i) {
    char c = line->m_text[size_t(i)];
    if (c != '\t') {
      expanded += c;
      continue;
    }
    size_t cells = size_t(tab - int(expanded.size()) % tab);
    expanded += text.m_bShowTabs ? '\xBB' : ' ';
    expanded.append(cells - 1, ' ');
  }
  std::vector<std::string> rows;
  size_t width = size_t(std::max(charsPerRow, 1));
  for (size_t i = 0; i < expanded.size(); i += width) rows.push_back(expanded.substr(i, width));
  if (rows.empty()) rows.emplace_back();
  return rows;
}

std::vector<int> PaginateLines(const CEditTextBuffer& text, const CEditLine* first,
                               const CEditLine* last, const PageLayout& layout,
                               std::vector<const CEditLine*>* pStartLines) {
  std::vector<int> starts;
  if (pStartLines) pStartLines->clear();
  if (!first) return starts;
  int used = 0;
  int number = text.LineNumber(first);
  for (const CEditLine* p = first; p; p = p->m_pNext, ++number) {
    int rows = int(PrintedRows(text, p, layout.charsPerRow).size());
    if (starts.empty() || used + rows > layout.rowsPerPage) {
      if (starts.empty() || used > 0) {
        starts.push_back(number);
        if (pStartLines) pStartLines->push_back(p);
        used = 0;
      }
    }
    used += rows;
    if (p == last) break;
  }
  return starts;
}

}  // namespace pm2
