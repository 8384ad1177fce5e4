#include "options/pages/family_tool_page.h"

#include <QEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QVBoxLayout>

#include "options/core/family_entries.h"
#include "options/core/list_check.h"
#include "options/core/number_entry.h"
#include "options/core/options_session.h"
#include "options/core/tri_state.h"
#include "options/core/tool_command.h"
#include "options/pages/folder_list_dialog.h"
#include "options/pages/options_sheet.h"
#include "options/pages/page_text.h"
#include "platform/atomic_file.h"
#include "platform/win_path.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

constexpr const char* kLinkFilter = "Linker input files (*.lin)|*.lin||";
constexpr const char* kLinkFileLabel = "use linker control file";
constexpr const char* kLinkFileName = "Linker control file";

int ListModeOf(FamilyCheck c) {
  switch (c) {
    case FamilyCheck::kDefine: return int(ListMode::kDefine);
    case FamilyCheck::kUndefine: return int(ListMode::kUndefine);
    case FamilyCheck::kSet: return int(ListMode::kSet);
    case FamilyCheck::kReset: return int(ListMode::kReset);
    default: return -1;
  }
}

// The control file's name as stored: relative to the project's folder,
// a file in that folder by its name alone.
std::string LinkFileName(OptionsSheet& sheet, const std::string& path) {
  std::string name = sheet.StoredChosenPath(path, kLinkFileName);
  if (name.size() > 2 && name[0] == '.' && (name[1] == '/' || name[1] == '\\')) name.erase(0, 2);
  return name;
}

}  // namespace

FamilyToolPage::FamilyToolPage(OptionsSheet& sheet, const FamilyPageRow& row)
    : OptionPage(sheet, row.id), m_row(row) {
  m_tool = PreviewToolOf(row.id, Session().Toolset());
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  for (std::size_t i = 0; i < row.controls.size(); ++i) {
    const FamilyControl& c = row.controls[i];
    const int index = int(i);
    QWidget* control = nullptr;
    QPushButton* folderButton = nullptr;
    switch (c.kind) {
      case FamilyKind::kBox: {
        TriBox* box = NewTriBox(c.label);
        connect(box, &QCheckBox::stateChanged, this, [this, index] { ReadControl(index); });
        form->addRow(box);
        control = box;
        break;
      }
      case FamilyKind::kFlag: {
        auto* box = new QCheckBox(c.label, this);
        connect(box, &QCheckBox::stateChanged, this, [this, index] { ReadControl(index); });
        form->addRow(box);
        control = box;
        break;
      }
      case FamilyKind::kList: {
        auto* combo = new QComboBox(this);
        connect(combo, &QComboBox::currentIndexChanged, this, [this, index] { ReadControl(index); });
        form->addRow(c.label, combo);
        control = combo;
        break;
      }
      case FamilyKind::kText:
      case FamilyKind::kNumber:
      case FamilyKind::kShown: {
        QWidget* edit = nullptr;
        if (c.multiLine || c.kind == FamilyKind::kShown) {
          auto* text = new QPlainTextEdit(this);
          text->setReadOnly(c.kind == FamilyKind::kShown);
          text->setFixedHeight(text->fontMetrics().lineSpacing() * 3 + 12);
          connect(text, &QPlainTextEdit::textChanged, this, [this, index] { ReadControl(index); });
          edit = text;
        } else {
          auto* line = new QLineEdit(this);
          line->setMaxLength(c.limit);
          connect(line, &QLineEdit::textChanged, this, [this, index] { ReadControl(index); });
          line->installEventFilter(this);
          edit = line;
        }
        control = edit;
        if (c.folders) {
          auto* line = static_cast<QLineEdit*>(edit);
          auto* box = new QHBoxLayout;
          box->addWidget(edit);
          folderButton = new QPushButton("...", this);
          folderButton->setAutoDefault(false);
          folderButton->setFixedWidth(folderButton->fontMetrics().horizontalAdvance("...") + 16);
          box->addWidget(folderButton);
          const QString title = c.folders;
          connect(folderButton, &QPushButton::clicked, this, [this, line, title] {
            FolderListDialog dialog(title, FromQ(line->text()), kFolderListSeparators, this);
            const int result = Sheet().Services().runDialog ? Sheet().Services().runDialog(dialog) : dialog.exec();
            if (result == QDialog::Accepted) PutText(line, ToQ(dialog.Result()));
          });
          auto* label = new QLabel(c.label, this);
          label->setBuddy(edit);
          form->addRow(label, box);
        } else {
          form->addRow(c.label, edit);
        }
        break;
      }
      case FamilyKind::kLinkFile: {
        auto* box = new QCheckBox(kLinkFileLabel, this);
        connect(box, &QCheckBox::stateChanged, this, [this, index] { ReadControl(index); });
        auto* buttons = new QHBoxLayout;
        buttons->addWidget(box, 1);
        m_create = new QPushButton("Create...", this);
        m_browse = new QPushButton("Browse...", this);
        m_edit = new QPushButton("Edit...", this);
        for (QPushButton* b : {m_create, m_browse, m_edit}) {
          b->setAutoDefault(false);
          buttons->addWidget(b);
        }
        connect(m_create, &QPushButton::clicked, this, &FamilyToolPage::CreateLinkFile);
        connect(m_browse, &QPushButton::clicked, this, &FamilyToolPage::BrowseLinkFile);
        connect(m_edit, &QPushButton::clicked, this, &FamilyToolPage::EditLinkFile);
        form->addRow(buttons);
        control = box;
        m_linkIndex = index;
        break;
      }
    }
    if (c.kind == FamilyKind::kText && c.folders) KeepsOneLine(control, FieldNameOfLabel(c.label));
    else if (c.kind == FamilyKind::kText) KeepsText(control, FieldNameOfLabel(c.label));
    control->setObjectName(QString("control%1").arg(index));
    m_controls.push_back(control);
    m_folderButtons.push_back(folderButton);
  }
  if (m_tool != PreviewTool::kNone) {
    layout->addWidget(new QLabel("Command Line Controls:", this));
    m_preview = new PreviewView(this);
    m_preview->setObjectName("preview");
    layout->addWidget(m_preview, 1);
  } else {
    layout->addStretch();
  }
}

OptionBlock* FamilyToolPage::EditedBlock() const { return Session().EditedBlock(); }

const OptionBlock& FamilyToolPage::TargetBlock() const { return *Session().TargetCopy(); }

const OptionBlock& FamilyToolPage::StoredTargetBlock() const {
  const TargetRec* t = Session().Target();
  return t && t->pOpts ? *t->pOpts : TargetBlock();
}

int FamilyToolPage::Find(const char* label) const {
  for (std::size_t i = 0; i < m_row.controls.size(); ++i)
    if (std::string_view(m_row.controls[i].label) == label) return int(i);
  return -1;
}

std::string FamilyToolPage::TextOf(int i) const {
  // Lines of a multi-line field end as the tools read them.
  return FieldText(m_controls[std::size_t(i)]);
}

void FamilyToolPage::SetTextQuietly(int i, const std::string& text) {
  QWidget* w = m_controls[std::size_t(i)];
  const QSignalBlocker block(w);
  // A stored text longer than the edit's limit (a device's controls put
  // in front of the user's) is shown whole, not cut.
  if (auto* line = qobject_cast<QLineEdit*>(w)) ShowStoredText(line, text);
  if (auto* edit = qobject_cast<QPlainTextEdit*>(w)) ShowStoredText(edit, text);
}

void FamilyToolPage::FillList(int i, int count) {
  auto* combo = static_cast<QComboBox*>(m_controls[std::size_t(i)]);
  const FamilyControl& c = m_row.controls[std::size_t(i)];
  const QSignalBlocker block(combo);
  combo->clear();
  for (int r = 0; r < count && r < int(c.entries.size()); ++r) combo->addItem(c.entries[std::size_t(r)]);
  const int value = int(GetBitField(c.get(m_copy), c.shift, c.width));
  combo->setCurrentIndex(value < combo->count() ? value : -1);
}

bool FamilyToolPage::LinkFileChecked() const {
  return m_linkIndex >= 0 && static_cast<QCheckBox*>(m_controls[std::size_t(m_linkIndex)])->isChecked();
}

void FamilyToolPage::Load() {
  if (!m_keepCopy) m_copy = *EditedBlock();
  m_keepCopy = false;
  if (m_row.afterCopy) m_row.afterCopy(m_copy, *Session().TargetCopy(), NodeLevel());
  LoadControls();
  if (m_row.changed) m_row.changed(*this, -1);
}

void FamilyToolPage::LoadControls() {
  for (std::size_t i = 0; i < m_row.controls.size(); ++i) {
    const FamilyControl& c = m_row.controls[i];
    QWidget* w = m_controls[i];
    switch (c.kind) {
      case FamilyKind::kBox: {
        uint32_t v = GetBitField(c.get(m_copy), c.shift, c.width);
        // The inverted box: 0 shows checked; a stored 3 (an old grey click)
        // counts as unchecked.
        if (c.inverted) v = v == 2 ? 2 : v == 0 ? 1 : 0;
        SetTri(static_cast<QCheckBox*>(w), v);
        break;
      }
      case FamilyKind::kFlag:
        static_cast<QCheckBox*>(w)->setChecked(GetBitField(c.get(m_copy), c.shift, 1) != 0);
        break;
      case FamilyKind::kList:
        FillList(int(i), int(c.entries.size()));
        break;
      case FamilyKind::kText:
        SetTextQuietly(int(i), c.text(m_copy).str());
        break;
      case FamilyKind::kNumber: {
        char text[16];
        std::snprintf(text, sizeof text, "0x%04X", unsigned(c.number(m_copy)));
        SetTextQuietly(int(i), text);
        break;
      }
      case FamilyKind::kShown:
        // A field shown, not read back; else the page fills it later.
        if (c.text) SetTextQuietly(int(i), c.text(m_copy).str());
        break;
      case FamilyKind::kLinkFile: {
        m_linkFile = c.text(m_copy).str();
        const QSignalBlocker block(w);
        static_cast<QCheckBox*>(w)->setChecked(GetBitField(c.get(m_copy), c.shift, 1) != 0);
        ShowLinkFileLabel();
        break;
      }
    }
  }
  UpdateEnabling();
}

void FamilyToolPage::AfterLoad() { UpdatePreview(); }

void FamilyToolPage::ShowLinkFileLabel() {
  if (m_linkIndex < 0) return;
  static_cast<QCheckBox*>(m_controls[std::size_t(m_linkIndex)])
      ->setText(ToQ(std::string(kLinkFileLabel) + ": " + m_linkFile));
}

void FamilyToolPage::UpdateEnabling() {
  const bool linkFile = LinkFileChecked();
  for (std::size_t i = 0; i < m_row.controls.size(); ++i) {
    const FamilyControl& c = m_row.controls[i];
    bool on = c.level == FamilyLevel::kAny || (c.level == FamilyLevel::kTargetOnly) == !NodeLevel();
    if (c.enabled && !c.enabled(c.enabledByTarget ? TargetBlock() : m_copy)) on = false;
    if (c.kind != FamilyKind::kLinkFile) m_controls[i]->setEnabled(on);
    if (m_folderButtons[i]) m_folderButtons[i]->setEnabled(on);
  }
  if (m_linkIndex >= 0) {
    m_create->setEnabled(linkFile);
    m_browse->setEnabled(linkFile);
    m_edit->setEnabled(linkFile && !m_linkFile.empty());
    if (m_preview) m_preview->setEnabled(!linkFile);
  }
}

void FamilyToolPage::ReadControl(int i) {
  if (Loading()) return;
  const FamilyControl& c = m_row.controls[std::size_t(i)];
  QWidget* w = m_controls[std::size_t(i)];
  switch (c.kind) {
    case FamilyKind::kBox: {
      uint32_t v = TriOf(static_cast<QCheckBox*>(w));
      if (c.inverted && v != 2) v ^= 1;
      c.set(m_copy, SetBitField(c.get(m_copy), c.shift, c.width, v));
      break;
    }
    case FamilyKind::kFlag:
    case FamilyKind::kLinkFile:
      c.set(m_copy, SetBitField(c.get(m_copy), c.shift, 1, static_cast<QCheckBox*>(w)->isChecked() ? 1 : 0));
      break;
    case FamilyKind::kList: {
      auto* combo = static_cast<QComboBox*>(w);
      int pos = combo->currentIndex();
      if (pos < 0) return;
      if (c.targetInherit >= 0 && !NodeLevel() && pos == c.targetInherit) {
        // A target has no level above: the stored value stays.
        pos = int(GetBitField(c.get(*EditedBlock()), c.shift, c.width));
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(pos < combo->count() ? pos : -1);
      }
      c.set(m_copy, SetBitField(c.get(m_copy), c.shift, c.width, uint32_t(pos)));
      break;
    }
    default:
      break;
  }
  if (m_row.changed) m_row.changed(*this, i);
  UpdateEnabling();
  UpdatePreview();
}

void FamilyToolPage::UpdatePreview() {
  if (!m_preview || !Active() || Loading()) return;
  // A linker control file replaces the generated controls: the preview
  // keeps its last text meanwhile.
  if (LinkFileChecked()) return;
  // The edits' texts stand in the copy while the line is built; then the
  // stored ones come back.
  const std::size_t n = m_row.controls.size();
  std::vector<std::string> texts(n);
  std::vector<OptString> saved(n);
  std::vector<uint32_t> savedNumbers(n);
  for (std::size_t i = 0; i < n; ++i) {
    const FamilyControl& c = m_row.controls[i];
    if (c.kind == FamilyKind::kText) {
      texts[i] = TextOf(int(i));
      saved[i] = c.text(m_copy);
      c.text(m_copy) = OptString(texts[i].c_str());
    } else if (c.kind == FamilyKind::kNumber) {
      savedNumbers[i] = c.number(m_copy);
      uint32_t v = 0;
      if (!ReadNumberField(TextOf(int(i)), 0, c.numberMax, &v)) v = 0;
      c.number(m_copy) = v;
    } else if (c.kind == FamilyKind::kLinkFile) {
      saved[i] = c.text(m_copy);
      texts[i] = m_linkFile;
      c.text(m_copy) = OptString(texts[i].c_str());
    }
  }
  CommandContext& ctx = Sheet().PreviewContext();
  const std::string_view line = BuildPreview(ctx, Session(), m_tool, &m_copy);
  m_marked = pm2::MarkedPreviewPart(ctx);
  for (std::size_t i = 0; i < n; ++i) {
    const FamilyControl& c = m_row.controls[i];
    if (c.kind == FamilyKind::kText || c.kind == FamilyKind::kLinkFile) c.text(m_copy) = saved[i];
    if (c.kind == FamilyKind::kNumber) c.number(m_copy) = savedNumbers[i];
  }
  m_preview->SetLine(line);
  if (m_row.previewed) m_row.previewed(*this);
}

bool FamilyToolPage::CheckText(int i, const std::string& text) {
  const FamilyControl& c = m_row.controls[std::size_t(i)];
  QWidget* w = m_controls[std::size_t(i)];
  const std::string_view trimmed = TrimBlanks(text);
  switch (c.check) {
    case FamilyCheck::kWarnings:
      return CheckWarningList(text) || Refuse(w, kBadWarningListMessage);
    case FamilyCheck::kAnyNumber: {
      uint32_t v = 0;
      return trimmed.empty() || ReadNumberInRange(trimmed, INT64_MIN, INT64_MAX, &v) ||
             Refuse(w, "Error in Interrupt vector table address");
    }
    case FamilyCheck::kNearRange:
    case FamilyCheck::kInitRange: {
      // A range is stored whether or not the page asks for it: it is
      // checked unless it is what was stored. The initialisation table may
      // also stay empty.
      if (KeptAsShown(w)) return true;
      if (c.check == FamilyCheck::kInitRange && trimmed.empty()) return true;
      uint32_t low = 0, high = 0;
      return ReadAddressRange(trimmed, &low, &high) || Refuse(w, kBadRangeMessage);
    }
    default:
      return true;
  }
}

bool FamilyToolPage::Leave() {
  const std::size_t n = m_row.controls.size();
  std::vector<std::string> values(n);
  // Checks in the table's order; nothing is written until all pass.
  for (std::size_t i = 0; i < n; ++i) {
    const FamilyControl& c = m_row.controls[i];
    if (c.kind == FamilyKind::kNumber) {
      c.number(m_copy) = 0;
      if (NodeLevel()) continue;
      const std::string text(TrimBlanks(TextOf(int(i))));
      uint32_t v = 0;
      if (!text.empty() && !ReadNumberField(text, 0, c.numberMax, &v)) return Refuse(m_controls[i], c.numberMessage);
      c.number(m_copy) = v;
      continue;
    }
    if (c.kind != FamilyKind::kText) continue;
    const std::string text = TextOf(int(i));
    const int mode = ListModeOf(c.check);
    if (mode >= 0) {
      // A list the level does not offer (a target's Undefine) still shows
      // what it was given and is stored as it was: the user could not mend
      // it here.
      if (KeptAsShown(m_controls[i])) {
        values[i] = TextToStore(m_controls[i], text);
        continue;
      }
      const ListCheckResult r = CheckOptionList(ListMode(mode), text);
      if (!r.ok) return Refuse(m_controls[i], r.message);
      values[i] = TextToStore(m_controls[i], ListTextToStore(ListMode(mode), text, r, c.text(m_copy).view()));
    } else {
      if (!CheckText(int(i), text)) return false;
      values[i] = TextToStore(m_controls[i], c.trim ? std::string(TrimBlanks(text)) : text);
    }
  }
  if (m_linkIndex >= 0 && LinkFileChecked() && TrimBlanks(m_linkFile).empty())
    return Refuse(m_browse, "Linker command file not specified !");
  if (m_linkIndex >= 0) {
    // The chosen file's name is stored like a typed text.
    const std::string_view name = TrimBlanks(m_linkFile);
    const FamilyControl& c = m_row.controls[std::size_t(m_linkIndex)];
    if (const std::string refusal = FieldTextRefusal(kLinkFileName, name);
        !refusal.empty() && name != c.text(m_copy).view())
      return Refuse(m_browse, refusal);
  }
  for (std::size_t i = 0; i < n; ++i) {
    const FamilyControl& c = m_row.controls[i];
    // The control file's name as it was given unless another was chosen.
    if (c.kind == FamilyKind::kLinkFile)
      values[i] = m_linkFile == c.text(m_copy).view() ? m_linkFile : std::string(TrimBlanks(m_linkFile));
    else if (c.kind != FamilyKind::kText) continue;
    OptString& stored = c.text(m_copy);
    if (values[i].empty())
      stored = OptString();
    else if (stored.view() != values[i])
      stored = OptString::Pooled(values[i], kPoolProject);
  }
  m_row.writeBack(*EditedBlock(), m_copy);
  return true;
}

void FamilyToolPage::Defaults() {
  if (m_row.defaultsOnCopy) {
    m_row.defaults(m_copy, Session().Target(), Session().Level());
    m_keepCopy = true;
  } else {
    m_row.defaults(*EditedBlock(), Session().Target(), Session().Level());
  }
  Activate();
}

bool FamilyToolPage::eventFilter(QObject* watched, QEvent* event) {
  // The 166 linker pages keep Enter and Escape in their single-line edits.
  if (m_row.swallowEnter && event->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Escape) return true;
  }
  return OptionPage::eventFilter(watched, event);
}

void FamilyToolPage::CreateLinkFile() {
  const auto& choose = Sheet().Services().chooseNewFile;
  const std::string path = choose ? choose("Create Linker input comand file", kLinkFilter, Sheet().ProjectFolder())
                                  : std::string();
  if (path.empty()) return;
  // The controls of the page's copy as the build would generate them.
  const int link = m_linkIndex;
  const FamilyControl& c = m_row.controls[std::size_t(link)];
  c.set(m_copy, SetBitField(c.get(m_copy), c.shift, 1, 0));
  const QSignalBlocker block(m_controls[std::size_t(link)]);
  static_cast<QCheckBox*>(m_controls[std::size_t(link)])->setChecked(false);
  UpdatePreview();
  const std::string text = FromQ(PreviewText());
  c.set(m_copy, SetBitField(c.get(m_copy), c.shift, 1, 1));
  static_cast<QCheckBox*>(m_controls[std::size_t(link)])->setChecked(true);
  std::string error;
  if (WriteFileAtomically(path, text, &error))
    m_linkFile = LinkFileName(Sheet(), path);
  else
    m_linkFile.clear();
  ShowLinkFileLabel();
  UpdateEnabling();
}

void FamilyToolPage::BrowseLinkFile() {
  const std::string path =
      Sheet().Services().chooseFile("Open Linker input comand file", kLinkFilter, Sheet().ProjectFolder());
  if (path.empty()) return;
  const std::string name = LinkFileName(Sheet(), path);
  if (name.empty()) return;
  m_linkFile = name;
  ShowLinkFileLabel();
  UpdateEnabling();
}

void FamilyToolPage::EditLinkFile() {
  if (m_linkFile.empty() || !Sheet().Services().openFile) return;
  std::string path;
  PathResolver resolver;
  resolver.ResolveStoredPath(m_linkFile, Sheet().ProjectFolder(), &path);
  Sheet().Services().openFile(path.empty() ? m_linkFile : path);
}

}  // namespace pm2
