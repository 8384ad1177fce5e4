#include "editor/wizard/options_parser.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "editor/wizard/options_lexer.h"
#include "platform/mapped_file.h"

namespace pm2 {

// ------------------------------------------------------------------ arena

OptionsPool::~OptionsPool() {
  while (m_newest) {
    Block* b = m_newest;
    m_newest = b->next;
    std::free(b);
  }
}

void* OptionsPool::Allocate(size_t bytes) {
  bytes = (bytes + 7) & ~size_t(7);
  if (!m_newest || m_newest->capacity - m_newest->used < bytes) {
    const size_t capacity = bytes > kBlockSize ? bytes : kBlockSize;
    auto* b = static_cast<Block*>(std::calloc(1, sizeof(Block) + capacity));
    if (!b) throw std::bad_alloc();
    b->next = m_newest;
    b->capacity = capacity;
    m_newest = b;
    ++m_blocks;
  }
  char* p = reinterpret_cast<char*>(m_newest + 1) + m_newest->used;
  m_newest->used += bytes;
  return p;
}

std::string_view OptionsPool::Copy(std::string_view text) {
  if (text.empty()) return {};
  char* p = static_cast<char*>(Allocate(text.size() + 1));
  std::memcpy(p, text.data(), text.size());
  return {p, text.size()};
}

COptionNode* OptionsPool::NewNode(int kind, int line) {
  auto* n = new (Allocate(sizeof(COptionNode))) COptionNode();
  n->kind = kind;
  n->line = line;
  if (kind == kNodeItem) n->min = -1;
  return n;
}

std::string OptionsErrorText(int line, const std::string& message) {
  return "Syntax error in Options Block - line " + std::to_string(line) + ":\n\n" + message.substr(0, 1023);
}

// ------------------------------------------------------------------ parser

namespace {

struct ReportList : OptionsReportSink {
  std::vector<OptionsReport>* out = nullptr;
  void Report(int line, const std::string& message) override { out->push_back({line, message.substr(0, 1023)}); }
};

// A sibling chain being appended to.
struct Chain {
  COptionNode** tail;
  void Add(COptionNode* n) {
    *tail = n;
    tail = &n->next;
  }
};

struct WordValue {
  int token;
  int value;
};
constexpr WordValue kTypeWords[] = {{kTokText, kTypeText},         {kTokDecimal, kTypeDecimal},
                                    {kTokBool, kTypeBool},         {kTokSelection, kTypeSelection},
                                    {kTokFile, kTypeFile},         {kTokHexadecimal, kTypeHex}};
constexpr WordValue kStyleWords[] = {{kTokDisabled, kStyleDisabled},
                                     {kTokReadOnly, kStyleReadOnly},
                                     {kTokHideValue, kStyleHideValue},
                                     {kTokExpand, kStyleExpand}};

class Parser {
 public:
  Parser(OptionsIdMap& map, std::string_view text) : m_map(map), m_lex(text, &m_sink) {
    m_sink.out = &map.Reports();
  }

  COptionNode* Run(bool checkOnly) {
    if (m_lex.Next() != kTokBlock) return nullptr;
    COptionNode* root = m_map.Pool().NewNode(kNodeBlock, m_lex.TokenLine());
    if (checkOnly) return root;
    if (m_lex.Next() != kTokOpen) {
      Expected(kTokOpen);
      return root;
    }
    m_lex.SetInsideBlock(true);
    m_lex.Next();
    Chain children{&root->children};
    for (;;) {
      switch (Tok()) {
        case kTokEnd: return root;
        case kTokId:
          if (!Identifier(&root->id)) return root;
          break;
        case kTokName:
          if (!String(&root->name)) return root;
          break;
        case kTokStyle:
          if (!Style(&root->style)) return root;
          break;
        case kTokOption:
          if (!Option(children)) return root;
          break;
        case kTokFolder:
          if (!Folder(children)) return root;
          break;
        case kTokClose:  // the block's closing brace ends nothing
          m_lex.Next();
          break;
        default:
          Unexpected();
          return nullptr;
      }
    }
  }

 private:
  int Tok() const { return m_lex.Token(); }

  void Error(const std::string& message) {
    if (m_lex.ErrorCount() != 0) return;
    m_lex.CountError();
    m_map.Reports().push_back({m_lex.TokenLine(), message});
  }
  void Expected(int token) { Error(std::string("'") + OptionsTokenName(token) + "' expected\n"); }
  void Unexpected() {
    if (Tok() == kTokIdentifier)
      Error(std::string(OptionsTokenName(Tok())) + " '" + m_lex.Text() + "' unexpected\n");
    else
      Error(std::string("'") + OptionsTokenName(Tok()) + "' unexpected\n");
  }

  // keyword "=" and the value token current; false after a message.
  bool Equals(int valueToken) {
    if (m_lex.Next() != kTokEquals) {
      Expected(kTokEquals);
      return false;
    }
    if (m_lex.Next() != valueToken && valueToken != 0) {
      Expected(valueToken);
      return false;
    }
    return true;
  }
  bool Identifier(std::string_view* out) {
    if (!Equals(kTokIdentifier)) return false;
    *out = m_map.Pool().Copy(m_lex.Text());
    m_lex.Next();
    return true;
  }
  bool String(std::string_view* out) {
    if (!Equals(kTokString)) return false;
    *out = m_map.Pool().Copy(m_lex.Text());
    m_lex.Next();
    return true;
  }
  bool Number(int32_t* out) {
    if (!Equals(kTokNumber)) return false;
    *out = int32_t(m_lex.Number());
    m_lex.Next();
    return true;
  }
  template <size_t N>
  bool Word(const WordValue (&table)[N], int* out) {
    if (!Equals(0)) return false;
    for (const WordValue& w : table)
      if (w.token == Tok()) {
        *out = w.value;
        m_lastEnd = m_lex.TokenEnd();
        m_lex.Next();
        return true;
      }
    Unexpected();
    return false;
  }
  bool Style(uint32_t* style) {
    int bit = 0;
    if (!Word(kStyleWords, &bit)) return false;
    *style |= uint32_t(bit);
    return true;
  }

  bool Default(COptionNode* n) {
    if (!Equals(0)) return false;
    const size_t start = m_lex.TokenStart(), end = m_lex.TokenEnd();
    switch (Tok()) {
      case kTokNumber: n->defaultValue = m_lex.Number(); break;
      case kTokString: n->defaultText = m_map.Pool().Copy(m_lex.Text()); break;
      case kTokIdentifier: {
        // Hexadecimal without a leading digit: one upper-case H removed.
        std::string_view t = m_lex.Text();
        if (!t.empty() && t.back() == 'H') t.remove_suffix(1);
        uint32_t v = 0;
        for (char c : t) {
          int d = (c >= '0' && c <= '9') ? c - '0'
                  : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                  : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                           : -1;
          if (d < 0) {
            Unexpected();
            return false;
          }
          v = v * 16u + uint32_t(d);
        }
        n->defaultValue = v;
        break;
      }
      default: Unexpected(); return false;
    }
    n->defaultStart = start;
    n->defaultEnd = end;
    m_lex.Next();
    return true;
  }

  bool Items(COptionNode* n) {
    if (m_lex.Next() != kTokOpen) {
      Expected(kTokOpen);
      return false;
    }
    if (m_lex.Next() != kTokItem) {
      Expected(kTokItem);
      return false;
    }
    COptionNode** tail = &n->items;
    while (*tail) tail = &(*tail)->next;
    Chain items{tail};
    for (;;) {  // ITEM current
      COptionNode* item = m_map.Pool().NewNode(kNodeItem, m_lex.TokenLine());
      items.Add(item);
      if (m_lex.Next() != kTokOpen) {
        Expected(kTokOpen);
        return false;
      }
      m_lex.Next();
      for (bool open = true; open;) {
        switch (Tok()) {
          case kTokEntry:
            if (!String(&item->name)) return false;
            break;
          case kTokValue:
            if (!Number(&item->min)) return false;
            break;
          case kTokClose:
            m_lex.Next();
            open = false;
            break;
          default: Expected(kTokOpen); return false;
        }
      }
      if (Tok() == kTokItem) continue;
      if (Tok() == kTokClose) {
        m_lex.Next();
        return true;
      }
      Expected(kTokClose);
      return false;
    }
  }

  // OPTION current: the node joins the chain before its body is read, so
  // that a body with an error still leaves it in the tree.
  bool Option(Chain& chain) {
    COptionNode* n = m_map.Pool().NewNode(kNodeOption, m_lex.TokenLine());
    chain.Add(n);
    if (m_lex.Next() != kTokOpen) {
      Expected(kTokOpen);
      return false;
    }
    m_lex.Next();
    for (;;) {
      bool ok = true;
      switch (Tok()) {
        case kTokId: ok = Identifier(&n->id); break;
        case kTokName: ok = String(&n->name); break;
        case kTokHelp: ok = String(&n->help); break;
        case kTokDefault: ok = Default(n); break;
        case kTokType: {
          int type = 0;
          ok = Word(kTypeWords, &type);
          if (ok) {
            n->type = type;
            n->typeEnd = m_lastEnd;
          }
          break;
        }
        case kTokStyle: ok = Style(&n->style); break;
        case kTokKey: ok = String(&n->key); break;
        case kTokMin: ok = Number(&n->min); break;
        case kTokMax: ok = Number(&n->max); break;
        case kTokItems: ok = Items(n); break;
        case kTokEnabledBy: ok = Identifier(&n->enabledBy); break;
        case kTokClose: m_lex.Next(); return true;
        default: Unexpected(); return false;
      }
      if (!ok) return false;
    }
  }

  bool Folder(Chain& chain) {
    // Folders nest as deep as a person writes them; a file that nests them
    // without end is refused before the parse runs out of stack.
    if (m_depth >= kMaxFolderDepth) {
      Unexpected();
      return false;
    }
    COptionNode* n = m_map.Pool().NewNode(kNodeFolder, m_lex.TokenLine());
    chain.Add(n);
    if (m_lex.Next() != kTokOpen) {
      Expected(kTokOpen);
      return false;
    }
    m_lex.Next();
    Chain children{&n->children};
    for (;;) {
      bool ok = true;
      switch (Tok()) {
        case kTokId: ok = Identifier(&n->id); break;
        case kTokName: ok = String(&n->name); break;
        case kTokHelp: ok = String(&n->help); break;
        // Folders take STYLE too: the wizard opens a folder with EXPAND.
        case kTokStyle: ok = Style(&n->style); break;
        case kTokOption: ok = Option(children); break;
        case kTokFolder:
          ++m_depth;
          ok = Folder(children);
          --m_depth;
          break;
        case kTokClose: m_lex.Next(); return true;
        default: Unexpected(); return false;
      }
      if (!ok) return false;
    }
  }

  int m_depth = 0;  // folders open around the one being read
  OptionsIdMap& m_map;
  ReportList m_sink;
  OptionsLexer m_lex;
  size_t m_lastEnd = kNoPos;  // end of the last TYPE or STYLE word
};

}  // namespace

COptionNode* ParseOptionsText(OptionsIdMap& map, std::string_view text, bool checkOnly) {
  Parser p(map, text);
  return p.Run(checkOnly);
}

// ------------------------------------------------------------------ resolution

namespace {

bool ResolveChain(OptionsIdMap& map, COptionNode* first) {
  std::vector<COptionNode*> siblings;
  for (COptionNode* n = first; n; n = n->next) {
    if (!map.Add(n->id, n)) {
      map.Reports().push_back({n->line, "ID '" + std::string(n->id) + "' already declared"});
      return false;
    }
    if (!ResolveChain(map, n->children)) return false;
    siblings.push_back(n);
  }
  // Each node looks its reference up after its later siblings have been
  // registered, the last sibling first.
  for (auto it = siblings.rbegin(); it != siblings.rend(); ++it) {
    COptionNode* n = *it;
    if (n->enabledBy.empty()) continue;
    n->enabledByNode = map.Find(n->enabledBy);
    if (!n->enabledByNode) {
      map.Reports().push_back({n->line, "Referenced ID '" + std::string(n->enabledBy) + "' not found"});
      return false;
    }
  }
  return true;
}

}  // namespace

bool ResolveOptionIds(OptionsIdMap& map, COptionNode* root) { return !root || ResolveChain(map, root); }

COptionNode* LoadOptionsText(OptionsIdMap& map, std::string_view text, bool checkOnly) {
  try {
    COptionNode* root = ParseOptionsText(map, text, checkOnly);
    // A tree cut short by a reported error keeps what was read; looking its
    // references up would only add messages about the missing part.
    if (!checkOnly && root && map.Reports().empty() && !ResolveOptionIds(map, root)) return nullptr;
    return root;
  } catch (const std::bad_alloc&) {
    map.Reports().push_back({0, "*** Out of memory !\n"});
    return nullptr;
  }
}

COptionNode* LoadOptionsFile(OptionsIdMap& map, const std::string& path, bool checkOnly) {
  MappedFileView view;
  if (!view.Open(path)) {
    if (view.error() != MapError::kEmpty) return nullptr;
    return LoadOptionsText(map, {}, checkOnly);
  }
  return LoadOptionsText(map, {view.data(), view.size()}, checkOnly);
}

bool HasOptionsBlockText(std::string_view text) {
  OptionsIdMap map;
  return LoadOptionsText(map, text, true) != nullptr;
}

bool HasOptionsBlock(const std::string& path) {
  OptionsIdMap map;
  return LoadOptionsFile(map, path, true) != nullptr;
}

COptionNode* NthOption(COptionNode* root, int n) {
  if (!root || n < 0) return nullptr;
  std::vector<COptionNode*> stack{root->children};
  while (!stack.empty()) {
    COptionNode* node = stack.back();
    stack.pop_back();
    if (!node) continue;
    stack.push_back(node->next);
    if (node->kind == kNodeOption && n-- == 0) return node;
    if (node->kind == kNodeFolder) stack.push_back(node->children);
  }
  return nullptr;
}

}  // namespace pm2
