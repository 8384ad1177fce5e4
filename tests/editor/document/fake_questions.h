// A recording stand-in for the user: answers questions from a script and
// keeps every text it was shown.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "editor/document/document_services.h"
#include "editor/options/file_type_settings.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"

namespace pm2 {

class FakeQuestions : public DocumentQuestions {
 public:
  Answer AskSaveChanges(const std::string& text) override {
    asked.push_back(text);
    if (saveAnswers.empty()) return kCancel;
    Answer a = saveAnswers.front();
    saveAnswers.pop_front();
    return a;
  }
  bool AskYesNo(const std::string& text) override {
    asked.push_back(text);
    return yesNo;
  }
  void ShowError(const std::string& text) override { errors.push_back(text); }

  std::deque<Answer> saveAnswers;
  bool yesNo = true;
  std::vector<std::string> asked;
  std::vector<std::string> errors;
};

class FakeShell : public DocumentShell {
 public:
  int TargetToolset() const override { return toolset; }
  int FileTypeOfName(const std::string& path) const override {
    for (const auto& [ext, type] : filters)
      if (path.size() >= ext.size() && path.compare(path.size() - ext.size(), ext.size(), ext) == 0)
        return type;
    return 0;
  }
  void KeepViewPosition(const std::string& path, int top, int caret, int column) override {
    kept.push_back(path + ":" + std::to_string(top) + "," + std::to_string(caret) + "," +
                   std::to_string(column));
  }
  void DocumentSaved(const std::string& path, int caretLine) override {
    saved.push_back(path + ":" + std::to_string(caretLine));
  }
  int toolset = 100;
  std::vector<std::pair<std::string, int>> filters;
  std::vector<std::string> kept;
  std::vector<std::string> saved;  // "path:caret line" of every file written
};

// What a test's documents are given: a scratch folder with the settings,
// the file-type records, the application state, the questions and the
// shell of the test.
struct DocumentTestServices {
  DocumentEnvironment Environment() {
    DocumentEnvironment env;
    env.text.pSettings = &m_store;
    env.typeSettings = &m_types;
    env.appState = &m_state;
    env.questions = &m_questions;
    env.shell = &m_shell;
    return env;
  }
  TempDir m_dir;
  SettingsStore m_store{m_dir / "settings"};
  EditorTypeSettings m_types{};
  uint32_t m_state = 0;
  FakeQuestions m_questions;
  FakeShell m_shell;
};

}  // namespace pm2
