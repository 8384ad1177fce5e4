/* The debugger driver interface: the records the IDE and a driver library
 * share. One C header, included by the IDE and by every driver.
 *
 * The records keep the field order of the 32-bit layout they come from; the
 * comments give each field's offset there ("was 0x1C8"). On this platform
 * pointers and function slots are pointer-sized, so our own offsets differ;
 * the static_asserts at the end pin them, and a driver built from this
 * header meets the IDE at the same places. Integers are host-endian (both
 * sides run in one process). Every text is a NUL-terminated byte string.
 *
 * A driver library exports one function, "BootDll" (code, argument):
 *   1  the IDE's own record (DebugInterface*): the driver copies the IDE's
 *      callbacks and words from it
 *   2  the address of the IDE's record pointer (DebugInterface**): the
 *      driver stores its own record there
 *   3  the settings (DebugSettings*): the driver prepares the session
 *   4  the settings again: the driver starts the session (loads the program)
 *   5  the settings: prepare a flash session; 6 download; 7 erase
 * A start that fails sets bit 8 of DebugSettings.flags and leaves a text in
 * DebugSettings.errorText; codes 6 and 7 answer non-zero on failure.
 */
#ifndef PM2_DEBUGGER_ABI_DEBUG_INTERFACE_H
#define PM2_DEBUGGER_ABI_DEBUG_INTERFACE_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---------------------------------------------------------------- menus */
/* One entry of a driver's menu table; a table ends with kind -1. */
typedef struct DebugMenuEntry DebugMenuEntry;
typedef void (*DebugMenuCallback)(DebugMenuEntry* entry);
struct DebugMenuEntry {
  int32_t kind;                /* was 0: 1 item, 2 pop-up start, -2 pop-up end, -1 end */
  const char* text;            /* was 4 */
  DebugMenuCallback callback;  /* was 8: called with the entry's own address; may be null */
  uint32_t id;                 /* was 12: the command id, written by the IDE */
  uint32_t reserved;           /* was 16: not touched by the IDE */
  const uint32_t* state;       /* was 20: state[1] != 0 marks the item checked; null: none */
};

enum {
  kDbgMenuItem = 1,
  kDbgMenuPopup = 2,
  kDbgMenuPopupEnd = -2,
  kDbgMenuEnd = -1
};

/* ---------------------------------------------------------------- state bits */
enum {
  kDbgFlagActive = 0x1,          /* a session is active */
  kDbgFlagLogCommands = 0x2,     /* command-window text goes to DbgLog */
  kDbgFlagLogSerial = 0x4,       /* serial output goes to DbgLog */
  kDbgFlagExecuting = 0x8,       /* the target runs */
  kDbgFlagTargetDriver = 0x200,  /* the session uses the target driver, not the simulator */
  kDbgFlagFunctionCompile = 0x400, /* the function editor's compile (its Include command) runs */
  kDbgFlagsAtStart = 0x3F801     /* set by the IDE before BootDll code 1 */
};

/* Window flags (DebugInterface.windowFlags): which debug windows are open. */
enum {
  kDbgWinPeriodic = 0x1,
  kDbgWinDisassembly = 0x2,
  kDbgWinCoverage = 0x4,
  kDbgWinSerial1 = 0x8,
  kDbgWinSerial2 = 0x10,
  kDbgWinAnalyser = 0x20,
  kDbgWinSymbols = 0x4000,
  kDbgWinToolBox = 0x8000,
  kDbgWinSerial3 = 0x80000
};

/* An entry of the call stack (DebugInterface.callStack, entry 0 the
 * outermost, callStackTop the innermost). */
typedef struct DbgCallStackEntry {
  uint32_t calling;   /* the calling place; 0 when unknown */
  uint32_t called;    /* the called function's address */
  uint32_t reserved;
  uint32_t leavable;  /* non-zero: a step out can return from this call */
  uint32_t reserved2;
} DbgCallStackEntry;

/* DbgEnum codes the drivers answer. */
enum { kDbgEnumAddressName = 9 /* (address, buffer of 256): non-zero when named */ };
/* (0, pointer to a record pointer): the record of the function the target
 * stands in, its address the 32-bit word at byte 19; DbgAddressAttr of that
 * address answers a record whose first byte has bit 0x10 for a function. */
enum { kDbgEnumCurrentFunction = 8, kDbgAttrFunction = 0x10 };

/* DbgBreakpointList operations of the whole list. */
enum { kDbgBpListDisableAll = 10, kDbgBpListKillAll = 11 };

/* DbgStep modes. */
/* By instruction: kDbgStepInstruction enters calls, kDbgStepOverInstruction
 * runs a called function through to its return. */
enum { kDbgStepInto = 0, kDbgStepOver = 1, kDbgStepOut = 2, kDbgStepInstruction = 3, kDbgStepOverInstruction = 4 };

/* DbgControl codes the IDE uses. */
enum {
  kDbgCtlEvalAddress = 2,
  kDbgCtlMayStop = 9,       /* non-zero: refused, the reason written into a */
  kDbgCtlBeforeStop = 10,
  kDbgCtlExecNow = 11,
  kDbgCtlResultText = 7,       /* (a command's result, buffer of 256 holding the command): the text shown for it */
  kDbgCtlAssemblyAddress = 12, /* the inline assembler's current address */
  kDbgCtlInstructionText = 13, /* (pointer to a u32 address, buffer of 256) */
  /* (0, buffer of 256): non-zero with the reason written into the buffer
   * when the driver has no inline assembler (its command is greyed with
   * that reason); a driver that does not know the code leaves the buffer
   * empty and the command stays enabled. */
  kDbgCtlAssemblerMissing = 0x1020,
  kDbgCtlBeforeCallStack = 0x1001, /* refresh the call stack at callStack */
  /* (0, pointer to an int32): the driver sets it to 1 when its
   * kDbgCtlIpcEvaluate of an expression that writes nothing, and its
   * kDbgCtlReadOnlyFault, may be called on any thread while the target is
   * halted (and alongside the IDE's own calls); a driver that does not
   * know the code leaves it 0 and every call stays on the IDE's GUI
   * thread. */
  kDbgCtlAnyThreadReads = 0x1021,
  /* (text, buffer of 256): non-zero with the reason written into the
   * buffer when evaluating the expression, by this driver's own rules,
   * would do more than read (write the target, run its code); 0 when it
   * only reads. The IDE asks before a client of the event interface has a
   * text evaluated or made a breakpoint's location; a driver that does not
   * know the code answers 0 and checks what it is handed itself. */
  kDbgCtlReadOnlyFault = 0x1022,
  /* (DbgBreakpointRecord* of the driver's list, buffer of
   * kDbgDefinitionSize): non-zero with the code breakpoint's place written
   * into the buffer as the user gave it and as DbgBreakpointDefine takes it
   * again ("LED_On", "LED.c:13", "0x378"), its condition left out. The IDE
   * keeps a breakpoint with it for the next session; a driver that does not
   * know the code answers 0 and the breakpoint is kept by its source line. */
  kDbgCtlBreakpointPlace = 0x1030,
  kDbgCtlProgramCounter = 14,
  kDbgCtlIpcEvaluate = 0x800,
  kDbgCtlIpcClearBreak = 0x801,
  kDbgCtlIpcMessage = 0x802,
  kDbgCtlIpcMemory = 0x804
};

enum { kDbgDefinitionSize = 300 };

/* The watch and locals windows' questions (DbgControl):
 *   kDbgCtlWatchEval   (DbgWatchValue*, 0): evaluates value->expression;
 *                      0 = done (the record filled), else not evaluated
 *                      (a driver that refuses the expression, one that
 *                      writes or calls, says why in value->text)
 *   kDbgCtlWatchMembers(expression, DbgWatchNames*): the member names of a
 *                      struct or union; 0 = done
 *   kDbgCtlLocals      (DbgWatchNames*, 0): the locals in scope at the
 *                      program counter, key = the scope's start address;
 *                      0 = done
 *   kDbgCtlValueTip    (buffer of 1024 holding a word, document title):
 *                      the word's value written over the buffer; 0 = done */
enum {
  kDbgCtlValueTip = 5,
  kDbgCtlWatchEval = 0x1010,
  kDbgCtlWatchMembers = 0x1011,
  kDbgCtlLocals = 0x1012
};

/* Type codes of a watched value. */
enum {
  kDbgTypeScalar = 0,
  kDbgTypeChar = 2,
  kDbgTypePointer = 12, /* pointer, or array with isArray */
  kDbgTypeUnion = 13,
  kDbgTypeStruct = 14,
  kDbgTypeHidden = 15   /* never listed among the locals */
};

typedef struct DbgWatchValue {
  const char* expression; /* in: the expression ("`" before a symbol allowed) */
  int32_t radix;          /* in: 10 or 16; -1 the driver's default */
  uint8_t code;           /* out: kDbgType... */
  uint8_t isArray;        /* with kDbgTypePointer */
  uint8_t targetCode;     /* a pointer's target, an array's element; 0xFF none */
  uint8_t outOfScope;     /* 1: the symbol is not in scope now */
  uint32_t count;         /* an array's element count */
  uint32_t address;       /* an array's, struct's or union's address; a pointer's value */
  char tag[64];           /* a struct's or union's tag; "" none */
  char text[256];         /* scalars and pointers: the value (number only) */
} DbgWatchValue;

typedef struct DbgWatchNames {
  uint32_t key;           /* kDbgCtlLocals: the scope; 0 none */
  uint32_t count;         /* names in the list */
  char names[4096];       /* count names, each ending in NUL */
} DbgWatchNames;

/* The notification codes a driver posts to the IDE (PostNotify). */
enum { kDbgNotifyStopSession = 5, kDbgNotifyStatusText = 13, kDbgNotifyCommandText = 16 };
/* The target stopped: the IDE refreshes its windows (IDE service 2, run
 * later on the GUI thread, so a driver thread never waits for the GUI). */
enum { kDbgNotifyTargetStopped = 0x1002 };
/* The driver's process or target ended (its message already printed): the
 * IDE ends the session and keeps the command window in view. With the
 * argument kDbgEndedListsBreakpoints the driver still answers
 * DbgBreakpointList and DbgFindSource for its breakpoints as they stood,
 * and the IDE keeps them as after a normal end; with 0 the stored ones
 * stay as they were. */
enum { kDbgNotifyDriverEnded = 0x1003, kDbgEndedListsBreakpoints = 1 };

/* IDE service (IdeServiceCall) before a driver runs a program that a
 * project's settings name by its path (a gdb or an emulator of the
 * project's folder): the argument is the question, naming the program and
 * where the settings name it. Non-zero when the user answered Yes; No is
 * the default button. A Yes holds for the same question for the rest of
 * the IDE's run; without a window nobody is asked and the answer is No.
 * An IDE that does not know the code answers 0: the program does not run. */
enum { kIdeServiceRunProgramQuestion = 0x1040 };

/* ---------------------------------------------------------------- the record */
typedef struct DebugInterface DebugInterface;

/* Driver operations. */
typedef intptr_t (*DbgControlFn)(int32_t code, intptr_t a, intptr_t b);
typedef intptr_t (*DbgQueryFn)(void* record);
typedef void* (*DbgLineTableFn)(const char* path);
typedef int32_t (*DbgStopExecutionFn)(void);
typedef int32_t (*DbgGoFn)(uint32_t stopAddress); /* 0xFFFFFFFF: no stop address */
typedef int32_t (*DbgTraceQueryFn)(int32_t code, intptr_t a, intptr_t b, intptr_t c);
typedef intptr_t (*DbgEnumFn)(int32_t code, intptr_t a, intptr_t b);
/* 0 = read; otherwise the buffer holds what could be read up to *stopAt. */
typedef int32_t (*DbgReadMemoryFn)(uint64_t address, uint32_t count, void* buffer);
typedef uint32_t (*DbgWriteMemoryFn)(uint64_t address, uint32_t count, const void* bytes);
typedef int32_t (*DbgStepFn)(int32_t mode);
typedef int32_t (*DbgResetCpuFn)(int32_t how);
typedef uint32_t (*DbgBreakpointFn)(uint64_t address, int32_t op);
typedef intptr_t (*DbgBreakpointListFn)(int32_t op, intptr_t a, intptr_t b, void* record);
typedef void (*DbgSerialInputFn)(uint32_t value, uint16_t extra);
typedef int32_t (*DbgExecCommandFn)(const char* text, int32_t length);
typedef void (*DbgExitFn)(void);
typedef void (*DbgLogFn)(int32_t kind, const char* data, int32_t count);
/* mode 1: text -> *value; 0 = success. */
typedef int32_t (*DbgEvalExpressionFn)(int32_t mode, const char* text, uint64_t* value);
typedef intptr_t (*DbgWatchFn)(intptr_t a, intptr_t b, intptr_t c);
/* Writes the file and line of an address into srcFile/srcLine; 0 = found. */
typedef int32_t (*DbgFindSourceFn)(uint32_t address);
/* (mode: 1 memory-window addresses and titles, 0 elsewhere; address; 0;
 * buffer of at least 64 bytes) -> length of the text written. */
typedef int32_t (*DbgFormatAddressFn)(int32_t mode, uint64_t address, intptr_t zero, char* buffer);
/* (text, length) -> 0 when the assignment was done. */
typedef int32_t (*DbgAssignFn)(const char* text, int32_t length);
/* (buffer, address, maximum) -> copies a zero-terminated target string;
 * its length, or -1 when the memory cannot be read. */
typedef int32_t (*DbgReadStringFn)(char* buffer, uint64_t address, int32_t maximum);

/* IDE callbacks. */
typedef void (*IdePumpFn)(void);
typedef intptr_t (*IdeServiceCallFn)(int32_t code, intptr_t arg);
typedef void (*IdeTextFn)(const char* text);
typedef void (*IdePoolFreeFn)(int32_t pool);
typedef void* (*IdePoolAllocFn)(uint32_t size, int32_t pool);
typedef char* (*IdePoolStrDupFn)(const char* text, int32_t pool);
typedef int32_t (*IdeWriteSerialFn)(int32_t window, const uint8_t* bytes, int32_t count);
typedef int32_t (*IdeWriteSerial16Fn)(int32_t window, const uint16_t* chars, int32_t count);
typedef void (*IdeSyntaxTablesFn)(const void* a, const void* b, const void* c);
/* Posts a notification to the IDE's GUI thread from any thread (stands in
 * for posting the notification message to the window at mainWindow). */
typedef void (*IdePostNotifyFn)(int32_t code, intptr_t arg);

typedef void (*DbgReservedFn)(void);

struct DebugInterface {
  uint32_t size;              /* 0x000: sizeof(DebugInterface) */
  uint16_t word04;            /* 0x004 */
  uint16_t family;            /* 0x006: toolset family, 0..4 */
  uint16_t version;           /* 0x008: the application's second word */
  uint16_t word0A;            /* 0x00A */
  uint32_t device16;          /* 0x00C: 16-bit device value (toolsets 0-2) */
  uint32_t selector;          /* 0x010: the target's selector byte */
  uint32_t flags;             /* 0x014: kDbgFlag... */
  uint32_t serviceWritten;    /* 0x018 */
  void* srcFile;              /* 0x01C: what DbgFindSource found: the source file's full path (char*) */
  uint32_t srcLine;           /* 0x020: its line */
  void* publicsList2;         /* 0x024 */
  uint32_t word28[3];         /* 0x028 */
  uint32_t word34;            /* 0x034 */
  uint32_t word38;            /* 0x038 */
  uint32_t disasmRequest[2];  /* 0x03C, 0x040 */
  uint32_t shownAddress;      /* 0x044: address shown in the disassembly window */
  uint32_t word48[12];        /* 0x048 */
  uint32_t optionBits;        /* 0x078: bit 2 from the target's flag word */
  DebugMenuEntry* menu4;      /* 0x07C: command ids 35114..35123 */
  uint32_t serviceRead;       /* 0x080 */
  uint32_t word84[13];        /* 0x084 */
  uint32_t windowFlags;       /* 0x0B8: kDbgWin... and display options */
  uint8_t traceOn;            /* 0x0BC: bit 0 */
  uint8_t byteBD[31];         /* 0x0BD */
  uint8_t analyserFlags;      /* 0x0DC */
  uint8_t noCompletion;       /* 0x0DD */
  uint8_t byteDE[30];         /* 0x0DE */
  uint32_t mainWindow;        /* 0x0FC: the IDE's window id */
  uint32_t notifyMessage;     /* 0x100: 0x414 */
  DebugMenuEntry* menu1;      /* 0x104: command ids 32820..32869 */
  DebugMenuEntry* menu2;      /* 0x108: command ids 32880..32929 */
  DebugMenuEntry* menu3;      /* 0x10C: command ids 33000..33009 */
  uint32_t word110[2];        /* 0x110 */
  uint32_t driverDialog;      /* 0x118 */
  uint32_t word11C;           /* 0x11C */
  uint32_t pc;                /* 0x120: the program counter */
  uint32_t word124;           /* 0x124 */
  uint64_t cycles;            /* 0x128 */
  uint32_t word130[4];        /* 0x130 */
  uint32_t device32;          /* 0x140 */
  uint32_t word144[3];        /* 0x144 */
  void* callStack;            /* 0x150: 20-byte entries */
  int32_t callStackTop;       /* 0x154: -1 when empty */
  uint32_t word158[2];        /* 0x158 */
  void* analyserRest;         /* 0x160 */
  void* analyserRanges;       /* 0x164 */
  uint32_t word168;           /* 0x168 */
  uint32_t word16C;           /* 0x16C */
  uint64_t frozenCycles;      /* 0x170 */
  uint8_t byte178[6];         /* 0x178 */
  uint8_t watchRadix;         /* 0x17E */
  uint8_t byte17F[29];        /* 0x17F */

  /* 0x19C: operations of the driver */
  DbgControlFn DbgControl;                  /* 0x19C */
  DbgQueryFn DbgGetDisasmLine;              /* 0x1A0 */
  DbgQueryFn DbgPrevDisasmLine;             /* 0x1A4 */
  DbgQueryFn DbgRefreshDisasmLine;          /* 0x1A8 */
  DbgQueryFn DbgDisasmLineText;             /* 0x1AC */
  DbgControlFn DbgCanBreakOnSourceLine;     /* 0x1B0 */
  DbgQueryFn DbgTraceInfo;                  /* 0x1B4 */
  DbgLineTableFn DbgLineTable;              /* 0x1B8 */
  DbgQueryFn DbgAddressAttr;                /* 0x1BC */
  DbgStopExecutionFn DbgStopExecution;      /* 0x1C0 */
  DbgReservedFn slot1C4;                    /* 0x1C4 */
  DbgGoFn DbgGo;                            /* 0x1C8 */
  DbgTraceQueryFn DbgTraceQuery;            /* 0x1CC */
  DbgEnumFn DbgEnum;                        /* 0x1D0 */
  DbgReservedFn slot1D4[2];                 /* 0x1D4 */
  DbgReadMemoryFn DbgReadMemory;            /* 0x1DC */
  DbgWriteMemoryFn DbgWriteMemory;          /* 0x1E0 */
  DbgStepFn DbgStep;                        /* 0x1E4 */
  DbgReservedFn slot1E8;                    /* 0x1E8 */
  DbgResetCpuFn DbgResetCpu;                /* 0x1EC */
  DbgReservedFn slot1F0[4];                 /* 0x1F0 */
  DbgBreakpointFn DbgBreakpoint;            /* 0x200 */
  DbgReservedFn slot204;                    /* 0x204 */
  DbgBreakpointListFn DbgBreakpointList;    /* 0x208 */
  DbgReservedFn slot20C;                    /* 0x20C */
  DbgBreakpointListFn DbgBreakpointDefine;  /* 0x210 */
  DbgReservedFn slot214[13];                /* 0x214 */
  DbgSerialInputFn DbgSerialInput;          /* 0x248 */
  DbgReservedFn slot24C[3];                 /* 0x24C */

  /* 0x258: callbacks of the IDE, interleaved with three driver operations */
  IdePumpFn PumpPendingMessages;            /* 0x258 */
  IdeServiceCallFn IdeServiceCall;          /* 0x25C */
  DbgExecCommandFn DbgExecCommand;          /* 0x260 (driver) */
  IdeTextFn PrintToCommandWindow;           /* 0x264 */
  IdeTextFn DriverCommandOutput;            /* 0x268 */
  IdePoolFreeFn PoolFree;                   /* 0x26C */
  IdePoolAllocFn PoolAlloc;                 /* 0x270 */
  IdePoolStrDupFn PoolStrDup;               /* 0x274 */
  DbgExitFn DbgExit;                        /* 0x278 (driver) */
  IdeWriteSerialFn WriteSerialWindow;       /* 0x27C */
  IdeWriteSerial16Fn WriteSerialWindow16;   /* 0x280 */
  DbgLogFn DbgLog;                          /* 0x284 (driver) */
  IdeSyntaxTablesFn SetCommandSyntaxTables; /* 0x288 */

  /* 0x28C: further operations of the driver */
  DbgEvalExpressionFn DbgEvalExpression;    /* 0x28C */
  DbgWatchFn DbgEvalSymbol;                 /* 0x290 */
  DbgAssignFn DbgAssign;                    /* 0x294 */
  DbgWatchFn DbgFormatValue;                /* 0x298 */
  DbgReadStringFn DbgReadString;            /* 0x29C */
  DbgFindSourceFn DbgFindSource;            /* 0x2A0 */
  DbgReservedFn slot2A4[5];                 /* 0x2A4 */
  DbgFormatAddressFn DbgFormatAddress;      /* 0x2B8 */

  /* 0x2BC on: no field of the 32-bit record; our additions come first. */
  IdePostNotifyFn PostNotify;               /* IDE: the notification message */
  uint8_t tail[2048];                       /* the driver's own words */
};

/* ---------------------------------------------------------------- settings */
typedef struct DebugSettings {
  char dllPath[260];          /* 0x000: the driver library that is loaded */
  char dialogDllPath[260];    /* 0x104 */
  char dllParams[260];        /* 0x208 */
  char dialogDllParams[260];  /* 0x30C */
  char targetDriverPath[260]; /* 0x410 */
  char targetDriverText[1024];/* 0x514 */
  char targetDriverBase[260]; /* 0x914 */
  const char* projectFolder;  /* 0xA18 */
  char programFile[260];      /* 0xA1C */
  char initFile[260];         /* 0xB20 */
  char functionFile[260];     /* 0xC24: "%s%s.Fnc" */
  uint32_t savedState[8];     /* 0xD28 .. 0xD44 */
  uint32_t flags;             /* 0xD48: bit 0 target driver, 1-7 options, 8 start failed */
  uint32_t savedState2[2];    /* 0xD4C, 0xD50 */
  char extraDllPath[260];     /* 0xD54 */
  char cleared[1284];         /* 0xE58 */
  uint8_t deviceBlock[54];    /* 0x135C */
  uint8_t devicePad[54];      /* 0x1392 */
  uint8_t deviceFlags1;       /* 0x13C8 */
  uint8_t deviceFlags2;       /* 0x13C9 */
  uint8_t selector;           /* 0x13CA */
  uint8_t deviceFlags3;       /* 0x13CB */
  uint32_t device32;          /* 0x13CC */
  char deviceText1[64];       /* 0x13D0 */
  char deviceText2[64];       /* 0x1410 */
  uint32_t deviceOptions;     /* 0x1454 */
  uint16_t device16a;         /* 0x1458 */
  uint16_t device16b;         /* 0x145A */
  uint8_t devicePad2[99];     /* 0x145C */
  char canDllPath[260];       /* 0x14BF */
  char cleared2[1024];        /* 0x15C3 */
  char errorText[1025];       /* 0x19C3 */
  const void* familyRecord;   /* 0x1DC4 */
  uint32_t armOption;         /* 0x1DC8 */
} DebugSettings;

enum { kDbgSettingsTargetDriver = 0x1, kDbgSettingsStartFailed = 0x100 };

/* ---------------------------------------------------------------- registers */
/* The register set a driver hands over with IDE service 44. */
#pragma pack(push, 1)
typedef struct RegisterEntry {
  uint8_t kind;          /* 0: 1 for a register */
  uint8_t group;         /* 1: index into the group table */
  uint8_t unused;        /* 2 */
  uint16_t composite;    /* 3: <256 plain; >=256 low byte 0 head; else a field */
  char name[16];         /* 5 */
  uint8_t refreshDisasm; /* 21 */
  uint8_t editable;      /* 22 */
  uint8_t changed;       /* 23: changed at the last stop */
  uint8_t redraw;        /* 24: the text changed at the last refresh */
  char value[40];        /* 25 */
} RegisterEntry;
#pragma pack(pop)

typedef struct RegisterGroup {
  uint8_t kind;          /* 0: 0 for a group */
  uint8_t flags;         /* 1: bit 0 expanded at load, bit 1 bold */
  const char* name;      /* 2 */
} RegisterGroup;

typedef void (*RegisterRefreshFn)(RegisterEntry* entry, uint32_t mode);
typedef void (*RegisterSetValueFn)(RegisterEntry* entry, const uint64_t* value);

typedef struct RegisterSet {
  uint32_t groupCount;          /* 0: 1..32 */
  uint32_t registerCount;       /* 4 */
  RegisterGroup* groups;        /* 8 */
  RegisterEntry* registers;     /* 12 */
  RegisterRefreshFn refresh;    /* 16 */
  RegisterSetValueFn setValue;  /* 20 */
} RegisterSet;

/* ---------------------------------------------------------------- requests
 * The inter-process debug requests, handed to DbgControl 0x800..0x804. */
typedef struct DriverExpressionRecord {
  const char* text;   /* the expression ("" when none) */
  uint32_t unused;
  uint32_t resultLow; /* set by the driver */
  uint32_t resultHigh;
  uint32_t error;     /* non-zero: not evaluated */
} DriverExpressionRecord;

typedef struct DriverMemoryRequest {
  uint32_t addressLow;
  uint32_t addressHigh;
  uint32_t count;      /* bytes (kinds 1, 2) or text buffer size (kind 4) */
  void* buffer;
  uint32_t kind;       /* 1 read, 2 write, 3 decode a time stamp, 4 address to text */
  uint32_t failed;     /* set by the driver */
  uint32_t stoppedAt;  /* address the access stopped at, with failed */
  uint8_t textFlag;    /* 1 for kind 4 */
  uint8_t pad[31];
  uint32_t timeLow;    /* kind 3, in and out */
  uint32_t timeHigh;
  uint8_t pad2[8];
  double time;         /* kind 3: decoded */
} DriverMemoryRequest;

typedef struct TargetMessageRecord {
  uint32_t word[6];
  uint64_t value;
} TargetMessageRecord;

/* What DbgLineTable answers: the code lines of one source file, valid until
 * the next call. */
typedef struct DbgLinePair {
  uint32_t line;
  uint32_t address;
} DbgLinePair;
typedef struct DbgLineTableRecord {
  uint32_t count;
  const DbgLinePair* pairs;
} DbgLineTableRecord;

/* One line of the disassembly listing, exchanged with DbgGetDisasmLine
 * (next line; a kind-0 record asks for the line at disasmRequest[0]),
 * DbgPrevDisasmLine, DbgRefreshDisasmLine (states in place) and
 * DbgDisasmLineText (answers the line's text as a const char*). */
enum {
  kDisasmRequest = 0,
  kDisasmSource = 32,
  kDisasmCode = 33,
  kDisasmOther = 34,
  kDisasmTrace1 = 35,
  kDisasmTrace2 = 36,
  kDisasmTrace3 = 37,
  kDisasmEnd = 38
};
enum {
  kDisasmAsked = 0x08,     /* the line holds the address asked for */
  kDisasmRegister = 0x20,  /* the line refers to a register item (item) */
  kDisasmClass1 = 0x40,
  kDisasmClass2 = 0x100,
  kDisasmPc = 0x80         /* the line holds the program counter */
};
typedef struct DisasmLine {
  uint16_t kind;      /* 0: kDisasm... */
  uint16_t kindPart;  /* 2 */
  uint16_t state;     /* 4: kDisasmAsked... */
  uint16_t pad6;      /* 6 */
  uint32_t file;      /* 8: the source file of a source line; the trace descriptor */
  uint32_t own12;     /* 12: the driver's own */
  uint32_t address;   /* 16 */
  uint32_t line;      /* 20: the source line number; the history index */
  uint32_t item;      /* 24: the register item; the history's ordering key */
  uint32_t own28;     /* 28: the driver's own */
  uint16_t drawn;     /* 32: written by the view */
  uint16_t length;    /* 34: the text's length, written by the view (at most 256) */
  uint32_t changed;   /* 36: non-zero when the line changed since it was drawn */
} DisasmLine;

/* The driver's one export. */
typedef int32_t (*BootDllFn)(int32_t code, void* argument);

#ifdef __cplusplus
}  /* extern "C" */
#endif

#ifdef __cplusplus
#define PM2_DBG_STATIC_ASSERT static_assert
#else
#define PM2_DBG_STATIC_ASSERT _Static_assert
#endif

/* Our own layout on 64-bit: the IDE and the drivers depend on it. */
#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
PM2_DBG_STATIC_ASSERT(sizeof(DebugMenuEntry) == 40, "DebugMenuEntry layout");
PM2_DBG_STATIC_ASSERT(offsetof(DebugMenuEntry, callback) == 16, "DebugMenuEntry.callback");
PM2_DBG_STATIC_ASSERT(offsetof(DebugMenuEntry, state) == 32, "DebugMenuEntry.state");
PM2_DBG_STATIC_ASSERT(offsetof(DebugInterface, flags) == 0x14, "DebugInterface.flags");
PM2_DBG_STATIC_ASSERT(offsetof(DebugInterface, srcFile) == 0x20, "DebugInterface.srcFile");
PM2_DBG_STATIC_ASSERT(offsetof(DebugInterface, windowFlags) == 0xD0, "DebugInterface.windowFlags");
PM2_DBG_STATIC_ASSERT(offsetof(DebugInterface, pc) == 0x148, "DebugInterface.pc");
PM2_DBG_STATIC_ASSERT(offsetof(DebugInterface, DbgControl) == 0x1D8, "DebugInterface.DbgControl");
PM2_DBG_STATIC_ASSERT(offsetof(DebugInterface, PumpPendingMessages) == 0x350, "DebugInterface.PumpPendingMessages");
PM2_DBG_STATIC_ASSERT(offsetof(DebugInterface, DbgFormatAddress) == 0x410, "DebugInterface.DbgFormatAddress");
PM2_DBG_STATIC_ASSERT(sizeof(DebugInterface) == 0xC20, "DebugInterface size");
PM2_DBG_STATIC_ASSERT(offsetof(DebugSettings, projectFolder) == 0xA18, "DebugSettings.projectFolder");
PM2_DBG_STATIC_ASSERT(offsetof(DebugSettings, flags) == 0xD4C, "DebugSettings.flags");
PM2_DBG_STATIC_ASSERT(offsetof(DebugSettings, errorText) == 0x19C3, "DebugSettings.errorText");
PM2_DBG_STATIC_ASSERT(sizeof(DebugSettings) == 0x1DD8, "DebugSettings size");
PM2_DBG_STATIC_ASSERT(sizeof(RegisterEntry) == 65, "RegisterEntry layout");
PM2_DBG_STATIC_ASSERT(sizeof(RegisterGroup) == 16, "RegisterGroup layout");
PM2_DBG_STATIC_ASSERT(sizeof(RegisterSet) == 40, "RegisterSet layout");
PM2_DBG_STATIC_ASSERT(sizeof(TargetMessageRecord) == 32, "TargetMessageRecord layout");
PM2_DBG_STATIC_ASSERT(sizeof(DbgCallStackEntry) == 20, "DbgCallStackEntry layout");
PM2_DBG_STATIC_ASSERT(sizeof(DbgLinePair) == 8, "DbgLinePair layout");
PM2_DBG_STATIC_ASSERT(sizeof(DbgWatchValue) == 344, "DbgWatchValue layout");
PM2_DBG_STATIC_ASSERT(sizeof(DbgWatchNames) == 4104, "DbgWatchNames layout");
PM2_DBG_STATIC_ASSERT(sizeof(DisasmLine) == 40, "DisasmLine layout");
PM2_DBG_STATIC_ASSERT(offsetof(DisasmLine, address) == 16, "DisasmLine.address");
PM2_DBG_STATIC_ASSERT(offsetof(DisasmLine, length) == 34, "DisasmLine.length");
#endif

#endif /* PM2_DEBUGGER_ABI_DEBUG_INTERFACE_H */
