// KEY=value lists: the singly linked {next, key, value} nodes that option
// blocks keep for target settings (e.g. the bank wizard's "NSZCOM"), for the
// debugger driver and for the flash utility.
//
// Keys compare ignoring ASCII case. Nodes live in a pool and are never
// freed one by one; a replaced value leaves the old text in its pool.
#pragma once

#include <string>
#include <string_view>

#include "project/text/opt_string.h"

namespace pm2 {

struct KeyValueRec {
  KeyValueRec* next = nullptr;
  OptString key;    // never empty in a list built by SetKeyValue
  OptString value;
};

// Sets key to value in the list headed by list: an existing node (key
// compared ignoring case) gets the value only when its text differs; else a
// new node is appended. Nodes and texts go into the pool (1 by default).
// Returns the list head (the new node when the list was empty). An empty
// key changes nothing.
KeyValueRec* SetKeyValue(KeyValueRec* list, std::string_view key, std::string_view value,
                         int pool = 1);

// The value of key, or "" when the key is absent.
std::string GetKeyValue(const KeyValueRec* list, std::string_view key);

// A copy of the whole list in the pool (keys and values duplicated, empty
// values kept as g_szEmptyOpt).
KeyValueRec* CopyKeyValueList(const KeyValueRec* list, int pool);

}  // namespace pm2
