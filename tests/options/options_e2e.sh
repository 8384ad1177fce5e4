# Shared by the options sheet's end-to-end scripts (after e2e_common.sh).

# Clicks a button of the sheet's bottom row: -1 OK, 0 Cancel, 1 Defaults.
click_button() {
  eval "$(xdotool getwindowgeometry --shell "$sheet")"
  xdotool mousemove "$((X + WIDTH / 2 + $1 * 92))" "$((Y + HEIGHT - 22))" click 1
}
# The next page: its fields take the keys that come after, in order.
next_page() { xdotool key ctrl+Tab; }
sheet_open() { xdotool search --onlyvisible --name "Options for Target" > /dev/null 2>&1; }
sheet_closed() { ! sheet_open; }
# OK, then the sheet closes (it saves before): the failure's subject.
ok_and_wait() {
  click_button -1
  e2e_poll 30 sheet_closed || fail "${1:-}OK did not close the sheet within 30 s"
}
# Cancel, then the sheet closes.
cancel_and_wait() {
  click_button 0
  e2e_poll 30 sheet_closed || fail "${1:-}Cancel did not close the sheet within 30 s"
}
