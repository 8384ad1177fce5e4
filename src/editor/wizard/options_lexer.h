// The options block of an annotated startup or header file, as the lexer
// sees it. The block lives inside comment lines that begin in column 1 with
// the leader "//;;" or ";;"; every other line is skipped whole, so the
// lexer reads one long comment text whose line numbers are the file's.
//
// Tokens: "=", "{", "}" as their character codes, numbers (32-bit
// unsigned: decimal, 0x hexadecimal, a trailing H for hexadecimal, letters
// A to F make a number hexadecimal, suffixes L/U/LU/UL skipped), strings in
// double quotes on one line (no escapes, at most 1022 characters kept),
// identifiers (at most 128 characters kept) and the 27 keywords. A keyword
// is found through 128 buckets chosen by the sum of (character - 32) of the
// spelling as written, compared ignoring case inside the bucket, so "NAME"
// and "name" are keywords but "Name" is an identifier; stored files rely on
// exactly this.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace pm2 {

enum OptionsToken : int {
  kTokEquals = '=',
  kTokOpen = '{',
  kTokClose = '}',
  kTokNumber = 257,
  kTokString = 258,
  kTokIdentifier = 259,
  kTokEnd = 260,
  kTokBlock = 261,  // PELMORA_OPTIONS_BLOCK
  kTokId = 262,
  kTokName = 263,
  kTokOption = 264,
  kTokHelp = 265,
  kTokDefault = 266,
  kTokType = 267,
  kTokFile = 268,
  kTokStyle = 269,
  kTokReadOnly = 270,
  kTokKey = 271,
  kTokText = 272,
  kTokDisabled = 273,
  kTokFolder = 274,
  kTokDecimal = 275,
  kTokMin = 276,
  kTokMax = 277,
  kTokHideValue = 278,
  kTokSelection = 279,
  kTokItems = 280,
  kTokItem = 281,
  kTokEntry = 282,
  kTokValue = 283,
  kTokBool = 284,
  kTokEnabledBy = 285,
  kTokExpand = 286,
  kTokHexadecimal = 287,
};

// Lexical error codes and their messages.
enum OptionsLexError : int { kLexBadNumber = 1, kLexBadString = 2, kLexIllegalToken = 5 };
std::string LexErrorMessage(int code, std::string_view tokenText);

// The keyword code of an identifier as written (0 when it is none).
int LookupOptionsKeyword(std::string_view spelling);
// The bucket of a spelling: sum of (character - 32) modulo 128.
int OptionsKeywordBucket(std::string_view spelling);
// The name of a token in messages ("identifer", "ENBALEDBY", "<EOF>" ...).
const char* OptionsTokenName(int token);

// Receives the lexical errors (line, message).
class OptionsReportSink {
 public:
  virtual ~OptionsReportSink() = default;
  virtual void Report(int line, const std::string& message) = 0;
};

class OptionsLexer {
 public:
  static constexpr int kMaxIdentifier = 128;
  static constexpr int kMaxString = 1022;

  OptionsLexer(std::string_view text, OptionsReportSink* sink);

  // Reads the next token; returns its code (also Token()).
  int Next();
  int Token() const { return m_token; }
  int TokenLine() const { return m_tokenLine; }
  // The number's value; the text of a string or identifier.
  uint32_t Number() const { return m_number; }
  const std::string& Text() const { return m_text; }
  // Byte range of the token in the whole file text.
  size_t TokenStart() const { return m_tokenStart; }
  size_t TokenEnd() const { return m_tokenEnd; }
  int ErrorCount() const { return m_errors; }
  void CountError() { ++m_errors; }
  // Set once the block's opening brace was read: illegal characters are
  // reported from then on.
  void SetInsideBlock(bool on) { m_inside = on; }

 private:
  void Advance();  // the next character of the comment text into m_ch
  void LexError(int code, std::string_view tokenText);
  int ReadNumber();
  int ReadIdentifier();
  int ReadString();

  std::string_view m_src;
  size_t m_pos = 0;
  int m_ch = -1;           // current character, -1 at the end
  size_t m_chPos = 0;      // its offset in the file
  int m_chLine = 1;        // its line
  int m_line = 1;          // line of the read position
  bool m_leader = false;   // a leader was seen on this line
  int m_token = 0;
  int m_tokenLine = 0;
  size_t m_tokenStart = 0, m_tokenEnd = 0;
  uint32_t m_number = 0;
  std::string m_text;
  int m_errors = 0;
  bool m_inside = false;
  OptionsReportSink* m_sink;
};

}  // namespace pm2
