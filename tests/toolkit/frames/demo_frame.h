#pragma once
// A demo of the docking frame as the IDE shapes it: bars docked on all four
// sides, one floating, three document windows with sheet tabs, a
// menu bar, the File and Build toolbars and a placeholder status strip. Shared by the frame tests, the
// gallery pictures and the frame_demo program.

#include <QWidget>

namespace pm2 {

class ResourceTables;
class SECControlBar;
class SECMenuBar;
class SECToolBarManager;
class SECWorkbookWnd;

constexpr unsigned kDemoProjectBar = 0xE900, kDemoOutputBar = 0xE901, kDemoWatchBar = 0xE902,
                   kDemoMemoryBar = 0xE903, kDemoCallStackBar = 0xE904, kDemoSerialBar = 0xE905;

struct DemoFrame {
  SECWorkbookWnd* frame = nullptr;
  SECControlBar* project = nullptr;
  SECControlBar* output = nullptr;
  SECControlBar* watch = nullptr;
  SECControlBar* memory = nullptr;
  SECControlBar* callStack = nullptr;
  SECControlBar* serial = nullptr;
  SECMenuBar* menuBar = nullptr;
  SECToolBarManager* toolbars = nullptr;  // deleted with the frame
};

// The demo's menus (120 the frame's, 121 an editor window's) and the tips
// of its commands.
const ResourceTables& DemoResources();
constexpr unsigned kDemoFrameMenu = 120, kDemoEditorMenu = 121;

// Builds the frame with its bars created and enabled for docking; with
// `place` the bars are docked and floated and the documents opened.
DemoFrame BuildDemoFrame(bool place = true, QSize size = QSize(1180, 780));
// A bar of the demo's kind, as the dock state creates missing bars.
SECControlBar* MakeDemoBar(SECWorkbookWnd* frame, unsigned id, const char* title, std::uint32_t align);
void OpenDemoDocuments(SECWorkbookWnd* frame);
// The frame and its floating windows painted into one picture.
QImage GrabFrameWithFloating(SECWorkbookWnd* frame);

}  // namespace pm2
