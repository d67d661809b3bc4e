#include <gtest/gtest.h>

#include "TestSupport.h"
#include "config/Common.h"
#include "platform/Platform.h"

using namespace testing_support;

namespace {

using Common = CleanState;

TEST_F(Common, InitialValues) {
  EXPECT_EQ(common::ProgramDir, "");
  EXPECT_EQ(common::WindowName, "LDTK. Инсталлятор");
  EXPECT_EQ(common::SystemName, "Orvanta Reader Configuration Tool ");
  EXPECT_EQ(common::SoftSetup, TSetupRec{});
  EXPECT_EQ(common::DocSetup, TSetupRec{});
  EXPECT_EQ(common::LibraryList, nullptr);
  EXPECT_EQ(common::ServiceDbFile, "");
}

TEST_F(Common, ProgramDirIsTheExecutableDirectoryWithDelimiter) {
  common::InitProgramDir();
  const std::string exe = platform::ExecutablePath();
  ASSERT_FALSE(common::ProgramDir.empty());
  EXPECT_EQ(common::ProgramDir.back(), platform::PathDelimiter());
  EXPECT_EQ(exe.rfind(common::ProgramDir, 0), 0u);
  EXPECT_EQ(exe.find(platform::PathDelimiter(), common::ProgramDir.size()), std::string::npos);
}

TEST_F(Common, ExtractFilePath) {
  const char d = platform::PathDelimiter();
  const std::string root(1, d);
  EXPECT_EQ(common::ExtractFilePath(root + "skdsetup"), root);
  EXPECT_EQ(common::ExtractFilePath(root + "a b" + d + "Диск" + d + "x"),
            root + "a b" + d + "Диск" + d);
  EXPECT_EQ(common::ExtractFilePath("noslash"), "");
}

TEST_F(Common, ClearSettingsEmptiesNamesDescriptorsAndPaths) {
  common::ProgramDir = "x/";
  common::SoftSetup = {"a", "b", "c", "d"};
  common::ServiceDbDir = "d";
  common::CreateLibraryList();
  common::LibraryList->Add("lib");
  common::ClearSettings();
  EXPECT_EQ(common::WindowName, "");
  EXPECT_EQ(common::SystemName, "");
  EXPECT_EQ(common::SoftSetup, TSetupRec{});
  EXPECT_EQ(common::ProgramDir, "");
  EXPECT_EQ(common::ServiceDbDir, "");
  common::FreeLibraryList();
  EXPECT_EQ(common::LibraryList, nullptr);
}

}  // namespace
