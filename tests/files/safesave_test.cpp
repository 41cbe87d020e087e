// The safe save and path splitting.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include "safesave.h"
#include "testutil.h"

using namespace pivola::files;

namespace {

TEST(SafeSave, ReplacesTheTargetOnlyOnCommit) {
    testutil::TempDir dir;
    const std::string target = dir.file("doc.bin");
    testutil::writefile(target, {1, 2, 3});
    {
        SafeFile f;
        ASSERT_TRUE(f.open(target.c_str()));
        ASSERT_TRUE(f.write("abcdef", 6));
        EXPECT_EQ(testutil::readfile(target), (std::vector<uint8_t>{1, 2, 3}));
        EXPECT_EQ(dir.list().size(), 2u);  // the target and the temporary file
        ASSERT_TRUE(f.commit());
    }
    EXPECT_EQ(testutil::readfile(target), (std::vector<uint8_t>{'a', 'b', 'c', 'd', 'e', 'f'}));
    EXPECT_EQ(dir.list(), std::vector<std::string>{"doc.bin"});
}

TEST(SafeSave, AbandonedOrDestroyedWithoutCommitLeavesNoTrace) {
    testutil::TempDir dir;
    const std::string target = dir.file("doc.bin");
    testutil::writefile(target, {9});
    {
        SafeFile f;
        ASSERT_TRUE(f.open(target.c_str()));
        f.write("xx", 2);
    }
    SafeFile g;
    ASSERT_TRUE(g.open(dir.file("new.bin").c_str()));
    g.write("yy", 2);
    g.abandon();
    EXPECT_FALSE(g.commit());
    EXPECT_EQ(testutil::readfile(target), std::vector<uint8_t>{9});
    EXPECT_EQ(dir.list(), std::vector<std::string>{"doc.bin"});
}

TEST(SafeSave, KeepsThePermissionsOfTheReplacedFile) {
    testutil::TempDir dir;
    const std::string target = dir.file("p.bin");
    testutil::writefile(target, {1});
    ASSERT_EQ(chmod(target.c_str(), 0640), 0);
    SafeFile f;
    ASSERT_TRUE(f.open(target.c_str()));
    f.write("z", 1);
    ASSERT_TRUE(f.commit());
    struct stat st;
    ASSERT_EQ(stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
}

TEST(SafeSave, RefusesFoldersAndMissingFolders) {
    testutil::TempDir dir;
    SafeFile f;
    EXPECT_FALSE(f.open(dir.path().c_str()));
    EXPECT_FALSE(f.open(dir.file("missing/x.bin").c_str()));
    EXPECT_FALSE(f.open(""));
    EXPECT_FALSE(f.write("a", 1));
    EXPECT_FALSE(f.commit());
}

TEST(SafeSave, BareFileNamesAreSavedInTheCurrentFolder) {
    testutil::TempDir dir;
    const auto cwd = std::filesystem::current_path();
    std::filesystem::current_path(dir.path());
    SafeFile f;
    const bool opened = f.open("here.bin");
    const bool written = opened && f.write("h", 1) && f.commit();
    std::filesystem::current_path(cwd);
    EXPECT_TRUE(written);
    EXPECT_EQ(testutil::readfile(dir.file("here.bin")), std::vector<uint8_t>{'h'});
}

TEST(FolderLength, SplitsAtTheLastSeparator) {
    EXPECT_EQ(folderlength("a.bmp"), 0u);
    EXPECT_EQ(folderlength("/x/y/a.bmp"), 5u);
    EXPECT_EQ(folderlength("out/"), 4u);
    EXPECT_EQ(folderlength(""), 0u);
}

}  // namespace
