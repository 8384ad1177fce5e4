#include "project/model/key_values.h"

#include "project/text/pool.h"

namespace pm2 {

KeyValueRec* SetKeyValue(KeyValueRec* list, std::string_view key, std::string_view value,
                         int pool) {
  if (key.empty()) return list;
  KeyValueRec* last = nullptr;
  for (KeyValueRec* n = list; n; n = n->next) {
    if (n->key.EqualsNoCase(key)) {
      // Only a changed text costs pool memory.
      if (n->value.view() != value) n->value = OptString::Pooled(value, pool);
      return list;
    }
    last = n;
  }
  KeyValueRec* node = PoolNew<KeyValueRec>(pool);
  node->key = OptString::Pooled(key, pool);
  node->value = OptString::Pooled(value, pool);
  if (!last) return node;
  last->next = node;
  return list;
}

std::string GetKeyValue(const KeyValueRec* list, std::string_view key) {
  for (const KeyValueRec* n = list; n; n = n->next)
    if (n->key.EqualsNoCase(key)) return n->value.str();
  return std::string();
}

KeyValueRec* CopyKeyValueList(const KeyValueRec* list, int pool) {
  KeyValueRec* head = nullptr;
  KeyValueRec** tail = &head;
  for (const KeyValueRec* n = list; n; n = n->next) {
    KeyValueRec* copy = PoolNew<KeyValueRec>(pool);
    copy->key = OptString::Pooled(n->key.view(), pool);
    copy->value = OptString::Pooled(n->value.view(), pool);
    *tail = copy;
    tail = &copy->next;
  }
  return head;
}

}  // namespace pm2
