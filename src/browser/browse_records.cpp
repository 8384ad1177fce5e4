#include "browser/browse_records.h"

namespace pm2 {

bool IsModuleStartType(uint8_t type) {
  static constexpr uint8_t kStarts[] = {0x02, 0x2E, 0x70, 0x82, 0x8A, 0xC4};
  for (uint8_t t : kStarts)
    if (t == type) return true;
  return false;
}

bool IsModuleEndType(uint8_t type) { return type == 0x04 || type == 0x8A || type == 0xC6; }

RecordStatus BrowseRecordReader::Next(BrowseRecord* record) {
  if (m_pos == m_size) return RecordStatus::kEndOfData;
  if (m_size - m_pos < 3) return RecordStatus::kDamaged;
  const size_t length = static_cast<size_t>(m_data[m_pos + 1]) | static_cast<size_t>(m_data[m_pos + 2]) << 8;
  if (length == 0 || length > m_size - m_pos - 3) return RecordStatus::kDamaged;
  record->type = m_data[m_pos];
  record->contents = m_data + m_pos + 3;
  record->size = length - 1;
  m_pos += 3 + length;
  return RecordStatus::kRecord;
}

bool ContentCursor::U8(uint8_t* v) {
  if (Left() < 1) return false;
  *v = m_data[m_pos++];
  return true;
}

bool ContentCursor::U16(uint16_t* v) {
  if (Left() < 2) return false;
  *v = static_cast<uint16_t>(m_data[m_pos] | m_data[m_pos + 1] << 8);
  m_pos += 2;
  return true;
}

bool ContentCursor::U32(uint32_t* v) {
  if (Left() < 4) return false;
  uint16_t low = 0, high = 0;
  U16(&low);
  U16(&high);
  *v = static_cast<uint32_t>(low) | static_cast<uint32_t>(high) << 16;
  return true;
}

bool ContentCursor::Name(std::string* v) {
  if (Left() < 1) return false;
  const size_t n = m_data[m_pos];
  if (Left() - 1 < n) return false;
  v->assign(reinterpret_cast<const char*>(m_data + m_pos + 1), n);
  m_pos += 1 + n;
  return true;
}

}  // namespace pm2
