#pragma once
// Style words, layout-mode bits and fixed ids of control bars and dock
// bars. The numbers are those the stored dock states carry, so they never
// change.

#include <cstdint>

namespace pm2 {

// Bar style (`m_dwStyle`): alignment, borders, sizing, floating.
constexpr std::uint32_t CBRS_ALIGN_LEFT = 0x1000, CBRS_ALIGN_TOP = 0x2000, CBRS_ALIGN_RIGHT = 0x4000,
                        CBRS_ALIGN_BOTTOM = 0x8000, CBRS_ALIGN_ANY = 0xF000;
constexpr std::uint32_t CBRS_ORIENT_HORZ = CBRS_ALIGN_TOP | CBRS_ALIGN_BOTTOM;
constexpr std::uint32_t CBRS_ORIENT_VERT = CBRS_ALIGN_LEFT | CBRS_ALIGN_RIGHT;
constexpr std::uint32_t CBRS_BORDER_LEFT = 0x0100, CBRS_BORDER_TOP = 0x0200, CBRS_BORDER_RIGHT = 0x0400,
                        CBRS_BORDER_BOTTOM = 0x0800, CBRS_BORDER_ANY = 0x0F00, CBRS_BORDER_3D = 0x0080;
constexpr std::uint32_t CBRS_FLOATING = 0x0001, CBRS_SIZE_DYNAMIC = 0x0004, CBRS_SIZE_FIXED = 0x0002,
                        CBRS_FLOAT_MULTI = 0x0040, CBRS_TOOLTIPS = 0x0010, CBRS_ALL = 0x0040FFFF;

// Extended bar style (`m_dwExStyle`).
constexpr std::uint32_t SECBAR_EX_CONTEXTMENU = 0x0001, SECBAR_EX_PROPORTIONAL = 0x0002,
                        SECBAR_EX_FIXEDSIZE = 0x0004, SECBAR_EX_DRAWBORDERS = 0x0008,
                        SECBAR_EX_INSIDEBORDER = 0x0010, SECBAR_EX_MDIFLOAT = 0x0020,
                        SECBAR_EX_FILLCHILD = 0x0040, SECBAR_EX_OWNROW = 0x0080,
                        SECBAR_EX_FLATBORDER = 0x0100, SECBAR_EX_GRIPPER = 0x0200,
                        SECBAR_EX_CLOSEBTN = 0x0400, SECBAR_EX_EXPANDBTN = 0x0800,
                        SECBAR_EX_FLATCAPTION = 0x10000, SECBAR_EX_THEMED = 0x20000;
// The look of the IDE's docked windows.
constexpr std::uint32_t kIdeBarExStyle = 0x10F31;

// Layout-mode bits of CalcDynamicLayout.
constexpr std::uint32_t LM_STRETCH = 0x01, LM_HORZ = 0x02, LM_MRUWIDTH = 0x04, LM_HORZDOCK = 0x08,
                        LM_VERTDOCK = 0x10, LM_LENGTHY = 0x20, LM_COMMIT = 0x40;

// Dock-bar ids (top, left, right, bottom, floating).
constexpr unsigned AFX_IDW_DOCKBAR_TOP = 0xE81B, AFX_IDW_DOCKBAR_LEFT = 0xE81C, AFX_IDW_DOCKBAR_RIGHT = 0xE81D,
                   AFX_IDW_DOCKBAR_BOTTOM = 0xE81E, AFX_IDW_DOCKBAR_FLOAT = 0xE81F;

// Commands of the bar's context menu.
constexpr unsigned kIdAllowDocking = 43040, kIdHideBar = 43041, kIdFloatInMainWindow = 43042;

// The four edges plus the inside of a floating frame.
enum class DockSide { Top, Bottom, Left, Right, Float };

inline bool IsHorzSide(DockSide s) { return s == DockSide::Top || s == DockSide::Bottom; }
unsigned DockBarIdOf(DockSide s);
// False for an id that names no dock bar.
bool DockSideOfId(unsigned id, DockSide* side);
std::uint32_t AlignOf(DockSide s);

}  // namespace pm2
