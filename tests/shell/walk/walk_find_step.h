// The step "find:<n>": in the find or replace dialog left open beside the
// main window (closed and opened again first, so that the search begins a
// pass of its own as a user's new search does), a word of its editor's text (the n-th, modulo their number)
// typed into Find what key by key, the same word with "Walk" after it into
// Replace with; then Find Next pressed, and where the dialog has them
// Replace (the match Find Next selected) and Replace All, each judged
// against the walk's own count of the matches (walk_judge.h); a
// replacement is undone again, so that the source still builds. The
// table's texts typed into the dialog rarely match anything: a word of
// the text always does.
#pragma once

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QTest>

#include <cctype>
#include <cstdio>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "editor/ide/find_dialog.h"
#include "editor/view/edit_view.h"
#include "walk_judge.h"
#include "walk_menus.h"
#include "walk_modeless_windows.h"

namespace pm2::test {

class WalkFindStep {
 public:
  static bool IsStep(const std::string& step) { return step.rfind("find:", 0) == 0; }
  // The open find or replace dialog, or null.
  static EditFindDialog* Open() {
    for (const auto& [name, d] : WalkModeless::Open())
      if (auto* f = qobject_cast<EditFindDialog*>(d)) return f;
    return nullptr;
  }
  // The words of a text a user may search for: three letters or more, each
  // once, those met three times or more (so that a match skipped or left
  // shows beside the others) where the text has any.
  static std::vector<std::string> Words(const std::string& text) {
    std::map<std::string, int> seen;
    for (const std::string& w : AllWords(text)) ++seen[w];
    std::vector<std::string> out, any;
    for (const auto& [w, n] : seen) {
      any.push_back(w);
      if (n >= 3) out.push_back(w);
    }
    return out.empty() ? any : out;
  }
  static std::vector<std::string> AllWords(const std::string& text) {
    std::vector<std::string> out;
    std::string word;
    for (size_t i = 0; i <= text.size(); ++i) {
      const unsigned char c = i < text.size() ? static_cast<unsigned char>(text[i]) : ' ';
      if (std::isalnum(c) || c == '_') {
        word += char(c);
        continue;
      }
      if (word.size() >= 3 && !std::isdigit(static_cast<unsigned char>(word[0]))) out.push_back(word);
      word.clear();
    }
    return out;
  }
  // Runs "find:<n>" (after "find:"): why it could not, or "".
  // `open` opens the replace dialog where none is open, as the user's
  // Ctrl+H does.
  static std::string Run(const std::string& rest, WalkJudge& judge, const std::function<void()>& open) {
    EditFindDialog* d = Open();
    if (d) {
      d = Reopened(*d);
    } else if (open) {
      open();
      d = Open();
    }
    if (WalkTracing())
      std::fprintf(stderr, "walk: the find step's dialog: %s\n",
                   d ? d->windowTitle().toStdString().c_str() : "none opened");
    // No editor to search in: nothing to do.
    if (!d) return {};
    auto* view = dynamic_cast<EditView*>(d->parentWidget());
    if (!view) return "the find dialog '" + d->windowTitle().toStdString() + "' belongs to no editor";
    const std::vector<std::string> words = Words(view->Text().GetText());
    if (words.empty()) return {};
    const std::string word = words[std::stoul(rest.empty() ? "0" : rest) % words.size()];
    const QPointer<EditFindDialog> alive(d);
    if (WalkTracing()) std::fprintf(stderr, "walk: the find step searches '%s'\n", word.c_str());
    Type(d->FindCombo(), word);
    if (d->ReplaceCombo()) Type(d->ReplaceCombo(), word + "Walk");
    std::optional<TextAt> found;
    if (!judge.FindNextJudged(*d, *view, &found) || !alive || !d->ReplaceCombo()) return {};
    if (!judge.ReplaceJudged(*d, *view, false, found) || !alive) return {};
    judge.ReplaceJudged(*d, *view, true, std::nullopt);
    return {};
  }

 private:
  // A search of the user's own begins a pass of its own: the dialog left
  // open closed with its Cancel (which ends the pass of the searches made
  // in it before, among them the table's texts a step typed there) and
  // opened again on its editor by its key, Ctrl+H, so that the match found
  // is replaced too (Ctrl+F where the text takes no replacement). Null
  // where none opened there again.
  static EditFindDialog* Reopened(EditFindDialog& d) {
    const QPointer<EditView> view(dynamic_cast<EditView*>(d.parentWidget()));
    const bool replace = true;
    if (!view) return &d;
    QAbstractButton* cancel = nullptr;
    for (QAbstractButton* b : d.findChildren<QAbstractButton*>())
      if (b->text().remove('&').trimmed() == "Cancel" && b->isVisible() && b->isEnabled()) cancel = b;
    if (cancel) cancel->click();
    else d.close();
    for (const Qt::Key key : {replace ? Qt::Key_H : Qt::Key_F, Qt::Key_F}) {
      if (!view || !view->isVisible()) return nullptr;
      view->setFocus();
      QTest::keyClick(view, key, Qt::ControlModifier);
      if (EditFindDialog* again = Open(); again && again->parentWidget() == view) return again;
    }
    return nullptr;
  }
  static void Type(QComboBox* box, const std::string& text) {
    QLineEdit* e = box ? box->lineEdit() : nullptr;
    if (!e) return;
    e->setFocus();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Delete);
    QTest::keyClicks(e, QString::fromStdString(text));
  }
};

}  // namespace pm2::test
