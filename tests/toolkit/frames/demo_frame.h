#pragma once
// A demo of the docking frame as the IDE shapes it: bars docked on all four
// sides, one floating, three document windows with sheet tabs, a
// placeholder command bar and status strip. Shared by the frame tests, the
// gallery pictures and the frame_demo program.

#include <QWidget>

namespace pm2 {

class SECControlBar;
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
};

// Builds the frame with its bars created and enabled for docking; with
// `place` the bars are docked and floated and the documents opened.
DemoFrame BuildDemoFrame(bool place = true, QSize size = QSize(1180, 780));
// A bar of the demo's kind, as the dock state creates missing bars.
SECControlBar* MakeDemoBar(SECWorkbookWnd* frame, unsigned id, const char* title, std::uint32_t align);
void OpenDemoDocuments(SECWorkbookWnd* frame);
// The frame and its floating windows painted into one picture.
QImage GrabFrameWithFloating(SECWorkbookWnd* frame);

}  // namespace pm2
