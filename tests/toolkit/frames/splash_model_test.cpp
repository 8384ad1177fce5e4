// Where the splash stands.
#include <gtest/gtest.h>

#include "toolkit/frames/splash_model.h"

namespace pm2 {
namespace {

struct PlaceRow {
  const char* name;
  Rect screen;
  Size picture;
  Point at;
};

TEST(SplashModel, CentredPositionRows) {
  const PlaceRow rows[] = {
      {"smaller picture centred", {0, 0, 1280, 1024}, {520, 320}, {380, 352}},
      {"odd room truncates", {0, 0, 1281, 1025}, {520, 320}, {380, 352}},
      {"picture as large as the screen", {0, 0, 520, 320}, {520, 320}, {0, 0}},
      {"larger picture gets negative coordinates", {0, 0, 800, 600}, {1000, 700}, {-100, -50}},
      {"odd overhang truncates toward zero", {0, 0, 799, 599}, {1000, 700}, {-100, -50}},
      {"second screen keeps its origin", {1280, 100, 2560, 1124}, {520, 320}, {1660, 452}},
  };
  for (const PlaceRow& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(SplashPosition(row.screen, row.picture), row.at);
  }
}

}  // namespace
}  // namespace pm2
