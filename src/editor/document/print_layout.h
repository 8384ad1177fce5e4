// The layout of a printed editor text: rows per page after the header and
// footer, characters per row, the printed rows of a line (tabs expanded,
// wrapped) and the first line of every page.
#pragma once

#include <string>
#include <vector>

namespace pm2 {

class CEditTextBuffer;
struct CEditLine;

struct PageMetrics {
  int pageWidth = 0;   // printable pixels
  int pageHeight = 0;
  int lineHeight = 1;
  int charWidth = 1;   // average character width
  bool hasHeader = true;
  bool hasFooter = true;
};

struct PageLayout {
  int headerHeight = 0;  // line height + 2 x (line height / 4); 0 without
  int footerHeight = 0;
  int rowsPerPage = 1;
  int charsPerRow = 1;
};

PageLayout ComputePageLayout(const PageMetrics& m);

// The printed rows of a line: tabs expanded to the text's tab size (with
// show tabs a tab's first cell is 0xBB), the line end dropped, cut into
// rows of `charsPerRow`. An empty line is one empty row.
std::vector<std::string> PrintedRows(const CEditTextBuffer& text, const CEditLine* line,
                                     int charsPerRow);

// The line numbers at which pages start, from `first` to `last` (null: to
// the end), and (when asked) the lines themselves, so that a page is
// printed without walking to it. Lines are counted with their printed
// rows, so a page never holds more rows than it can print; a line longer
// than a page starts a page of its own and runs over.
std::vector<int> PaginateLines(const CEditTextBuffer& text, const CEditLine* first,
                               const CEditLine* last, const PageLayout& layout,
                               std::vector<const CEditLine*>* pStartLines = nullptr);

}  // namespace pm2
