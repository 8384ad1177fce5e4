// The flash page's external tool command and the folder list dialog's
// list text: how a stored text splits into its parts and joins again.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace pm2 {

struct ToolCommand {
  std::string program;
  std::string arguments;
};

// FLASH3's stored form "\"program\" (arguments)": a leading double quote
// runs the program to the closing quote, else it runs to the first "(";
// trailing blanks are cut; after blanks and tabs a "(" starts the
// arguments, which run to the matching ")" (nested pairs are kept).
ToolCommand SplitToolCommand(std::string_view stored);
std::string JoinToolCommand(const ToolCommand& command);
// A tool line in either form: the stored one above, or a device's default
// line "lpc21isp #H /dev/ttyUSB0 38400 12000" (the program quoted or up to
// the first blank, the rest its arguments). Arguments wholly in
// parentheses lose them; inner pairs are kept.
ToolCommand SplitToolLine(std::string_view line);

// The separators of the pages' folder lists (include paths): a list text
// splits at either, and OK joins the rows with the first.
inline constexpr char kFolderListSeparators[] = ";,";

// A folder list split at any of the separator characters, empty pieces
// left out.
std::vector<std::string> SplitFolderList(std::string_view text, std::string_view separators);
// Rows trimmed of blanks, empty ones skipped, joined by the first separator.
std::string JoinFolderList(const std::vector<std::string>& rows, std::string_view separators);
// Why a typed row cannot be one folder of such a list ("" when it can): a
// separator inside it would split it into several folders when the list
// is read again. `list` names the field the list is typed into where the
// one who typed it does not see that field (a peer's request); the list
// dialog of the field says "this list".
std::string FolderRowRefusal(std::string_view row, std::string_view separators, std::string_view list = {});

}  // namespace pm2
