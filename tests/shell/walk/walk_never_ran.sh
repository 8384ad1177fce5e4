#!/usr/bin/env bash
# The commands the walk offers a user and never ran enabled, from the
# record PM2_WALK_RAN=<file> wrote (walk_ran_record.h):
#   rm -f /tmp/ran; PM2_WALK_RAN=/tmp/ran ctest --test-dir build -R 'CommandWalkTest|KnownRoadTest' -j 8
#   tests/shell/walk/walk_never_ran.sh /tmp/ran [--states]
# A context-menu item counts as running its command where the menu is made
# of the frame's commands (the editor's, its margin's, the project
# window's), and in a window's own menu where the command is that window's
# (its row in the command table says "(<window> window)"): the other
# windows number their items with ids of their own.
# Then the offered commands whose outcome the walk does not judge against
# what the user asked for (no row in walk_outcomes.h's CommandOutcomes:
# held only to the general checks), the context-menu items shown enabled
# and never chosen; with --states, each command that ran with the states
# it ran in.
set -euo pipefail
record=${1:?usage: walk_never_ran.sh <record file> [--states]}
awk -F'\t' -v states="${2:-}" '
  $1 == "offered" { text[$2] = $3 }
  $1 == "judged"  { judged[$2] = $3 }
  $1 == "ran"     { Ran($3, $2) }
  $1 == "item"    { chosen[$3] = 1; if ($4 != 0) items[$4] = items[$4] "\n" $3 "\t" $2 }
  $1 == "listed"  { listed[$3] = $2 }
  function Ran(id, state) {
    ran[id] = 1
    if (index(" " where[id] " ", " " state " ") == 0) where[id] = where[id] " " state
  }
  END {
    for (id in items) {
      k = split(substr(items[id], 2), seen, "\n")
      for (j = 1; j <= k; j++) {
        split(seen[j], f, "\t")
        w = f[1]; sub(/[#@:-].*/, "", w)
        own = (id in text) ? text[id] : ""
        if (w == "editor" || w == "margin" || w == "project" || w == "code" || index(own, "(" w " window)") == 1)
          Ran(id, f[2])
      }
    }
    n = 0; total = 0
    for (id in text) { total++; if (!(id in ran)) n++ }
    printf "offered commands: %d, never run enabled: %d\n", total, n
    for (id in text) if (!(id in ran)) printf "  %s  %s\n", id, text[id] | "sort -n"
    close("sort -n")
    u = 0
    for (id in text) if (!(id in judged)) u++
    printf "offered commands without a judged outcome (unjudged): %d\n", u
    for (id in text) if (!(id in judged)) printf "  %s  %s\n", id, text[id] | "sort -n"
    close("sort -n")
    m = 0
    for (item in listed) if (!(item in chosen)) m++
    printf "context-menu items shown enabled and never chosen: %d\n", m
    for (item in listed) if (!(item in chosen)) printf "  %s  (seen in %s)\n", item, listed[item] | "sort"
    close("sort")
    if (states != "--states") exit
    print "commands run, with their states:"
    for (id in text) if (id in ran) printf "  %s  %s:%s\n", id, text[id], where[id] | "sort -n"
    close("sort -n")
  }' "$record"
