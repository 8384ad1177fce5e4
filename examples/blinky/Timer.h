#ifndef TIMER_H
#define TIMER_H

#define TICKS_PER_SECOND 100

void Timer_Init(unsigned long pclk_hz);
unsigned long Timer_Ticks(void);
void Timer_Delay(unsigned long ticks);

#endif
