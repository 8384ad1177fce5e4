#include "toolkit/core/resources.h"

#include <charconv>

namespace pm2 {
namespace {

// Splits one line into tokens: bare words and quoted strings (unescaped).
struct Token {
  std::string text;
  bool quoted = false;
};

bool Tokenize(std::string_view line, std::vector<Token>* out, std::string* err) {
  size_t i = 0;
  while (i < line.size()) {
    char c = line[i];
    if (c == ' ' || c == '\t' || c == '\r') {
      ++i;
      continue;
    }
    Token tok;
    if (c == '"') {
      tok.quoted = true;
      ++i;
      bool closed = false;
      while (i < line.size()) {
        char d = line[i++];
        if (d == '"') {
          closed = true;
          break;
        }
        if (d == '\\' && i < line.size()) {
          char e = line[i++];
          d = e == 'n' ? '\n' : e == 't' ? '\t' : e == 'r' ? '\r' : e;
        }
        tok.text.push_back(d);
      }
      if (!closed) {
        *err = "unterminated string";
        return false;
      }
    } else {
      while (i < line.size() && line[i] != ' ' && line[i] != '\t' && line[i] != '\r') {
        tok.text.push_back(line[i++]);
      }
    }
    out->push_back(std::move(tok));
  }
  return true;
}

bool ParseNumber(const Token& t, unsigned* value) {
  if (t.quoted || t.text.empty()) return false;
  const char* b = t.text.data();
  const char* e = b + t.text.size();
  int base = 10;
  if (t.text.size() > 2 && t.text[0] == '0' && (t.text[1] == 'x' || t.text[1] == 'X')) {
    b += 2;
    base = 16;
  }
  auto res = std::from_chars(b, e, *value, base);
  return res.ec == std::errc() && res.ptr == e;
}

bool ParseKeys(const std::string& keys, Accelerator* acc) {
  size_t start = 0;
  while (true) {
    size_t plus = keys.find('+', start);
    // A trailing "+" names the plus key itself ("Ctrl++").
    if (plus == start && plus + 1 == keys.size()) plus = std::string::npos;
    std::string part = keys.substr(start, plus == std::string::npos ? std::string::npos : plus - start);
    if (plus == std::string::npos) {
      if (part.empty()) return false;
      acc->key = part;
      return true;
    }
    if (part == "Ctrl") acc->ctrl = true;
    else if (part == "Shift") acc->shift = true;
    else if (part == "Alt") acc->alt = true;
    else return false;
    start = plus + 1;
  }
}

}  // namespace

bool ResourceTables::Load(std::string_view text, std::string_view sourceName, std::string* error) {
  ResourceTables fresh = *this;
  enum class Block { None, Menu, Accel };
  Block block = Block::None;
  unsigned blockId = 0;
  std::vector<std::vector<MenuEntry>*> menuStack;
  int lineNo = 0;
  size_t pos = 0;
  auto fail = [&](const std::string& what) {
    if (error) {
      std::string msg;
      msg.reserve(sourceName.size() + what.size() + 24);
      msg.append(1, '\'').append(sourceName).append("' line ").append(std::to_string(lineNo)).append(": ").append(what);
      *error = std::move(msg);
    }
    return false;
  };
  while (pos <= text.size()) {
    size_t nl = text.find('\n', pos);
    std::string_view line = text.substr(pos, nl == std::string_view::npos ? std::string_view::npos : nl - pos);
    pos = nl == std::string_view::npos ? text.size() + 1 : nl + 1;
    ++lineNo;
    std::vector<Token> toks;
    std::string err;
    if (!Tokenize(line, &toks, &err)) return fail(err);
    if (toks.empty() || (!toks[0].quoted && toks[0].text[0] == '#')) continue;
    const std::string& kw = toks[0].quoted ? std::string() : toks[0].text;
    unsigned num = 0;
    if (block == Block::Menu) {
      if (kw == "END") {
        menuStack.pop_back();
        if (menuStack.empty()) block = Block::None;
      } else if (kw == "POPUP" && toks.size() == 2 && toks[1].quoted) {
        MenuEntry e;
        e.kind = MenuEntry::Kind::Popup;
        e.text = toks[1].text;
        menuStack.back()->push_back(std::move(e));
        menuStack.push_back(&menuStack.back()->back().children);
      } else if (kw == "ITEM" && toks.size() == 3 && ParseNumber(toks[1], &num) && toks[2].quoted) {
        MenuEntry e;
        e.id = num;
        e.text = toks[2].text;
        menuStack.back()->push_back(std::move(e));
      } else if (kw == "SEPARATOR" && toks.size() == 1) {
        MenuEntry e;
        e.kind = MenuEntry::Kind::Separator;
        menuStack.back()->push_back(std::move(e));
      } else {
        return fail("malformed menu entry in menu " + std::to_string(blockId));
      }
      continue;
    }
    if (block == Block::Accel) {
      if (kw == "END") {
        block = Block::None;
        continue;
      }
      Accelerator acc;
      if (toks.size() != 2 || !toks[0].quoted || !ParseKeys(toks[0].text, &acc) ||
          !ParseNumber(toks[1], &acc.command)) {
        return fail("malformed accelerator in table " + std::to_string(blockId));
      }
      fresh.m_accels[blockId].push_back(acc);
      continue;
    }
    if (toks.size() < 2 || !ParseNumber(toks[1], &num)) return fail("expected a keyword and an id");
    if (kw == "STRING") {
      if (toks.size() != 3 || !toks[2].quoted) return fail("STRING needs an id and a quoted text");
      fresh.m_strings[num] = toks[2].text;
    } else if (kw == "MENU" && toks.size() == 2) {
      fresh.m_menus[num].clear();
      // The map does not move its nodes, so the pointer stays valid.
      menuStack.assign(1, &fresh.m_menus[num]);
      block = Block::Menu;
      blockId = num;
    } else if (kw == "TOOLBAR") {
      std::vector<CommandId> ids;
      for (size_t i = 2; i < toks.size(); ++i) {
        unsigned id = 0;
        if (!ParseNumber(toks[i], &id)) return fail("bad command id '" + toks[i].text + "' in toolbar");
        ids.push_back(id);
      }
      fresh.m_toolbars[num] = std::move(ids);
    } else if (kw == "ACCEL" && toks.size() == 2) {
      fresh.m_accels[num].clear();
      block = Block::Accel;
      blockId = num;
    } else {
      return fail("unknown statement '" + kw + "'");
    }
  }
  if (block != Block::None) return fail("missing END of block " + std::to_string(blockId));
  *this = std::move(fresh);
  return true;
}

const std::string& ResourceTables::String(unsigned id) const {
  static const std::string empty;
  auto it = m_strings.find(id);
  return it == m_strings.end() ? empty : it->second;
}

const std::vector<MenuEntry>* ResourceTables::Menu(unsigned id) const {
  auto it = m_menus.find(id);
  return it == m_menus.end() ? nullptr : &it->second;
}

const std::vector<CommandId>* ResourceTables::Toolbar(unsigned id) const {
  auto it = m_toolbars.find(id);
  return it == m_toolbars.end() ? nullptr : &it->second;
}

const std::vector<Accelerator>* ResourceTables::Accelerators(unsigned id) const {
  auto it = m_accels.find(id);
  return it == m_accels.end() ? nullptr : &it->second;
}

const ResourceTables& ToolkitResources() {
  static const ResourceTables tables = [] {
    ResourceTables t;
    std::string err;
    // The compiled-in source is checked by a test; a fault here leaves
    // the tables empty rather than stopping the program.
    t.Load(ToolkitResourceText(), "toolkit.rc.txt", &err);
    return t;
  }();
  return tables;
}

}  // namespace pm2
