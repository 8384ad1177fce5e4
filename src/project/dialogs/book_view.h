// CBookVw: the books tab of the project bar: the manuals of the
// installation, the target's toolset and the target's device under their
// category nodes; a double click opens one with the desktop's program for
// its type.
//
// The shell keeps one instance in the project bar and calls Fill when the
// project, the target or the environment's books change.
#pragma once

#include <QWidget>
#include <functional>

#include "project/edit/book_tree.h"
#include "toolkit/controls/tree_ctrl.h"

namespace pm2 {

class BookView : public QWidget, public NotifyListener {
  Q_OBJECT
 public:
  // Opens a file of this machine; false when it cannot be opened.
  using Opener = std::function<bool(const std::string& localPath)>;

  explicit BookView(QWidget* parent = nullptr);
  ~BookView() override;

  void Fill(const EnvironmentInfo* env, const ProjectRec* project);
  // Opens the selected book; nothing for a category node.
  void OpenSelectedBook();
  void SetOpener(Opener opener) { m_opener = std::move(opener); }
  SECTreeCtrl* Tree() const { return m_tree; }

  NotifyResult OnNotify(NotifyHeader& hdr) override;

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  SECTreeCtrl* m_tree = nullptr;
  std::vector<BookTreeItem> m_items;  // item data: index + 1
  const EnvironmentInfo* m_env = nullptr;
  const ProjectRec* m_project = nullptr;
  Opener m_opener;
  bool m_closing = false;
};

}  // namespace pm2
