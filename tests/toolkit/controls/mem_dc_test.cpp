#include "toolkit/controls/mem_dc.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

// The target's mapping (an origin moved and a scale) must carry over: what is
// drawn off-screen in logical coordinates lands on the same device pixels as
// direct drawing would, and only when the off-screen painter goes away.
TEST(SECMemDC, DrawsInTheTargetsLogicalCoordinatesAndCopiesOnDestruction) {
  struct Row {
    const char* name;
    QTransform mapping;
  };
  const Row rows[] = {
      {"plain", QTransform()},
      {"origin moved", QTransform::fromTranslate(7, 3)},
      {"origin moved and scaled", QTransform::fromTranslate(4, 6).scale(2, 2)},
  };
  const QRect logical(2, 1, 10, 8), drawn(3, 2, 4, 3);
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    QImage direct(48, 40, QImage::Format_ARGB32_Premultiplied), buffered = direct;
    direct.fill(Qt::white);
    buffered.fill(Qt::white);
    {
      QPainter p(&direct);
      p.setWorldTransform(row.mapping);
      p.fillRect(drawn, Qt::red);
    }
    {
      QPainter target(&buffered);
      target.setWorldTransform(row.mapping);
      {
        SECMemDC mem(&target, logical);
        EXPECT_EQ(mem.DeviceRect(), row.mapping.mapRect(logical));
        mem.fillRect(drawn, Qt::red);
        EXPECT_EQ(buffered, [&] {
          QImage white(buffered.size(), buffered.format());
          white.fill(Qt::white);
          return white;
        }()) << "nothing reaches the target before the copy";
      }
    }
    EXPECT_EQ(buffered, direct);
  }
}

TEST(SECMemDC, RefusesATargetThatIsNotPainting) {
  EXPECT_THROW(SECMemDC(nullptr, QRect(0, 0, 4, 4)), SECResourceException);
  QPainter idle;
  EXPECT_THROW(SECMemDC(&idle, QRect(0, 0, 4, 4)), SECResourceException);
}

}  // namespace
}  // namespace pm2
