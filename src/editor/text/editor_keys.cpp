#include "editor/text/editor_keys.h"

#include "platform/settings_store.h"

namespace pm2 {

const EditorSection kEditorSections[12] = {
    {"Editor\\Default Files", "sample.ini.default", kLangPlain},
    {"Editor\\C Files", "c.ini", kLangCLike},
    {"Editor\\Q166", "q166.ini", kLangCLike},
    {"Editor\\QP166", "qp166.ini", kLangCLike},
    {"Editor\\CArmC", "carmc.ini", kLangCLike},
    {"Editor\\Q51", "q51.ini", kLangCLike},
    {"Editor\\W51", "w51.ini", kLangAssembler},
    {"Editor\\W166", "w166.ini", kLangAssembler},
    {"Editor\\W251", "w251.ini", kLangAssembler},
    {"Editor\\Q251", "q251.ini", kLangCLike},
    {"Editor\\CArmA", "CArmA.ini", kLangAssembler},
    {"Editor\\CArmP", nullptr, kLangPlain},
};

namespace {
struct KeyDefault {
  const char* key;
  bool number;
  const char* value[3];  // plain, C-like, assembler
};
constexpr KeyDefault kKeyDefaults[] = {
    {"Show tabs", true, {"0", "0", "0"}},
    {"Tab size", true, {"8", "4", "8"}},
    {"Case", true, {"0", "1", "0"}},
    {"Comment Start 1", false, {"", "//", ";"}},
    {"Comment End 1", false, {"", "", ""}},
    {"Comment Start 2", false, {"", "/*", "/*"}},
    {"Comment End 2", false, {"", "*/", "*/"}},
    {"Background", false, {"255,255,255", "255,255,255", "255,255,255"}},
    {"Default Text", false, {"0,0,0", "0,0,0", "0,0,0"}},
    {"SQuote", false, {"255,0,0", "255,0,0", "255,0,0"}},
    {"Quote", false, {"255,0,0", "255,0,0", "255,0,0"}},
    {"Keyword", false, {"0,0,0", "0,0,255", "0,0,255"}},
    {"Comment", false, {"0,0,0", "0,128,0", "0,128,0"}},
    {"Extra word chars", false, {"", "#", "#$"}},
    {"Chroma", true, {"0", "1", "1"}},
};
}  // namespace

void InitEditorProfiles(SettingsStore& store) {
  for (const EditorSection& s : kEditorSections) {
    if (!s.keywordFile) continue;
    for (const KeyDefault& k : kKeyDefaults) {
      if (k.number) {
        int v = store.GetProfileInt(s.section, k.key, std::stoi(k.value[s.kind]));
        store.WriteProfileInt(s.section, k.key, v);
      } else {
        std::string v = store.GetProfileString(s.section, k.key, k.value[s.kind]);
        store.WriteProfileString(s.section, k.key, v.c_str());
      }
    }
    std::string file = store.GetProfileString(s.section, "Keywords", s.keywordFile);
    store.WriteProfileString(s.section, "Keywords", file.c_str());
  }
  store.WriteProfileString("Editor\\CArmA", "Terminator chars", ">");
}

}  // namespace pm2
