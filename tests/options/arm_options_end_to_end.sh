#!/usr/bin/env bash
# The option pages of both ARM toolsets in the running program on the X11
# platform under Xvfb. For the example's ARM-GNU target (real
# arm-none-eabi tools) and an ARM-ADS target (the stand-in tools, which log
# their command lines): every page opens with the stored options, takes a
# change (the preview shows it), OK saves the project, and the next build
# runs with it. Every step is a PNG in <build>/gallery/arm_options_ide.
#   arm_options_end_to_end.sh <build> <source> <screen_grab>
# Matches after a pipe read all their input: an early exit would break the
# writer's pipe and fail the pipeline under pipefail.
# Exit 77 (skipped) without Xvfb, xdotool or the ARM tools.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/options_e2e.sh"
e2e_need Xvfb xdotool arm-none-eabi-gcc
e2e_in_xvfb "$@"
e2e_start_work pm2armopts arm_options_ide
export PM2_STANDIN="record $work/standin.log"

start() { start_program "$2" "$1"; }  # project, log
build_and_wait() {  # plg file, output text
  focus_main
  xdotool key F7
  e2e_poll 120 in_file "$1" "Error(s)" || true
  grep -q "$2 - 0 Error(s)" "$1" || fail "the build of $2 failed: $(cat "$1" 2>/dev/null)"
}
quit() { quit_program; }

# ---------------------------------------------------------------- ARM-GNU
e2e_copy_blinky
project="$work/blinky/Blinky.pm2"
start "$project" "$work/run1.txt"
xdotool key alt+F7
sheet=$(find_window "Options for Target 'LPC2138'") || fail "the options sheet did not open"
e2e_wait_focus "$sheet"
shot gnu-01-target
type_into alt+x "14.7456"
shot gnu-02-target-clock
next_page
type_into alt+n "ArmE2E"
shot gnu-03-output
next_page
xdotool key alt+a   # the assembler listing on
shot gnu-04-listing
next_page
type_into alt+d "E2E_ARM"
type_into alt+m "-g3"   # macro definitions in the debug information
shot gnu-05-compiler
next_page
type_into alt+d "E2E_ASM"
shot gnu-06-assembler
next_page
type_into alt+m "-Wl,--defsym=E2E_LD=1"
shot gnu-07-linker
ok_and_wait
e2e_wait_file_contains "$project" "OutName (ArmE2E)" 10
for text in "OutName (ArmE2E)" "E2E_ARM" "E2E_ASM" "E2E_LD"; do
  grep -q -- "$text" "$project" || fail "the project file lacks $text"
done
build_and_wait "$work/blinky/Obj/ArmE2E.plg" '"./Obj/ArmE2E.elf"'
shot gnu-08-built
strings "$work/blinky/Obj/Blinky.o" | grep "E2E_ARM" > /dev/null || fail "the compiler did not get the define"
arm-none-eabi-nm "$work/blinky/Obj/Startup.o" | grep "E2E_ASM" > /dev/null || fail "the assembler did not get the symbol"
arm-none-eabi-nm "$work/blinky/Obj/ArmE2E.elf" | grep "E2E_LD" > /dev/null || fail "the linker did not get the misc controls"
grep -q -- "--defsym=E2E_LD=1" "$work/blinky/Obj/ArmE2E.lnp" || fail "the linker's command file lacks the misc controls"
ls "$work/blinky/Obj/"*.lst > /dev/null 2>&1 || fail "no assembler listings"
# The stored options come back on the next opening.
focus_main
xdotool key alt+F7
sheet=$(find_window "Options for Target 'LPC2138'") || fail "the options sheet did not open again"
e2e_wait_focus "$sheet"
shot gnu-09-reopened
cancel_and_wait
quit
# The clock lives in the options file, written when the project closes.
grep -q "ARMCLK=14745600" "$work/blinky/Blinky.Opt" || fail "the options file lacks the clock"

# ---------------------------------------------------------------- ARM-ADS
mkdir -p "$work/ads"
cp "$src/examples/blinky/"{Blinky.c,LED.c,LED.h,Startup.s,LPC2138.h,Timer.h} "$work/ads/"
cat > "$work/ads/Ads.pm2" << 'PROJECT'
### Pelmora2 Project, (C) Vond Software
### Do not modify !

Target (AdsBoard), 0x0004 // Tools: 'ARM-ADS'

Group (Source)

File 1,1,<./Blinky.c><Blinky.c> 0x0 
File 1,1,<./LED.c><LED.c> 0x0 
File 1,2,<./Startup.s><Startup.s> 0x0 


Options 1,0,0  // Target 'AdsBoard'
 Device (LPC2138)
 Vendor (NXP)
 Cpu (IRAM(0x40000000-0x40007FFF) IROM(0-0x7FFFF) CLOCK(12000000) CPUTYPE(ARM7TDMI-S))
 OutDir (./Obj/)
 OutName (AdsOut)
 GenApp=1
 LstDir (./Obj/)
EndOpt
PROJECT
project="$work/ads/Ads.pm2"
start "$project" "$work/run2.txt"
xdotool key alt+F7
sheet=$(find_window "Options for Target 'AdsBoard'") || fail "the ARM-ADS options sheet did not open"
e2e_wait_focus "$sheet"
shot ads-01-target
type_into alt+x "20"
next_page
type_into alt+n "AdsE2E"
shot ads-02-output
next_page
xdotool key alt+r   # no cross reference in the assembler listing
shot ads-03-listing
next_page
type_into alt+d "ADS_DEF"
shot ads-04-compiler
next_page
type_into alt+d "ADS_SYM"
shot ads-05-assembler
next_page
type_into alt+r "0x8000"
type_into alt+m "-remove"
shot ads-06-linker
ok_and_wait
e2e_wait_file_contains "$project" "OutName (AdsE2E)" 10
for text in "OutName (AdsE2E)" "ADS_DEF" "ADS_SYM" "0x8000" "-remove"; do
  grep -q -- "$text" "$project" || fail "the project file lacks $text"
done
build_and_wait "$work/ads/Obj/AdsE2E.plg" '"./Obj/AdsE2E.axf"'
shot ads-07-built
log="$work/standin.log"
grep -q '^ArmCC .*-DADS_DEF .*Blinky.c' "$log" || fail "the compiler's line lacks the define: $(cat "$log")"
grep -q '^ArmAsm .*ADS_SYM SETA' "$log" || fail "the assembler's line lacks the symbol: $(cat "$log")"
grep '^ArmAsm ' "$log" | grep -- ' -xref' > /dev/null && fail "the assembler's line still has the cross reference"
grep -q '^ArmLink .*-ro-base 0x8000.*-remove.*AdsE2E.axf' "$log" || fail "the linker's line lacks the changes: $(cat "$log")"
quit
grep -q "ADSCLK=20000000" "$work/ads/Ads.Opt" || fail "the options file lacks the ADS clock"
echo "pictures in $gallery"
