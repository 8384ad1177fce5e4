#include "editor/wizard_ui/colours_fonts_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QScreen>

#include "toolkit/controls/window_font_qt.h"
#include "editor/options/sheet_rules.h"
#include "editor/wizard_ui/color_combo.h"
#include "toolkit/controls/qt_bridge.h"

namespace pm2 {

namespace {

// The records that share the editors' font.
constexpr int kFontRecords[] = {kFtRecCFiles, kFtRecDefault, kFtRecAsmPage};

// Families whose name begins with a letter, digit or underscore (vertical
// faces begin with '@'), each once; fixed-pitch ones only when asked.
QStringList FontFamilies(bool fixedPitchOnly) {
  QStringList out;
  for (const QString& f : QFontDatabase::families()) {
    if (f.isEmpty() || !(f[0].isLetterOrNumber() || f[0] == '_')) continue;
    if ((!fixedPitchOnly || QFontDatabase::isFixedPitch(f)) && !out.contains(f)) out << f;
  }
  return out;
}

constexpr uint32_t kWhite = 0xFFFFFF;

}  // namespace

void FontSample::paintEvent(QPaintEvent* e) {
  QFrame::paintEvent(e);
  QPainter p(this);
  const QRect inside = contentsRect();
  p.fillRect(inside, ColourOfRecord(background));
  p.setPen(ColourOfRecord(foreground));
  p.setFont(sampleFont);
  p.drawText(inside, Qt::AlignCenter | Qt::TextSingleLine, "AaBbYyZz");
}

CPgColFnt::CPgColFnt(EditorTypeSettings& records, WindowFonts* fonts, QWidget* parent)
    : QWidget(parent),
      m_records(records),
      m_fonts(fonts),
      m_kinds(new QListWidget(this)),
      m_elements(new QListWidget(this)),
      m_colours(new CColorCmb(this)),
      m_faces(new QComboBox(this)),
      m_sizes(new QComboBox(this)),
      m_bold(new QCheckBox("Bold", this)),
      m_sample(new FontSample(this)),
      m_section(new QPushButton("Section Co&lors...", this)) {
  if (QScreen* s = QGuiApplication::primaryScreen()) m_ppi = int(s->logicalDotsPerInch() + 0.5);
  if (m_ppi <= 0) m_ppi = 96;
  m_kinds->setObjectName("WindowKinds");
  m_elements->setObjectName("Elements");
  for (int i = 0; i < kEditorWindowKindCount; ++i) m_kinds->addItem(kEditorWindowKinds[i].name);
  if (m_fonts)
    for (int i = 0; i < kWindowSettingsKindCount; ++i) m_kinds->addItem(kWindowSettingsKinds[i].name);
  m_kinds->setCurrentRow(-1);
  m_faces->addItems(FontFamilies(true));
  for (int size : kFontSizes) m_sizes->addItem(QString::number(size));
  m_faces->setCurrentIndex(-1);  // nothing shown until an element is chosen
  m_sizes->setCurrentIndex(-1);
  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel("Window:", this), 0, 0);
  grid->addWidget(m_kinds, 1, 0);
  grid->addWidget(new QLabel("Element:", this), 2, 0);
  grid->addWidget(m_elements, 3, 0);
  auto* right = new QGridLayout;
  right->addWidget(new QLabel("Font:", this), 0, 0);
  right->addWidget(m_faces, 0, 1);
  right->addWidget(new QLabel("Size:", this), 1, 0);
  right->addWidget(m_sizes, 1, 1);
  right->addWidget(m_bold, 2, 1);
  right->addWidget(new QLabel("Colour:", this), 3, 0);
  right->addWidget(m_colours, 3, 1);
  right->addWidget(new QLabel("Sample:", this), 4, 0, Qt::AlignTop);
  m_sample->setMinimumSize(180, 60);
  right->addWidget(m_sample, 4, 1);
  m_section->setObjectName("SectionColours");
  m_section->setAutoDefault(false);
  m_section->setEnabled(false);
  right->addWidget(m_section, 5, 1, Qt::AlignLeft);
  right->setRowStretch(6, 1);
  grid->addLayout(right, 0, 1, 4, 1);
  connect(m_kinds, &QListWidget::currentRowChanged, this, &CPgColFnt::KindChosen);
  connect(m_elements, &QListWidget::currentRowChanged, this, &CPgColFnt::ElementChosen);
  connect(m_colours, &QComboBox::activated, this, &CPgColFnt::ColourChosen);
  connect(m_faces, &QComboBox::activated, this, [this] { FontChanged(); });
  connect(m_sizes, &QComboBox::activated, this, [this] { FontChanged(); });
  connect(m_bold, &QCheckBox::toggled, this, [this] { FontChanged(); });
  connect(m_section, &QPushButton::clicked, this, &CPgColFnt::EditSection);
  Activate();
}

EditFileTypeSettings* CPgColFnt::Record() {
  return m_kind >= 0 && m_kind < kEditorWindowKindCount ? &m_records[size_t(kEditorWindowKinds[m_kind].record)]
                                                         : nullptr;
}

const WindowSettingsKind* CPgColFnt::WindowKind() const {
  const int i = m_kind - kEditorWindowKindCount;
  return m_fonts && i >= 0 && i < kWindowSettingsKindCount ? &kWindowSettingsKinds[i] : nullptr;
}

void CPgColFnt::Activate() {
  m_sample->foreground = 0;
  m_sample->background = 0xC0C0C0;
  ShowSample();
}

void CPgColFnt::FillFaces(bool fixedPitchOnly) {
  if (fixedPitchOnly == m_fixedFaces) return;
  m_fixedFaces = fixedPitchOnly;
  m_faces->clear();
  m_faces->addItems(FontFamilies(fixedPitchOnly));
}

void CPgColFnt::SetSectionDialog(std::function<std::string(int kindRow)> sectionOf,
                                 std::function<std::optional<SectionColours>(const std::string& section)> run) {
  m_sectionOf = std::move(sectionOf);
  m_runSection = std::move(run);
  UpdateSectionButton();
}

void CPgColFnt::UpdateSectionButton() {
  m_section->setEnabled(Record() && m_sectionOf && m_runSection && !m_sectionOf(m_kind).empty());
}

void CPgColFnt::EditSection() {
  EditFileTypeSettings* rec = Record();
  if (!rec || !m_sectionOf || !m_runSection) return;
  const std::string section = m_sectionOf(m_kind);
  if (section.empty()) return;
  const std::optional<SectionColours> v = m_runSection(section);
  if (!v) return;
  rec->crKeyword = v->keyword;
  rec->crQuote = v->quote;
  rec->crComment = v->comment;
  rec->crText = v->text;
  rec->crBackground = v->background;
  rec->flags &= ~uint32_t(kFtCaseSensitive | kFtColouring);
  if (v->caseSensitive) rec->flags |= kFtCaseSensitive;
  if (v->colouring) rec->flags |= kFtColouring;
  ElementChosen(m_elements->currentRow());
}

void CPgColFnt::KindChosen(int row) {
  m_kind = row;
  UpdateSectionButton();
  m_elements->clear();
  if (row < 0) return;
  if (const WindowSettingsKind* k = WindowKind()) {
    FillFaces(k->fixedPitch);
    for (int i = 0; i < k->count; ++i) m_elements->addItem(k->elements[i].name);
  } else {
    FillFaces(true);
    for (int i = 0; i < kEditorColourElementCount; ++i) m_elements->addItem(kEditorColourElements[i].name);
  }
  m_elements->setCurrentRow(0);
}

void CPgColFnt::ShowFont(const QString& face, int points, bool bold) {
  m_loading = true;
  m_faces->setCurrentIndex(m_faces->findText(face, Qt::MatchExactly | Qt::MatchCaseSensitive));
  m_sizes->setCurrentIndex(points > 0 ? m_sizes->findText(QString::number(points), Qt::MatchExactly) : -1);
  m_bold->setChecked(bold);
  m_loading = false;
}

void CPgColFnt::ElementChosen(int row) {
  if (const WindowSettingsKind* k = WindowKind()) {
    if (row < 0 || row >= k->count) return;
    const WindowSettingsElement& e = k->elements[row];
    // The kind's first text on its first background, then the element's
    // colour in its place (a line's background behind the text).
    m_sample->background = kWhite;
    m_sample->foreground = 0;
    for (int i = k->count - 1; i >= 0; --i) {
      const WindowSettingsElement& other = k->elements[i];
      if (other.colour) (other.background ? m_sample->background : m_sample->foreground) = *other.colour(*m_fonts);
    }
    if (e.colour) {
      const uint32_t colour = *e.colour(*m_fonts);
      (e.background ? m_sample->background : m_sample->foreground) = colour;
      m_colours->SelectColour(colour);
    } else {
      m_colours->setCurrentIndex(-1);
    }
    // The font in use: the entry's, else the window's own.
    const WindowFont& f = *k->font(*m_fonts);
    const QFont shown = FontOfEntry(f, k->fixedPitch ? WindowFixedFont() : font());
    const int points = f.height ? PointsOfFontHeight(f.height, m_ppi) : shown.pointSize();
    ShowFont(QFontInfo(shown).family(), points, f.weight == 700);  // the face a family alias resolves to
    ShowSample();
    return;
  }
  EditFileTypeSettings* rec = Record();
  if (!rec || row < 0 || row >= kEditorColourElementCount) return;
  const ColourElement& e = kEditorColourElements[row];
  const uint32_t colour = rec->*e.colour;
  m_sample->background = rec->crBackground;
  if (e.background)
    m_sample->background = colour;
  else
    m_sample->foreground = colour;
  m_colours->SelectColour(colour);
  ShowFont(ToQString(rec->fontFace), rec->fontSize, rec->fontWeight == 700);
  ShowSample();
}

void CPgColFnt::ColourChosen(int index) {
  const int row = m_elements->currentRow();
  if (row < 0 || index < 0) return;
  if (const WindowSettingsKind* k = WindowKind()) {
    if (row >= k->count || !k->elements[row].colour) return;
    *k->elements[row].colour(*m_fonts) = CColorCmb::ColourAt(index);
  } else if (EditFileTypeSettings* rec = Record()) {
    rec->*kEditorColourElements[row].colour = CColorCmb::ColourAt(index);
  } else {
    return;
  }
  ElementChosen(row);
}

void CPgColFnt::FontChanged() {
  if (m_loading) return;
  if (const WindowSettingsKind* k = WindowKind()) {
    WindowFont& f = *k->font(*m_fonts);
    if (m_faces->currentIndex() >= 0) f.SetFace(FromQString(m_faces->currentText()));
    if (m_sizes->currentIndex() >= 0) f.height = FontHeightOfPoints(m_sizes->currentText().toInt(), m_ppi);
    f.weight = m_bold->isChecked() ? 700 : 400;
    f.escapement = 0;
    ShowSample();
    return;
  }
  for (int r : kFontRecords) {
    EditFileTypeSettings& rec = m_records[size_t(r)];
    if (m_faces->currentIndex() >= 0) rec.fontFace = FromQString(m_faces->currentText());
    if (m_sizes->currentIndex() >= 0) rec.fontSize = m_sizes->currentText().toInt();
    rec.fontWeight = m_bold->isChecked() ? 700 : 400;
  }
  ShowSample();
}

void CPgColFnt::ShowSample() {
  if (const WindowSettingsKind* k = WindowKind()) {
    m_sample->sampleFont = FontOfEntry(*k->font(*m_fonts), k->fixedPitch ? WindowFixedFont() : font());
  } else {
    const EditFileTypeSettings& rec = m_records[kFtRecCFiles];
    QFont f(ToQString(rec.fontFace));
    f.setPixelSize(std::max(1, -FontHeightOfPoints(rec.fontSize, m_ppi)));
    f.setBold(rec.fontWeight >= 700);
    m_sample->sampleFont = f;
  }
  m_sample->update();
}

}  // namespace pm2
