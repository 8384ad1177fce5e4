#include "toolkit/filters/msg_filter.h"

#include <gtest/gtest.h>

namespace pm2 {
namespace {

// Answers a fixed result and counts what it saw.
class Answer : public SECMsgFilter {
 public:
  explicit Answer(unsigned r = 0, int id = -1) : SECMsgFilter(nullptr, id), result(r) {}
  std::unique_ptr<SECMsgFilter> Clone() const override { return std::make_unique<Answer>(*this); }
  unsigned OnMessage(const FilterMessage& m, std::intptr_t* res) override {
    ++seen;
    return result | FilterChildren(m, res);
  }
  unsigned result;
  int seen = 0;
};

TEST(MsgFilter, ChildrenResultsAndStop) {
  struct Row {
    const char* name;
    std::vector<unsigned> answers;  // one child each; 0x100 marks a disabled child
    unsigned total;
    std::vector<int> seen;
  };
  const Row rows[] = {
      {"no children", {}, 0, {}},
      {"results are joined", {1, 2, 4}, 7, {1, 1, 1}},
      {"stop hides later siblings but reaches the caller", {1, 9, 4}, 9, {1, 1, 0}},
      {"a disabled child is skipped", {0x108, 2}, 2, {0, 1}},
  };
  for (const Row& r : rows) {
    SECMsgFilter root;
    std::vector<Answer*> kids;
    for (unsigned a : r.answers) {
      auto k = std::make_unique<Answer>(a & 0xFF);
      k->Enable(!(a & 0x100));
      kids.push_back(k.get());
      root.AddChild(std::move(k));
    }
    root.AddChild(nullptr);  // empty slots are skipped
    EXPECT_EQ(root.Filter(FilterMessage{}, nullptr), r.total) << r.name;
    for (std::size_t i = 0; i < kids.size(); ++i) EXPECT_EQ(kids[i]->seen, r.seen[i]) << r.name << " child " << i;
  }
  SECMsgFilter off;
  off.AddChild(std::make_unique<Answer>(1));
  off.Enable(false);
  EXPECT_EQ(off.Filter(FilterMessage{}, nullptr), 0u);
}

TEST(MsgFilter, DescriptorTables) {
  const SECMsgFilter::DescriptorTable table = {
      {10, -1, MakeFilter<Answer>(), 0},
      {11, 10, MakeFilter<Answer>(), 1},  // child of the row before
      {12, 99, MakeFilter<Answer>(), 0},  // parent missing: nothing
      {13, -1, MakeFilter<Answer>(), 1},
  };
  struct Row {
    const char* name;
    std::vector<bool> first, second;
    std::vector<int> present;  // ids found afterwards
    std::vector<bool> enabled;
  };
  const Row rows[] = {
      {"all on", {true, true, true, true}, {}, {10, 11, 13}, {true, true, true}},
      {"off keeps flagged rows on", {true, true, true, true}, {false, false, false, false}, {10, 11, 13},
       {false, true, true}},
      {"a row applied off first is not created", {false, true, true, true}, {}, {13}, {true}},
  };
  for (const Row& r : rows) {
    SECMsgFilter root;
    root.ApplyDescriptors(table, r.first);
    if (!r.second.empty()) root.ApplyDescriptors(table, r.second);
    for (std::size_t i = 0; i < r.present.size(); ++i) {
      SECMsgFilter* f = root.FindFilter(r.present[i], nullptr, -1);
      ASSERT_NE(f, nullptr) << r.name << " id " << r.present[i];
      EXPECT_EQ(f->IsEnabled(), r.enabled[i]) << r.name << " id " << r.present[i];
    }
    EXPECT_EQ(root.FindFilter(12, nullptr, -1), nullptr) << r.name;
    if (!r.first[0]) {
      EXPECT_EQ(root.FindFilter(11, nullptr, -1), nullptr) << r.name;
    }
  }
}

TEST(MsgFilter, FindDepthAndCloneKeepTheTree) {
  SECMsgFilter root;
  auto a = std::make_unique<Answer>(0, 1);
  a->AddChild(std::make_unique<Answer>(0, 2));
  root.AddChild(std::move(a));
  EXPECT_EQ(root.FindFilter(2, nullptr, 0), nullptr);
  EXPECT_NE(root.FindFilter(2, nullptr, 1), nullptr);
  root.FindFilter(1, nullptr, 0)->Enable(false);
  SECMsgFilter copy(root);
  ASSERT_NE(copy.FindFilter(2, nullptr, -1), nullptr);
  EXPECT_NE(copy.FindFilter(2, nullptr, -1), root.FindFilter(2, nullptr, -1));
  EXPECT_FALSE(copy.FindFilter(1, nullptr, 0)->IsEnabled());
}

}  // namespace
}  // namespace pm2
