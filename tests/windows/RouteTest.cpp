// The wizard's route table held against the panels the wizard has.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <vector>

#include "app/Appl_Panels.h"

namespace {

// The table walked both ways: every way on, fork and way back leads to a panel the wizard has;
// every panel has one row and is reached from where the wizard starts, fails or updates itself.
TEST(Route, EveryWayLeadsToAPanelThereIs) {
  const auto form = CreateWizard(TCommandLine{});
  const TWizardFlow& flow = KWizardFlow;
  auto name = [](TPanelId id) { return "panel " + std::to_string(static_cast<int>(id)); };

  std::map<TPanelId, const TRoute*> rows;
  for (const TRoute& r : flow.Routes) {
    SCOPED_TRACE(name(r.Panel));
    EXPECT_TRUE(rows.emplace(r.Panel, &r).second) << "a second row";
    EXPECT_NE(form->Panel(r.Panel), nullptr);
    for (TPanelId to : {r.Next, r.Previous, r.Otherwise}) {
      if (to == TPanelId::None) continue;
      EXPECT_NE(form->Panel(to), nullptr) << "leads to " << name(to);
    }
    EXPECT_EQ(r.Otherwise == TPanelId::None, r.When == nullptr) << "a fork names its way and when it is taken";
  }

  std::set<TPanelId> reached{flow.First, flow.SelfUpdate, flow.Failure};
  for (std::vector<TPanelId> todo(reached.begin(), reached.end()); !todo.empty();) {
    const auto row = rows.find(todo.back());
    todo.pop_back();
    if (row == rows.end()) continue;
    for (TPanelId to : {row->second->Next, row->second->Previous, row->second->Otherwise})
      if (to != TPanelId::None && reached.insert(to).second) todo.push_back(to);
  }
  int panels = 0;
  for (int i = static_cast<int>(TPanelId::Welcome); i <= static_cast<int>(TPanelId::Error); ++i) {
    const auto id = static_cast<TPanelId>(i);
    SCOPED_TRACE(name(id));
    ASSERT_NE(form->Panel(id), nullptr);
    ++panels;
    EXPECT_TRUE(rows.contains(id)) << "no row";
    EXPECT_TRUE(reached.contains(id)) << "never reached";
  }
  EXPECT_EQ(static_cast<size_t>(panels), form->Panels().size());
}

}  // namespace
