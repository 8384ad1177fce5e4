// The windows a command leaves open beside the main window while the user
// goes on (Go to Line, Find and Replace, the inline assembler, the function
// editor, the symbols, the tool box, code coverage): no modal answer ever
// reaches them, so the walk types into them and presses their buttons as
// a user does, and leaves them open while the commands after it run.
//
// The step "modeless:<name>/f3" types FieldTexts()[3] into every field of
// the open window named <name> (its class: "GotoLineDialog"), key
// by key, then presses each of its buttons that does not close it, in
// order, a row of each of its lists chosen first (a window a button opens
// is answered with its default);
// "modeless:<name>/x" closes it with its closing button, as a user does;
// "modeless:<name>/l12" types the number 12 as a user types a value that
// fits the field (a line inside the file, into Go to Line).
#pragma once

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QWidget>

#include <algorithm>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "walk_answers.h"
#include "walk_debug_input.h"

namespace pm2::test {

class WalkModeless {
 public:
  // The shown windows that are neither the main window nor modal, each
  // with its name on a road: its class (a title may name a file of the
  // session's folder), "#2" on the second of a class, in a steady order.
  static std::vector<std::pair<std::string, QDialog*>> Open() {
    std::vector<QDialog*> shown;
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* d = qobject_cast<QDialog*>(w);
      if (!d || !d->isVisible() || d->isModal() || d->windowModality() != Qt::NonModal ||
          qobject_cast<QMessageBox*>(d) || qobject_cast<QFileDialog*>(d))
        continue;
      shown.push_back(d);
    }
    std::stable_sort(shown.begin(), shown.end(), [](QDialog* a, QDialog* b) {
      const int byClass = std::strcmp(a->metaObject()->className(), b->metaObject()->className());
      return byClass < 0 || (byClass == 0 && a->windowTitle() < b->windowTitle());
    });
    std::vector<std::pair<std::string, QDialog*>> out;
    std::map<std::string, int> seen;
    for (QDialog* d : shown) {
      const std::string kind = d->metaObject()->className();
      const int n = ++seen[kind];
      out.emplace_back(n == 1 ? kind : kind + "#" + std::to_string(n), d);
    }
    return out;
  }
  static QDialog* Named(const std::string& name) {
    for (const auto& [own, d] : Open())
      if (own == name) return d;
    return nullptr;
  }
  static bool IsStep(const std::string& step) { return step.rfind("modeless:", 0) == 0; }
  // The windows that take a line number as a user types one.
  // (a window's name is its class with its namespace: "pm2::GotoLineDialog").
  static bool TakesALine(const std::string& name) {
    const std::string own = "GotoLineDialog";
    return name.size() >= own.size() && name.compare(name.size() - own.size(), own.size(), own) == 0;
  }
  // The line a step (after "modeless:") typed, or 0.
  static long LineTyped(const std::string& rest) {
    const size_t slash = rest.rfind('/');
    if (slash == std::string::npos || slash + 2 > rest.size() || rest[slash + 1] != 'l') return 0;
    return std::atol(rest.c_str() + slash + 2);
  }
  // A step for the window: a text of the table (seeded), now and then its
  // closing instead.
  template <class Rng>
  static std::string StepFor(const std::string& name, Rng& rng) {
    const std::string head = "modeless:" + name;
    if (rng() % 8 == 0) return head + "/x";
    return head + "/f" + std::to_string(rng() % FieldTexts().size());
  }

  // Runs a step (after "modeless:"): why it could not, or "".
  static std::string Run(const std::string& rest, WalkAnswers& answers) {
    const size_t slash = rest.rfind('/');
    if (slash == std::string::npos || slash + 1 >= rest.size()) return "a step 'modeless:' says nothing to do";
    const std::string name = rest.substr(0, slash), how = rest.substr(slash + 1);
    // Closed meanwhile by what the road did before (its editor closed, the
    // session ended): nothing left to type into.
    QDialog* d = Named(name);
    if (!d) return {};
    const QPointer<QDialog> alive(d);
    if (how == "x") {
      if (QAbstractButton* b = Closing(*d)) b->click();
      else d->close();
      return {};
    }
    if (how[0] != 'f' && how[0] != 'l') return "a step 'modeless:' names no text";
    const std::string text =
        how[0] == 'l' ? how.substr(1) : FieldTexts()[size_t(std::atoi(how.c_str() + 1)) % FieldTexts().size()];
    for (const QPointer<QWidget>& field : Fields(*d)) {
      if (!alive) return {};
      if (!field || !field->isVisible() || !field->isEnabled()) continue;
      Type(field, text);
      ++answers.fieldsChanged;
    }
    std::vector<QPointer<QAbstractButton>> buttons;
    if (alive)
      for (QAbstractButton* b : d->findChildren<QAbstractButton*>())
        if (b->window() == d && !qobject_cast<QRadioButton*>(b) && !Closes(*b)) buttons.push_back(b);
    for (const QPointer<QAbstractButton>& b : buttons) {
      if (!alive) return {};
      // A row of each list chosen first, as a user chooses the row a
      // button acts on.
      if (b && b->isVisible() && answers.beforeButton) answers.beforeButton(*b);
      if (!alive) return {};
      if (!b || !b->isVisible() || !b->isEnabled()) continue;
      ++answers.buttonsPressed;
      b->click();
      if (answers.afterButton) answers.afterButton();
    }
    return {};
  }

 private:
  // The fields a user types into: line edits (an editable list's own
  // among them) and plain texts, not read-only.
  static std::vector<QPointer<QWidget>> Fields(QDialog& d) {
    std::vector<QPointer<QWidget>> out;
    for (QLineEdit* e : d.findChildren<QLineEdit*>())
      if (!e->isReadOnly() && e->window() == &d) out.push_back(e);
    for (QPlainTextEdit* e : d.findChildren<QPlainTextEdit*>())
      if (!e->isReadOnly() && e->window() == &d) out.push_back(e);
    return out;
  }
  // The field's text replaced by the typed one: all selected, then typed
  // key by key; one past its limit as a paste of that many letters.
  static void Type(QWidget* field, const std::string& text) {
    field->setFocus();
    if (auto* e = qobject_cast<QLineEdit*>(field)) {
      e->selectAll();
      if (text == kPastLimit) {
        e->insert(QString(e->maxLength() < 32767 ? e->maxLength() + 1 : 300, 'x'));
        return;
      }
    } else if (auto* p = qobject_cast<QPlainTextEdit*>(field)) {
      p->selectAll();
      if (text == kPastLimit) {
        p->insertPlainText(QString(4000, 'x'));
        return;
      }
    }
    if (text.empty()) {
      QTest::keyClick(field, Qt::Key_Delete);
      return;
    }
    TypeText(field, text);
  }
  static std::string Plain(const QAbstractButton& b) {
    QString t = b.text();
    t.remove('&');
    return t.trimmed().toStdString();
  }
  static bool Closes(const QAbstractButton& b) {
    const std::string t = Plain(b);
    return t == "Close" || t == "Cancel" || t == "OK" || t == "Done";
  }
  static QAbstractButton* Closing(QDialog& d) {
    for (QAbstractButton* b : d.findChildren<QAbstractButton*>())
      if (b->window() == &d && b->isVisible() && b->isEnabled() && Closes(*b)) return b;
    return nullptr;
  }
};

}  // namespace pm2::test
