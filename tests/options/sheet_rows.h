// The sheets the field tests open, a row each: every family's target, its
// groups and the file types its pages differ for. The fixture opens the
// row's toolset and adds the edited file where the row edits a file.
#pragma once

#include <vector>

#include "options/sheet_fixture.h"

namespace pm2::test {

struct SheetRow {
  const char* name;
  uint16_t toolset;
  uint32_t x51;
  int node;              // 0 target, 1 group, 2 the file edited
  uint8_t fileType = 0;  // the edited file's type
};

inline const std::vector<SheetRow>& SheetRows() {
  static const std::vector<SheetRow> rows = {
      {"Q51Target", 0, 0, 0},
      {"Q51Group", 0, 0, 1},
      {"Q51CFile", 0, 0, 2, kFileC},
      {"Q51AsmFile", 0, 0, 2, kFileAsm},
      {"Q51CustomFile", 0, 0, 2, kFileCustom},
      {"QX51Target", 0, 0x1020000, 0},
      {"Banked51Target", 0, 0x8000, 0},
      {"Q251Target", 1, 0, 0},
      {"Q251Group", 1, 0, 1},
      {"Q251CFile", 1, 0, 2, kFileC},
      {"Q166Target", 2, 0, 0},
      {"Q166Group", 2, 0, 1},
      {"Q166CFile", 2, 0, 2, kFileC},
      {"Q166CppFile", 2, 0, 2, kFileCpp},
      {"Q166AsmFile", 2, 0, 2, kFileAsm},
      {"ArmGnuTarget", 3, 0, 0},
      {"ArmGnuGroup", 3, 0, 1},
      {"ArmGnuCFile", 3, 0, 2, kFileC},
      {"ArmGnuAsmFile", 3, 0, 2, kFileAsm},
      {"ArmAdsTarget", 4, 0, 0},
      {"ArmAdsGroup", 4, 0, 1},
      {"ArmAdsCFile", 4, 0, 2, kFileC},
  };
  return rows;
}

class SheetRowFixture : public SheetFixture, public ::testing::WithParamInterface<SheetRow> {
 protected:
  using SheetFixture::SheetFixture;
  void SetUp() override {
    SheetFixture::SetUp();
    const SheetRow& r = GetParam();
    UseToolset(r.toolset, r.x51);
    if (r.node == 2) m_file = AddFileToGroup(m_group, "edited.x", ".\\", r.fileType);
  }
  int NodeKind() const { return GetParam().node == 0 ? kKindTarget : GetParam().node == 1 ? kKindGroup : kKindFile; }
  NodeRec* Node() const {
    if (GetParam().node == 0) return m_target;
    if (GetParam().node == 1) return m_group;
    return m_file;
  }
};

}  // namespace pm2::test
