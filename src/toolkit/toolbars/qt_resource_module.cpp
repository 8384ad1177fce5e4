#include "toolkit/toolbars/qt_resource_module.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include "toolkit/controls/pixel_image.h"
#include "toolkit/toolbars/toolbar_images.h"
#include "toolkit/toolbars/toolbar_resource.h"

namespace pm2 {

namespace {

// The strips are PNGs built into the program: read as such, without probing
// the data, which would load every image-format plug-in at start-up.
QImage ReadPng(std::string_view png) {
  QByteArray bytes = QByteArray::fromRawData(png.data(), qsizetype(png.size()));
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::ReadOnly);
  QImageReader reader(&buffer, "png");
  reader.setAutoDetectImageFormat(false);
  return reader.read();
}

}  // namespace

bool BuildResourceModule(const ResourceTables& tables, MemoryResourceModule* out, std::string* err) {
  bool ok = true;
  for (const ToolbarImage& strip : ToolbarImages()) {
    const std::vector<CommandId>* ids = tables.Toolbar(strip.id);
    const QImage image = ReadPng(strip.png);
    int images = 0;
    if (ids)
      for (CommandId id : *ids) images += id != 0;
    if (!ids || image.isNull() || images == 0 || image.width() % images != 0) {
      if (err) {
        *err = "toolbar strip " + std::to_string(strip.id) + ": " +
               (!ids ? std::string("no TOOLBAR table of that id")
                     : image.isNull() ? std::string("the PNG cannot be read")
                                      : std::to_string(image.width()) + " pixels wide for " + std::to_string(images) +
                                            " images");
      }
      ok = false;
      continue;
    }
    out->AddResource(strip.id, kRtToolbar, WriteToolbarResource(image.width() / images, image.height(), *ids));
    out->AddBitmap(strip.id, ToPixels(image));
  }
  return ok;
}

const ResourceModule& ToolkitResourceModule() {
  static const MemoryResourceModule kModule = [] {
    MemoryResourceModule m;
    std::string err;
    BuildResourceModule(ToolkitResources(), &m, &err);
    return m;
  }();
  return kModule;
}

}  // namespace pm2
