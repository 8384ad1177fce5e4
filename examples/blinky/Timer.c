#include "LPC2138.h"
#include "Timer.h"

static volatile unsigned long ticks;

/* Polled timer: match register 0 resets the counter every tick. */
void Timer_Init(unsigned long pclk_hz) {
  T0TCR = 2;                                /* reset */
  T0PR = 0;
  T0MR0 = pclk_hz / TICKS_PER_SECOND - 1;
  T0MCR = 2;                                /* reset on MR0 */
  T0IR = 1;
  T0TCR = 1;                                /* run */
}

unsigned long Timer_Ticks(void) {
  if (T0IR & 1) {
    T0IR = 1;
    ticks++;
  }
  return ticks;
}

void Timer_Delay(unsigned long n) {
  unsigned long start = Timer_Ticks();
  while (Timer_Ticks() - start < n) {
  }
}
