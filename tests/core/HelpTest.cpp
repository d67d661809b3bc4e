#include <gtest/gtest.h>

#include <stdexcept>

#include "TestSupport.h"
#include "help/Help.h"

using namespace testing_support;

namespace {

struct Provider : help::THelpProvider {
  bool loaded = true;
  bool fail = false;
  bool failOnDestroy = false;
  std::vector<int> topics;
  int contents = 0;
  int* destroyed = nullptr;
  bool Loaded() const override { return loaded; }
  void ShowContents() override {
    if (fail) throw std::runtime_error("x");
    ++contents;
  }
  void ShowTopic(std::int32_t c) override {
    if (fail) throw std::runtime_error("x");
    topics.push_back(c);
  }
  ~Provider() noexcept(false) override {
    if (destroyed) ++*destroyed;
    if (failOnDestroy) throw std::runtime_error("gone wrong");
  }
};

using Help = CleanState;

TEST_F(Help, WithoutProviderEveryRequestShowsTheInitError) {
  help::ShowHelpTopic(10);
  help::ShowHelpContents();
  ASSERT_EQ(helpBox.Shown.size(), 2u);
  for (const auto& [caption, text] : helpBox.Shown) {
    EXPECT_EQ(caption, "Помощь");
    EXPECT_EQ(text, "Ошибка инициализации подсистемы помощи!");
  }
}

TEST_F(Help, ProviderStates) {
  struct Case {
    bool loaded, fail;
    const char* box;  // null: no box
    size_t calls;
  } cases[] = {
      {true, false, nullptr, 1},
      {false, false, "Библиотека для работы с документацией/помощью (zeziva.dll)\rне загружена!", 0},
      {true, true, "Ошибка инициализации подсистемы помощи!", 0},
  };
  for (const auto& c : cases) {
    auto* p = new Provider;
    p->loaded = c.loaded;
    p->fail = c.fail;
    help::HelpProvider.reset(p);
    helpBox.Shown.clear();
    help::ShowHelpTopic(100);
    help::ShowHelpContents();
    EXPECT_EQ(p->topics.size(), c.calls);
    EXPECT_EQ(static_cast<size_t>(p->contents), c.calls);
    if (c.calls) {
      EXPECT_EQ(p->topics[0], 100);
    }
    if (c.box) {
      ASSERT_EQ(helpBox.Shown.size(), 2u);
      EXPECT_EQ(helpBox.Shown[0].second, c.box);
    } else {
      EXPECT_TRUE(helpBox.Shown.empty());
    }
    // A failing provider stays in place.
    EXPECT_EQ(help::HelpProvider.get(), p);
  }
}

TEST_F(Help, ReleaseDestroysOnceAndSwallowsFailures) {
  int destroyed = 0;
  auto* p = new Provider;
  p->destroyed = &destroyed;
  p->failOnDestroy = true;
  help::HelpProvider.reset(p);
  EXPECT_NO_THROW(help::ReleaseHelp());
  EXPECT_EQ(destroyed, 1);
  EXPECT_EQ(help::HelpProvider, nullptr);
  EXPECT_NO_THROW(help::ReleaseHelp());
  EXPECT_TRUE(helpBox.Shown.empty());
}

}  // namespace
