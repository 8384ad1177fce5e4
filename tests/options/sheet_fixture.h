// The options sheet's page tests start from here: a fresh project with one
// group and a C file, the sheet opened on a node with fake services that
// record refusals, questions and opened files, and a page made current
// as a click on its tab would.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "options/core/options_session.h"
#include "options/pages/options_sheet.h"
#include "project/files/project_file.h"
#include "project/environment/environment.h"
#include "project/model/option_defaults.h"
#include "project/text/pool.h"
#include "toolkit/qt_test_app.h"

namespace pm2::test {

class SheetFixture : public ::testing::Test {
 protected:
  explicit SheetFixture(const char* projectPath) : m_projectPath(projectPath) {}
  void SetUp() override {
    test::App();
    ResetAppState();
    PoolFreeAll();
    m_project = NewProject(nullptr, m_projectPath);
    theApp().m_pProject = m_project;
    m_target = m_project->curTarget;
    m_group = m_project->firstGroup;
    m_file = AddFileToGroup(m_group, "main.c", ".\\", kFileC);
  }
  void TearDown() override {
    m_sheet.reset();
    m_session.reset();
    ResetAppState();
    PoolFreeAll();
  }
  // The project as a save writes it, read into a new project (the one
  // before it closed first, as an open does); the fixture's records point
  // into the new one.
  void SaveAndReopen() {
    const std::string projectText = BuildProjectFileText(*m_project);
    const std::string optionsText = BuildOptionsFileText(*m_project);
    const std::string_view options(optionsText);
    m_sheet.reset();
    m_session.reset();
    theApp().m_pProject = nullptr;
    ProjectFileIo io;
    ASSERT_EQ(ReadProjectText(io, m_projectPath, projectText, &options), 0) << io.message;
    m_project = io.project;
    theApp().m_pProject = m_project;
    m_target = m_project->curTarget;
    m_group = m_project->firstGroup;
    m_file = m_group ? m_group->firstFile : nullptr;
  }
  void UseToolset(uint16_t toolset, uint32_t x51 = 0) {
    m_target->toolset = toolset;
    ResetTargetOptions(m_target, kToolsetUndefined);
    m_target->pOpts->t51.T51FL |= x51;
  }
  OptionsSheet& Open(NodeRec* node) {
    m_sheet.reset();
    m_session = std::make_unique<OptionsSession>();
    std::string error;
    EXPECT_TRUE(m_session->Begin(m_project, node, &error)) << error;
    SheetServices services;
    services.environment = &m_env;
    services.drivers = m_drivers;
    services.refuse = [this](const std::string& text) {
      m_refusals.push_back(text);
      // The page in sight behind the message.
      m_refusalPages.push_back(m_sheet && m_sheet->Tabs() ? m_sheet->Tabs()->currentWidget() : nullptr);
    };
    services.notice = [this](QWidget* field, const std::string& text) {
      m_notices.push_back(text);
      m_noticeFields.push_back(field);
    };
    services.message = [this](const std::string& title, const std::string& text) {
      m_messages.push_back(title + "|" + text);
    };
    services.chooseFile = [this](const std::string& title, const std::string& filter, const std::string& folder) {
      m_asked.push_back(title + "|" + filter + "|" + folder);
      return m_chosen;
    };
    services.chooseNewFile = [this](const std::string&, const std::string&, const std::string&) { return m_chosen; };
    services.chooseFolder = [this](const std::string&, const std::string&) { return m_chosen; };
    services.openFile = [this](const std::string& path) { m_opened.push_back(path); };
    if (m_runDialog) services.runDialog = m_runDialog;
    services.cTabWidth = m_cTabWidth;
    m_sheet = std::make_unique<OptionsSheet>(*m_session, services, "Options");
    m_sheet->show();
    return *m_sheet;
  }
  template <class P>
  P* Go(PageId id) {
    OptionPage* p = m_sheet->FindPage(id);
    EXPECT_NE(p, nullptr);
    for (int i = 0; i < m_sheet->PageCount(); ++i)
      if (m_sheet->Page(i) == p) m_sheet->Tabs()->setCurrentIndex(i);
    return dynamic_cast<P*>(p);
  }

  const char* m_projectPath;
  ProjectRec* m_project = nullptr;
  TargetRec* m_target = nullptr;
  GroupRec* m_group = nullptr;
  FileRec* m_file = nullptr;
  EnvironmentInfo m_env;
  DriverCaps* m_drivers = nullptr;     // the driver libraries' calls, if any
  int m_cTabWidth = 4;                 // the editor's tab size of C files
  std::vector<std::string> m_refusals;
  std::vector<QWidget*> m_refusalPages;  // the current page at each refusal
  std::vector<std::string> m_notices;    // what the fields said at a refused key or paste
  std::vector<QWidget*> m_noticeFields;  // the field of each notice
  std::vector<std::string> m_messages;   // "title|text" of each titled message
  std::vector<std::string> m_asked;    // "title|filter|folder" of each file question
  std::string m_chosen;                // what the file and folder questions answer
  std::vector<std::string> m_opened;   // files opened in the editor
  std::function<int(QDialog&)> m_runDialog;  // drives the dialogs a page opens, if set
  std::unique_ptr<OptionsSession> m_session;
  std::unique_ptr<OptionsSheet> m_sheet;
};

}  // namespace pm2::test
