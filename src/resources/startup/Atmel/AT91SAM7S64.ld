/* Memory of the AT91SAM7S64: 64 KB flash at 0x00100000, 16 KB RAM at 0x00200000.
   The linker script of the startup file Atmel/Startup.s: the vectors first,
   the code and constants in flash, the initialised data in RAM with its
   copy in flash, and the symbols the startup code reads. */
MEMORY
{
  FLASH (rx)  : ORIGIN = 0x00100000, LENGTH = 64K
  RAM   (rwx) : ORIGIN = 0x00200000, LENGTH = 16K
}

ENTRY(_start)

SECTIONS
{
  .text :
  {
    KEEP(*(.vectors))
    *(.text*)
    *(.glue_7) *(.glue_7t)
    *(.rodata*)
    . = ALIGN(4);
  } > FLASH

  .ARM.exidx :
  {
    *(.ARM.exidx* .gnu.linkonce.armexidx.*)
  } > FLASH

  .data :
  {
    __data_start = .;
    *(.data*)
    . = ALIGN(4);
    __data_end = .;
  } > RAM AT > FLASH
  __data_load = LOADADDR(.data);

  .bss (NOLOAD) :
  {
    __bss_start = .;
    *(.bss*)
    *(COMMON)
    . = ALIGN(4);
    __bss_end = .;
    end = .;
  } > RAM

  __stack_top = ORIGIN(RAM) + LENGTH(RAM);
}
