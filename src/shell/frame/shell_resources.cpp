#include "shell/frame/shell_resources.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace pm2 {

namespace {

constexpr const char kMainMenuHead[] = R"RC(
# The main menu (no window, or a window without a menu of its own).
MENU 120
POPUP "&File"
ITEM 57600 "&New\tCtrl+N"
ITEM 57601 "&Open...\tCtrl+O"
ITEM 57602 "&Close"
ITEM 57603 "&Save\tCtrl+S"
ITEM 57604 "Save &As..."
ITEM 32717 "Save A&ll"
SEPARATOR
ITEM 32710 "&Device Database..."
SEPARATOR
ITEM 57607 "&Print...\tCtrl+P"
SEPARATOR
ITEM 57665 "E&xit"
END
POPUP "&Edit"
ITEM 57643 "&Undo\tCtrl+Z"
ITEM 57644 "&Redo\tCtrl+Y"
SEPARATOR
ITEM 57635 "Cu&t\tCtrl+X"
ITEM 57634 "&Copy\tCtrl+C"
ITEM 57637 "&Paste\tCtrl+V"
SEPARATOR
ITEM 35071 "&Indent Selected Text"
ITEM 35070 "Unin&dent Selected Text"
SEPARATOR
ITEM 57636 "&Find...\tCtrl+F"
ITEM 35056 "Find in File&s..."
END
)RC";

constexpr const char kEditorMenuHead[] = R"RC(# An editor window's menu: the main menu with the editor's own commands.
MENU 121
POPUP "&File"
ITEM 57600 "&New\tCtrl+N"
ITEM 57601 "&Open...\tCtrl+O"
ITEM 57602 "&Close"
ITEM 57603 "&Save\tCtrl+S"
ITEM 57604 "Save &As..."
ITEM 32717 "Save A&ll"
SEPARATOR
ITEM 32710 "&Device Database..."
SEPARATOR
ITEM 45031 "Page Set&up..."
ITEM 57609 "Print Pre&view"
ITEM 57607 "&Print...\tCtrl+P"
SEPARATOR
ITEM 57665 "E&xit"
END
POPUP "&Edit"
ITEM 57643 "&Undo\tCtrl+Z"
ITEM 57644 "&Redo\tCtrl+Y"
SEPARATOR
ITEM 57635 "Cu&t\tCtrl+X"
ITEM 57634 "&Copy\tCtrl+C"
ITEM 57637 "&Paste\tCtrl+V"
SEPARATOR
ITEM 35071 "&Indent Selected Text"
ITEM 35070 "Unin&dent Selected Text"
SEPARATOR
ITEM 45027 "Toggle &Bookmark\tCtrl+F2"
ITEM 45028 "&Next Bookmark\tF2"
ITEM 45029 "Pre&vious Bookmark\tShift+F2"
ITEM 45030 "C&lear All Bookmarks"
SEPARATOR
ITEM 57636 "&Find...\tCtrl+F"
ITEM 57641 "R&eplace...\tCtrl+H"
ITEM 35089 "&Matching Brace\tCtrl+E"
ITEM 35130 "&Go To Line...\tCtrl+G"
ITEM 35056 "Find in File&s..."
SEPARATOR
ITEM 35086 "Cut &Whole Line\tCtrl+L"
ITEM 35087 "Find Word F&orward\tCtrl+F3"
ITEM 35088 "Find Word Bac&kward\tCtrl+Shift+F3"
ITEM 35099 "&Jump To Definition\tF12"
ITEM 35100 "Jump To Reference\tShift+F12"
END
)RC";

// The popups from View on, the same in the main menu and in an editor
// window's menu: written once so that the two can't drift apart.
constexpr const char kSharedPopups[] = R"RC(POPUP "&View"
ITEM 35038 "&File Toolbar"
ITEM 35039 "&Build Toolbar"
ITEM 35040 "&Debug Toolbar"
ITEM 35037 "&Project Window"
ITEM 35033 "&Output Window"
ITEM 35096 "&Source Browser"
SEPARATOR
ITEM 32752 "D&isassembly Window"
ITEM 32749 "&Watch && Call Stack Window"
ITEM 32758 "&Memory Window"
ITEM 32732 "Performance &Analyzer Window"
ITEM 35047 "&Code Coverage Window"
ITEM 35048 "S&ymbols Window"
ITEM 32735 "Serial Window #&1"
ITEM 32728 "Serial Window #&2"
ITEM 35418 "Serial Window #&3"
ITEM 35073 "Toolbo&x"
ITEM 35081 "Periodic Window &Update"
SEPARATOR
ITEM 35409 "I&nclude Dependencies"
ITEM 32705 "Wor&kbook Mode"
ITEM 35417 "&Visual Style"
ITEM 32763 "Op&tions..."
END
POPUP "&Project"
ITEM 32702 "&New Project..."
ITEM 35091 "&Import Pelmora1 Project..."
ITEM 32792 "&Open Project..."
ITEM 32793 "C&lose Project"
SEPARATOR
ITEM 32704 "&Components, Environment, Books..."
ITEM 32712 "Select &Device for Target..."
ITEM 35085 "R&emove Item"
ITEM 35000 "Add &Files to Group..."
ITEM 35051 "Options for Tar&get...\tAlt+F7"
ITEM 35140 "File E&xtensions..."
SEPARATOR
ITEM 32720 "&Build Target\tF7"
ITEM 32816 "&Rebuild all target files"
ITEM 32719 "&Translate\tCtrl+F7"
ITEM 32721 "&Stop Build"
SEPARATOR
END
POPUP "&Debug"
ITEM 32802 "&Start/Stop Debug Session\tCtrl+F5"
ITEM 32791 "&Go\tF5"
ITEM 32794 "Step\tF11"
ITEM 32795 "Step &Over\tF10"
ITEM 32741 "Step Out\tCtrl+F11"
ITEM 32796 "&Run to Cursor line\tCtrl+F10"
ITEM 35072 "Show &Next Statement"
ITEM 32797 "Stop R&unning\tEsc"
SEPARATOR
ITEM 35041 "&Breakpoints..."
ITEM 35012 "&Insert/Remove Breakpoint"
ITEM 35017 "&Enable/Disable Breakpoint"
ITEM 35015 "Disable All Breakpoints"
ITEM 35016 "&Kill All Breakpoints"
SEPARATOR
ITEM 35019 "Enable/Disable &Trace Recording"
ITEM 35043 "&View Trace Records"
SEPARATOR
ITEM 35069 "&Memory Map..."
ITEM 35082 "Inline Assembl&y..."
ITEM 35083 "&Function Editor (Open Ini File)..."
ITEM 35079 "Performance Analy&zer Setup..."
END
POPUP "F&lash"
ITEM 35404 "&Download"
ITEM 35405 "&Erase"
SEPARATOR
ITEM 35415 "&Configure Flash Tools..."
END
POPUP "Peripherals"
ITEM 35020 "&Reset CPU"
END
POPUP "&Tools"
ITEM 35103 "Set&up PC-Lint..."
ITEM 35094 "&Lint"
ITEM 35105 "Lint &All C Source Files"
SEPARATOR
ITEM 35110 "Setup &Easy-Case..."
ITEM 35112 "Start/Stop Easy-&Case"
ITEM 35111 "Show File (Line)"
SEPARATOR
ITEM 35095 "Cus&tomize Tools Menu..."
END
POPUP "&SVCS"
ITEM 35113 "&Configure Version Control..."
END
POPUP "&Window"
ITEM 57650 "&Cascade"
ITEM 57651 "Tile &Horizontally"
ITEM 57652 "Tile &Vertically"
ITEM 57649 "Arrange &Icons"
ITEM 57653 "&Split"
SEPARATOR
ITEM 43008 "&Open Workspace..."
ITEM 43009 "Save Wor&kspace"
ITEM 43013 "Save &Workspace As..."
ITEM 43012 "Clos&e Workspace"
SEPARATOR
ITEM 35129 "Close &All"
END
POPUP "&Help"
ITEM 35134 "Open &Books Window"
ITEM 35135 "Peripheral &Help"
SEPARATOR
ITEM 35136 "&Knowledge Base"
ITEM 35137 "&Contact Support"
ITEM 35400 "Check for &Update"
SEPARATOR
ITEM 57664 "&About Pelmora2..."
END
END

)RC";

constexpr const char kOtherResources[] = R"RC(
# The project window's context menu.
MENU 143
POPUP "Project"
ITEM 32712 "Select Device..."
ITEM 32707 "Options..."
SEPARATOR
ITEM 32708 "Open File"
ITEM 32816 "Rebuild all target files"
ITEM 32720 "Build target"
ITEM 35403 "Translate File"
ITEM 32721 "Stop build"
SEPARATOR
ITEM 35000 "Add Files to Group..."
ITEM 32704 "Targets, Groups, Files..."
ITEM 35085 "Remove Item"
SEPARATOR
ITEM 35409 "Include Dependencies"
END
END

# Status-bar panes (the text gives each pane its width): the driver's
# status ("PC: 0x%08X", "Debug session ended"), the caret past a million
# lines at the widest column.
STRING 123 "Debug session ended"
STRING 118 "L:9999999 C:2048"
STRING 59137 "CAP"
STRING 59138 "NUM"
STRING 59139 "SCRL"
STRING 59140 "OVR"
STRING 395 "R/W"
)RC";

}  // namespace

const ResourceTables& ShellResources() {
  static const ResourceTables tables = [] {
    ResourceTables t;
    std::string err;
    const std::string text =
        std::string(kMainMenuHead) + kSharedPopups + kEditorMenuHead + kSharedPopups + kOtherResources;
    if (!t.Load(text, "shell resources", &err)) {
      // A broken table is a fault of the program itself.
      std::fprintf(stderr, "%s\n", err.c_str());
      std::abort();
    }
    return t;
  }();
  return tables;
}

}  // namespace pm2
