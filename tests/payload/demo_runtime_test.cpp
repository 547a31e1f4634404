// The demo runtime package, taken out of the real Corvanell.exe and run the
// way the launcher runs it: written as jre.exe into an empty folder that is
// the current directory, started by the bare command line "jre.exe".
#include "support/test_support.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// JAVA_1, JAVA_2, ... of type EXE in the launcher, joined.
std::string runtimeFromLauncher(const std::string& launcher)
{
    HMODULE module = LoadLibraryExA(launcher.c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    EXPECT_TRUE(module != NULL) << "cannot load " << launcher;
    std::string joined;
    if (module == NULL)
        return joined;
    for (int index = 1;; ++index) {
        std::string name = "JAVA_" + std::to_string(index);
        HRSRC found = FindResourceA(module, name.c_str(), "EXE");
        if (found == NULL)
            break;
        HGLOBAL loaded = LoadResource(module, found);
        const char* data = static_cast<const char*>(LockResource(loaded));
        joined.append(data, SizeofResource(module, found));
    }
    FreeLibrary(module);
    return joined;
}

class DemoRuntime : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(readFileBytes(requiredEnv("CORVANELL_RUNTIME_PACKAGE"), package));
        ASSERT_TRUE(readFileBytes(requiredEnv("CORVANELL_STANDIN_JAVA"), java));
        ASSERT_TRUE(readFileBytes(requiredEnv("CORVANELL_STANDIN_JAVAW"), javaw));
        folder = scratchFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
        char current[MAX_PATH];
        GetCurrentDirectoryA(MAX_PATH, current);
        previous = current;
    }

    void TearDown() override { SetCurrentDirectoryA(previous.c_str()); }

    std::string package, java, javaw, folder, previous;
};

TEST_F(DemoRuntime, LauncherCarriesThePackageBuilt)
{
    std::string packaged = runtimeFromLauncher(requiredEnv("CORVANELL_LAUNCHER"));
    ASSERT_EQ(packaged.size(), package.size());
    EXPECT_TRUE(packaged == package);
    EXPECT_EQ(packaged.substr(0, 2), "MZ");
}

TEST_F(DemoRuntime, UnpacksJreBesideItselfAndEnds)
{
    std::string packaged = runtimeFromLauncher(requiredEnv("CORVANELL_LAUNCHER"));
    ASSERT_FALSE(packaged.empty());
    ASSERT_TRUE(folderEntries(folder).empty());
    ASSERT_TRUE(writeFileBytes(folder + "\\jre.exe", packaged));
    ASSERT_TRUE(SetCurrentDirectoryA(folder.c_str()));

    ChildRun run = runChild("jre.exe", std::string());
    ASSERT_TRUE(run.started) << "jre.exe could not be started";
    ASSERT_TRUE(run.finished) << "jre.exe did not end by itself";
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "");

    EXPECT_EQ(folderEntries(folder), (std::vector<std::string>{ "jre", "jre.exe" }));
    EXPECT_EQ(folderEntries(folder + "\\jre"), std::vector<std::string>{ "bin" });
    EXPECT_EQ(folderEntries(folder + "\\jre\\bin"), (std::vector<std::string>{ "java.exe", "javaw.exe" }));
    EXPECT_TRUE(readFileOrEmpty(folder + "\\jre\\bin\\java.exe") == java);
    EXPECT_TRUE(readFileOrEmpty(folder + "\\jre\\bin\\javaw.exe") == javaw);
}

} // namespace
