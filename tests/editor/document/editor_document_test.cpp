// The editor document: the section a file gets, open and save with
// backups, the questions before closing and reloading, files changed on
// disk, and the list of open documents.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/time.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>
#include <fstream>
#include <sstream>

#include "editor/document/document_list.h"
#include "editor/document/editor_document.h"
#include "editor/document/editor_section.h"
#include "fake_questions.h"
#include "platform/atomic_file.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

TEST(EditorSectionTest, SectionOfAFile) {
  struct Row {
    const char* name;
    const char* path;
    int filtered, toolset;
    const char* section;
    int type;
  };
  const Row rows[] = {
      {"w51 classed assembler in 166", "/p/boot.w51", 2, 2, "Editor\\W166", 2},
      {"w51 unclassed", "/p/boot.W51", 0, 2, "Editor\\W51", 2},
      {"cpp in 51", "/p/a.cpp", 0, 0, "Editor\\QP166", 8},
      {"cpp by type in ARM", "/p/a.cc", 8, 3, "Editor\\QP166", 8},
      {"c in ARM", "/p/main.c", 1, 3, "Editor\\CArmC", 1},
      {"c in 51", "/p/main.c", 1, 0, "Editor\\Q51", 1},
      {"c without project", "/p/main.c", 0, 100, "Editor\\Default Files", 1},
      {"header in 251", "/p/reg.H", 0, 1, "Editor\\Q251", 1},
      {"assembler in ADS", "/p/start.s", 2, 4, "Editor\\CArmA", 2},
      {"no extension", "/p/Makefile", 0, 0, "Editor\\Default Files", 0},
      {"dot in folder only", "/p.d/README", 0, 0, "Editor\\Default Files", 0},
      {"q66 unclassed", "/p/x.q66", 0, 0, "Editor\\Q166", 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    EditorSectionChoice c = SelectEditorSection(r.path, r.filtered, r.toolset);
    EXPECT_EQ(r.section, c.section);
    EXPECT_EQ(r.type, c.fileType);
    EXPECT_STREQ(r.section, FileTypeSectionName(c.record));
  }
}

std::string ReadFile(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::stringstream s;
  s << f.rdbuf();
  return s.str();
}

void SetFileTime(const std::string& path, long seconds) {
  struct timeval tv[2] = {{seconds, 0}, {seconds, 0}};
  ::utimes(path.c_str(), tv);
}

class DocumentTest : public ::testing::Test, protected DocumentTestServices {
 protected:
  void SetUp() override {
    m_path = m_dir / "main.c";
    std::ofstream(m_path, std::ios::binary) << "int a;\r\nint b;\r\n";
    SetFileTime(m_path, 1000000);
    m_shell.toolset = 0;
    m_shell.filters = {{".c", 1}};
  }
  std::unique_ptr<EditorDocument> Open() {
    auto doc = std::make_unique<EditorDocument>(Environment());
    EXPECT_TRUE(doc->OnOpenDocument(m_path));
    return doc;
  }
  void Type(EditorDocument& doc, const char* text) {
    doc.Text().InsertString({doc.Text().FirstLine(), 0}, text, true, true);
    doc.Text().SetModified(1);
  }

  std::string m_path;
};

TEST_F(DocumentTest, OpenTakesTheSectionTimeAndName) {
  auto doc = Open();
  EXPECT_EQ("Editor\\Q51", doc->Section());
  EXPECT_EQ("Editor\\Q51", doc->Text().GetProfileSection());
  EXPECT_EQ(1, doc->FileType());
  EXPECT_EQ(1000000, doc->ModificationTime());
  EXPECT_EQ("main.c", doc->Title());
  EXPECT_EQ("int a;\r\nint b;\r\n", doc->Text().GetText());
}

TEST_F(DocumentTest, OpenOfAMissingFileFailsWithItsMessage) {
  m_path = m_dir / "gone.c";
  DocumentEnvironment env;
  env.questions = &m_questions;
  EditorDocument doc(env);
  EXPECT_FALSE(doc.OnOpenDocument(m_path));
  ASSERT_EQ(1u, m_questions.errors.size());
  EXPECT_EQ("Invalid Ascii text file -\n\n'" + m_path + "'", m_questions.errors[0]);
}

// A name where no plain file stands is refused with what stands there and
// the text is left empty: a named pipe without a writer would hold the
// window until one came, and a device that never ends would fill memory.
TEST_F(DocumentTest, OpenOfANameThatIsNoPlainFileSaysWhatStandsThere) {
  struct Row {
    const char* name;
    std::string path;
    const char* kind;
  };
  const std::string fifo = m_dir / "pipe.c";
  ASSERT_EQ(0, ::mkfifo(fifo.c_str(), 0600));
  const std::string folder = m_dir / "folder.c";
  ASSERT_EQ(0, ::mkdir(folder.c_str(), 0700));
  const Row rows[] = {
      {"named pipe without a writer", fifo, "a named pipe (FIFO)"},
      {"folder", folder, "a folder"},
      {"device without an end", "/dev/zero", "a character device"},
  };
  for (const Row& r : rows) {
    DocumentEnvironment env;
    FakeQuestions questions;
    env.questions = &questions;
    EditorDocument doc(env);
    EXPECT_FALSE(doc.OnOpenDocument(r.path)) << r.name;
    ASSERT_EQ(1u, questions.errors.size()) << r.name;
    EXPECT_EQ("Invalid Ascii text file -\n\n'" + r.path + "'\n\n'" + r.path + "' is " + r.kind + ", not a text file.",
              questions.errors[0])
        << r.name;
    EXPECT_EQ("", doc.Text().GetText()) << r.name;
  }
}

TEST_F(DocumentTest, SaveKeepsABackupOnlyWhenTheCFilesSettingsAskForIt) {
  struct Row {
    const char* name;
    bool backups;
  };
  for (Row r : {Row{"without", false}, Row{"with", true}}) {
    SCOPED_TRACE(r.name);
    std::remove((m_dir / "main_c.Bak").c_str());
    std::ofstream(m_path, std::ios::binary) << "old\r\n";
    m_types[kFtRecCFiles].flags = r.backups ? 4 | kFtBackupFiles : 4;
    auto doc = Open();
    Type(*doc, "new ");
    ASSERT_TRUE(doc->OnSaveDocument(m_path));
    EXPECT_EQ("new old\r\n", ReadFile(m_path));
    EXPECT_FALSE(doc->IsModified());
    struct stat st {};
    EXPECT_EQ(r.backups, ::stat((m_dir / "main_c.Bak").c_str(), &st) == 0);
    if (r.backups) { EXPECT_EQ("old\r\n", ReadFile(m_dir / "main_c.Bak")); }
    EXPECT_TRUE(m_questions.errors.empty());
  }
}

// The real disk, except that no second name can be given to a file and no
// file can be moved to the backup name.
class NoBackupDisk : public Disk {
 public:
  int CreateNew(const std::string& p, unsigned m, int* h) override { return RealDisk().CreateNew(p, m, h); }
  int Write(int h, const char* d, size_t n) override { return RealDisk().Write(h, d, n); }
  int Sync(int h) override { return RealDisk().Sync(h); }
  int Close(int h) override { return RealDisk().Close(h); }
  int Rename(const std::string& from, const std::string& to) override {
    if (to.size() > 4 && to.compare(to.size() - 4, 4, ".Bak") == 0) return EACCES;
    return RealDisk().Rename(from, to);
  }
  int Link(const std::string&, const std::string&) override { return EACCES; }
  int Remove(const std::string& p) override { return RealDisk().Remove(p); }
  int SyncFolder(const std::string& f) override { return RealDisk().SyncFolder(f); }
  int Stat(const std::string& p, bool* e, unsigned* m) override { return RealDisk().Stat(p, e, m); }
  int ReadAll(const std::string& p, std::string* out) override { return RealDisk().ReadAll(p, out); }
};

TEST_F(DocumentTest, ABackupThatCannotBeMadeIsToldAndTheSaveGoesOn) {
  NoBackupDisk disk;
  m_types[kFtRecCFiles].flags = 4 | kFtBackupFiles;
  DocumentEnvironment env;
  env.text.pDisk = &disk;
  env.typeSettings = &m_types;
  env.questions = &m_questions;
  EditorDocument doc(env);
  ASSERT_TRUE(doc.OnOpenDocument(m_path));
  Type(doc, "new ");
  EXPECT_TRUE(doc.OnSaveDocument(m_path));
  EXPECT_EQ("new int a;\r\nint b;\r\n", ReadFile(m_path));
  ASSERT_EQ(1u, m_questions.errors.size());
  EXPECT_EQ("Could not create file -\n\n'" + m_dir / "main_c.Bak" + "'", m_questions.errors[0]);
}

TEST_F(DocumentTest, AReadOnlyFileIsNotBackedUpAndTheWriteFails) {
  m_types[kFtRecCFiles].flags = 4 | kFtBackupFiles;
  auto doc = Open();
  ::chmod(m_path.c_str(), 0444);
  Type(*doc, "x");
  EXPECT_FALSE(doc->OnSaveDocument(m_path));
  ASSERT_EQ(1u, m_questions.errors.size());
  EXPECT_EQ("Could not write file -\n\n'" + m_path + "'\n\nThe file is read-only.", m_questions.errors[0]);
  EXPECT_TRUE(doc->LastSaveFailed());
  EXPECT_TRUE(doc->IsModified());
  struct stat st {};
  EXPECT_NE(0, ::stat((m_dir / "main_c.Bak").c_str(), &st));
  EXPECT_EQ("int a;\r\nint b;\r\n", ReadFile(m_path));
}

TEST_F(DocumentTest, SaveModifiedAnswers) {
  struct Row {
    const char* name;
    bool modified;
    uint32_t state;
    DocumentQuestions::Answer answer;
    bool result, asked, saved;
  };
  const Row rows[] = {
      {"unmodified", false, 0, DocumentQuestions::kCancel, true, false, false},
      {"yes saves", true, 0, DocumentQuestions::kYes, true, true, true},
      {"no discards", true, 0, DocumentQuestions::kNo, true, true, false},
      {"cancel keeps open", true, 0, DocumentQuestions::kCancel, false, true, false},
      {"save without asking", true, kAppSaveWithoutAsking, DocumentQuestions::kCancel, true, false, true},
      {"layout switch keeps open", true, kAppLayoutSwitch, DocumentQuestions::kYes, false, false, false},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::ofstream(m_path, std::ios::binary) << "int a;\r\n";
    m_questions.asked.clear();
    m_questions.saveAnswers = {r.answer};
    m_state = r.state;
    auto doc = Open();
    if (r.modified) Type(*doc, "x");
    EXPECT_EQ(r.result, doc->SaveModified());
    EXPECT_EQ(r.asked, !m_questions.asked.empty());
    if (r.asked) { EXPECT_EQ("Save changes to 'main.c' ?", m_questions.asked[0]); }
    EXPECT_EQ(r.saved ? "xint a;\r\n" : "int a;\r\n", ReadFile(m_path));
  }
}

TEST_F(DocumentTest, ReloadHonoursCancelAndKeepsTheEdits) {
  auto doc = Open();
  Type(*doc, "edit ");
  m_questions.saveAnswers = {DocumentQuestions::kCancel};
  EXPECT_FALSE(doc->ReloadFile(m_path));
  EXPECT_EQ("edit int a;\r\nint b;\r\n", doc->Text().GetText());
  EXPECT_TRUE(doc->IsModified());
  EXPECT_FALSE(doc->reloaded);

  m_questions.saveAnswers = {DocumentQuestions::kNo};
  EXPECT_TRUE(doc->ReloadFile(m_path));
  EXPECT_EQ("int a;\r\nint b;\r\n", doc->Text().GetText());
  EXPECT_FALSE(doc->IsModified());
  EXPECT_TRUE(doc->reloaded);
}

TEST_F(DocumentTest, AFileChangedOnDiskIsReloadedAfterTheQuestion) {
  struct Row {
    const char* name;
    bool modified;
    uint32_t state;
    bool yes;
    int result;
    const char* question;  // null: none asked
  };
  const Row rows[] = {
      {"declined", false, 0, false, 0, "File has been changed outside the editor, reload ?"},
      {"accepted", false, 0, true, 1, "File has been changed outside the editor, reload ?"},
      {"modified text", true, 0, true, 1,
       "File has been changed outside the editor, cancel changes and reload ?"},
      {"reload without asking", true, kAppReloadWithoutAsking, false, 1, nullptr},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::ofstream(m_path, std::ios::binary) << "one\r\n";
    SetFileTime(m_path, 1000000);
    m_state = r.state;
    m_questions.asked.clear();
    m_questions.yesNo = r.yes;
    auto doc = Open();
    if (r.modified) Type(*doc, "x");
    EXPECT_EQ(0, doc->CheckModifiedOnDisk()) << "unchanged file";
    std::ofstream(m_path, std::ios::binary) << "two\r\n";
    SetFileTime(m_path, 2000000);
    EXPECT_EQ(r.result, doc->CheckModifiedOnDisk());
    if (r.question) {
      ASSERT_EQ(1u, m_questions.asked.size());
      EXPECT_EQ(m_path + "\n\n" + r.question, m_questions.asked[0]);
    } else {
      EXPECT_TRUE(m_questions.asked.empty());
    }
    EXPECT_EQ(r.result ? "two\r\n" : (r.modified ? "xone\r\n" : "one\r\n"), doc->Text().GetText());
    // Accepted, the new time is kept; declined, the question comes again.
    EXPECT_EQ(0, doc->CheckModifiedOnDisk());
    if (!r.result) { EXPECT_EQ(2u, m_questions.asked.size()); }
  }
}

// A file whose time moved but whose bytes did not is not offered: the new
// time is taken, so the question does not come later either. Either check
// (the asking one and the quiet one) goes by the bytes.
TEST_F(DocumentTest, OnlyChangedBytesCountAsAChangeOnDisk) {
  struct Row {
    const char* name;
    const char* onDisk;  // written before the time moves
    bool quiet;          // ReloadIfChanged instead of CheckModifiedOnDisk
    int result;
  };
  const Row rows[] = {
      {"touched", "int a;\r\nint b;\r\n", false, 0},
      {"touched, quiet check", "int a;\r\nint b;\r\n", true, 0},
      {"same size, other bytes", "int a;\r\nint c;\r\n", false, 1},
      {"same size, other bytes, quiet", "int a;\r\nint c;\r\n", true, 1},
      {"longer", "int a;\r\nint b;\r\nint c;\r\n", false, 1},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    std::ofstream(m_path, std::ios::binary) << "int a;\r\nint b;\r\n";
    SetFileTime(m_path, 1000000);
    m_questions.asked.clear();
    m_questions.yesNo = true;
    auto doc = Open();
    std::ofstream(m_path, std::ios::binary) << r.onDisk;
    SetFileTime(m_path, 2000000);
    int got = r.quiet ? (doc->ReloadIfChanged() ? 1 : 0) : doc->CheckModifiedOnDisk();
    EXPECT_EQ(r.result, got);
    EXPECT_EQ(r.quiet || !r.result ? 0u : 1u, m_questions.asked.size());
    EXPECT_EQ(2000000, doc->ModificationTime()) << "the new time is kept";
    EXPECT_EQ(r.onDisk, doc->Text().GetText());
    EXPECT_EQ(0, doc->CheckModifiedOnDisk());
  }
}

// A view that records what the document tells it.
class RecordingView : public DocumentView {
 public:
  void OnDocumentHint(uint32_t hint) override { hints.push_back(hint); }
  void InitialUpdate() override { ++updates; }
  bool GetViewPosition(int* top, int* caret, int* column) const override {
    *top = 5, *caret = 7, *column = 3;
    return true;
  }
  void Renamed() override { renamedTo.push_back(names ? names->Path() : std::string()); }
  std::vector<uint32_t> hints;
  int updates = 0;
  const EditorDocument* names = nullptr;  // the document whose path a rename notes
  std::vector<std::string> renamedTo;
};

TEST_F(DocumentTest, ViewsHearOfSavesReloadsAndClosing) {
  auto doc = Open();
  RecordingView view;
  doc->AddView(&view);
  Type(*doc, "x");
  ASSERT_TRUE(doc->OnSaveDocument(m_path));
  std::ofstream(m_path, std::ios::binary) << "changed\r\n";
  SetFileTime(m_path, 3000000);
  m_state = kAppReloadWithoutAsking;
  ASSERT_EQ(1, doc->CheckModifiedOnDisk());
  Type(*doc, "y");
  m_questions.saveAnswers = {DocumentQuestions::kNo};
  EXPECT_TRUE(doc->SaveModified());
  std::vector<uint32_t> expected = {kHintBeforeSave, kHintRememberPosition, kHintBeforeCloseQuestion};
  EXPECT_EQ(expected, view.hints);
  EXPECT_EQ(1, view.updates);
  ASSERT_FALSE(m_shell.kept.empty());
  EXPECT_EQ(m_path + ":5,7,3", m_shell.kept.back());
  doc->RemoveView(&view);
}

// The views settle their breakpoints on the saved lines only when the file
// was written: a failed write leaves them as the file on disk has them.
TEST_F(DocumentTest, AFailedWriteTellsTheViewsNoSave) {
  auto doc = Open();
  RecordingView view;
  doc->AddView(&view);
  ::chmod(m_path.c_str(), 0444);
  Type(*doc, "x");
  ASSERT_FALSE(doc->OnSaveDocument(m_path));
  EXPECT_EQ(std::count(view.hints.begin(), view.hints.end(), uint32_t(kHintBeforeSave)), 0);
  ::chmod(m_path.c_str(), 0644);
  ASSERT_TRUE(doc->OnSaveDocument(m_path));
  EXPECT_EQ(std::count(view.hints.begin(), view.hints.end(), uint32_t(kHintBeforeSave)), 1);
  doc->RemoveView(&view);
}

// A save under another name (Save As) leaves the file the text was read
// from as it is on disk: the views settle no breakpoints on the lines
// written elsewhere, and are told of the new name once it is the
// document's; a save under the same name settles and renames nothing.
TEST_F(DocumentTest, ASaveUnderAnotherNameRenamesTheViewsAndSettlesNothing) {
  auto doc = Open();
  RecordingView view;
  view.names = doc.get();
  doc->AddView(&view);
  Type(*doc, "x");
  const std::string other = m_dir / "other.c";
  ASSERT_TRUE(doc->OnSaveDocument(other));
  EXPECT_EQ(std::count(view.hints.begin(), view.hints.end(), uint32_t(kHintBeforeSave)), 0);
  EXPECT_EQ(view.renamedTo, std::vector<std::string>{other});
  Type(*doc, "y");
  ASSERT_TRUE(doc->OnSaveDocument(other));
  EXPECT_EQ(std::count(view.hints.begin(), view.hints.end(), uint32_t(kHintBeforeSave)), 1);
  EXPECT_EQ(view.renamedTo.size(), 1u);
  doc->RemoveView(&view);
}

// The shell hears of every file written, with the caret line of the first
// view, whichever road the save took; a save that fails tells nothing.
TEST_F(DocumentTest, TheShellHearsOfEachWrittenFile) {
  struct Row {
    const char* name;
    bool withView;
    bool readOnly;
    uint32_t state;  // kAppSaveWithoutAsking: the save comes from SaveModified
    std::vector<std::string> expected;  // relative to m_path
  };
  const Row rows[] = {
      {"save with a view", true, false, 0, {":7"}},
      {"save without a view", false, false, 0, {":1"}},
      {"save of the project's save", true, false, kAppSaveWithoutAsking, {":7"}},
      {"failed write", true, true, 0, {}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    ::chmod(m_path.c_str(), 0644);
    m_shell.saved.clear();
    m_state = r.state;
    auto doc = Open();
    RecordingView view;
    if (r.withView) doc->AddView(&view);
    if (r.readOnly) ::chmod(m_path.c_str(), 0444);
    Type(*doc, "x");
    if (r.state & kAppSaveWithoutAsking)
      doc->SaveModified();
    else
      doc->OnSaveDocument(m_path);
    std::vector<std::string> expected;
    for (const std::string& e : r.expected) expected.push_back(m_path + e);
    EXPECT_EQ(expected, m_shell.saved);
    if (r.withView) doc->RemoveView(&view);
  }
  ::chmod(m_path.c_str(), 0644);
}

TEST_F(DocumentTest, DebuggerFileHints) {
  auto doc = Open();
  RecordingView view;
  doc->AddView(&view);
  struct Row {
    const char* name;
    int kind;
    const char* module;
    int result;
    uint32_t hint;
  };
  const Row rows[] = {
      {"first form match", 0, "MAIN.C", 1, 0x12341001},
      {"first form other file", 0, "util.c", 0, 0x12341000},
      {"second form match", 1, "main.c", 1, 0x12341003},
      {"no module", 1, "", 0, 0x12341000},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    view.hints.clear();
    EXPECT_EQ(r.result, doc->UpdateDebugFileHint(r.kind, r.module));
    EXPECT_EQ(std::vector<uint32_t>{r.hint}, view.hints);
  }
  doc->RemoveView(&view);
}

TEST_F(DocumentTest, TheListFindsSavesAndChecks) {
  auto a = Open();
  m_path = m_dir / "other.h";
  std::ofstream(m_path, std::ios::binary) << "h\r\n";
  SetFileTime(m_path, 1000000);
  auto b = Open();
  EditorDocumentList list;
  list.Add(a.get());
  list.Add(b.get());
  EXPECT_EQ(a.get(), list.Find(m_dir / "MAIN.C"));
  EXPECT_EQ(b.get(), list.Find("other.h"));
  EXPECT_EQ(nullptr, list.Find("main.h"));

  Type(*a, "a");
  Type(*b, "b");
  m_questions.saveAnswers = {DocumentQuestions::kCancel};
  EXPECT_FALSE(list.SaveAllModified(true, &m_state));
  EXPECT_TRUE(a->IsModified());
  EXPECT_TRUE(b->IsModified());
  EXPECT_TRUE(list.SaveAllModified(false, &m_state));
  EXPECT_FALSE(a->IsModified() || b->IsModified());
  EXPECT_EQ(0u, m_state & kAppSaveWithoutAsking);

  std::ofstream(m_path, std::ios::binary) << "changed\r\n";
  SetFileTime(m_path, 4000000);
  EXPECT_EQ(1, list.ReloadChanged());
  EXPECT_EQ(0, list.ReloadChanged());
}

// The real disk, except that writes into files of one name fail as on a
// full disk.
class FullForOneFileDisk : public NoBackupDisk {
 public:
  explicit FullForOneFileDisk(std::string full) : m_full(std::move(full)) {}
  int CreateNew(const std::string& p, unsigned m, int* h) override {
    const int rc = RealDisk().CreateNew(p, m, h);
    if (rc == 0 && p.find(m_full) != std::string::npos) m_fullHandle = *h;
    return rc;
  }
  int Write(int h, const char* d, size_t n) override { return h == m_fullHandle ? ENOSPC : RealDisk().Write(h, d, n); }
  int Close(int h) override {
    if (h == m_fullHandle) m_fullHandle = -1;  // the number is given to the next file
    return RealDisk().Close(h);
  }
  int Rename(const std::string& from, const std::string& to) override { return RealDisk().Rename(from, to); }

 private:
  std::string m_full;
  int m_fullHandle = -1;
};

// Save All on a disk that refuses one file: that file says why, once, the
// others are saved, and the list names the file left unsaved.
TEST_F(DocumentTest, TheListSavesTheOthersPastAFileThatCannotBeWritten) {
  FullForOneFileDisk disk("first");
  std::vector<std::unique_ptr<EditorDocument>> docs;
  EditorDocumentList list;
  for (const char* name : {"first.c", "second.c", "third.c"}) {
    m_path = m_dir / name;
    std::ofstream(m_path, std::ios::binary) << "x\r\n";
    DocumentEnvironment env;
    env.text.pDisk = &disk;
    env.typeSettings = &m_types;
    env.appState = &m_state;
    env.questions = &m_questions;
    docs.push_back(std::make_unique<EditorDocument>(env));
    ASSERT_TRUE(docs.back()->OnOpenDocument(m_path));
    Type(*docs.back(), "y");
    list.Add(docs.back().get());
  }
  std::vector<std::string> notSaved;
  EXPECT_FALSE(list.SaveAllModified(false, &m_state, &notSaved));
  EXPECT_EQ(notSaved, std::vector<std::string>{m_dir / "first.c"});
  ASSERT_EQ(m_questions.errors.size(), 1u) << testing::PrintToString(m_questions.errors);
  EXPECT_EQ(m_questions.errors[0].rfind("Could not write file -\n\n'" + m_dir / "first.c" + "'\n\n", 0), 0u)
      << m_questions.errors[0];
  EXPECT_NE(m_questions.errors[0].find(std::strerror(ENOSPC)), std::string::npos) << m_questions.errors[0];
  EXPECT_TRUE(docs[0]->IsModified());
  EXPECT_FALSE(docs[1]->IsModified() || docs[2]->IsModified());
  EXPECT_EQ(ReadFile(m_dir / "first.c"), "x\r\n");
  EXPECT_EQ(ReadFile(m_dir / "third.c"), "yx\r\n");
}

}  // namespace
}  // namespace pm2
