// The source browser window: the filter bar (name mask, kind boxes,
// memory-space buttons, file box) over a splitter with the symbol list
// and the results pane (a title over the definitions-and-references tree
// or a call or callers graph). It is the browser document and its frame in
// one widget; the main frame puts it into a workbook child window.
#pragma once

#include <QWidget>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "browser/browse_results.h"
#include "browser/browse_session.h"
#include "browser/browse_symbol_list.h"
#include "toolkit/core/notify.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QMenu;
class QPushButton;
class QSplitter;

namespace pm2 {

class SECListCtrl;
class SECTreeCtrl;

// What the window asks of the program.
class BrowserHost {
 public:
  virtual ~BrowserHost() = default;
  // Opens the file in the editor at the line.
  virtual void ShowSourceLocation(const std::string& path, uint32_t line, const std::string& name) = 0;
  virtual void Beep() = 0;
  // False while the main window rearranges its windows (switching the
  // docking layouts): a close request arriving then is refused.
  virtual bool FrameMayClose() const = 0;
};

// Column widths and the list pane's height, kept for the program's run
// from one window to the next; 0 = not saved yet.
struct BrowserLayoutMemory {
  std::array<int, kBrowseColumns> widths{};
  int listHeight = 0;
  // The frame's place in the main window when it last closed (left, top,
  // width, height); a width of 0: none kept.
  std::array<int, 4> placement{};
};

// Command ids of the two context menus.
enum BrowserCommand : int {
  kBrwShowFile = 159,       // the remembered file at the remembered line
  kBrwShowFileTop = 160,    // the remembered file at line 1
  kBrwResCallGraph = 161,
  kBrwResCallers = 162,
  kBrwResDefRef = 163,
  kBrwListCallGraph = 167,
  kBrwListCallers = 168,
  kBrwListDefRef = 169,
};

class BrowserWindow : public QWidget, public NotifyListener {
  Q_OBJECT
 public:
  // `toolset`: the current target's toolset code; its stored filters are
  // read now and written back when the window goes.
  BrowserWindow(BrowseSession& session, BrowserHost& host, BrowseFilterMemory& filters, BrowserLayoutMemory& layout,
                int toolset, QWidget* parent = nullptr);
  ~BrowserWindow() override;

  // Shows the loaded table afresh: title, space buttons, file box, list.
  void Refresh();
  // Refreshes and lists only that name (a name with several records).
  void ShowName(const BrowseName* name);
  // The open window's variant: lists only that name.
  void SelectName(const BrowseName* name);
  // Sets the kind filter and lists again.
  void SetSymbolKind(uint32_t kinds);
  // The column widths and the list's height go into the layout memory.
  void SaveLayout();

  std::string Title() const { return m_title; }
  uint32_t Kinds() const { return m_filter.kinds; }
  uint32_t Spaces() const { return m_filter.spaces; }
  int ResultsMode() const { return m_mode; }
  // The record a list row shows; null outside the list.
  const BrowseSymbol* RowSymbol(int row) const;
  // Runs a context-menu command (the ids above).
  void RunCommand(int id);
  // Runs a context menu at a global position; tests replace it to read
  // the items instead.
  std::function<void(QMenu&, const QPoint&)> m_runMenu;

  // The controls, for the tests and the gallery.
  SECListCtrl* List() const { return m_list; }
  SECTreeCtrl* Tree() const { return m_tree; }
  QLabel* ResultsTitleLabel() const { return m_resultsTitle; }
  QComboBox* MaskBox() const { return m_mask; }
  QComboBox* FileBox() const { return m_files; }
  QCheckBox* KindBox(int i) const { return m_kindBoxes[static_cast<size_t>(i)]; }
  QPushButton* SpaceButton(int i) const { return m_spaceButtons[static_cast<size_t>(i)]; }
  QSplitter* Splitter() const { return m_splitter; }

  // ---- NotifyListener: the list's and the tree's notifications
  NotifyResult OnNotify(NotifyHeader& hdr) override;

 signals:
  void titleChanged();

 protected:
  void resizeEvent(QResizeEvent* e) override;
  void showEvent(QShowEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  enum class Hint { kAll, kOnlyName, kClear };
  void Build();
  void Layout();
  void Fill(Hint hint);
  void ShowRows();
  void SortBy(int column);
  void SetUpSpaceButtons();
  void FillFileBox();
  void SelectionChanged();
  void ListContextMenu(const QPoint& global);
  void TreeContextMenu(const QPoint& global);
  void GoToListDefinition(int row);
  void OpenTreeRow(std::intptr_t data);
  void MaskEntered();
  void KindToggled(int i, bool on);
  void SpaceToggled(int i);
  void UpdateSpaceEnabling();
  // Results pane.
  void ShowSymbol(const BrowseSymbol* s);
  void RebuildResults();
  void ClearResults();
  void InsertGraph(const BrowseGraphNode& node, void* parent, int depth);
  struct ResultRow;
  const ResultRow* RowOf(std::intptr_t data) const;

  BrowseSession& m_session;
  BrowserHost& m_host;
  BrowseFilterMemory& m_filterMemory;
  BrowserLayoutMemory& m_layout;
  int m_toolset;

  BrowseListFilter m_filter;
  BrowseMaskHistory m_history;
  BrowseSortState m_sort;
  std::vector<BrowseSymbol*> m_rows;  // in the order shown
  const BrowseName* m_only = nullptr;
  const BrowseSymbol* m_context = nullptr;
  int m_mode = kResultsDefRef;
  std::string m_title = "Browse - No File";
  bool m_filling = false;
  bool m_splitPlaced = false;  // the saved split applied

  // Rows of the results tree: an occurrence, a file or a graph node.
  struct ResultRow {
    const BrowseOccurrence* occurrence = nullptr;
    const BrowseFile* file = nullptr;
    const BrowseGraphNode* node = nullptr;
  };
  std::vector<ResultRow> m_resultRows;
  std::unique_ptr<BrowseGraphNode> m_graph;
  std::string m_menuPath;  // remembered by the context menus
  uint32_t m_menuLine = 0;

  QWidget* m_bar = nullptr;
  QLabel* m_maskLabel = nullptr;
  QComboBox* m_mask = nullptr;
  QLabel* m_filesLabel = nullptr;
  QComboBox* m_files = nullptr;
  std::array<QCheckBox*, 6> m_kindBoxes{};
  QLabel* m_spacesLabel = nullptr;
  std::array<QPushButton*, kSpaceButtons> m_spaceButtons{};
  QSplitter* m_splitter = nullptr;
  SECListCtrl* m_list = nullptr;
  QWidget* m_results = nullptr;
  QLabel* m_resultsTitle = nullptr;
  SECTreeCtrl* m_tree = nullptr;
};

}  // namespace pm2
