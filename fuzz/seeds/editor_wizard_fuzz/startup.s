//;; PELMORA_OPTIONS_BLOCK { NAME = "Startup" STYLE = EXPAND
//;; OPTION { ID = stack NAME = "Stack" TYPE = HEXADECIMAL DEFAULT = 0x80 KEY = "Stack_Size" }
//;; OPTION { ID = pll NAME = "PLL" TYPE = BOOL DEFAULT = 0 KEY = "PLL_SETUP" }
//;; FOLDER { ID = clk NAME = "Clock" STYLE = EXPAND
//;;   OPTION { ID = msel NAME = "M" TYPE = DECIMAL DEFAULT = 5 MIN = 1 MAX = 32 ENABLEDBY = pll KEY = "MSEL" }
//;;   OPTION { ID = psel NAME = "P" TYPE = SELECTION DEFAULT = 7 ENABLEDBY = msel KEY = "PSEL"
//;;     ITEMS { ITEM { ENTRY = "1" VALUE = 0 } ITEM { ENTRY = "2" VALUE = 1 } ITEM { ENTRY = "4" } } }
//;;   OPTION { ID = notype NAME = "none" }
//;; }
//;; OPTION { ID = mapfile NAME = "Map" TYPE = FILE DEFAULT = "a.map" KEY = "MAPNAME" }
//;; OPTION { ID = hidden NAME = "H" TYPE = DECIMAL DEFAULT = 3 STYLE = HIDEVALUE }
//;; OPTION { ID = nodef NAME = "N" TYPE = DECIMAL }
//;; }
        .equ Stack_Size, 0x80   @ 128 bytes
        .equ PLL_SETUP, 0
MSEL    EQU  05H
#define PSEL 4
        .ascii "MAPNAME"
name:   .asciz MAPNAME "a.map"
