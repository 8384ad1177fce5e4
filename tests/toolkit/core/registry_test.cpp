#include "toolkit/core/registry.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/settings_store.h"

namespace pm2 {
namespace {

class RegistryBuffers : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(reg.Connect(HKEY_CURRENT_USER));
    ASSERT_TRUE(reg.Create("Software\\Buffers"));
    ASSERT_TRUE(reg.SetStringValue("Text", "abc"));
    ASSERT_TRUE(reg.SetBinaryValue("Bytes", std::string("\x01\x00\x02", 3)));
  }
  SettingsStore store{"/nonexistent/registry.ini"};
  SECRegistry reg{store};
};

// The caller's buffer follows the registry's size rules: a null buffer asks
// for the size, a short one gets 234 and the size needed and stays untouched.
TEST_F(RegistryBuffers, QueryValueSizeRules) {
  struct Row {
    const char* name;
    const char* value;
    bool withBuffer;
    std::uint32_t room;
    long error;
    std::uint32_t sizeOut;
    std::string bytes;  // what the buffer holds afterwards (filled with '#')
  };
  const Row rows[] = {
      {"size query of text counts the zero", "Text", false, 0, kRegOk, 4, "########"},
      {"text fits exactly", "Text", true, 4, kRegOk, 4, std::string("abc\0####", 8)},
      {"text one byte short", "Text", true, 3, kRegMoreData, 4, "########"},
      {"binary keeps its zero byte", "Bytes", true, 8, kRegOk, 3, std::string("\x01\x00\x02#####", 8)},
      {"missing value", "Nope", true, 8, kRegNotFound, 8, "########"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    std::uint32_t size = row.room;
    std::uint32_t type = 0;
    EXPECT_EQ(reg.QueryValue(row.value, &type, row.withBuffer ? buffer : nullptr, &size), row.error == kRegOk);
    EXPECT_EQ(reg.LastError(), row.error);
    EXPECT_EQ(size, row.sizeOut);
    EXPECT_EQ(std::string(buffer, sizeof buffer), row.bytes);
  }
}

TEST_F(RegistryBuffers, EnumerateValuesAndKeysFullForms) {
  std::string name;
  std::uint32_t type = 0, size = 2;
  char small[2];
  EXPECT_FALSE(reg.EnumerateValues(0, &name, &type, small, &size));
  EXPECT_EQ(reg.LastError(), kRegMoreData);
  std::uint32_t need = size;
  std::vector<char> buffer(need);
  EXPECT_TRUE(reg.EnumerateValues(0, &name, &type, buffer.data(), &size));
  SettingValue direct;
  ASSERT_TRUE(store.ReadValue("Software\\Buffers", name, &direct));
  EXPECT_EQ(type, direct.type);
  EXPECT_EQ(std::string(buffer.data(), direct.data.size()), direct.data);

  ASSERT_TRUE(reg.Create("Software\\Buffers\\Child"));
  ASSERT_TRUE(reg.Open("Software\\Buffers"));
  std::string key, cls = "stale";
  EXPECT_TRUE(reg.EnumerateKeys(0, &key, &cls));
  EXPECT_EQ(key, "Child");
  EXPECT_EQ(cls, "");
  EXPECT_FALSE(reg.EnumerateKeys(1, &key, &cls));
  EXPECT_EQ(reg.LastError(), kRegNoMoreItems);
}

// Each overload reaches its own type, and reading a value as another type is
// refused with 13 rather than reinterpreting its bytes.
TEST_F(RegistryBuffers, TypedOverloadsRoundTripAndRefuseOtherTypes) {
  const std::vector<std::uint8_t> bytes{0, 255, 7};
  const std::vector<std::string> list{"one", "", "three"};
  EXPECT_TRUE(reg.SetValue("S", std::string_view("text")));
  EXPECT_TRUE(reg.SetValue("L", list));
  EXPECT_TRUE(reg.SetValue("D", std::uint32_t(0xA1B2C3D4)));
  EXPECT_TRUE(reg.SetValue("B", bytes));

  std::string s;
  std::vector<std::string> l;
  std::uint32_t d = 0;
  std::vector<std::uint8_t> b;
  EXPECT_TRUE(reg.GetValue("S", &s));
  EXPECT_EQ(s, "text");
  EXPECT_TRUE(reg.GetValue("D", &d));
  EXPECT_EQ(d, 0xA1B2C3D4u);
  EXPECT_TRUE(reg.GetValue("B", &b));
  EXPECT_EQ(b, bytes);
  // An empty string inside the array ends it, as the stored form does.
  EXPECT_TRUE(reg.GetValue("L", &l));
  EXPECT_EQ(l, std::vector<std::string>{"one"});

  EXPECT_FALSE(reg.GetValue("B", &d));
  EXPECT_EQ(reg.LastError(), kRegInvalidData);
  EXPECT_FALSE(reg.GetValue("D", &s));
  EXPECT_EQ(reg.LastError(), kRegInvalidData);
  EXPECT_TRUE(s.empty());
}

TEST_F(RegistryBuffers, WhatTheStoreCannotBackIsRefusedAsNotSupported) {
  std::uint32_t size = 0;
  EXPECT_FALSE(reg.GetSecurity(4, nullptr, &size));
  EXPECT_EQ(reg.LastError(), kRegNotSupported);
  EXPECT_FALSE(reg.SetSecurity(4, nullptr));
  EXPECT_EQ(reg.LastError(), kRegNotSupported);
  EXPECT_FALSE(reg.Save("/tmp/hive"));
  EXPECT_EQ(reg.LastError(), kRegNotSupported);
  EXPECT_FALSE(reg.Connect(HKEY_LOCAL_MACHINE, "remotehost"));
  EXPECT_EQ(reg.LastError(), kRegInvalidHandle);
}

}  // namespace
}  // namespace pm2
