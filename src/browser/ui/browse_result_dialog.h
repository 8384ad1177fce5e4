// The choice between the symbol records that share a name ("local sym - i"
// twice for a name local to two functions): one line per record in our
// list control; a selection stores the record, OK hands it to the caller.
#pragma once

#include <QDialog>
#include <functional>
#include <vector>

#include "browser/browse_navigation.h"
#include "toolkit/core/notify.h"

class QPushButton;

namespace pm2 {

class SECListCtrl;

class BrowseResultDialog : public QDialog, public NotifyListener {
  Q_OBJECT
 public:
  // The lines of BrowseChoices: none for a name with a single record.
  explicit BrowseResultDialog(const BrowseName& name, QWidget* parent = nullptr);
  ~BrowseResultDialog() override;

  SECListCtrl* List() const { return m_list; }
  QPushButton* OkButton() const { return m_ok; }
  // The record of the selected line; null when none is selected.
  BrowseSymbol* Chosen() const { return m_chosen; }
  // Selects a line as a click does (-1: none).
  void SelectRow(int row);

  NotifyResult OnNotify(NotifyHeader& hdr) override;

 protected:
  void resizeEvent(QResizeEvent* e) override;

 private:
  void SelectionChanged();

  std::vector<BrowseChoice> m_rows;
  BrowseSymbol* m_chosen = nullptr;
  SECListCtrl* m_list = nullptr;
  QPushButton* m_ok = nullptr;
  QPushButton* m_cancel = nullptr;
};

// Runs the dialog through `run` (which returns its result); the chooser
// the look-ups ask when a name has several records.
class DialogBrowseChooser : public BrowseChooser {
 public:
  using Runner = std::function<int(QDialog&)>;
  DialogBrowseChooser(QWidget* parent, Runner run) : m_parent(parent), m_run(std::move(run)) {}
  BrowseSymbol* Choose(const BrowseName& name) override;

 private:
  QWidget* m_parent;
  Runner m_run;
};

}  // namespace pm2
