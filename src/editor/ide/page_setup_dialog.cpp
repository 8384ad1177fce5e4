#include "editor/ide/page_setup_dialog.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QVBoxLayout>

#include "platform/settings_store.h"

namespace pm2 {

namespace {
QString Latin1(const std::string& s) { return QString::fromLatin1(s.data(), qsizetype(s.size())); }
std::string Bytes(const QString& s) {
  QByteArray b = s.toLatin1();
  return std::string(b.constData(), size_t(b.size()));
}

// One group: the template's edit and the two time sources.
QLineEdit* AddGroup(QWidget* owner, QVBoxLayout* layout, const char* title, const std::string& text,
                    int timeSource, QRadioButton** system) {
  auto* box = new QGroupBox(QString::fromLatin1(title), owner);
  auto* v = new QVBoxLayout(box);
  auto* edit = new QLineEdit(Latin1(text), box);
  v->addWidget(edit);
  auto* times = new QHBoxLayout;
  auto* file = new QRadioButton(QStringLiteral("&File time"), box);
  *system = new QRadioButton(QStringLiteral("&System time"), box);
  (timeSource == 1 ? *system : file)->setChecked(true);
  times->addWidget(file);
  times->addWidget(*system);
  times->addStretch();
  v->addLayout(times);
  layout->addWidget(box);
  return edit;
}
}  // namespace

PageSetupDialog::PageSetupDialog(const PageSetup& setup, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Page Setup"));
  auto* layout = new QVBoxLayout(this);
  m_header = AddGroup(this, layout, "Header", setup.header, setup.headerTime, &m_headerSystem);
  m_footer = AddGroup(this, layout, "Footer", setup.footer, setup.footerTime, &m_footerSystem);
  layout->addWidget(new QLabel(QStringLiteral("&f file name, &p page number, %c date and time"), this));
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);
}

PageSetup PageSetupDialog::Result() const {
  PageSetup s;
  s.header = Bytes(m_header->text());
  s.footer = Bytes(m_footer->text());
  s.headerTime = m_headerSystem->isChecked() ? 1 : 0;
  s.footerTime = m_footerSystem->isChecked() ? 1 : 0;
  return s;
}

bool RunPageSetup(SettingsStore& settings, QWidget* parent) {
  PageSetupDialog dialog(LoadPageSetup(settings), parent);
  if (dialog.exec() != QDialog::Accepted) return false;
  SavePageSetup(settings, dialog.Result());
  return true;
}

}  // namespace pm2
