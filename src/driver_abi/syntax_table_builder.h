// Builds syntax tables in the form the command window's syntax help walks
// (see syntax_help.h): records with their sub-tables, and tables of words.
// Header-only, so a driver library can use it without the IDE's libraries.
// Build bottom-up: a record's sub-table names records made before it.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace pm2 {

class SyntaxTableBuilder {
 public:
  using Word = intptr_t;

  // A record; sub holds its sub-table's words (records by Ref, control words).
  const uint8_t* Record(const std::string& text, int completeLength, int shownLength, int kind, char follower,
                        const std::vector<Word>& sub = {0}) {
    const size_t head = 5 + text.size();
    const size_t align = alignof(Word);
    const size_t subAt = (head + align - 1) / align * align;
    const size_t words = subAt / sizeof(Word) + sub.size();
    m_blocks.emplace_back(new Word[words]());
    auto* rec = reinterpret_cast<uint8_t*>(m_blocks.back().get());
    rec[0] = static_cast<uint8_t>(text.size());
    rec[1] = static_cast<uint8_t>(completeLength);
    rec[2] = static_cast<uint8_t>(shownLength);
    rec[3] = static_cast<uint8_t>(kind);
    rec[4] = static_cast<uint8_t>(follower);
    std::memcpy(rec + 5, text.data(), text.size());
    if (!sub.empty()) std::memcpy(rec + subAt, sub.data(), sub.size() * sizeof(Word));
    return rec;
  }
  // A table of words; ends with the words given (add the end word yourself).
  const Word* Table(const std::vector<Word>& words) {
    m_blocks.emplace_back(new Word[words.size()]());
    std::memcpy(m_blocks.back().get(), words.data(), words.size() * sizeof(Word));
    return m_blocks.back().get();
  }
  static Word Ref(const uint8_t* record) { return reinterpret_cast<Word>(record); }
  static Word Ref(const Word* table) { return reinterpret_cast<Word>(table); }

 private:
  std::vector<std::unique_ptr<Word[]>> m_blocks;
};

}  // namespace pm2
