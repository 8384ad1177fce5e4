#include "gallery_extra.h"

namespace pm2 {
std::vector<std::pair<const char*, std::function<QWidget*()>>> ExtraShots() { return {}; }
}  // namespace pm2
