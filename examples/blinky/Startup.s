@ Startup code of the Blinky example for the LPC2138: exception vectors,
@ stacks, initialised data and zeroed data, then main().

        .equ    Mode_USR, 0x10
        .equ    Mode_IRQ, 0x12
        .equ    Mode_SVC, 0x13
        .equ    I_Bit,    0x80
        .equ    F_Bit,    0x40
        .equ    IRQ_Stack_Size, 0x80

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
        .word   0                       @ checksum of the vectors, set by the flash tool
        ldr     pc, [pc, #-0x0FF0]      @ vector from the interrupt controller
        ldr     pc, FIQ_Addr

Reset_Addr:     .word   Reset_Handler
Undef_Addr:     .word   Hang
SWI_Addr:       .word   Hang
PAbt_Addr:      .word   Hang
DAbt_Addr:      .word   Hang
FIQ_Addr:       .word   Hang

        .text
Reset_Handler:
        ldr     r0, =__stack_top
        msr     cpsr_c, #Mode_IRQ | I_Bit | F_Bit
        mov     sp, r0
        sub     r0, r0, #IRQ_Stack_Size
        msr     cpsr_c, #Mode_SVC | I_Bit | F_Bit
        mov     sp, r0

        ldr     r1, =__data_load        @ copy initialised data from flash
        ldr     r2, =__data_start
        ldr     r3, =__data_end
1:      cmp     r2, r3
        ldrlo   r0, [r1], #4
        strlo   r0, [r2], #4
        blo     1b

        mov     r0, #0                  @ clear the zero-initialised data
        ldr     r1, =__bss_start
        ldr     r2, =__bss_end
2:      cmp     r1, r2
        strlo   r0, [r1], #4
        blo     2b

        bl      main
Hang:   b       Hang

        .end
