#include "options/pages/arm_linker_page.h"

#include <QFormLayout>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "options/core/field_text.h"
#include "options/core/number_entry.h"
#include "options/core/options_session.h"
#include "options/core/tool_command.h"
#include "options/pages/folder_list_dialog.h"
#include "options/pages/options_sheet.h"
#include "options/pages/page_text.h"
#include "project/model/option_defaults.h"
#include "project/text/path_text.h"
#include "project/text/pool.h"

namespace pm2 {

struct ArmLinkerBox {
  const char* text;
  uint8_t bit;
};

// A text of the linker sub-record: an address (checked on leaving) or a
// plain text; folders opens the folder list.
struct ArmLinkerText {
  const char* label;
  int limit;
  bool address;
  bool folders;
  OptString& (*field)(OptionBlock&);
};

struct ArmLinkerRow {
  PageId id;
  PreviewTool tool;
  uint8_t* (*flags)(OptionBlock&);
  std::vector<ArmLinkerBox> boxes;
  std::vector<ArmLinkerText> texts;
  const char* scriptLabel;
  int scriptLimit;
  OptString& (*script)(OptionBlock&);
  bool scriptRefreshes;  // a change of the script or scatter name rebuilds the preview
  bool openButton;       // the script can be opened in the editor
  const char* pickTitle;
  const char* pickFilter;
  uint8_t previewOffBit;  // a flag bit that stops the preview (0: none)
  void (*writeBack)(OptionBlock& edited, const OptionBlock& page);
  void (*defaults)(OptionBlock& page);
};

namespace {

#define PM2_TEXT(expr) [](OptionBlock& b) -> OptString& { return b.expr; }

const ArmLinkerRow kRows[] = {
    {PageId::kArmGnuLinker, PreviewTool::kGnuLd, [](OptionBlock& b) { return b.lGnu.ALDFLAG; },
     {{"Enable &Garbage Collection", 0x02},
      {"Do not use Standard System Startup Files", 0x04},
      {"Do not use Standard System Libraries", 0x08}},
     {{"&Text Start:", 16, true, false, PM2_TEXT(lGnu.ALDTADR)},
      {"&Data Start:", 16, true, false, PM2_TEXT(lGnu.ALDDADR)},
      {"&BSS Start:", 16, true, false, PM2_TEXT(lGnu.ALDBSSR)},
      {"Include &Libraries:", 2048, false, false, PM2_TEXT(lGnu.ALDICLB)},
      {"Include &Paths:", 2048, false, true, PM2_TEXT(lGnu.ALDICDR)},
      {"&Misc Controls:", 2048, false, false, PM2_TEXT(lGnu.ALDMISC)}},
     "Linker &Script File:", 256, PM2_TEXT(lGnu.ALDSCAT), false, true, "Open Linker Script File",
     "Linker Script File (*.*)|*.*||", 0,
     [](OptionBlock& e, const OptionBlock& p) { e.lGnu = p.lGnu; },
     [](OptionBlock& p) { InitLinkerArmGnuOpts(p.lGnu); }},
    {PageId::kArmAdsLinker, PreviewTool::kAdsLink, [](OptionBlock& b) { return b.lAds.ADSLDFG; },
     {{"M&ake RO Sections Position Independent", 0x02},
      {"Ma&ke RW Sections Position Independent", 0x04},
      {"Do&n't Search Standard Libraries", 0x08},
      {"Report 'mi&ght fail' Conditions as Errors", 0x10}},
     {{"&R/O Base:", 16, true, false, PM2_TEXT(lAds.ADSLDTA)},
      {"R/&W Base:", 16, true, false, PM2_TEXT(lAds.ADSLDDA)},
      {"Include &Libraries:", 2048, false, false, PM2_TEXT(lAds.ADSLDIB)},
      {"&Misc Controls:", 2048, false, false, PM2_TEXT(lAds.ADSLDMC)}},
     "&Scatter File:", 300, PM2_TEXT(lAds.ADSLDSC), true, false, "Select Scatter File", "All Files (*.*)|*.*||",
     0x20,
     [](OptionBlock& e, const OptionBlock& p) { e.lAds = p.lAds; },
     [](OptionBlock& p) { InitLinkerArmAdsOpts(p.lAds); }},
};

#undef PM2_TEXT

const ArmLinkerRow& RowOf(PageId id) {
  for (const ArmLinkerRow& r : kRows)
    if (r.id == id) return r;
  return kRows[0];
}

}  // namespace

ArmLinkerPage::ArmLinkerPage(OptionsSheet& sheet, PageId id) : OptionPage(sheet, id), m_row(RowOf(id)) {
  auto* layout = new QVBoxLayout(this);
  auto* grid = new QGridLayout;
  layout->addLayout(grid);
  for (std::size_t i = 0; i < m_row.boxes.size(); ++i) {
    auto* box = new QCheckBox(m_row.boxes[i].text, this);
    const uint8_t bit = m_row.boxes[i].bit;
    connect(box, &QCheckBox::toggled, this, [this, bit](bool on) {
      if (Loading()) return;
      uint8_t* flags = Flags();
      flags[0] = on ? uint8_t(flags[0] | bit) : uint8_t(flags[0] & ~bit);
      UpdatePreview();
    });
    grid->addWidget(box, int(i) / 2, int(i) % 2);
    m_boxes.push_back(box);
  }
  auto* form = new QFormLayout;
  layout->addLayout(form);
  for (const ArmLinkerText& t : m_row.texts) {
    auto* edit = new QLineEdit(this);
    edit->setMaxLength(t.limit);
    connect(edit, &QLineEdit::textChanged, this, [this] { UpdatePreview(); });
    m_edits.push_back(edit);
    if (t.folders) KeepsOneLine(edit, FieldNameOfLabel(t.label));
    else if (!t.address) KeepsText(edit, FieldNameOfLabel(t.label));
    if (t.folders) {
      auto* row = new QHBoxLayout;
      row->addWidget(edit);
      m_include = new QPushButton("...", this);
      m_include->setAutoDefault(false);
      row->addWidget(m_include);
      connect(m_include, &QPushButton::clicked, this, [this, edit] {
        FolderListDialog dialog("Setup Linker Include Paths:", FromQ(edit->text()), kFolderListSeparators, this);
        const int result = Sheet().Services().runDialog ? Sheet().Services().runDialog(dialog) : dialog.exec();
        if (result == QDialog::Accepted) PutText(edit, ToQ(dialog.Result()));
      });
      auto* label = new QLabel(t.label, this);
      label->setBuddy(edit);
      form->addRow(label, row);
    } else {
      form->addRow(t.label, edit);
    }
  }
  m_script = new QLineEdit(this);
  m_script->setMaxLength(m_row.scriptLimit);
  if (m_row.scriptRefreshes) connect(m_script, &QLineEdit::textChanged, this, [this] { UpdatePreview(); });
  auto* scriptRow = new QHBoxLayout;
  scriptRow->addWidget(m_script);
  m_pick = new QPushButton("...", this);
  m_pick->setAutoDefault(false);
  scriptRow->addWidget(m_pick);
  connect(m_pick, &QPushButton::clicked, this, [this] {
    const std::string current(TrimBlanks(FromQ(m_script->text())));
    const std::string folder = Sheet().ProjectFolder();
    const std::string start = current.empty() || !m_row.scriptRefreshes ? folder : folder + current;
    const std::string chosen = Sheet().Services().chooseFile(m_row.pickTitle, m_row.pickFilter, start);
    if (chosen.empty()) return;
    const std::string stored = Sheet().StoredChosenPath(chosen, FieldNameOfLabel(m_row.scriptLabel));
    if (stored.empty()) return;
    if (!PutText(m_script, ToQ(stored))) return;
    m_script->setEnabled(true);
  });
  if (m_row.openButton) {
    m_open = new QPushButton("Edit...", this);
    m_open->setAutoDefault(false);
    scriptRow->addWidget(m_open);
    connect(m_open, &QPushButton::clicked, this, [this] {
      // Relative names are taken against the project folder.
      const std::string name(TrimBlanks(FromQ(m_script->text())));
      if (name.empty() || !Sheet().Services().openFile) return;
      const bool absolute = name.front() == '/' || name.front() == '\\' || (name.size() > 1 && name[1] == ':');
      Sheet().Services().openFile(absolute ? name : Sheet().ProjectFolder() + name);
    });
  }
  KeepsText(m_script, FieldNameOfLabel(m_row.scriptLabel));
  auto* scriptLabel = new QLabel(m_row.scriptLabel, this);
  scriptLabel->setBuddy(m_script);
  form->addRow(scriptLabel, scriptRow);
  layout->addWidget(new QLabel("Linker control string:", this));
  m_preview = new PreviewView(this);
  m_preview->setObjectName("preview");
  layout->addWidget(m_preview, 1);
}

uint8_t* ArmLinkerPage::Flags() { return m_row.flags(m_copy); }

void ArmLinkerPage::Load() {
  m_initialised = false;
  m_copy = *Session().TargetCopy();
  const uint8_t flags = Flags()[0];
  for (std::size_t i = 0; i < m_boxes.size(); ++i) m_boxes[i]->setChecked(flags & m_row.boxes[i].bit);
  for (std::size_t i = 0; i < m_edits.size(); ++i) ShowStoredText(m_edits[i], m_row.texts[i].field(m_copy).str());
  ShowStoredText(m_script, m_row.script(m_copy).str());
}

void ArmLinkerPage::AfterLoad() {
  m_initialised = true;
  UpdatePreview();
}

void ArmLinkerPage::ReadEdits() {
  // Every text field takes a handle of its own; the shared empty text is
  // never written through.
  m_typed.resize(m_edits.size() + 1);
  for (std::size_t i = 0; i < m_edits.size(); ++i) {
    m_typed[i] = FromQ(m_edits[i]->text());
    m_row.texts[i].field(m_copy) = OptString(m_typed[i].c_str());
  }
  m_typed.back() = FromQ(m_script->text());
  m_row.script(m_copy) = OptString(m_typed.back().c_str());
}

void ArmLinkerPage::UpdatePreview() {
  if (!m_initialised || Loading() || !Active()) return;
  if (m_row.previewOffBit && (Flags()[0] & m_row.previewOffBit)) return;
  // The copy's texts are put back after the line is built: the stored
  // handles decide on leaving whether a text changed.
  std::vector<OptString> saved;
  for (const ArmLinkerText& t : m_row.texts) saved.push_back(t.field(m_copy));
  saved.push_back(m_row.script(m_copy));
  ReadEdits();
  const std::string_view line = BuildPreview(Sheet().PreviewContext(), Session(), m_row.tool, &m_copy);
  for (std::size_t i = 0; i < m_row.texts.size(); ++i) m_row.texts[i].field(m_copy) = saved[i];
  m_row.script(m_copy) = saved.back();
  m_preview->SetLine(line);
}

bool ArmLinkerPage::Leave() {
  for (std::size_t i = 0; i < m_edits.size(); ++i) {
    if (!m_row.texts[i].address) continue;
    const std::string text(TrimBlanks(FromQ(m_edits[i]->text())));
    uint32_t v = 0;
    if (!text.empty() && !ReadNumberField(text, 0, 0xFFFFFFFFll, &v)) return Refuse(m_edits[i], "Invalid Address");
  }
  // The edits hold no more than their limits let the user type, or a
  // stored text whole: nothing is cut here, and a text the user did not
  // edit is stored as it was given.
  auto store = [this](OptString& stored, const QLineEdit* edit) {
    const std::string text = TextToStore(edit, std::string(TrimBlanks(FromQ(edit->text()))));
    if (text.empty())
      stored = OptString();
    else if (stored.view() != text)
      stored = OptString::Pooled(text, kPoolProject);
  };
  for (std::size_t i = 0; i < m_edits.size(); ++i) store(m_row.texts[i].field(m_copy), m_edits[i]);
  store(m_row.script(m_copy), m_script);
  m_row.writeBack(*Session().TargetCopy(), m_copy);
  m_initialised = false;
  return true;
}

void ArmLinkerPage::Defaults() {
  // The page's copy is reset; the texts shown go empty with it and reach
  // the working copy when the page is left.
  m_row.defaults(m_copy);
  m_initialised = false;
  const uint8_t flags = Flags()[0];
  {
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
      const QSignalBlocker b(m_boxes[i]);
      m_boxes[i]->setChecked(flags & m_row.boxes[i].bit);
    }
    for (std::size_t i = 0; i < m_edits.size(); ++i) {
      const QSignalBlocker b(m_edits[i]);
      m_edits[i]->setText(ToQ(m_row.texts[i].field(m_copy).str()));
    }
    const QSignalBlocker b(m_script);
    m_script->setText(ToQ(m_row.script(m_copy).str()));
  }
  m_initialised = true;
  UpdatePreview();
}

}  // namespace pm2
