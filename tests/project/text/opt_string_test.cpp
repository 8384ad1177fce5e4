#include "project/text/opt_string.h"

#include <gtest/gtest.h>

#include <cstring>

#include "project/text/pool.h"

namespace pm2 {
namespace {

struct Fields {
  OptString a;
  OptString b;
};

TEST(OptString, UnsetAndZeroedHandlesAreTheSharedEmptyValue) {
  Fields f;
  EXPECT_TRUE(f.a.IsEmptyOpt());
  EXPECT_EQ(f.a.c_str(), g_szEmptyOpt);
  EXPECT_EQ(OptString(nullptr).c_str(), g_szEmptyOpt);
  Fields zeroed;
  std::memset(static_cast<void*>(&zeroed), 0, sizeof zeroed);  // as pool memory
  EXPECT_EQ(zeroed.a.c_str(), g_szEmptyOpt);
  EXPECT_TRUE(zeroed.a.SameStored(f.b));
  EXPECT_TRUE(OptString::Pooled("", kPoolScratch).IsEmptyOpt());
  EXPECT_TRUE(PoolStrDupOrEmpty(nullptr, kPoolScratch).IsEmptyOpt());
}

TEST(OptString, IdentityAndContentComparisonDiffer) {
  OptString x = OptString::Pooled("MOD167", kPoolScratch);
  OptString y = OptString::Pooled("MOD167", kPoolScratch);
  OptString copy = x;
  EXPECT_TRUE(copy.SameStored(x));
  EXPECT_FALSE(y.SameStored(x));
  EXPECT_EQ(x, y);
  EXPECT_EQ(x, "MOD167");
  EXPECT_FALSE(x == "mod167");
  EXPECT_TRUE(x.EqualsNoCase("mod167"));
  EXPECT_FALSE(x.EqualsNoCase("mod16"));
  EXPECT_EQ(OptString(), static_cast<const char*>(nullptr));

  // Byte-wise copies of records keep sharing the stored text.
  Fields f{x, OptString()};
  Fields g;
  std::memcpy(static_cast<void*>(&g), &f, sizeof f);
  EXPECT_TRUE(g.a.SameStored(x));
  EXPECT_EQ(g.a.size(), 6u);
  PoolFree(kPoolScratch);
}

}  // namespace
}  // namespace pm2
