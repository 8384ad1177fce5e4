#include "editor/wizard_ui/editor_options_page.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

#include "editor/options/sheet_rules.h"

namespace pm2 {

namespace {

struct Group {
  int record;
  const char* title;
};
constexpr Group kGroups[] = {{kFtRecCFiles, "C/C++ Files"}, {kFtRecAsmPage, "Assembler Files"}, {kFtRecDefault, "Other Files"}};

}  // namespace

CPgEdOpt::CPgEdOpt(EditorTypeSettings& records, QWidget* parent) : QWidget(parent), m_records(records) {
  auto* layout = new QVBoxLayout(this);
  for (const Group& g : kGroups) {
    auto* box = new QGroupBox(g.title, this);
    auto* form = new QGridLayout(box);
    int row = 0, column = 0;
    for (int i = 0; i < kEditorOptionControlCount; ++i) {
      const EditorOptionControl& c = kEditorOptionControls[i];
      if (c.record != g.record) continue;
      QWidget* w = nullptr;
      if (c.bit == 0) {
        auto* spin = new QSpinBox(box);
        spin->setRange(1, 16);
        connect(spin, &QSpinBox::valueChanged, this, [this, id = c.id](int v) { Store(id, v); });
        auto* tab = new QWidget(box);
        auto* h = new QHBoxLayout(tab);
        h->setContentsMargins(0, 0, 0, 0);
        h->addWidget(spin);
        h->addWidget(new QLabel(c.label, tab));
        h->addStretch(1);
        form->addWidget(tab, 0, 0, 1, 2);
        row = 1;
        w = spin;
      } else {
        auto* check = new QCheckBox(c.label, box);
        connect(check, &QCheckBox::toggled, this, [this, id = c.id](bool on) { Store(id, on ? 1 : 0); });
        form->addWidget(check, row, column);
        if (++column == 2) {
          column = 0;
          ++row;
        }
        w = check;
      }
      w->setObjectName(QString("Control%1").arg(c.id));
      m_controls[c.id] = w;
    }
    layout->addWidget(box);
  }
  layout->addStretch(1);
  Activate();
}

QWidget* CPgEdOpt::Control(int id) const {
  auto it = m_controls.find(id);
  return it == m_controls.end() ? nullptr : it->second;
}

void CPgEdOpt::Activate() {
  m_loading = true;
  for (int i = 0; i < kEditorOptionControlCount; ++i) {
    const EditorOptionControl& c = kEditorOptionControls[i];
    const int v = EditorOptionValue(m_records, c);
    if (auto* spin = qobject_cast<QSpinBox*>(Control(c.id))) spin->setValue(v);
    if (auto* check = qobject_cast<QCheckBox*>(Control(c.id))) check->setChecked(v != 0);
  }
  m_loading = false;
}

void CPgEdOpt::Store(int id, int value) {
  if (m_loading) return;
  for (int i = 0; i < kEditorOptionControlCount; ++i)
    if (kEditorOptionControls[i].id == id) SetEditorOptionValue(m_records, kEditorOptionControls[i], value);
}

}  // namespace pm2
