// Builders shared by the project-file, options-file and binary-import
// tests: small projects in pool 1 and a field-by-field filler that gives
// every key of a block a distinct value.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "project/files/project_keys.h"
#include "project/files/project_lines.h"
#include "project/model/option_block.h"
#include "project/model/option_defaults.h"
#include "project/model/project_records.h"
#include "project/model_fixture.h"
#include "project/text/pool.h"

namespace pm2 {

class ProjectFileTest : public ModelTest {
 protected:
  ProjectRec* MakeProject(const char* folder = "C:\\work\\", const char* name = "demo") {
    ProjectRec* p = PoolNew<ProjectRec>(kPoolProject);
    p->name = OptString::Pooled(name, kPoolProject);
    p->folder = OptString::Pooled(folder, kPoolProject);
    p->filters[kFilterC] = OptString::Pooled("*.c", kPoolProject);
    p->filters[kFilterCpp] = OptString::Pooled("*.cpp", kPoolProject);
    return p;
  }
  TargetRec* AddTarget(ProjectRec* p, const char* name, uint16_t toolset, bool withBlock = true) {
    TargetRec* t = PoolNew<TargetRec>(kPoolProject);
    t->kind = kKindTarget;
    t->name = OptString::Pooled(name, kPoolProject);
    t->toolset = toolset;
    if (p->lastTarget) p->lastTarget->next = t; else p->firstTarget = t;
    p->lastTarget = t;
    if (!p->curTarget) p->curTarget = t;
    if (withBlock) {
      OptionBlock* b = NewOptionBlock(kPoolProject);
      b->owner = t;
      t->pOpts = b;
      SetDefaultOptions(*b, t, toolset, kLevelTarget);
    }
    return t;
  }
  GroupRec* AddGroupRec(ProjectRec* p, const char* name) {
    GroupRec* g = PoolNew<GroupRec>(kPoolProject);
    g->kind = kKindGroup;
    g->name = OptString::Pooled(name, kPoolProject);
    if (p->lastGroup) p->lastGroup->next = g; else p->firstGroup = g;
    p->lastGroup = g;
    return g;
  }
  FileRec* AddFile(GroupRec* g, const char* name, uint8_t type, uint32_t time = 0) {
    FileRec* f = PoolNew<FileRec>(kPoolProject);
    f->kind = kKindFile;
    f->name = OptString::Pooled(name, kPoolProject);
    f->path = OptString::Pooled(std::string(".\\src\\") + name, kPoolProject);
    f->type = type;
    f->time = time;
    f->group = g;
    if (g->lastFile) g->lastFile->next = f; else g->firstFile = f;
    g->lastFile = f;
    return f;
  }
  // A node's own block for the target, with node-level defaults.
  OptionBlock* AddNodeBlock(NodeRec* node, TargetRec* t) {
    OptionBlock* b = NewOptionBlock(kPoolProject);
    b->owner = t;
    b->next = node->pOpts;
    node->pOpts = b;
    InitBuildPropOpts(b->prop, kLevelNode);
    return b;
  }
};

// Gives every field of the block's families a value derived from seed and
// the row, so that a mix-up of two keys shows.
inline void FillFamilies(TargetRec* t, OptionBlock* b, int nodeKind, uint8_t fileType,
                         uint32_t seed) {
  KeyContext c{t, b, kPoolProject};
  uint32_t n = seed;
  for (int fam : BlockFamilies(nodeKind, t->toolset, fileType)) {
    const KeyFamily& f = GetKeyFamily(fam);
    for (std::size_t i = 0; i < f.count; ++i, n += 37) {
      const FieldRow& row = f.rows[i];
      switch (row.kind) {
        case FieldKind::kNumber:
        case FieldKind::kBits:
          row.set(c, (n * 2654435761u) & (row.width >= 32 ? 0xFFFFFFFFu : (1u << row.width) - 1));
          break;
        case FieldKind::kString:
          *row.str(c) = OptString::Pooled(std::string(row.key) + "-" + std::to_string(n),
                                          kPoolProject);
          break;
        case FieldKind::kBytes: {
          uint8_t bytes[64];
          for (int k = 0; k < row.width; ++k) bytes[k] = uint8_t(n + 3 * k);
          row.store(c, bytes);
          break;
        }
        case FieldKind::kLine:
          break;
      }
    }
  }
}

// Describes every key field of the block as text, for comparisons.
inline std::string DescribeFamilies(TargetRec* t, OptionBlock* b, int nodeKind, uint8_t fileType) {
  std::string out;
  ProjectLineWriter w(out);
  WriteOptionKeyLines(w, t, b, nodeKind, fileType);
  return out;
}

}  // namespace pm2
