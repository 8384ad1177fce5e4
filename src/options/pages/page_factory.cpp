#include "options/pages/page_factory.h"

#include <QLabel>
#include <QVBoxLayout>

#include "options/core/options_session.h"
#include "options/pages/arm_compiler_page.h"
#include "options/pages/arm_linker_page.h"
#include "options/pages/arm_listing_page.h"
#include "options/pages/arm_output_page.h"
#include "options/pages/arm_target_page.h"
#include "options/pages/debug_page.h"
#include "options/pages/family_target_page.h"
#include "options/pages/family_tool_page.h"
#include "options/pages/flash_page.h"
#include "options/pages/listing_page.h"
#include "options/pages/options_sheet.h"
#include "options/pages/output_page.h"
#include "options/pages/properties_page.h"
#include "project/dialogs/device_selection.h"
#include "project/environment/environment.h"

namespace pm2 {

namespace {

// The device page: choosing a device applies it to the target at once (the
// session undoes it on Cancel) and the toolset's pages follow behind it.
// While the page is current the target's block is the working copy, so the
// device's values land beside the other pages' edits.
class DevicePage : public OptionPage {
 public:
  explicit DevicePage(OptionsSheet& sheet) : OptionPage(sheet, PageId::kDevice), m_session(Session()) {
    auto* layout = new QVBoxLayout(this);
    const EnvironmentInfo* env = sheet.Services().environment;
    std::vector<TitledPath> databases = sheet.Services().databases;
    if (databases.empty() && env) databases = env->deviceDatabases;
    m_selector = new DeviceSelector(databases, env ? env->armSelect : 0, Session().Target(),
                                    DeviceSelector::kOptionsPage, this);
    layout->addWidget(m_selector);
    connect(m_selector, &DeviceSelector::deviceApplied, this, [this] { Sheet().ResetPages(); });
  }
  // The sheet is half gone when its pages go: the session is asked directly.
  ~DevicePage() override { m_session.LendTargetCopy(false); }
  bool Leave() override {
    Session().LendTargetCopy(false);
    return true;
  }
  void Defaults() override {}
  bool HasDefaults() const override { return false; }

 protected:
  void Load() override { Session().LendTargetCopy(true); }

 private:
  OptionsSession& m_session;
  DeviceSelector* m_selector = nullptr;
};

// Shown when a file's target has no toolset.
class EmptyPage : public OptionPage {
 public:
  explicit EmptyPage(OptionsSheet& sheet) : OptionPage(sheet, PageId::kEmpty) {}
  bool Leave() override { return true; }
  void Defaults() override {}
  bool HasDefaults() const override { return false; }

 protected:
  void Load() override {}
};

using Maker = OptionPage* (*)(OptionsSheet&);
template <PageId id>
OptionPage* FamilyPage(OptionsSheet& s) {
  return new FamilyToolPage(s, *FindFamilyPageRow(id));
}
struct PageRow {
  PageId id;
  Maker make;
};
const PageRow kPages[] = {
    {PageId::kEmpty, [](OptionsSheet& s) -> OptionPage* { return new EmptyPage(s); }},
    {PageId::kDevice, [](OptionsSheet& s) -> OptionPage* { return new DevicePage(s); }},
    {PageId::kProperties, [](OptionsSheet& s) -> OptionPage* { return new PropertiesPage(s); }},
    {PageId::kOutput, [](OptionsSheet& s) -> OptionPage* { return new OutputPage(s); }},
    {PageId::kListing, [](OptionsSheet& s) -> OptionPage* { return new ListingPage(s); }},
    {PageId::kDebug, [](OptionsSheet& s) -> OptionPage* { return new DebugPage(s); }},
    {PageId::kFlash, [](OptionsSheet& s) -> OptionPage* { return new FlashPage(s); }},
    {PageId::kArmGnuTarget, [](OptionsSheet& s) -> OptionPage* { return new ArmTargetPage(s, PageId::kArmGnuTarget); }},
    {PageId::kArmAdsTarget, [](OptionsSheet& s) -> OptionPage* { return new ArmTargetPage(s, PageId::kArmAdsTarget); }},
    {PageId::kArmGnuOutput, [](OptionsSheet& s) -> OptionPage* { return new ArmOutputPage(s, PageId::kArmGnuOutput); }},
    {PageId::kArmAdsOutput, [](OptionsSheet& s) -> OptionPage* { return new ArmOutputPage(s, PageId::kArmAdsOutput); }},
    {PageId::kArmGnuListing, [](OptionsSheet& s) -> OptionPage* { return new ArmListingPage(s, PageId::kArmGnuListing); }},
    {PageId::kArmAdsListing, [](OptionsSheet& s) -> OptionPage* { return new ArmListingPage(s, PageId::kArmAdsListing); }},
    {PageId::kArmGnuCompiler, [](OptionsSheet& s) -> OptionPage* { return new ArmToolPage(s, PageId::kArmGnuCompiler); }},
    {PageId::kArmAdsCompiler, [](OptionsSheet& s) -> OptionPage* { return new ArmToolPage(s, PageId::kArmAdsCompiler); }},
    {PageId::kArmGnuAsm, [](OptionsSheet& s) -> OptionPage* { return new ArmToolPage(s, PageId::kArmGnuAsm); }},
    {PageId::kArmAdsAsm, [](OptionsSheet& s) -> OptionPage* { return new ArmToolPage(s, PageId::kArmAdsAsm); }},
    {PageId::kArmGnuLinker, [](OptionsSheet& s) -> OptionPage* { return new ArmLinkerPage(s, PageId::kArmGnuLinker); }},
    {PageId::kArmAdsLinker, [](OptionsSheet& s) -> OptionPage* { return new ArmLinkerPage(s, PageId::kArmAdsLinker); }},
    {PageId::kTarget51, [](OptionsSheet& s) -> OptionPage* { return new Target51Page(s); }},
    {PageId::kTarget251, [](OptionsSheet& s) -> OptionPage* { return new Target251Page(s); }},
    {PageId::kTarget166, [](OptionsSheet& s) -> OptionPage* { return new Target166Page(s); }},
    {PageId::kCompiler51, FamilyPage<PageId::kCompiler51>},
    {PageId::kCompiler251, FamilyPage<PageId::kCompiler251>},
    {PageId::kCompiler166, FamilyPage<PageId::kCompiler166>},
    {PageId::kCompilerYq166, FamilyPage<PageId::kCompilerYq166>},
    {PageId::kAsm51, FamilyPage<PageId::kAsm51>},
    {PageId::kAsm251, FamilyPage<PageId::kAsm251>},
    {PageId::kAsm166, FamilyPage<PageId::kAsm166>},
    {PageId::kLocate51, FamilyPage<PageId::kLocate51>},
    {PageId::kLocate251, FamilyPage<PageId::kLocate251>},
    {PageId::kLocate166, FamilyPage<PageId::kLocate166>},
    {PageId::kMisc51, FamilyPage<PageId::kMisc51>},
    {PageId::kMisc251, FamilyPage<PageId::kMisc251>},
    {PageId::kMisc166, FamilyPage<PageId::kMisc166>},
};

}  // namespace

OptionPage* MakeOptionPage(OptionsSheet& sheet, PageId id) {
  for (const PageRow& r : kPages)
    if (r.id == id) return r.make(sheet);
  return new EmptyPage(sheet);
}

}  // namespace pm2
