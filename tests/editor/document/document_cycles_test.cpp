// Documents opened, edited through an editor engine, undone and closed,
// round after round, without a window: each round ends with no document
// alive and the list of open documents empty, every undone text as it was
// read. Under the sanitizers LeakSanitizer checks this program at its end,
// so whatever a closed document's text, undo log, colouring or engine
// left unowned fails it.
#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "editor/document/document_list.h"
#include "editor/document/editor_document.h"
#include "editor/engine/edit_commands.h"
#include "editor/engine/fake_edit_host.h"
#include "editor/engine/line_layout.h"
#include "fake_questions.h"
#include "platform/settings_store.h"
#include "platform/temp_dir.h"

namespace pm2 {
namespace {

constexpr int kFiles = 20;
constexpr int kRounds = 3;

// What a user types: words, a comment, a string and new lines, so that the
// colouring's comment and quote states change with the text.
const char kTyped[] = "int counter = 0; /* counts\nthe ticks */ const char* name = \"blinky\";\n"
                      "for (int i = 0; i < 10; ++i) { counter += i; } // loop\n";

struct OpenDocument {
  std::unique_ptr<EditorDocument> doc;
  std::unique_ptr<FakeEditHost> host;
  std::unique_ptr<EditEngine> engine;
  std::string read;  // the text as it was read
};

class DocumentCyclesTest : public ::testing::Test, protected DocumentTestServices {
 protected:
  void SetUp() override {
    m_shell.toolset = 0;
    m_shell.filters = {{".c", 1}};
    for (int i = 0; i < kFiles; ++i) {
      m_paths.push_back(m_dir / ("cycle" + std::to_string(i) + ".c"));
      std::ofstream(m_paths.back(), std::ios::binary)
          << "/* file " << i << " */\r\n#include \"LED.h\"\r\n\r\nint main(void) {\r\n  return 0;\r\n}\r\n";
    }
  }
  // Every row laid out and coloured, as painting the whole text does.
  static void Paint(OpenDocument& d) {
    for (CEditLine* p = d.doc->Text().FirstLine(); p; p = p->m_pNext) LayoutRow(*d.engine, p);
  }

  std::vector<std::string> m_paths;
  EditorDocumentList m_list;
  EditShared m_shared;
};

TEST_F(DocumentCyclesTest, ClosedDocumentsLeaveNothingRoundAfterRound) {
  const long before = EditorDocument::LiveCount();
  for (int round = 1; round <= kRounds; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    std::vector<OpenDocument> open;
    for (const std::string& path : m_paths) {
      OpenDocument d;
      d.doc = std::make_unique<EditorDocument>(Environment());
      ASSERT_TRUE(d.doc->OnOpenDocument(path));
      d.read = d.doc->Text().GetText();
      d.host = std::make_unique<FakeEditHost>();
      d.engine = std::make_unique<EditEngine>(&d.doc->Text(), &m_shared, d.host.get());
      d.engine->InitView();
      d.engine->SetMetrics(kCellW, kCellH);
      d.engine->SetClientSize(50 * kCellW, 10 * kCellH);
      m_list.Add(d.doc.get());
      d.engine->RunCommand(kCmdBottom);
      for (char c : std::string(kTyped)) d.engine->OnChar(c == '\n' ? 13 : uint8_t(c));
      Paint(d);
      ASSERT_TRUE(d.doc->IsModified());
      open.push_back(std::move(d));
    }
    ASSERT_EQ(m_list.Documents().size(), size_t(kFiles));
    for (OpenDocument& d : open) {
      for (int n = 0; n < 4 * int(sizeof kTyped) && d.doc->IsModified(); ++n) d.engine->RunCommand(kCmdEditUndo);
      Paint(d);
      EXPECT_EQ(d.doc->Text().GetText(), d.read) << d.doc->Path();
      EXPECT_FALSE(d.doc->IsModified()) << d.doc->Path();
    }
    // Closed as a window closes them: the view first, then the document.
    for (OpenDocument& d : open) {
      EXPECT_TRUE(d.doc->SaveModified());
      m_list.Remove(d.doc.get());
      d.engine.reset();
      d.doc.reset();
    }
    EXPECT_TRUE(m_list.Documents().empty());
    EXPECT_EQ(EditorDocument::LiveCount(), before);
    EXPECT_TRUE(m_questions.errors.empty());
  }
}

}  // namespace
}  // namespace pm2
