#include "LPC2138.h"
#include "LED.h"

#define LED_FIRST_PIN 16
#define LED_COUNT     8

void LED_Init(void) {
  IODIR0 |= 0xFFUL << LED_FIRST_PIN;
  IOCLR0 = 0xFFUL << LED_FIRST_PIN;
}

void LED_On(unsigned int num) {
  if (num < LED_COUNT) IOSET0 = 1UL << (LED_FIRST_PIN + num);
}

void LED_Off(unsigned int num) {
  if (num < LED_COUNT) IOCLR0 = 1UL << (LED_FIRST_PIN + num);
}

unsigned int LED_Count(void) { return LED_COUNT; }
