// Text scanner: splits control strings and option values into tokens.
//
// A TextScanner is a cursor over zero-terminated text plus one optional
// extra delimiter and a two-slot store of saved cursors. Code that may run
// on another thread owns its own TextScanner; g_Scanner is the one shared
// instance that the GUI thread's free functions below work on (it is not
// reentrant: each user restarts it with SetScanText, SetScanTextDash or
// PushScanState).
//
// Tokens: blanks and tabs before a token are skipped; the 15 fixed
// delimiters are blank ; , ( ) [ ] LF CR DEL " = { } and 0x1A. A token may be
// quoted with " or ' (a doubled quote inside stands for one and no
// upper-casing happens inside quotes). A token holds at most 254 characters;
// a longer one ends with result 32 and the rest stays for the next call
// (ScanWholeToken takes it whole).
// ScanToken returns the delimiter that ended the token: 10 at the end of the
// text or at a line feed, 32 after blanks not followed by another delimiter,
// else the delimiter character itself (consumed).
#ifndef PM2_PROJECT_SCANNER_H
#define PM2_PROJECT_SCANNER_H

#include <string>

namespace pm2 {

inline constexpr int kScanTokenMax = 254;                // characters of one token
inline constexpr int kScanBufferSize = kScanTokenMax + 1;  // with the terminator
inline constexpr int kNoExtraDelimiter = 0xFF;

// Results of ScanToken besides a delimiter character.
inline constexpr int kScanEndOfLine = 10;
inline constexpr int kScanBlank = 32;

class TextScanner {
 public:
  constexpr TextScanner() = default;

  // Start scanning text (null scans as ""); no extra delimiter.
  void SetText(const char* text) { Start(text, kNoExtraDelimiter); }
  // Start scanning text with '-' as extra delimiter (ranges "low-high").
  void SetTextDash(const char* text) { Start(text, '-'); }

  // Reads the next token into buffer (kScanBufferSize bytes, always
  // terminated), sets length and returns the ending delimiter.
  int ScanToken(char* buffer, bool upperCase, int& length);
  // Convenience form returning the token as a string.
  int ScanToken(std::string& token, bool upperCase);
  // The same without the length limit: the whole token, however long (a
  // Define's name or value must reach the tools as typed, never split in
  // two at the limit).
  int ScanWholeToken(std::string& token, bool upperCase);

  // Skips blanks and tabs; returns the character now under the cursor
  // (0 at the end) without consuming it.
  int SkipBlanks();
  bool IsDelimiter(int c) const;
  // Classifies the character under the cursor after a token: a
  // non-delimiter or a quote gives 32 and a line feed 10 (neither is
  // consumed); any other delimiter is consumed and returned.
  int GetDelimiter();

  // Two independent cursors over two strings, both with extraDelimiter; no
  // slot is current until SelectText. Carriage returns and line feeds of
  // both strings read as blanks (the strings themselves are not changed).
  void PushState(const char* first, const char* second, int extraDelimiter);
  // Saves the cursor into the current slot (if any) and loads slot 0 or 1.
  void SelectText(int slot);

  // The cursor; callers may read it and move it forward within the text.
  const char* m_pPos = "";

 private:
  void Start(const char* text, int extraDelimiter);
  template <class Sink>
  int ScanInto(Sink& sink, bool upperCase);
  int At(const char* p) const;  // character at p, line ends mapped in push mode
  int Take();                   // character at the cursor, advancing past it

  int m_nExtraDelimiter = kNoExtraDelimiter;
  bool m_bLineEndsAsBlanks = false;
  struct Slot {
    const char* pPos = "";
    int nExtraDelimiter = kNoExtraDelimiter;
  };
  Slot m_slots[2];
  int m_nSlot = -1;  // -1: no slot selected
};

// The shared scanner of the GUI thread and its cursor.
extern TextScanner g_Scanner;
extern const char*& g_pScanPos;

void SetScanText(const char* text);
void SetScanTextDash(const char* text);
int ScanToken(char* buffer, bool upperCase, int& length);
int SkipScanBlanks();
bool IsScanDelimiter(int c);
int GetScanDelimiter();
void PushScanState(const char* first, const char* second, int extraDelimiter);
void SelectScanText(int slot);

}  // namespace pm2

#endif
