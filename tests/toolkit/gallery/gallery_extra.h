#pragma once
// Pictures of the controls beyond the list and tree (list-box editor,
// browse edits, tip), kept apart so each part of the gallery stays small.

#include <QWidget>
#include <functional>
#include <utility>
#include <vector>

namespace pm2 {
std::vector<std::pair<const char*, std::function<QWidget*()>>> ExtraShots();
}  // namespace pm2
