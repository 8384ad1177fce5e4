/* The eight LEDs on P0.16 .. P0.23 of the evaluation board. */
#ifndef LED_H
#define LED_H

void LED_Init(void);
void LED_On(unsigned int num);
void LED_Off(unsigned int num);
unsigned int LED_Count(void);

#endif
