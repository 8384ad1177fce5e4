// The step "find:<n>": in the find or replace dialog left open beside the
// main window (closed and opened again first, so that the search begins a
// pass of its own as a user's new search does), a word of its editor's text (the n-th, modulo their number)
// typed into Find what key by key, the same word with "Walk" after it into
// Replace with; then Find Next pressed, and where the dialog has them
// Replace (the match Find Next selected) and Replace All, each judged
// against the walk's own count of the matches (walk_judge.h); a
// replacement is undone again, so that the source still builds. Then the
// word's pass taken round the text to the last match before where it
// began, the dialog closed and opened again there, and Find Next pressed
// once more: a pass of its own, which must select the next match. The
// table's texts typed into the dialog rarely match anything: a word of
// the text always does.
#pragma once

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QRadioButton>
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
    // A word is searched as a word, not as an expression, and round the
    // text (the boxes as the typing before left them), as the user sets
    // them: there is a match to find and to replace.
    SetBox(d->RegexBox(), false);
    SetBox(d->WrapBox(), true);
    Type(d->FindCombo(), word);
    if (d->ReplaceCombo()) Type(d->ReplaceCombo(), word + "Walk");
    const QPointer<EditView> searched(view);
    std::optional<TextAt> found;
    if (judge.FindNextJudged(*d, *view, &found, true) && alive && d->ReplaceCombo() &&
        judge.ReplaceJudged(*d, *view, false, found) && alive)
      judge.ReplaceJudged(*d, *view, true, std::nullopt);
    // Then the same word's pass taken round the text, in the dialog closed
    // and opened again (a pass of its own), or opened where one closed it.
    EditFindDialog* again = Open();
    if (again && searched) again = Reopened(*again);
    else if (open && searched) {
      open();
      again = Open();
    }
    if (again && searched && again->parentWidget() == searched.data()) PassGoneRound(*again, word, judge);
    return {};
  }

  // The word's pass taken round the text (PassRoundFor): the caret put at
  // the start of the line after its first match's line, as a user's keys
  // put it, Find Next pressed once for each match (each judged), then the
  // dialog closed and opened again and the word searched once more: a new
  // pass, whose first Find Next selects the match after the one selected,
  // where a pass kept from the dialog closed would end with nothing found.
  static void PassGoneRound(EditFindDialog& first, const std::string& word, WalkJudge& judge) {
    const QPointer<EditView> view(dynamic_cast<EditView*>(first.parentWidget()));
    QPointer<EditFindDialog> d(&first);
    if (!view) return;
    // Searched as a word, down the text and round it, as the user sets the
    // boxes for a pass round the text.
    SetBox(d->RegexBox(), false);
    SetBox(d->WrapBox(), true);
    for (QRadioButton* down : d->findChildren<QRadioButton*>())
      if (down->text().remove('&').trimmed() == "Down" && down->isVisible() && !down->isChecked()) down->click();
    Type(d->FindCombo(), word);
    const FindAsked asked = WalkJudge::AskedOf(*d);
    const PassRound round = PassRoundFor(view->Text().GetText(), asked);
    if (round.line == 0 || (d->UpButton() && d->UpButton()->isChecked() && !d->IsReplace())) return;
    view->setFocus();
    QTest::keyClick(view, Qt::Key_Home, Qt::ControlModifier);
    for (long n = 1; view && n < round.line; ++n) QTest::keyClick(view, Qt::Key_Down);
    if (!view || !d || view->Engine().State().nCaretLine != round.line) return;
    if (WalkTracing())
      std::fprintf(stderr, "walk: the find step takes a pass of '%s' round from line %ld (%zu matches)\n",
                   asked.pattern.c_str(), round.line, round.presses);
    std::optional<TextAt> found;
    for (size_t n = 0; n < round.presses; ++n)
      if (!d || !judge.FindNextJudged(*d, *view, &found)) return;
    if (!d || !view) return;
    EditFindDialog* again = Reopened(*d);
    if (!again || !view) return;
    d = again;
    Type(d->FindCombo(), word);
    if (WalkJudge::AskedOf(*d).pattern != asked.pattern) return;
    judge.FindNextJudged(*d, *view, &found, true);
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
  // A box of the dialog ticked or unticked by a click, where it is not so.
  static void SetBox(QCheckBox* box, bool on) {
    if (box && box->isVisible() && box->isEnabled() && box->isChecked() != on) box->click();
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
