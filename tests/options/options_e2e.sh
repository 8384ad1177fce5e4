# Shared by the options sheet's end-to-end scripts (after e2e_common.sh).

# Clicks a button of the sheet's bottom row: -1 OK, 0 Cancel, 1 Defaults.
click_button() {
  eval "$(xdotool getwindowgeometry --shell "$sheet")"
  xdotool mousemove "$((X + WIDTH / 2 + $1 * 92))" "$((Y + HEIGHT - 22))" click 1
}
next_page() { xdotool key ctrl+Tab; sleep 0.3; }
sheet_open() { xdotool search --onlyvisible --name "Options for Target" > /dev/null 2>&1; }
sheet_closed() { ! sheet_open; }
# OK, then up to five seconds for the sheet to close: the failure's subject.
ok_and_wait() {
  click_button -1
  poll 50 sheet_closed || fail "${1:-}OK did not close the sheet"
  sleep 0.5
}
