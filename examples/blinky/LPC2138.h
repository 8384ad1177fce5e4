/* Peripheral registers of the NXP LPC2138 used by the Blinky example. */
#ifndef LPC2138_H
#define LPC2138_H

#define REG32(addr) (*(volatile unsigned long *)(addr))

/* General-purpose I/O, port 0 */
#define IOPIN0   REG32(0xE0028000)
#define IOSET0   REG32(0xE0028004)
#define IODIR0   REG32(0xE0028008)
#define IOCLR0   REG32(0xE002800C)

/* Timer 0 */
#define T0IR     REG32(0xE0004000)
#define T0TCR    REG32(0xE0004004)
#define T0TC     REG32(0xE0004008)
#define T0PR     REG32(0xE000400C)
#define T0MCR    REG32(0xE0004014)
#define T0MR0    REG32(0xE0004018)

/* UART0 and the pin connect block */
#define U0RBR    REG32(0xE000C000)   /* receive buffer (divisor latch closed) */
#define U0THR    REG32(0xE000C000)   /* transmit holding (divisor latch closed) */
#define U0DLL    REG32(0xE000C000)   /* divisor latch, low byte (latch open) */
#define U0DLM    REG32(0xE000C004)   /* divisor latch, high byte (latch open) */
#define U0LCR    REG32(0xE000C00C)
#define U0LSR    REG32(0xE000C014)
#define PINSEL0  REG32(0xE002C000)

/* Vectored interrupt controller */
#define VICIntEnable  REG32(0xFFFFF010)
#define VICVectAddr   REG32(0xFFFFF030)

/* Phase-locked loop and VPB divider */
#define PLLCON   REG32(0xE01FC080)
#define PLLCFG   REG32(0xE01FC084)
#define PLLSTAT  REG32(0xE01FC088)
#define PLLFEED  REG32(0xE01FC08C)
#define VPBDIV   REG32(0xE01FC100)

#endif
