// The choice between several symbol records that share a name, for the
// add-in's look-ups: one line per record; OK takes the selected one.
#pragma once

#include <QDialog>
#include <functional>
#include <string>
#include <vector>

#include "browser/browse_navigation.h"

class QListWidget;
class QPushButton;

namespace pm2 {

class BrowseChoiceDialog : public QDialog {
  Q_OBJECT
 public:
  BrowseChoiceDialog(const std::string& name, std::vector<BrowseChoice> rows, QWidget* parent = nullptr);
  QListWidget* List() const { return m_list; }
  QPushButton* OkButton() const { return m_ok; }
  // The record of the selected line; null when none is selected.
  BrowseSymbol* Chosen() const;

 private:
  std::vector<BrowseChoice> m_rows;
  QListWidget* m_list = nullptr;
  QPushButton* m_ok = nullptr;
};

// Runs the dialog through `run` (which returns its result) for the choices
// of a name; the chooser the add-in's look-up asks.
class DialogBrowseChooser : public BrowseChooser {
 public:
  using Runner = std::function<int(QDialog&)>;
  DialogBrowseChooser(const BrowseSession& session, QWidget* parent, Runner run)
      : m_session(session), m_parent(parent), m_run(std::move(run)) {}
  BrowseSymbol* Choose(const BrowseName& name) override;

 private:
  const BrowseSession& m_session;
  QWidget* m_parent;
  Runner m_run;
};

}  // namespace pm2
