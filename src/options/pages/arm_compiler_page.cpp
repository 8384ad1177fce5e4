#include "options/pages/arm_compiler_page.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "options/core/compiler_texts.h"
#include "options/core/list_check.h"
#include "options/core/options_session.h"
#include "options/core/tri_state.h"
#include "options/core/tool_command.h"
#include "options/pages/folder_list_dialog.h"
#include "options/pages/options_sheet.h"
#include "options/pages/page_text.h"
#include "project/model/option_defaults.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

// A field of the tool's flag word: a yes/no box (2 bits) or a choice whose
// rows are values 1, 2 ... ("<default>" is 0).
struct ArmToolField {
  const char* label;
  int shift;
  int width;
  std::vector<const char*> rows;
};

struct ArmToolRow {
  PageId id;
  PreviewTool tool;
  uint8_t* (*flags)(OptionBlock&);
  std::array<OptString& (*)(OptionBlock&), kArmTextCount> texts;
  std::vector<ArmToolField> fields;
  const char* includeTitle;
  bool assembler;
  bool targetKeepsChoice;  // "<default>" is not taken at target level
  bool undefineNever;      // Undefine is never offered
  void (*writeBack)(OptionBlock& edited, const OptionBlock& page);
  void (*defaults)(OptionBlock& edited, const TargetRec* target, int level);
};

namespace {

#define PM2_TEXT(expr) [](OptionBlock& b) -> OptString& { return b.expr; }

const ArmToolRow kRows[] = {
    {PageId::kArmGnuCompiler, PreviewTool::kGnuCc, [](OptionBlock& b) { return b.cGnu.ACCFLG; },
     {PM2_TEXT(cGnu.ACDEFN), PM2_TEXT(cGnu.ACUDEF), PM2_TEXT(cGnu.ACINCD), PM2_TEXT(cGnu.ACMISC)},
     {{"Optimi&zation:", 12, 8,
       {"-O (default)", "Level 0 (-O0)", "Level 1 (-O1)", "Level 2 (-O2)", "Size (-Os)", "Level 3 (-O3)"}},
      {"&Warnings:", 20, 8, {"No warnings (-w)", "All warnings (-Wall)", "Pedantic (-pedantic)"}},
      {"Enable APCS (ARM &Procedure Call Standard)", 0, 2, {}},
      {"Generate &Stack Check Code", 2, 2, {}},
      {"Generate &Reentrant Code", 4, 2, {}},
      {"Support Calls between ARM and THUMB Instruction Set", 6, 2, {}},
      {"Strict &ANSI C", 10, 2, {}}},
     "Setup Compiler Include Paths:", false, true, false,
     [](OptionBlock& e, const OptionBlock& p) { e.cGnu = p.cGnu; },
     [](OptionBlock& e, const TargetRec* t, int level) { InitCompilerArmGnuOpts(e.cGnu, t, level); }},
    {PageId::kArmAdsCompiler, PreviewTool::kAdsCc, [](OptionBlock& b) { return b.cAds.ADSCCFLG; },
     {PM2_TEXT(cAds.ADSCDEFN), PM2_TEXT(cAds.ADSCUDEF), PM2_TEXT(cAds.ADSCINCD), PM2_TEXT(cAds.ADSCMISC)},
     {{"Optimi&zation:", 2, 7, {"Level 0 (-O0)", "Level 1 (-O1)", "Level 2 (-O2)"}},
      {"&Warnings:", 25, 3, {"No warnings (-W)", "All warnings (-Wabdfrvy+glpsu)"}},
      {"&Enable ARM/Thumb Interworking", 0, 2, {}},
      {"Optimize &for Time", 9, 2, {}},
      {"&Split Load and Store Multiple", 11, 2, {}},
      {"One E&LF Section per Function", 13, 2, {}},
      {"Strict &ANSI C", 15, 2, {}},
      {"Enum &Container always int", 17, 2, {}},
      {"&Plain Char is Signed", 19, 2, {}},
      {"&Read-Only Position Independent", 21, 2, {}},
      {"Read&-Write Position Independent", 23, 2, {}},
      {"Compile &Thumb Code", 28, 2, {}}},
     "Setup Compiler Include Paths:", false, false, false,
     [](OptionBlock& e, const OptionBlock& p) { e.cAds = p.cAds; },
     [](OptionBlock& e, const TargetRec* t, int level) { InitCompilerArmAdsOpts(e.cAds, t, level); }},
    {PageId::kArmGnuAsm, PreviewTool::kGnuAs, [](OptionBlock& b) { return b.aGnu.AASFLG; },
     {PM2_TEXT(aGnu.AADEFN), PM2_TEXT(aGnu.AAUDEF), PM2_TEXT(aGnu.AAINCD), PM2_TEXT(aGnu.AAMISC)},
     {},
     "Setup Assembler Include Paths:", true, false, false,
     [](OptionBlock& e, const OptionBlock& p) { e.aGnu = p.aGnu; },
     [](OptionBlock& e, const TargetRec* t, int level) { InitAsmArmGnuOpts(e.aGnu, t, level); }},
    {PageId::kArmAdsAsm, PreviewTool::kAdsAsm, [](OptionBlock& b) { return b.aAds.ADSASFLG; },
     {PM2_TEXT(aAds.ADSADEFN), PM2_TEXT(aAds.ADSAUDEF), PM2_TEXT(aAds.ADSAINCD), PM2_TEXT(aAds.ADSAMISC)},
     {{"&Enable ARM/Thumb Interworking", 0, 2, {}},
      {"&Read-Only Position Independent", 2, 2, {}},
      {"Read&-Write Position Independent", 4, 2, {}},
      {"&Thumb Mode", 6, 2, {}},
      {"&Split Load and Store Multiple", 8, 2, {}},
      {"Software Stack-&Checking", 10, 2, {}},
      {"No W&arnings", 12, 2, {}}},
     "Setup Assembler Include Paths:", true, false, true,
     [](OptionBlock& e, const OptionBlock& p) { e.aAds = p.aAds; },
     [](OptionBlock& e, const TargetRec* t, int level) { InitAsmArmAdsOpts(e.aAds, t, level); }},
};

#undef PM2_TEXT

const ArmToolRow& RowOf(PageId id) {
  for (const ArmToolRow& r : kRows)
    if (r.id == id) return r;
  return kRows[0];
}

// The compilers' limits are the ones a peer's defines are held to too.
int TextLimit(const ArmToolRow& row) {
  if (row.assembler) return 128;
  return CompilerTextLimit(row.id == PageId::kArmAdsCompiler ? kToolsetArmAds : kToolsetArmGnu);
}

const char* const kTextLabels[kArmTextCount] = {"&Define:", "&Undefine:", "&Include Paths:", "&Misc Controls:"};

}  // namespace

ArmToolPage::ArmToolPage(OptionsSheet& sheet, PageId id)
    : OptionPage(sheet, id), m_row(RowOf(id)), m_tool(m_row.tool) {
  auto* layout = new QVBoxLayout(this);
  auto* boxes = new QGridLayout;
  auto* form = new QFormLayout;
  layout->addLayout(form);
  layout->addLayout(boxes);
  int boxCount = 0;
  for (std::size_t i = 0; i < m_row.fields.size(); ++i) {
    const ArmToolField& f = m_row.fields[i];
    if (f.rows.empty()) {
      TriBox* box = NewTriBox(f.label);
      connect(box, &QCheckBox::stateChanged, this, [this, i] { ReadField(int(i)); });
      boxes->addWidget(box, boxCount / 2, boxCount % 2);
      ++boxCount;
      m_fields.push_back(box);
    } else {
      auto* combo = new QComboBox(this);
      connect(combo, &QComboBox::currentIndexChanged, this, [this, i] { ReadField(int(i)); });
      form->addRow(f.label, combo);
      m_fields.push_back(combo);
    }
  }
  auto* texts = new QFormLayout;
  layout->addLayout(texts);
  for (int t = 0; t < kArmTextCount; ++t) {
    auto* edit = new QLineEdit(this);
    edit->setMaxLength(t == kArmInclude ? kIncludePathsLimit : TextLimit(m_row));
    connect(edit, &QLineEdit::textChanged, this, [this] { UpdatePreview(); });
    m_texts[std::size_t(t)] = edit;
    if (t == kArmInclude) KeepsOneLine(edit, FieldNameOfLabel(kTextLabels[t]));
    else KeepsText(edit, FieldNameOfLabel(kTextLabels[t]));
    auto* label = new QLabel(kTextLabels[t], this);
    label->setBuddy(edit);
    if (t == kArmInclude) {
      auto* row = new QHBoxLayout;
      row->addWidget(edit);
      m_includeButton = new QPushButton("...", this);
      m_includeButton->setAutoDefault(false);
      m_includeButton->setFixedWidth(m_includeButton->fontMetrics().horizontalAdvance("...") + 16);
      row->addWidget(m_includeButton);
      connect(m_includeButton, &QPushButton::clicked, this, [this, edit] {
        FolderListDialog dialog(m_row.includeTitle, FromQ(edit->text()), kFolderListSeparators, this);
        const int result = Sheet().Services().runDialog ? Sheet().Services().runDialog(dialog) : dialog.exec();
        if (result == QDialog::Accepted) PutText(edit, ToQ(dialog.Result()));
      });
      texts->addRow(label, row);
    } else {
      texts->addRow(label, edit);
    }
  }
  layout->addWidget(new QLabel("Compiler control string:", this));
  m_preview = new PreviewView(this);
  m_preview->setObjectName("preview");
  layout->addWidget(m_preview, 1);
}

void ArmToolPage::Load() {
  m_copy = *Session().EditedBlock();
  // Undefine removes what a level above defines: nothing above a target.
  m_texts[kArmUndefine]->setEnabled(NodeLevel() && !m_row.undefineNever);
  const uint32_t word = FirstWord(m_row.flags(m_copy));
  for (std::size_t i = 0; i < m_row.fields.size(); ++i) {
    const ArmToolField& f = m_row.fields[i];
    const uint32_t v = GetBitField(word, f.shift, f.width);
    if (auto* box = qobject_cast<QCheckBox*>(m_fields[i])) {
      SetTri(box, v);
    } else if (auto* combo = qobject_cast<QComboBox*>(m_fields[i])) {
      combo->clear();
      combo->addItem("<default>", 0);
      for (std::size_t r = 0; r < f.rows.size(); ++r) combo->addItem(f.rows[r], int(r + 1));
      combo->setCurrentIndex(combo->findData(int(v)));
    }
  }
  for (int t = 0; t < kArmTextCount; ++t) ShowStoredText(m_texts[std::size_t(t)], m_row.texts[std::size_t(t)](m_copy).str());
}

void ArmToolPage::ReadField(int i) {
  if (Loading()) return;
  const ArmToolField& f = m_row.fields[std::size_t(i)];
  uint8_t* flags = m_row.flags(m_copy);
  uint32_t v = 0;
  if (auto* box = qobject_cast<QCheckBox*>(m_fields[std::size_t(i)])) {
    v = TriOf(box);
  } else if (auto* combo = qobject_cast<QComboBox*>(m_fields[std::size_t(i)])) {
    v = uint32_t(combo->currentData().toInt());
    if (v == 0 && !NodeLevel() && m_row.targetKeepsChoice) {
      // A target has no level above to inherit from: the stored choice stays.
      v = GetBitField(FirstWord(m_row.flags(*Session().EditedBlock())), f.shift, f.width);
      const QSignalBlocker block(combo);
      combo->setCurrentIndex(combo->findData(int(v)));
    }
  }
  SetFirstWord(flags, SetBitField(FirstWord(flags), f.shift, f.width, v));
  UpdatePreview();
}

void ArmToolPage::UpdatePreview() {
  if (!Active() || Loading()) return;
  // The edits' texts stand in the page's copy while the line is built.
  std::array<OptString, kArmTextCount> saved;
  std::array<std::string, kArmTextCount> typed;
  for (int t = 0; t < kArmTextCount; ++t) {
    OptString& field = m_row.texts[std::size_t(t)](m_copy);
    saved[std::size_t(t)] = field;
    typed[std::size_t(t)] = FromQ(m_texts[std::size_t(t)]->text());
    field = OptString(typed[std::size_t(t)].c_str());
  }
  const std::string_view line = BuildPreview(Sheet().PreviewContext(), Session(), m_tool, &m_copy);
  for (int t = 0; t < kArmTextCount; ++t) m_row.texts[std::size_t(t)](m_copy) = saved[std::size_t(t)];
  m_preview->SetLine(line);
}

bool ArmToolPage::Leave() {
  std::array<std::string, kArmTextCount> values;
  const ListMode modes[2] = {ListMode::kDefine, ListMode::kUndefine};
  for (int t = kArmDefine; t <= kArmUndefine; ++t) {
    const std::string text = FromQ(m_texts[std::size_t(t)]->text());
    // A list the level does not offer (a target's Undefine) is stored as
    // it was given: the user could not mend it here.
    if (KeptAsShown(m_texts[std::size_t(t)])) {
      values[std::size_t(t)] = text;
      continue;
    }
    const ListCheckResult r = CheckOptionList(modes[t], text);
    if (!r.ok) return Refuse(m_texts[std::size_t(t)], r.message);
    values[std::size_t(t)] = ListTextToStore(modes[t], text, r, m_row.texts[std::size_t(t)](m_copy).view());
  }
  // The edits hold no more than their limits let the user type, or a
  // stored text whole: nothing is cut here.
  values[kArmMisc] = std::string(TrimBlanks(FromQ(m_texts[kArmMisc]->text())));
  values[kArmInclude] = std::string(TrimBlanks(FromQ(m_texts[kArmInclude]->text())));
  for (int t = 0; t < kArmTextCount; ++t)
    values[std::size_t(t)] = TextToStore(m_texts[std::size_t(t)], std::move(values[std::size_t(t)]));
  for (int t = 0; t < kArmTextCount; ++t) {
    OptString& stored = m_row.texts[std::size_t(t)](m_copy);
    if (values[std::size_t(t)].empty())
      stored = OptString();
    else if (stored.view() != values[std::size_t(t)])
      stored = OptString::Pooled(values[std::size_t(t)], kPoolProject);
  }
  m_row.writeBack(*Session().EditedBlock(), m_copy);
  return true;
}

void ArmToolPage::Defaults() {
  m_row.defaults(*Session().EditedBlock(), Session().Target(), Session().Level());
  // A group's or file's defaults inherit everything: every switch and list
  // of the page, and its texts go empty.
  if (NodeLevel()) {
    OptionBlock& edited = *Session().EditedBlock();
    uint8_t* flags = m_row.flags(edited);
    for (const ArmToolField& f : m_row.fields)
      SetFirstWord(flags, SetBitField(FirstWord(flags), f.shift, f.width, f.rows.empty() ? kInherit2Bit : 0));
    for (auto text : m_row.texts) text(edited) = OptString();
  }
  Activate();
}

}  // namespace pm2
