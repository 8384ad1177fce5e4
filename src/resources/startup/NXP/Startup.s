/* Startup code of the NXP LPC2100 family (LPC210x, LPC21xx, LPC213x, */
/* LPC214x) for the GNU tools: exception vectors, stacks, the PLL, */
/* initialised data copied from flash, zeroed data, then main(). */
/* */
/* It comes with the device's linker script (LPC2148.ld, ...), which places */
/* the vectors at 0 and defines the symbols used below (__stack_top, */
/* __data_load, __data_start, __data_end, __bss_start, __bss_end); the C */
/* library's own start files are not linked ("-nostartfiles"). */
/* The lines that begin with //;; describe the settings below for the */
/* configuration wizard (open this file, or "Open in Startup Editor"). */

//;; PELMORA_OPTIONS_BLOCK {
//;;   NAME = "Startup (NXP LPC2100)"  STYLE = EXPAND
//;;   FOLDER { ID = stacks  NAME = "Stacks"  STYLE = EXPAND
//;;     OPTION { ID = irqstack  NAME = "IRQ stack size (bytes)"  TYPE = HEXADECIMAL
//;;              HELP = "Bytes kept for the interrupt stack below the top of RAM"
//;;              DEFAULT = 0x80  MIN = 0x20  MAX = 0x1000  KEY = "IRQ_Stack_Size" }
//;;   }
//;;   OPTION { ID = pllsetup  NAME = "Set up the PLL"  TYPE = BOOL  DEFAULT = 0
//;;            HELP = "Run the core from the PLL instead of the crystal"  KEY = "PLL_SETUP" }
//;;   FOLDER { ID = clock  NAME = "Clock"  STYLE = EXPAND
//;;     OPTION { ID = msel  NAME = "PLL multiplier (MSEL)"  TYPE = DECIMAL  ENABLEDBY = pllsetup
//;;              HELP = "Core clock = crystal x multiplier"  DEFAULT = 5  MIN = 1  MAX = 32  KEY = "PLL_MSEL" }
//;;     OPTION { ID = psel  NAME = "PLL divider (PSEL)"  TYPE = SELECTION  ENABLEDBY = pllsetup
//;;              HELP = "Keeps the current-controlled oscillator within 156 to 320 MHz"
//;;              DEFAULT = 1  KEY = "PLL_PSEL"
//;;              ITEMS { ITEM { ENTRY = "1" VALUE = 0 }  ITEM { ENTRY = "2" VALUE = 1 }
//;;                      ITEM { ENTRY = "4" VALUE = 2 }  ITEM { ENTRY = "8" VALUE = 3 } } }
//;;   }
//;; }

        .equ    Mode_USR, 0x10
        .equ    Mode_IRQ, 0x12
        .equ    Mode_SVC, 0x13
        .equ    I_Bit,    0x80
        .equ    F_Bit,    0x40
        .equ    IRQ_Stack_Size, 0x80
        .equ    PLL_SETUP, 0
        .equ    PLL_MSEL, 5
        .equ    PLL_PSEL, 1
        .equ    PLL_BASE, 0xE01FC080    /* PLLCON; PLLCFG +4, PLLSTAT +8, PLLFEED +12 */

        .section .vectors, "ax"
        .arm
        .global _start
_start:
Vectors:
        ldr     pc, Reset_Addr
        ldr     pc, Undef_Addr
        ldr     pc, SWI_Addr
        ldr     pc, PAbt_Addr
        ldr     pc, DAbt_Addr
        .word   0                       /* checksum of the vectors, set by the flash tool */
        ldr     pc, [pc, #-0x0FF0]      /* vector from the interrupt controller */
        ldr     pc, FIQ_Addr

Reset_Addr:     .word   Reset_Handler
Undef_Addr:     .word   Hang
SWI_Addr:       .word   Hang
PAbt_Addr:      .word   Hang
DAbt_Addr:      .word   Hang
FIQ_Addr:       .word   Hang

        .text
Reset_Handler:
.if PLL_SETUP
        ldr     r0, =PLL_BASE           /* the PLL: configure, enable, wait for the lock, connect */
        mov     r1, #0xAA
        mov     r2, #0x55
        mov     r3, #((PLL_MSEL - 1) | (PLL_PSEL << 5))
        str     r3, [r0, #4]
        mov     r3, #1
        str     r3, [r0]
        str     r1, [r0, #12]
        str     r2, [r0, #12]
3:      ldr     r3, [r0, #8]
        tst     r3, #0x400
        beq     3b
        mov     r3, #3
        str     r3, [r0]
        str     r1, [r0, #12]
        str     r2, [r0, #12]
.endif
        ldr     r0, =__stack_top
        msr     cpsr_c, #Mode_IRQ | I_Bit | F_Bit
        mov     sp, r0
        sub     r0, r0, #IRQ_Stack_Size
        msr     cpsr_c, #Mode_SVC | I_Bit | F_Bit
        mov     sp, r0

        ldr     r1, =__data_load        /* copy initialised data from flash */
        ldr     r2, =__data_start
        ldr     r3, =__data_end
1:      cmp     r2, r3
        ldrlo   r0, [r1], #4
        strlo   r0, [r2], #4
        blo     1b

        mov     r0, #0                  /* clear the zero-initialised data */
        ldr     r1, =__bss_start
        ldr     r2, =__bss_end
2:      cmp     r1, r2
        strlo   r0, [r1], #4
        blo     2b

        bl      main
Hang:   b       Hang

        .end
