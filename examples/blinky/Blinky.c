/* Blinky: runs a light along the eight LEDs of the board. */
#include "LED.h"
#include "Timer.h"

#define PCLK_HZ 15000000UL

static unsigned int pattern_step;

int main(void) {
  unsigned int n = LED_Count();
  LED_Init();
  Timer_Init(PCLK_HZ);
  for (;;) {
    LED_On(pattern_step);
    Timer_Delay(TICKS_PER_SECOND / 4);
    LED_Off(pattern_step);
    pattern_step = (pattern_step + 1) % n;
  }
}
