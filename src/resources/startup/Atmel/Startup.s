/* Startup code of the Atmel AT91SAM7S family for the GNU tools: exception */
/* vectors, the watchdog, stacks, initialised data copied from flash, zeroed */
/* data, then main(). The core runs from the slow clock until the program */
/* sets up the power management controller. */
/* */
/* It comes with the device's linker script (AT91SAM7S64.ld, ...), which */
/* places the vectors at the start of flash (seen at 0 after a reset) and */
/* defines the symbols used below (__stack_top, __data_load, __data_start, */
/* __data_end, __bss_start, __bss_end); the C library's own start files are */
/* not linked ("-nostartfiles"). */
/* The lines that begin with //;; describe the settings below for the */
/* configuration wizard (open this file, or "Open in Startup Editor"). */

//;; PELMORA_OPTIONS_BLOCK {
//;;   NAME = "Startup (Atmel AT91SAM7S)"  STYLE = EXPAND
//;;   FOLDER { ID = stacks  NAME = "Stacks"  STYLE = EXPAND
//;;     OPTION { ID = irqstack  NAME = "IRQ stack size (bytes)"  TYPE = HEXADECIMAL
//;;              HELP = "Bytes kept for the interrupt stack below the top of RAM"
//;;              DEFAULT = 0x80  MIN = 0x20  MAX = 0x1000  KEY = "IRQ_Stack_Size" }
//;;   }
//;;   OPTION { ID = wdtoff  NAME = "Disable the watchdog"  TYPE = BOOL  DEFAULT = 1
//;;            HELP = "The watchdog runs after a reset and resets the chip unless it is disabled or served"
//;;            KEY = "WDT_DISABLE" }
//;; }

        .equ    Mode_IRQ, 0x12
        .equ    Mode_SVC, 0x13
        .equ    I_Bit,    0x80
        .equ    F_Bit,    0x40
        .equ    IRQ_Stack_Size, 0x80
        .equ    WDT_DISABLE, 1
        .equ    WDT_MR,   0xFFFFFD44    /* watchdog mode register */
        .equ    WDT_WDDIS, 0x8000

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
        nop                             /* reserved */
        ldr     pc, [pc, #-0xF20]       /* IRQ: the vector from the AIC (AIC_IVR) */
        ldr     pc, [pc, #-0xF20]       /* FIQ: the vector from the AIC (AIC_FVR) */

Reset_Addr:     .word   Reset_Handler
Undef_Addr:     .word   Hang
SWI_Addr:       .word   Hang
PAbt_Addr:      .word   Hang
DAbt_Addr:      .word   Hang

        .text
Reset_Handler:
.if WDT_DISABLE
        ldr     r0, =WDT_MR             /* the mode register is written once after a reset */
        ldr     r1, =WDT_WDDIS
        str     r1, [r0]
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
