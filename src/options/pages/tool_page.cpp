#include "options/pages/tool_page.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "options/core/number_entry.h"
#include "options/core/options_session.h"
#include "options/core/tri_state.h"
#include "options/pages/folder_list_dialog.h"
#include "options/pages/options_sheet.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

namespace {

constexpr int kTextLimit = 256;

uint32_t GnuCcWord(const OptionBlock& b) { return FirstWord(b.cGnu.ACCFLG); }
void SetGnuCcWord(OptionBlock& b, uint32_t w) { SetFirstWord(b.cGnu.ACCFLG, w); }

const std::vector<const char*> kGnuOptimize = {"-O (default)", "Level 0 (-O0)", "Level 1 (-O1)", "Level 2 (-O2)",
                                               "Size (-Os)", "Level 3 (-O3)"};
const std::vector<const char*> kGnuWarnings = {"No warnings (-w)", "All warnings (-Wall)", "Pedantic (-pedantic)"};

constexpr int kPlain = -1, kDef = int(ListMode::kDefine), kUndef = int(ListMode::kUndefine);

#define PM2_FIELD(expr) [](OptionBlock& b) -> OptString& { return b.expr; }

const ToolPageRow kToolPages[] = {
    {PageId::kArmGnuCompiler,
     {{"Optimi&zation:", GnuCcWord, SetGnuCcWord, 12, 8, kGnuOptimize},
      {"&Warnings:", GnuCcWord, SetGnuCcWord, 20, 8, kGnuWarnings},
      {"Enable APCS (ARM Procedure Call Standard)", GnuCcWord, SetGnuCcWord, 0, 2, {}},
      {"Generate Stack Check Code", GnuCcWord, SetGnuCcWord, 2, 2, {}},
      {"Support Calls between ARM and THUMB Instruction Set", GnuCcWord, SetGnuCcWord, 6, 2, {}},
      {"Strict ANSI C", GnuCcWord, SetGnuCcWord, 10, 2, {}}},
     {{"&Define:", kDef, false, PM2_FIELD(cGnu.ACDEFN)},
      {"&Undefine:", kUndef, false, PM2_FIELD(cGnu.ACUDEF)},
      {"&Include Paths:", kPlain, true, PM2_FIELD(cGnu.ACINCD)},
      {"&Misc Controls:", kPlain, false, PM2_FIELD(cGnu.ACMISC)}},
     [](OptionBlock& e, const OptionBlock& p) { e.cGnu = p.cGnu; },
     [](OptionBlock& e, const TargetRec* t, int level) { InitCompilerArmGnuOpts(e.cGnu, t, level); }},
    {PageId::kArmGnuAsm, {},
     {{"&Define:", kDef, false, PM2_FIELD(aGnu.AADEFN)},
      {"&Undefine:", kUndef, false, PM2_FIELD(aGnu.AAUDEF)},
      {"&Include Paths:", kPlain, true, PM2_FIELD(aGnu.AAINCD)},
      {"&Misc Controls:", kPlain, false, PM2_FIELD(aGnu.AAMISC)}},
     [](OptionBlock& e, const OptionBlock& p) { e.aGnu = p.aGnu; },
     [](OptionBlock& e, const TargetRec* t, int level) { InitAsmArmGnuOpts(e.aGnu, t, level); }},
    {PageId::kArmGnuLinker, {},
     {{"&Misc Controls:", kPlain, false, PM2_FIELD(lGnu.ALDMISC)}},
     [](OptionBlock& e, const OptionBlock& p) { e.lGnu = p.lGnu; },
     [](OptionBlock& e, const TargetRec*, int) { InitLinkerArmGnuOpts(e.lGnu); }},
    {PageId::kArmGnuOutput, {},
     {{"Output &Folder:", kPlain, false, PM2_FIELD(out.OUTDIR)},
      {"&Name of Executable:", kPlain, false, PM2_FIELD(out.OUTNAME)}},
     [](OptionBlock& e, const OptionBlock& p) { e.out = p.out; },
     [](OptionBlock& e, const TargetRec*, int) { InitOutputOpts(e); }},
    {PageId::kArmAdsCompiler, {},
     {{"&Define:", kDef, false, PM2_FIELD(cAds.ADSCDEFN)},
      {"&Undefine:", kUndef, false, PM2_FIELD(cAds.ADSCUDEF)},
      {"&Include Paths:", kPlain, true, PM2_FIELD(cAds.ADSCINCD)},
      {"&Misc Controls:", kPlain, false, PM2_FIELD(cAds.ADSCMISC)}},
     [](OptionBlock& e, const OptionBlock& p) { e.cAds = p.cAds; },
     [](OptionBlock& e, const TargetRec* t, int level) { InitCompilerArmAdsOpts(e.cAds, t, level); }},
    {PageId::kArmAdsAsm, {},
     {{"&Define:", kDef, false, PM2_FIELD(aAds.ADSADEFN)},
      {"&Undefine:", kUndef, false, PM2_FIELD(aAds.ADSAUDEF)},
      {"&Include Paths:", kPlain, true, PM2_FIELD(aAds.ADSAINCD)},
      {"&Misc Controls:", kPlain, false, PM2_FIELD(aAds.ADSAMISC)}},
     [](OptionBlock& e, const OptionBlock& p) { e.aAds = p.aAds; },
     [](OptionBlock& e, const TargetRec* t, int level) { InitAsmArmAdsOpts(e.aAds, t, level); }},
    {PageId::kArmAdsLinker, {},
     {{"&Misc Controls:", kPlain, false, PM2_FIELD(lAds.ADSLDMC)}},
     [](OptionBlock& e, const OptionBlock& p) { e.lAds = p.lAds; },
     [](OptionBlock& e, const TargetRec*, int) { InitLinkerArmAdsOpts(e.lAds); }},
    {PageId::kArmAdsOutput, {},
     {{"Output &Folder:", kPlain, false, PM2_FIELD(out.OUTDIR)},
      {"&Name of Executable:", kPlain, false, PM2_FIELD(out.OUTNAME)}},
     [](OptionBlock& e, const OptionBlock& p) { e.out = p.out; },
     [](OptionBlock& e, const TargetRec*, int) { InitOutputOpts(e); }},
};

#undef PM2_FIELD

// The target pages' clock edits (MHz), all read by the one clock parser.
struct ClockRow {
  PageId id;
  uint32_t& (*clock)(OptionBlock&);
  void (*writeBack)(OptionBlock& edited, const OptionBlock& page);
};
const ClockRow kClocks[] = {
    {PageId::kArmGnuTarget, [](OptionBlock& b) -> uint32_t& { return b.tGnu.clock; },
     [](OptionBlock& e, const OptionBlock& p) { e.tGnu.clock = p.tGnu.clock; }},
    {PageId::kArmAdsTarget, [](OptionBlock& b) -> uint32_t& { return b.tAds.clock; },
     [](OptionBlock& e, const OptionBlock& p) { e.tAds.clock = p.tAds.clock; }},
};

const ClockRow* FindClock(PageId id) {
  for (const ClockRow& r : kClocks)
    if (r.id == id) return &r;
  return nullptr;
}

QString ToQ(const char* s) { return QString::fromLocal8Bit(s); }
std::string FromQ(const QString& s) { return s.toLocal8Bit().toStdString(); }

}  // namespace

const ToolPageRow* FindToolPageRow(PageId id) {
  for (const ToolPageRow& s : kToolPages)
    if (s.id == id) return &s;
  return nullptr;
}

ToolPage::ToolPage(OptionsSheet& sheet, PageId id, const ToolPageRow* row) : OptionPage(sheet, id), m_row(row) {
  m_tool = PreviewToolOf(id, Session().Toolset());
  auto* layout = new QVBoxLayout(this);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  if (FindClock(id)) {
    m_clock = new QLineEdit(this);
    m_clock->setMaxLength(16);
    form->addRow("&Xtal (MHz):", m_clock);
  }
  if (row) {
    for (std::size_t i = 0; i < row->words.size(); ++i) {
      const ToolWordField& w = row->words[i];
      if (w.rows.empty()) {
        TriBox* box = NewTriBox(ToQ(w.label));
        connect(box, &QCheckBox::stateChanged, this, [this, i] { ReadWord(int(i)); });
        form->addRow(box);
        m_words.push_back(box);
      } else {
        auto* combo = new QComboBox(this);
        connect(combo, &QComboBox::currentIndexChanged, this, [this, i] { ReadWord(int(i)); });
        form->addRow(ToQ(w.label), combo);
        m_words.push_back(combo);
      }
    }
    for (std::size_t i = 0; i < row->texts.size(); ++i) {
      const ToolTextField& t = row->texts[i];
      auto* edit = new QLineEdit(this);
      edit->setMaxLength(kTextLimit);
      // Each change converts only its own edit's text for the preview.
      const std::size_t index = m_texts.size();
      connect(edit, &QLineEdit::textChanged, this, [this, index](const QString& text) {
        const QByteArray bytes = text.toLocal8Bit();
        m_previewTexts[index].assign(bytes.constData(), std::size_t(bytes.size()));
        UpdatePreview();
      });
      m_texts.push_back(edit);
      m_previewTexts.emplace_back();
      m_savedTexts.emplace_back();
      QPushButton* button = nullptr;
      if (t.folders) {
        auto* row = new QHBoxLayout;
        row->addWidget(edit);
        button = new QPushButton("...", this);
        button->setAutoDefault(false);
        button->setFixedWidth(button->fontMetrics().horizontalAdvance("...") + 16);
        row->addWidget(button);
        const QString caption = QString("Setup %1 %2").arg(DefaultPageTitle(id), ToQ(t.label).remove('&'));
        connect(button, &QPushButton::clicked, this, [this, edit, caption] {
          FolderListDialog dialog(caption, FromQ(edit->text()), ";,", this);
          if (dialog.exec() != QDialog::Accepted) return;
          edit->setText(ToQ(dialog.Result().c_str()));
        });
        auto* label = new QLabel(ToQ(t.label), this);
        label->setBuddy(edit);
        form->addRow(label, row);
      } else {
        form->addRow(ToQ(t.label), edit);
      }
      m_folderButtons.push_back(button);
    }
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

OptionBlock* ToolPage::EditedBlock() const { return Session().EditedBlock(); }

void ToolPage::Load() {
  m_copy = *EditedBlock();
  if (const ClockRow* c = FindClock(Id())) m_clock->setText(ToQ(ClockEditText(c->clock(m_copy)).c_str()));
  if (m_row) {
    for (std::size_t i = 0; i < m_row->words.size(); ++i) {
      const ToolWordField& w = m_row->words[i];
      const uint32_t v = GetBitField(w.get(m_copy), w.shift, w.width);
      if (auto* box = qobject_cast<QCheckBox*>(m_words[i])) {
        SetTri(box, v);
      } else if (auto* combo = qobject_cast<QComboBox*>(m_words[i])) {
        combo->clear();
        // 0 is the level above at a group or file, the tool's own default at a target.
        combo->addItem("<default>", 0);
        for (std::size_t r = 0; r < w.rows.size(); ++r) combo->addItem(w.rows[r], int(r + 1));
        combo->setCurrentIndex(combo->findData(int(v)));
      }
    }
    for (std::size_t i = 0; i < m_row->texts.size(); ++i)
      m_texts[i]->setText(ToQ(m_row->texts[i].field(m_copy).c_str()));
  }
}

void ToolPage::ReadWord(int i) {
  if (Loading()) return;
  const ToolWordField& w = m_row->words[std::size_t(i)];
  uint32_t v = 0;
  if (auto* box = qobject_cast<QCheckBox*>(m_words[std::size_t(i)]))
    v = TriOf(box);
  else if (auto* combo = qobject_cast<QComboBox*>(m_words[std::size_t(i)]))
    v = uint32_t(combo->currentData().toInt());
  w.set(m_copy, SetBitField(w.get(m_copy), w.shift, w.width, v));
  UpdatePreview();
}

void ToolPage::UpdatePreview() {
  if (!m_preview || !Active() || Loading()) return;
  // Nothing is copied into a pool per key press.
  // The edits' texts stand in the page's copy while the line is built,
  // then the stored ones come back.
  const std::size_t n = m_texts.size();
  for (std::size_t i = 0; i < n; ++i) {
    OptString& field = m_row->texts[i].field(m_copy);
    m_savedTexts[i] = field;
    field = OptString(m_previewTexts[i].c_str());
  }
  const std::string_view line = BuildPreview(Sheet().PreviewContext(), Session(), m_tool, &m_copy);
  for (std::size_t i = 0; i < n; ++i) m_row->texts[i].field(m_copy) = m_savedTexts[i];
  m_preview->SetText(QString::fromLocal8Bit(line.data(), qsizetype(line.size())));
}

bool ToolPage::Leave() {
  const ClockRow* clock = FindClock(Id());
  uint32_t hz = 0;
  if (clock) {
    // An empty edit keeps the stored clock.
    const std::string text(TrimBlanks(FromQ(m_clock->text())));
    if (text.empty())
      hz = clock->clock(m_copy);
    else if (!ParseClockMHz(text, &hz))
      return Refuse(m_clock, kBadClockMessage);
  }
  if (!m_row) {
    if (clock) {
      clock->clock(m_copy) = hz;
      clock->writeBack(*EditedBlock(), m_copy);
    }
    return true;
  }
  std::vector<std::string> values(m_texts.size());
  for (std::size_t i = 0; i < m_texts.size(); ++i) {
    const ToolTextField& t = m_row->texts[i];
    const std::string text = FromQ(m_texts[i]->text());
    OptString& stored = t.field(m_copy);
    if (t.list >= 0) {
      const ListMode mode = ListMode(t.list);
      const ListCheckResult r = CheckOptionList(mode, text);
      if (!r.ok) return Refuse(m_texts[i], r.message);
      values[i] = ListTextToStore(mode, text, r, stored.view());
    } else {
      values[i] = std::string(TrimBlanks(text));
    }
  }
  for (std::size_t i = 0; i < m_texts.size(); ++i) {
    OptString& stored = m_row->texts[i].field(m_copy);
    if (values[i].empty())
      stored = OptString();
    else if (stored.view() != values[i])
      stored = OptString::Pooled(values[i], kPoolProject);
  }
  if (clock) clock->clock(m_copy) = hz;
  m_row->writeBack(*EditedBlock(), m_copy);
  if (clock) clock->writeBack(*EditedBlock(), m_copy);
  return true;
}

void ToolPage::Defaults() {
  if (!m_row) {
    // The target pages: the target sub-record from the device again.
    if (FindClock(Id())) InitTargetSubRecord(*EditedBlock(), Session().Target(), Session().Toolset());
    Activate();
    return;
  }
  m_row->defaults(*EditedBlock(), Session().Target(), Session().Level());
  // A group's or file's defaults inherit everything: its texts go empty.
  if (NodeLevel())
    for (const ToolTextField& t : m_row->texts) t.field(*EditedBlock()) = OptString();
  Activate();
}

}  // namespace pm2
