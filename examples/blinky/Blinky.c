/* Blinky: runs a light along the eight LEDs, reports each step on UART0 and echoes keys. */
#include "LED.h"
#include "Timer.h"
#include "LPC2138.h"

/* UART0: 9600 baud, 8 bits, no parity, 1 stop bit. */
#define PCLK_HZ 15000000UL
#define BAUD    9600UL

static unsigned int pattern_step;

static void Serial_Init(void) {
  unsigned long divisor = PCLK_HZ / (16UL * BAUD);
  PINSEL0 = (PINSEL0 & ~0xFUL) | 0x5UL;  /* P0.0 TxD0, P0.1 RxD0 */
  U0LCR = 0x83;                          /* 8 bits, 1 stop bit, divisor latch open */
  U0DLL = divisor & 0xFF;
  U0DLM = divisor >> 8;
  U0LCR = 0x03;                          /* divisor latch closed */
}

static void Serial_PutChar(char c) {
  while (!(U0LSR & 0x20)) {
  }
  U0THR = (unsigned char)c;
}

static void Serial_PutString(const char *s) {
  while (*s) Serial_PutChar(*s++);
}

/* The next received character, or -1 when none is waiting. */
static int Serial_GetKey(void) { return (U0LSR & 0x01) ? (int)(U0RBR & 0xFF) : -1; }

int main(void) {
  unsigned int n = LED_Count();
  LED_Init();
  Serial_Init();
  Serial_PutString("Blinky: running\r\n");
  Timer_Init(PCLK_HZ);
  for (;;) {
    int key;
    LED_On(pattern_step);
    Serial_PutString("LED ");
    Serial_PutChar((char)('0' + pattern_step));
    Serial_PutString(" on\r\n");
    Timer_Delay(TICKS_PER_SECOND / 4);
    LED_Off(pattern_step);
    pattern_step = (pattern_step + 1) % n;
    key = Serial_GetKey();
    if (key >= 0) {
      Serial_PutString("key: ");
      Serial_PutChar((char)key);
      Serial_PutString("\r\n");
    }
  }
}
