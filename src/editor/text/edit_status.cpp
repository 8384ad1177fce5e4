#include "editor/text/edit_status.h"

namespace pm2 {

namespace {
struct StatusRow {
  int code;
  const char* text;
};
constexpr StatusRow kStatusTexts[] = {
    {kEditReadOnly, "The file is read-only."},
    {kEditCannotRead, "The data cannot be read."},
    {kEditLineTooLong, "The operation cannot be completed: the maximum line length is exceeded."},
    {kEditNoMemory, "Out of memory."},
    {kEditEndOfFile, "End of file."},
    {kEditNothingSelected, "Nothing is selected."},
    {kEditEndOfLine, "At the end of the line."},
    {kEditFileHasNul, "The file holds a NUL byte."},
    {kEditMsgLinesCut, "Lines longer than %d characters will be cut."},
};
}  // namespace

const char* EditStatusText(int code) {
  for (const StatusRow& row : kStatusTexts)
    if (row.code == code) return row.text;
  return "";
}

}  // namespace pm2
