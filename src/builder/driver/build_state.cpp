#include "builder/driver/build_state.h"

namespace pm2 {

std::vector<BuildItem*> BuildState::LinkInputs() {
  std::vector<BuildItem*> inputs;
  for (std::size_t i = HeadIsLinkItem() ? 1 : 0; i < items.size(); ++i) inputs.push_back(&items[i]);
  return inputs;
}

std::string WithoutQuotes(const std::string& name) {
  std::string s = name;
  if (!s.empty() && s.front() == '"') s.erase(0, 1);
  if (!s.empty() && s.back() == '"') s.pop_back();
  return s;
}

void RecordBuildItem(BuildState& state, TargetRec* target, GroupRec* group, FileRec* file) {
  RecordBuildItem(state, target, group, file, ToolRunRequest(state.request));
}

void RecordBuildItem(BuildState& state, TargetRec* target, GroupRec* group, FileRec* file,
                     ToolRunRequest&& request) {
  BuildItem item;
  item.request = std::move(request);
  item.request.runThrough = state.vspawnPath;
  std::string& object = item.request.objectFile;
  if (!object.empty() && object.front() != '"') {
    object.reserve(object.size() + 2);
    object.insert(object.begin(), '"');
    object.push_back('"');
  }
  item.target = target;
  item.group = group;
  item.file = file;
  // The link steps read the bank from the item; "none" is the common area.
  item.bank = item.request.extra == 0xFFFF ? 0 : uint16_t(item.request.extra);
  if (!group && !file) {
    if (state.HeadIsLinkItem()) state.items.front() = std::move(item);
    else state.items.insert(state.items.begin(), std::move(item));
    return;
  }
  if (file && !state.recordedFiles.insert(file).second) {
    for (BuildItem& existing : state.items)
      if (existing.file == file) {
        existing = std::move(item);
        return;
      }
  }
  state.items.push_back(std::move(item));
}

}  // namespace pm2
