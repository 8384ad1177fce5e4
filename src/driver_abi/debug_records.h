/* The records a driver hands to the debug dialogs: breakpoints, the
 * breakpoint request, symbols and their types, the memory map's space
 * record, the analyser's ranges and the coverage tree. Like
 * debug_interface.h they keep the field order of the 32-bit layout
 * ("was 0x0C") with pointer-sized slots here; the static_asserts pin our
 * own offsets. The driver owns every record; the IDE reads them in place
 * and bounds every count and length it takes from them before use.
 */
#ifndef PM2_DEBUGGER_ABI_DEBUG_RECORDS_H
#define PM2_DEBUGGER_ABI_DEBUG_RECORDS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------- breakpoints
 * DbgBreakpointList (op, 0, 0, record): 8 the head of the list, 2 kill the
 * record, 6 the dialog opens, 7 it closes. */
enum { kDbgBpListKill = 2, kDbgBpListOpen = 6, kDbgBpListClose = 7, kDbgBpListHead = 8 };
enum { kDbgBpTypeMask = 0xF, kDbgBpEnabled = 0x10, kDbgBpObjects = 0x40 };

typedef struct DbgBreakpointRecord {
  struct DbgBreakpointRecord* next; /* was 0x00: 0 at the end */
  uint32_t word04;
  uint32_t flags;                   /* was 0x08: type in bits 0-3, kDbgBpEnabled, kDbgBpObjects */
  uint32_t address;                 /* was 0x0C */
  uint32_t word10[2];
  uint32_t length;                  /* was 0x18: bytes, or the object size with kDbgBpObjects */
  uint32_t count;                   /* was 0x1C: object count with kDbgBpObjects */
  uint16_t access;                  /* was 0x20: 1 read, 2 write, 3 both */
  uint16_t pad22;
  uint32_t number;                  /* was 0x24: written by the IDE, low 16 bits the list position */
  uint32_t passCount;               /* was 0x28 */
  uint32_t word2C[2];
  const char* command;              /* was 0x34: or null */
  const char* expression;           /* was 0x38: or null */
} DbgBreakpointRecord;

/* What DbgBreakpointDefine (0, 0, 0, request) is handed. */
typedef struct DbgBreakpointRequest {
  uint32_t word00[2];
  uint32_t flags;                   /* was 0x08: kDbgBpObjects when the unit is objects */
  uint32_t word0C[3];
  uint32_t unitBytes;               /* was 0x18: 1 when the unit is bytes */
  uint32_t size;                    /* was 0x1C: 0 without access */
  uint8_t access;                   /* was 0x20: 1 read, 2 write */
  uint8_t pad21[7];
  uint32_t passCount;               /* was 0x28 */
  uint32_t passCount2;              /* was 0x2C */
  uint32_t word30;
  const char* command;              /* was 0x34 */
  const char* expression;           /* was 0x38 */
  uint32_t word3C[4];
  DbgBreakpointRecord* result;      /* was 0x4C: out */
  uint16_t error;                   /* was 0x50: out, non-zero = refused */
  uint8_t byte52;
  uint8_t outcome;                  /* was 0x53: out, 1 redefined, 2 nothing to add, else new */
  uint32_t word54;
} DbgBreakpointRequest;

/* ---------------------------------------------------------------- symbols
 * DbgEnum (10, 0, &head): the public symbols; DebugInterface.publicsList2
 * a second list. DbgEnum (5, 0, &head): the scope tree. */
enum { kDbgEnumScopes = 5, kDbgEnumCoverageUpdate = 6, kDbgEnumCoverageClear = 7, kDbgEnumPublics = 10 };
enum { kDbgEnumPaClear = 2, kDbgEnumCyclesToSeconds = 3, kDbgEnumPaPrepare = 4 };

typedef struct DbgTypeRecord {
  uint8_t code;                     /* 0 void .. 18 field */
  uint8_t isArray;                  /* with code 12 */
  uint8_t qualifier;                /* 0 none, 1 near, 2 far, 3 huge, 4 xhuge */
  uint8_t space;                    /* a pointer's memory space (8-bit families) */
  uint32_t size;
  uint32_t dimensionCount;          /* at most 8 are read */
  uint32_t dimensions[8];
  const struct DbgTypeRecord* element;
  const char* tag;                  /* struct and union tags, or null */
} DbgTypeRecord;

typedef struct DbgSymbolRecord {
  struct DbgSymbolRecord* next;
  const char* name;
  uint32_t classWord;               /* 1, 2, 8, 0x200 addresses; 4, 0x80 bits; 0x10 register; 0x20 frame; 0x40 register bit */
  uint32_t value;                   /* address, offset or register number */
  uint32_t space;                   /* register or space number */
  uint32_t bit;                     /* bit number for the bit classes */
  const DbgTypeRecord* type;        /* or null */
} DbgSymbolRecord;

enum { kDbgScopeModule = 1, kDbgScopeFunction = 2, kDbgScopeBlock = 3, kDbgScopeApp = 4 };

typedef struct DbgLineRecord {
  uint32_t line;
  uint32_t address;
} DbgLineRecord;

typedef struct DbgScopeRecord {
  struct DbgScopeRecord* next;      /* the next sibling */
  const char* name;
  uint32_t kind;                    /* kDbgScope... */
  uint32_t lineCount;               /* modules: the line table's length */
  struct DbgScopeRecord* parent;
  struct DbgScopeRecord* children;
  DbgSymbolRecord* symbols;
  const DbgLineRecord* lines;
} DbgScopeRecord;

/* ---------------------------------------------------------------- memory map
 * DbgControl (4, space base, record): the record's first field points at
 * one attribute word per address of the space (bit 0 execute, 1 read,
 * 2 write, 11 VNM); count says how many the array holds. */
typedef struct DbgMemorySpaceRecord {
  const uint16_t* attributes;
  uint32_t count;
  uint32_t pad;
} DbgMemorySpaceRecord;

/* ---------------------------------------------------------------- analyser */
typedef struct DbgPaRangeRecord {
  struct DbgPaRangeRecord* next;    /* was 0 */
  uint32_t word04;
  uint32_t start;                   /* was 8 */
  uint32_t end;                     /* was 12: 0 a function or label without an end */
  uint32_t count;                   /* was 16 */
  uint32_t word14[3];
  uint64_t minTime;                 /* was 32 */
  uint64_t maxTime;                 /* was 40 */
  uint64_t totalTime;               /* was 48 */
  uint16_t number;                  /* was 56 */
  uint16_t pad3A;
  const char* name;                 /* was 60 */
  uint32_t nameLength;              /* was 64: at most 255 are read */
  uint32_t nameWidth;               /* was 68: written by the IDE */
  float percent;                    /* was 72: written by the IDE */
  uint8_t byte4C;
  uint8_t active;                   /* was 77: bit 0, written by the IDE */
  uint8_t pad4E[2];
} DbgPaRangeRecord;

/* ---------------------------------------------------------------- coverage */
enum { kDbgCovKindMask = 0x7, kDbgCovFunction = 2, kDbgCovFull = 0x08 };

typedef struct DbgCoverageRecord {
  struct DbgCoverageRecord* next;   /* was 0 */
  const char* name;                 /* was 4 */
  uint32_t word08[5];
  struct DbgCoverageRecord* child;  /* was 28 */
  uint32_t word20[2];
  uint8_t kind;                     /* was 40 */
  uint8_t pad29[3];
  uint32_t instructions;            /* was 44 */
  uint32_t executed;                /* was 48 */
  uint32_t word34;
  uint32_t jumpsOpen;               /* was 56 */
} DbgCoverageRecord;

#ifdef __cplusplus
}  /* extern "C" */
#endif

#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
#ifdef __cplusplus
#define PM2_DBGREC_STATIC_ASSERT static_assert
#else
#define PM2_DBGREC_STATIC_ASSERT _Static_assert
#endif
PM2_DBGREC_STATIC_ASSERT(offsetof(DbgBreakpointRecord, flags) == 12, "DbgBreakpointRecord.flags");
PM2_DBGREC_STATIC_ASSERT(offsetof(DbgBreakpointRecord, command) == 56, "DbgBreakpointRecord.command");
PM2_DBGREC_STATIC_ASSERT(offsetof(DbgBreakpointRequest, result) == 88, "DbgBreakpointRequest.result");
PM2_DBGREC_STATIC_ASSERT(offsetof(DbgPaRangeRecord, totalTime) == 56, "DbgPaRangeRecord.totalTime");
PM2_DBGREC_STATIC_ASSERT(offsetof(DbgCoverageRecord, instructions) == 60, "DbgCoverageRecord.instructions");
#endif

#endif /* PM2_DEBUGGER_ABI_DEBUG_RECORDS_H */
