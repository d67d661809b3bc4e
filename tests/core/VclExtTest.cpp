#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "lists/VclExt.h"

namespace {

// Records its id when freed, so a test sees which objects went, in what order
// and how often (ASan also catches a second free).
class Tracked : public TObject {
 public:
  Tracked(int id, std::vector<int>& freed) : id_(id), freed_(freed) {}
  ~Tracked() override { freed_.push_back(id_); }
  int Id() const { return id_; }

 private:
  int id_;
  std::vector<int>& freed_;
};

std::vector<std::string> Texts(const TStringList& l) {
  std::vector<std::string> out;
  for (int i = 0; i < l.Count(); ++i) out.push_back(l.Strings(i));
  return out;
}

// Ids of the attached objects, -1 for an item without one.
std::vector<int> Ids(const TStringList& l) {
  std::vector<int> out;
  for (int i = 0; i < l.Count(); ++i) {
    const auto* t = dynamic_cast<const Tracked*>(l.Objects(i));
    out.push_back(t ? t->Id() : -1);
  }
  return out;
}

// Fills `l` with the given texts; item i carries object i unless its text
// starts with '-'.
void Fill(TStringList& l, const std::vector<std::string>& texts, std::vector<int>& freed) {
  for (std::size_t i = 0; i < texts.size(); ++i) {
    const int id = static_cast<int>(i);
    l.AddObject(texts[i], texts[i].starts_with("-") ? nullptr : new Tracked(id, freed));
  }
}

// Frees what is still attached (for lists that do not own their objects).
void Release(TStringList& l) {
  for (int i = 0; i < l.Count(); ++i) delete l.Objects(i);
  l.Clear();
}

struct LimitCase {
  const char* name;
  int limit;  // applied before filling
  std::vector<std::string> initial;
  std::function<void(TLimitStringList&, std::vector<int>&)> act;
  std::vector<std::string> texts;
  std::vector<int> ids;
  std::vector<int> freed;
};

class LimitRule : public ::testing::TestWithParam<LimitCase> {};

TEST_P(LimitRule, ItemsAndFreedObjects) {
  const LimitCase& c = GetParam();
  std::vector<int> freed;
  {
    TLimitStringList l;
    l.SetLimit(c.limit);
    Fill(l, c.initial, freed);
    freed.clear();
    c.act(l, freed);
    EXPECT_EQ(Texts(l), c.texts);
    EXPECT_EQ(Ids(l), c.ids);
    EXPECT_EQ(freed, c.freed);
    Release(l);
  }
}

INSTANTIATE_TEST_SUITE_P(
    VclExt, LimitRule,
    ::testing::Values(
        LimitCase{"AddAtLimitDropsTheOldest", 3, {"a", "b", "c"},
                  [](TLimitStringList& l, std::vector<int>&) { EXPECT_EQ(l.Add("d"), 2); },
                  {"b", "c", "d"}, {1, 2, -1}, {0}},
        LimitCase{"AddObjectAtLimitDropsTheOldest", 2, {"a", "b"},
                  [](TLimitStringList& l, std::vector<int>& f) {
                    EXPECT_EQ(l.AddObject("c", new Tracked(9, f)), 1);
                  },
                  {"b", "c"}, {1, 9}, {0}},
        LimitCase{"AddBelowLimitDropsNothing", 3, {"a", "b"},
                  [](TLimitStringList& l, std::vector<int>&) { EXPECT_EQ(l.Add("c"), 2); },
                  {"a", "b", "c"}, {0, 1, -1}, {}},
        LimitCase{"LimitOneKeepsTheNewest", 1, {"a"},
                  [](TLimitStringList& l, std::vector<int>& f) {
                    l.Add("b");
                    l.AddObject("c", new Tracked(7, f));
                  },
                  {"c"}, {7}, {0}},
        LimitCase{"AddItemOnEmptyUnlimitedList", 0, {},
                  [](TLimitStringList& l, std::vector<int>& f) {
                    EXPECT_EQ(l.AddItem(new Tracked(5, f)), 0);
                  },
                  {"*"}, {5}, {}},
        LimitCase{"AddItemFollowsTheLimit", 2, {"a", "b"},
                  [](TLimitStringList& l, std::vector<int>& f) { l.AddItem(new Tracked(5, f)); },
                  {"b", "*"}, {1, 5}, {0}},
        LimitCase{"DroppedItemWithoutObject", 2, {"-a", "b"},
                  [](TLimitStringList& l, std::vector<int>&) { l.Add("c"); },
                  {"b", "c"}, {1, -1}, {}},
        LimitCase{"UnlimitedNeverDrops", 0, {"a", "b", "c", "d"},
                  [](TLimitStringList& l, std::vector<int>&) { l.Add("e"); },
                  {"a", "b", "c", "d", "e"}, {0, 1, 2, 3, -1}, {}},
        LimitCase{"DuplicatesKeptInOrder", 0, {"b", "a"},
                  [](TLimitStringList& l, std::vector<int>&) {
                    l.Add("a");
                    l.Add("b");
                  },
                  {"b", "a", "a", "b"}, {0, 1, -1, -1}, {}},
        LimitCase{"SetLimitTrimsFromTheFront", 0, {"a", "b", "c", "d", "e"},
                  [](TLimitStringList& l, std::vector<int>&) { l.SetLimit(2); },
                  {"d", "e"}, {3, 4}, {0, 1, 2}},
        LimitCase{"SetLimitZeroLiftsTheLimit", 5, {"a", "b", "c", "d", "e"},
                  [](TLimitStringList& l, std::vector<int>&) {
                    l.SetLimit(0);
                    l.Add("f");
                  },
                  {"a", "b", "c", "d", "e", "f"}, {0, 1, 2, 3, 4, -1}, {}},
        LimitCase{"NegativeLimitMeansNone", 2, {"a", "b"},
                  [](TLimitStringList& l, std::vector<int>&) {
                    l.SetLimit(-1);
                    l.Add("c");
                  },
                  {"a", "b", "c"}, {0, 1, -1}, {}},
        LimitCase{"SetLimitAboveCountKeepsAll", 0, {"a", "b"},
                  [](TLimitStringList& l, std::vector<int>&) { l.SetLimit(3); },
                  {"a", "b"}, {0, 1}, {}},
        LimitCase{"InsertIsNotLimited", 2, {"a", "b"},
                  [](TLimitStringList& l, std::vector<int>&) { l.Insert(0, "x"); },
                  {"x", "a", "b"}, {-1, 0, 1}, {}},
        // Past the limit the count is no longer equal to it, so adding drops nothing.
        LimitCase{"AddPastTheLimitDropsNothing", 2, {"a", "b"},
                  [](TLimitStringList& l, std::vector<int>& f) {
                    l.InsertObject(1, "x", new Tracked(8, f));
                    l.Add("c");
                    l.AddItem(nullptr);
                  },
                  {"a", "x", "b", "c", "*"}, {0, 8, 1, -1, -1}, {}},
        LimitCase{"OnlySetLimitTrimsAnOverlongList", 2, {"a", "b"},
                  [](TLimitStringList& l, std::vector<int>&) {
                    l.Insert(2, "x");
                    l.SetLimit(2);
                  },
                  {"b", "x"}, {1, -1}, {0}},
        LimitCase{"DeleteItemFreesItsObject", 0, {"a", "b", "c"},
                  [](TLimitStringList& l, std::vector<int>&) { l.DeleteItem(1); },
                  {"a", "c"}, {0, 2}, {1}},
        LimitCase{"DeleteItemWithoutObject", 0, {"a", "-b"},
                  [](TLimitStringList& l, std::vector<int>&) { l.DeleteItem(1); },
                  {"a"}, {0}, {}},
        LimitCase{"DeleteItemAtCountDoesNothing", 0, {"a", "b"},
                  [](TLimitStringList& l, std::vector<int>&) {
                    l.DeleteItem(2);
                    l.DeleteItem(100);
                  },
                  {"a", "b"}, {0, 1}, {}},
        LimitCase{"DeleteFirstOnEmptyListDoesNothing", 0, {},
                  [](TLimitStringList& l, std::vector<int>&) { l.DeleteFirst(); }, {}, {}, {}},
        LimitCase{"DeleteFirst", 0, {"a", "b"},
                  [](TLimitStringList& l, std::vector<int>&) { l.DeleteFirst(); },
                  {"b"}, {1}, {0}},
        LimitCase{"GeneralDeleteFreesNothing", 0, {"a", "b", "c"},
                  [](TLimitStringList& l, std::vector<int>&) {
                    TObject* o = l.Objects(1);
                    l.Delete(1);
                    delete o;  // the list gave it back; it is ours now
                  },
                  {"a", "c"}, {0, 2}, {1}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VclExt, LimitPropertyAndLimited) {
  TLimitStringList l;
  EXPECT_EQ(l.Limit(), 0);
  EXPECT_FALSE(l.Limited());
  l.SetLimit(4);
  EXPECT_EQ(l.Limit(), 4);
  EXPECT_TRUE(l.Limited());
  l.SetLimit(-7);
  EXPECT_EQ(l.Limit(), 0);
  EXPECT_FALSE(l.Limited());
}

TEST(VclExt, NegativeDeleteItemRaisesAndFreesNothing) {
  std::vector<int> freed;
  TFCStringList l;
  Fill(l, {"a"}, freed);
  EXPECT_THROW(l.DeleteItem(-1), EStringListError);
  EXPECT_EQ(l.Count(), 1);
  EXPECT_TRUE(freed.empty());
}

TEST(VclExt, IndexErrorsOfTheGeneralList) {
  TStringList l;
  l.Add("a");
  l.Add("b");
  const std::vector<std::pair<const char*, std::function<void()>>> bad = {
      {"Strings(-1)", [&] { (void)l.Strings(-1); }},
      {"Strings(Count)", [&] { (void)l.Strings(2); }},
      {"Objects(-1)", [&] { (void)l.Objects(-1); }},
      {"Objects(Count)", [&] { (void)l.Objects(2); }},
      {"Delete(-1)", [&] { l.Delete(-1); }},
      {"Delete(Count)", [&] { l.Delete(2); }},
      {"Insert(-1)", [&] { l.Insert(-1, "x"); }},
      {"Insert(Count+1)", [&] { l.Insert(3, "x"); }},
      {"InsertObject(Count+1)", [&] { l.InsertObject(3, "x", nullptr); }},
  };
  for (const auto& [what, call] : bad) {
    EXPECT_THROW(call(), EStringListError) << what;
    EXPECT_EQ(Texts(l), (std::vector<std::string>{"a", "b"})) << what;
  }
  try {
    (void)l.Strings(5);
    ADD_FAILURE() << "no error";
  } catch (const std::out_of_range& e) {
    EXPECT_STREQ(e.what(), "List index out of bounds (5)");
  }
  l.Insert(2, "end");
  l.Insert(0, "front");
  EXPECT_EQ(Texts(l), (std::vector<std::string>{"front", "a", "b", "end"}));
}

TEST(VclExt, PlainListsFreeNothing) {
  std::vector<int> freed;
  std::vector<std::unique_ptr<Tracked>> objects;
  for (int i = 0; i < 3; ++i) objects.push_back(std::make_unique<Tracked>(i, freed));
  {
    TStringList general;
    TLimitStringList limited;
    for (auto& o : objects) {
      general.AddObject("x", o.get());
      limited.AddObject("x", o.get());
    }
    general.Delete(0);
    limited.Delete(0);
    general.Clear();
    limited.Clear();
    for (auto& o : objects) {
      general.AddObject("y", o.get());
      limited.AddObject("y", o.get());
    }
  }  // both destroyed holding all three
  EXPECT_TRUE(freed.empty());
}

TEST(VclExt, FStringListFreesOnDestructionNotOnClear) {
  std::vector<int> freed;
  std::vector<std::unique_ptr<Tracked>> keep;
  {
    TFStringList l;
    Fill(l, {"a", "-b", "c"}, freed);
    l.AddObject("d", new Tracked(3, freed));
    // Its Clear is the general list's: the objects go back to us.
    keep.emplace_back(static_cast<Tracked*>(l.Objects(0)));
    keep.emplace_back(static_cast<Tracked*>(l.Objects(2)));
    keep.emplace_back(static_cast<Tracked*>(l.Objects(3)));
    l.Clear();
    EXPECT_TRUE(freed.empty());
    Fill(l, {"e", "f", "-g", "h"}, freed);
  }
  EXPECT_EQ(freed, (std::vector<int>{0, 1, 3}));
}

// The ways a TFCStringList ends; each object must be freed exactly once, in
// index order.
TEST(VclExt, FCStringListFreesEachObjectOnce) {
  struct Case {
    const char* name;
    std::function<void(std::unique_ptr<TFCStringList>&)> end;
  };
  const Case cases[] = {
      {"destroyed", [](auto& l) { l.reset(); }},
      {"cleared then destroyed", [](auto& l) {
         l->Clear();
         EXPECT_EQ(l->Count(), 0);
         l.reset();
       }},
      {"cleared twice", [](auto& l) {
         l->Clear();
         l->Clear();
         l.reset();
       }},
      {"cleared through the general list", [](auto& l) {
         static_cast<TStringList&>(*l).Clear();
         l.reset();
       }},
      {"destroyed through the general list", [](auto& l) {
         std::unique_ptr<TStringList> base(l.release());
         base.reset();
       }},
  };
  for (const auto& c : cases) {
    std::vector<int> freed;
    auto l = std::make_unique<TFCStringList>();
    Fill(*l, {"a", "b", "-c", "d", "b"}, freed);
    c.end(l);
    EXPECT_EQ(freed, (std::vector<int>{0, 1, 3, 4})) << c.name;
  }
}

TEST(VclExt, FCStringListIsUsableAfterClear) {
  std::vector<int> freed;
  {
    TFCStringList l;
    l.SetLimit(2);
    Fill(l, {"a", "b"}, freed);
    l.Clear();
    EXPECT_EQ(freed, (std::vector<int>{0, 1}));
    l.AddItem(new Tracked(10, freed));
    l.AddItem(new Tracked(11, freed));
    l.AddItem(new Tracked(12, freed));  // the limit still holds
    EXPECT_EQ(Ids(l), (std::vector<int>{11, 12}));
  }
  EXPECT_EQ(freed, (std::vector<int>{0, 1, 10, 11, 12}));
}

}  // namespace
