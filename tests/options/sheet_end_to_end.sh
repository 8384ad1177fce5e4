#!/usr/bin/env bash
# The options sheet's views in the running program on the X11 platform
# under Xvfb: a long command line in the compiler page's preview, scrolled
# to its end by the keyboard; the Debug page on the example (each side's
# DLL, parameters and initialisation file where the session reads them);
# the eleven tabs of a 166 target, all in sight. Every view is a PNG in
# <build>/gallery/options_sheet.
#   sheet_end_to_end.sh <build> <source> <screen_grab> <family_projects>
# Exit 77 (skipped) without Xvfb or xdotool.
set -euo pipefail
build=$(cd "$1" && pwd); src=$2; grab=$3; maker=$4
. "$(dirname "${BASH_SOURCE[0]}")/../e2e_common.sh"
. "$(dirname "${BASH_SOURCE[0]}")/options_e2e.sh"
e2e_need Xvfb xdotool
e2e_in_xvfb "$@"
e2e_start_work pm2sheet options_sheet
e2e_copy_blinky
"$maker" "$work"
type_delay=5

start_program "$work/run1.txt" "$work/blinky/Blinky.pm2"
xdotool key alt+F7
sheet=$(find_window "Options for Target 'LPC2138'") || fail "the options sheet did not open"
e2e_wait_focus "$sheet"
# The compiler page: more defines and options than the preview shows.
next_page; next_page; next_page
incs=""
for i in $(seq 1 30); do incs="${incs}include/folder_with_a_long_name_$i;"; done
type_into alt+i "${incs}last_folder"
type_into alt+d "FIRST_DEFINE=1,SECOND_DEFINE=2,THIRD_DEFINE=3,FOURTH_DEFINE=4,FIFTH=5,SIXTH=6,LAST_DEFINE"
type_into alt+m "-fno-common -ffunction-sections -fdata-sections -fno-strict-aliasing -fomit-frame-pointer -Wextra -Wshadow -Wconversion -Wundef -Wcast-align -Wpointer-arith -Wredundant-decls -Wmissing-prototypes -Wstrict-prototypes END_OF_LINE"
shot 01-preview-long-line
# Tab from the last field into the preview, then its end.
xdotool key Tab ctrl+End
shot 02-preview-scrolled-to-its-end
# The Debug page of the example.
next_page; next_page; next_page
shot 03-debug-page-on-the-example
cancel_and_wait
quit_program
stop_program

# A 166 target: eleven pages.
start_program "$work/run2.txt" "$work/P166/P166.Pm2"
xdotool key alt+F7
sheet=$(find_window "Options for Target 'P166'") || fail "the 166 sheet did not open"
e2e_wait_focus "$sheet"
shot 04-166-sheet-tabs
cancel_and_wait "the 166 sheet: "
quit_program
stop_program
echo "pictures in $gallery"
