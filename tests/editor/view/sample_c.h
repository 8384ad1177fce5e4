// A C source of the kind the editor shows most: an embedded program with
// comments, strings, numbers, tabs and one very long line.
#pragma once

namespace pm2 {

inline const char kSampleC[] =
    "/*\r\n"
    " * blinky.c - toggles the LEDs of the evaluation board\r\n"
    " * on every timer tick.\r\n"
    " */\r\n"
    "#include <stdint.h>\r\n"
    "#include \"board.h\"\r\n"
    "\r\n"
    "#define LED_MASK\t0x00FF0000u\t// P1.16 .. P1.23\r\n"
    "#define TICKS_PER_SECOND\t100\r\n"
    "\r\n"
    "static volatile uint32_t g_ticks;\t/* counted by the timer */\r\n"
    "static const char g_banner[] = \"Blinky /* not a comment */ v1.2\\n\";\r\n"
    "\r\n"
    "void timer0_isr(void) __irq\r\n"
    "{\r\n"
    "\tg_ticks++;\r\n"
    "\tT0IR = 1;\t\t\t// clear the interrupt flag\r\n"
    "\tVICVectAddr = 0;\t// acknowledge the interrupt\r\n"
    "}\r\n"
    "\r\n"
    "static void delay(uint32_t ticks)\r\n"
    "{\r\n"
    "\tuint32_t start = g_ticks;\r\n"
    "\twhile ((g_ticks - start) < ticks) {\r\n"
    "\t\t/* wait */\r\n"
    "\t}\r\n"
    "}\r\n"
    "\r\n"
    "int main(void)\r\n"
    "{\r\n"
    "\tuint32_t led = 0x00010000u;\r\n"
    "\r\n"
    "\tboard_init();\r\n"
    "\tuart_puts(g_banner);\r\n"
    "\tfor (;;) {\r\n"
    "\t\tIOSET1 = led;\r\n"
    "\t\tdelay(TICKS_PER_SECOND / 4);\r\n"
    "\t\tIOCLR1 = led;\r\n"
    "\t\tled = (led << 1) & LED_MASK ? (led << 1) : 0x00010000u;\r\n"
    "\t\tif (uart_ready() && uart_getc() == 'q') break;  /* a long line follows */\r\n"
    "\t\tconfigure_pll_and_memory_accelerator_module(PLL_MULTIPLIER_5, PLL_DIVIDER_2, MAM_FULLY_ENABLED, MAM_FETCH_CYCLES_3, VPB_DIVIDER_4, 0x12345678u);\r\n"
    "\t}\r\n"
    "\treturn 0;\r\n"
    "}\r\n";

}  // namespace pm2
