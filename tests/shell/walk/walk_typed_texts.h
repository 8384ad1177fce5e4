// What the walk left in the fields of a sheet it gave OK, against what the
// project's files hold for them: a text typed, pasted or shown in a field
// the project keeps is stored byte for byte as the field held it (less the
// blanks the page trims), or refused at the field with a message that
// names it (a message box, or the notice beside the field). The files are
// read from the disk after the program's own Save All, and again after a
// start of the program, so a text cut anywhere on the way (the page, the
// records, the writer, the reader) is found: never compared with the
// project in memory, which a cut before it would agree with.
#pragma once

#include <QDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QTabWidget>
#include <QTimer>
#include <QToolTip>

#include "project/model/project_records.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace pm2::test {

// A field of the options sheets whose text the project file keeps: the
// page's title, the field's label (without '&' and ':'), the key of its
// line in the sheet's block, and whether the page trims its blanks. A
// field not named here is not followed; widen the list as pages are
// checked.
struct StoredField {
  const char* page;
  const char* label;
  const char* key;
  bool trimmed;
};
inline const std::vector<StoredField>& StoredFields() {
  static const std::vector<StoredField> rows = {
      {"CC", "Define", "ACDEFN", true},          {"CC", "Undefine", "ACUDEF", true},
      {"CC", "Include Paths", "ACINCD", true},   {"CC", "Misc Controls", "ACMISC", true},
      {"Asm", "Define", "AADEFN", true},         {"Asm", "Undefine", "AAUDEF", true},
      {"Asm", "Include Paths", "AAINCD", true},  {"Asm", "Misc Controls", "AAMISC", true},
      {"Q51", "Define", "Q51DEF", true},         {"Q51", "Undefine", "Q51UDF", true},
      {"Q51", "Include Paths", "INCC5", true},   {"Q51", "Misc Controls", "Q51MSC", false},
  };
  return rows;
}
inline const StoredField* StoredFieldOf(const std::string& page, const std::string& label) {
  for (const StoredField& f : StoredFields())
    if (page == f.page && label == f.label) return &f;
  return nullptr;
}

// The text with the blanks a page trims taken from both ends.
inline std::string TrimmedBlanks(const std::string& text) {
  const size_t from = text.find_first_not_of(" \t");
  if (from == std::string::npos) return {};
  return text.substr(from, text.find_last_not_of(" \t") + 1 - from);
}

// The value of `key` in the options block whose header names `block`
// ("Target 'Blinky'", as the sheet's title names it) of a project file's
// text; `found` says whether the block has that line. A group's or a
// file's blocks are one for each target: `target` names the target whose
// block is meant ("" the first block of that name).
inline std::string StoredValue(const std::string& fileText, const std::string& block, const std::string& key,
                               bool* found, const std::string& target = "") {
  *found = false;
  std::istringstream in(fileText);
  bool inBlock = false;
  int targets = 0, targetNumber = 0;  // the file numbers its targets in their order
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.rfind("Target (", 0) == 0) {
      ++targets;
      if (!target.empty() && line.compare(8, target.size() + 1, target + ")") == 0) targetNumber = targets;
      continue;
    }
    if (line.rfind("Options ", 0) == 0) {
      inBlock = line.size() >= block.size() + 3 && line.compare(line.size() - block.size() - 3, std::string::npos,
                                                                 "// " + block) == 0;
      if (inBlock && !target.empty()) inBlock = std::atoi(line.c_str() + 8) == targetNumber;
      continue;
    }
    if (line == "EndOpt") inBlock = false;
    const std::string head = " " + key + " (";
    if (inBlock && line.rfind(head, 0) == 0 && line.back() == ')') {
      *found = true;
      return line.substr(head.size(), line.size() - head.size() - 1);
    }
  }
  return {};
}

// One field left as the sheet's OK found it.
struct LeftText {
  std::string block;  // "Target 'Blinky'"
  std::string target;  // the target the sheet edited ("" not known)
  std::string project;  // the project file open at OK ("" not known)
  const StoredField* field = nullptr;
  std::string typed;  // what the walk typed or pasted ("" : only shown)
  std::string held;   // what the field held at OK
  std::string notice;  // what the field said as it was typed into ("" nothing)
};

class TypedTexts {
 public:
  TypedTexts() {
    // A field that refuses a text says so in a tip beside it, once the
    // event loop has turned (the text is given back first): every tip shown
    // until the sheet's OK is kept, whoever hides it again.
    QObject::connect(&m_tipWatch, &QTimer::timeout, [this] {
      if (QToolTip::isVisible() && (m_tips.empty() || m_tips.back() != QToolTip::text().toStdString()))
        m_tips.push_back(QToolTip::text().toStdString());
    });
    m_tipWatch.start(5);
  }
  // A text the walk typed or pasted into a field, just after; a notice the
  // field showed for it (a tip beside the field) is kept with it.
  void Typed(QLineEdit* edit, const QString& text) {
    m_typed.push_back({edit, {text.toStdString(), QToolTip::isVisible() ? QToolTip::text().toStdString() : ""}});
  }

  // A page of a sheet was shown: its fields hold what the sheet gave them
  // (a page never shown holds nothing yet, and the sheet keeps what it had).
  void PageShown(QWidget* page) { m_shown.push_back(page); }

  // The sheet's OK is about to be pressed: each followed field of its pages
  // shown, with what it holds, is noted; once the sheet closes accepted,
  // those texts are due in the files. `target` names the project's current
  // target, whose blocks the sheet edits.
  void AtOk(QDialog& d, const std::string& target = "", const std::string& project = "") {
    const std::string title = d.windowTitle().toStdString();
    const std::string prefix = "Options for ";
    if (title.rfind(prefix, 0) != 0) return;
    std::vector<LeftText> left;
    for (QTabWidget* tabs : d.findChildren<QTabWidget*>())
      for (int i = 0; i < tabs->count(); ++i)
        for (QLineEdit* e : tabs->widget(i)->findChildren<QLineEdit*>()) {
          const StoredField* field = StoredFieldOf(Plain(tabs->tabText(i)), LabelOf(*e));
          // A field the page hides (a row of another tool's) is none of its.
          if (!field || !e->isVisibleTo(tabs->widget(i)) || !WasShown(tabs->widget(i))) continue;
          std::pair<std::string, std::string> typed;
          for (const auto& [edit, text] : m_typed)
            if (edit == e) typed = text;
          // A tip shown since the typing that names the field is its notice.
          if (QToolTip::isVisible()) m_tips.push_back(QToolTip::text().toStdString());
          for (const std::string& tip : m_tips)
            if (typed.second.empty() && tip.find(std::string("'") + field->label + "'") != std::string::npos)
              typed.second = tip;
          left.push_back(
              {title.substr(prefix.size()), target, project, field, typed.first, e->text().toStdString(), typed.second});
        }
    m_typed.clear();
    m_tips.clear();
    if (std::getenv("PM2_WALK_TRACE"))
      for (QTabWidget* tabs : d.findChildren<QTabWidget*>())
        for (int i = 0; i < tabs->count(); ++i)
          for (QLineEdit* e : tabs->widget(i)->findChildren<QLineEdit*>())
            std::fprintf(stderr, "walk: '%s' page '%s' field '%s' holds %d characters\n", title.c_str(),
                         Plain(tabs->tabText(i)).c_str(), LabelOf(*e).c_str(), int(e->text().size()));
    if (left.empty()) return;
    // Once: the sheet's next OK (after a refusal) notes its fields again.
    QObject::connect(
        &d, &QDialog::finished, &d,
        [this, left](int result) {
          if (result == QDialog::Accepted)
            for (const LeftText& t : left) m_due.push_back(t);
        },
        Qt::SingleShotConnection);
  }

  // Whether texts are due in the files since the last comparison.
  bool Due() const { return !m_due.empty(); }

  // The texts due, compared with the project file's text on disk (read
  // after the program saved it); they are then kept for the comparisons
  // after a start again. A typed text the field did not take must have
  // been refused with a message (among `boxes`) that names the field. Why
  // one differs, or "".
  std::string CompareDue(const std::string& projectPath, const std::string& fileText,
                         const std::vector<std::string>& boxes) {
    if (projectPath != m_project) m_kept.clear();
    m_project = projectPath;
    std::vector<LeftText> due;
    due.swap(m_due);
    for (const LeftText& t : due) {
      m_kept[t.target + "\n" + t.block + "\n" + t.field->key] = t;
      if (t.typed.empty() || t.typed == t.held) continue;
      bool named = t.notice.find(std::string("'") + t.field->label + "'") != std::string::npos;
      for (const std::string& box : boxes)
        named = named || box.find(std::string("'") + t.field->label + "'") != std::string::npos;
      if (!named)
        return "the text typed into '" + std::string(t.field->label) + "' on page '" + t.field->page +
               "' of Options for " + t.block + " ('" + Cut(t.typed) + "', " + std::to_string(t.typed.size()) +
               " bytes) was not taken by the field ('" + Cut(t.held) + "' left), and no message named the field";
    }
    return CompareKept(fileText, "as the program's Save All wrote it");
  }
  // Every text kept, against the project file as read now (`how` says when).
  std::string CompareKept(const std::string& fileText, const std::string& how) const {
    for (const auto& [where, t] : m_kept) {
      const std::string expected = t.field->trimmed ? TrimmedBlanks(t.held) : t.held;
      bool found = false;
      const std::string stored = StoredValue(fileText, t.block, t.field->key, &found, t.target);
      // An empty text may be left out of a group's or a file's block.
      if (stored == expected && (found || expected.empty())) continue;
      return "the text " + Shown(t) + " of '" + t.field->label + "' on page '" + t.field->page + "' of Options for " +
             t.block + (t.target.empty() ? "" : " (target '" + t.target + "')") +
             " is not stored as the field held it: key " + t.field->key + " in '" + m_project + "' " + how +
             (found ? " holds '" + Cut(stored) + "' (" + std::to_string(stored.size()) + " bytes)"
                    : " has no such line") +
             ", the field held '" + Cut(expected) + "' (" + std::to_string(expected.size()) + " bytes)";
    }
    return {};
  }
  // Texts of blocks whose target, group or file the user removed since
  // (their options went with them) are no longer due.
  void ForgetRemoved(const ProjectRec& p) {
    std::set<std::string> blocks;
    for (const TargetRec* t = p.firstTarget; t; t = t->next)
      if (!(t->flags & kTargetDeleted)) blocks.insert("Target '" + t->name.str() + "'");
    for (const GroupRec* g = p.firstGroup; g; g = g->next) {
      if (g->flags & kGroupDeleted) continue;
      blocks.insert("Group '" + g->name.str() + "'");
      for (const FileRec* f = g->firstFile; f; f = f->next)
        if (!(f->flags & kFileRemoved)) blocks.insert("File '" + f->name.str() + "'");
    }
    auto gone = [&](const LeftText& t) {
      return !blocks.count(t.block) || (!t.target.empty() && !blocks.count("Target '" + t.target + "'"));
    };
    std::erase_if(m_kept, [&](const auto& kept) { return gone(kept.second); });
    std::erase_if(m_due, gone);
  }
  // The project changed (another one opened, or none): nothing kept.
  // Texts given to a project closed since (a step given at once opened
  // another) are not compared with the one open now.
  void Forget(const std::string& projectPath) {
    if (projectPath != m_project) m_kept.clear(), m_project = projectPath;
    std::erase_if(m_due, [&](const LeftText& t) { return !t.project.empty() && t.project != projectPath; });
  }
  // The texts given are gone (saves of them refused): nothing kept or due.
  void ForgetAll() {
    m_kept.clear();
    m_due.clear();
  }
  const std::string& Project() const { return m_project; }

  // The followed field an edit of a sheet's page is, or null.
  static const StoredField* FollowedField(QLineEdit& e) {
    for (QWidget* w = e.parentWidget(); w; w = w->parentWidget())
      if (auto* tabs = qobject_cast<QTabWidget*>(w))
        for (int i = 0; i < tabs->count(); ++i)
          if (tabs->widget(i)->isAncestorOf(&e)) return StoredFieldOf(Plain(tabs->tabText(i)), LabelOf(e));
    return nullptr;
  }
  // The label a field shows: its form row's label or a label whose buddy
  // it is, without '&' and the colon.
  static std::string LabelOf(QLineEdit& e) {
    QString text;
    if (auto* form = qobject_cast<QFormLayout*>(e.parentWidget() ? e.parentWidget()->layout() : nullptr))
      if (auto* label = qobject_cast<QLabel*>(form->labelForField(&e))) text = label->text();
    if (text.isEmpty())
      for (QLabel* label : e.window()->findChildren<QLabel*>())
        if (label->buddy() == &e) text = label->text();
    if (text.isEmpty())
      for (QFormLayout* form : e.window()->findChildren<QFormLayout*>())
        if (auto* label = qobject_cast<QLabel*>(form->labelForField(&e))) text = label->text();
    return Plain(text);
  }
  static std::string Plain(QString text) {
    text.remove('&');
    while (text.endsWith(':')) text.chop(1);
    return text.trimmed().toStdString();
  }

 private:
  static std::string Cut(const std::string& text) {
    return text.size() > 80 ? text.substr(0, 40) + "..." + text.substr(text.size() - 30) : text;
  }
  static std::string Shown(const LeftText& t) {
    if (t.typed.empty()) return "shown";
    return t.typed == t.held ? "typed" : "left after a typed text was refused";
  }

  // What was typed where (an edit gone since is null, and matches none).
  std::vector<std::pair<QPointer<QLineEdit>, std::pair<std::string, std::string>>> m_typed;
  std::vector<LeftText> m_due;
  bool WasShown(QWidget* page) {
    m_shown.erase(std::remove(m_shown.begin(), m_shown.end(), nullptr), m_shown.end());
    return std::find(m_shown.begin(), m_shown.end(), page) != m_shown.end();
  }

  std::vector<QPointer<QWidget>> m_shown;  // the pages shown (a page gone is null)
  std::vector<std::string> m_tips;          // the tips shown since the last OK
  QTimer m_tipWatch;
  std::map<std::string, LeftText> m_kept;  // block and key -> the text last left there
  std::string m_project;
};

}  // namespace pm2::test
