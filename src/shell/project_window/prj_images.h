// The project tree's 13 images (18 x 16), in image-list order: folders
// closed and open, with and without options of their own, files by build
// state, their read-only forms and the missing file. Drawn here rather
// than loaded, in the system colours' classic palette.
#pragma once

#include <QIcon>
#include <memory>

namespace pm2 {

struct ImageStrip;

std::shared_ptr<ImageStrip> ProjectTreeImages();
// The icons of the project bar's tabs by page: 0 files, 1 registers,
// 2 books (16 x 16).
QIcon ProjectBarTabIcon(int page);

}  // namespace pm2
