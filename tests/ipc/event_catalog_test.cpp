// The catalog: every type registered once under a distinct key, and every
// type surviving serialisation, creation and cloning with all members.
#include <gtest/gtest.h>

#include <map>
#include <set>

#include "ipc/event_catalog.h"
#include "ipc_test_support.h"

namespace pm2 {
namespace {

TEST(EventCatalog, EveryTypeRegisteredOnceUnderItsGroup) {
  dtc_EventFactory& f = GetEventFactory();
  std::set<EventKey> keys;
  std::map<uint32_t, int> perGroup;
  ForEachEventType([&]<class X>() {
    SCOPED_TRACE(X::kName);
    EXPECT_TRUE(keys.insert(X::kKey).second);
    EXPECT_TRUE(f.IsRegistered(X::kKey));
    ++perGroup[X::kKey.group];
    EXPECT_THROW(RegisterEventClass<X>(f), dtc_EventFactory::AlreadyRegistered);
  });
  EXPECT_EQ(keys.size(), 56u);
  EXPECT_EQ(f.TypeCount(), 56u);
  EXPECT_EQ(perGroup[dtc_Make::kGroup], 9);
  EXPECT_EQ(perGroup[dtc_Debug::kGroup], 33);
  EXPECT_EQ(perGroup[dtc_Identify::kGroup], 5);
  EXPECT_EQ(perGroup[dtc_TargetMessaging::kGroup], 7);
  EXPECT_EQ(perGroup[dtc_TargetInfo::kGroup], 2);
  for (uint32_t unassigned : {10u, 11u, 27u, 28u}) EXPECT_FALSE(f.IsRegistered({dtc_Debug::kGroup, unassigned}));
}

TEST(EventCatalog, DuplicateKeyIsRefusedWithItsKeyNamed) {
  dtc_EventFactory f;
  EventTypeEntry entry;
  f.RegisterEventType(entry, 1, 2, &dtc_Make::BuildEnd::Serialise, &dtc_Make::BuildEnd::Create);
  try {
    f.RegisterEventType(entry, 1, 2, &dtc_Make::BuildEnd::Serialise, &dtc_Make::BuildEnd::Create);
    FAIL() << "no exception";
  } catch (const dtc_EventFactory::AlreadyRegistered& e) {
    EXPECT_STREQ(e.what(), "The event type (1, 2) is registered already");
  }
  dtc_Make::BuildEnd notThere(0);
  EXPECT_EQ(f.GetEventRecordSize(notThere), 0u);
  uint8_t buf[64];
  EXPECT_FALSE(f.WriteEventRecord(notThere, buf, sizeof buf, 0));
}

TEST(EventCatalog, EveryTypeSurvivesRoundTripAndClone) {
  dtc_EventFactory& f = GetEventFactory();
  test::FieldFiller filler;
  int types = 0;
  ForEachEventType([&]<class X>() {
    SCOPED_TRACE(X::kName);
    ++types;
    X original;
    original.ForEachField(filler);
    original.m_nDestination = 9;
    EXPECT_TRUE(original.IsRemote());

    std::vector<uint8_t> rec = test::RecordOf(f, original, 4);
    ASSERT_EQ(rec.size(), original.GetPayloadSize() + 16u);
    std::unique_ptr<dtc_EventBase> back = f.CreateEventFromRecord(rec.data(), rec.size());
    ASSERT_NE(back, nullptr);
    auto* typed = dynamic_cast<X*>(back.get());
    ASSERT_NE(typed, nullptr);
    EXPECT_EQ(typed->m_nSender, 4);
    EXPECT_EQ(typed->m_nDestination, -1);
    X expected = original;
    expected.m_nSender = 4;
    expected.m_nDestination = -1;
    EXPECT_TRUE(*typed == expected);
    EXPECT_EQ(typed->GetPayloadSize(), original.GetPayloadSize());

    std::unique_ptr<dtc_EventBase> clone = original.Clone();
    auto* typedClone = dynamic_cast<X*>(clone.get());
    ASSERT_NE(typedClone, nullptr);
    EXPECT_TRUE(*typedClone == original);
  });
  EXPECT_EQ(types, kEventCatalogSize);
}

TEST(EventCatalog, IdentityOfThisProgramHasTheDocumentedSize) {
  dtc_Identify::Identity id("pm2 3", TextList {"dtc_Identify", "dtc_Make", "dtc_Debug", "dtc_TargetInfo",
                                               "dtc_TargetMessaging"});
  EXPECT_EQ(id.GetPayloadSize(), 144u);
}

}  // namespace
}  // namespace pm2
