#include "imgrove/FileReplacement.h"

#include "support/FileSizeLimit.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

namespace fs = std::filesystem;

class FileReplacementTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("velmora-replace-" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "-" +
                                              ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder);
        fs::create_directories(folder);
        target = folder / "form.frm";
    }
    void TearDown() override { fs::remove_all(folder); }

    static std::string contents(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void put(const fs::path& path, const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    size_t filesInFolder() const { return size_t(std::distance(fs::directory_iterator(folder), fs::directory_iterator())); }

    fs::path folder;
    fs::path target;
};

TEST_F(FileReplacementTest, CommitReplacesTheOldFileKeepingItsPermissions)
{
    put(target, "old contents");
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write);
    {
        FileReplacement replacement(target.string());
        ASSERT_NE(replacement.file(), nullptr);
        replacement.write("new", 3);
        // Until the commit the old file stands as it was.
        EXPECT_EQ(contents(target), "old contents");
        EXPECT_TRUE(replacement.commit());
    }
    EXPECT_EQ(contents(target), "new");
    EXPECT_EQ(fs::status(target).permissions() & fs::perms::all, fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(FileReplacementTest, AnAbandonedWriteLeavesTheOldFileAndNoTemporaryFile)
{
    put(target, "old contents");
    {
        FileReplacement replacement(target.string());
        replacement.write("half", 4);
    }
    EXPECT_EQ(contents(target), "old contents");
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(FileReplacementTest, AFolderThatIsNotThereFailsCleanly)
{
    FileReplacement replacement((folder / "missing" / "form.frm").string());
    EXPECT_EQ(replacement.file(), nullptr);
    replacement.write("x", 1);
    EXPECT_FALSE(replacement.commit());
    EXPECT_FALSE(fs::exists(folder / "missing"));
}

TEST_F(FileReplacementTest, AFolderStandingAtTheTargetIsNotReplaced)
{
    fs::create_directory(target);
    FileReplacement replacement(target.string());
    replacement.write("x", 1);
    EXPECT_FALSE(replacement.commit());
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(filesInFolder(), 1u);
}

TEST_F(FileReplacementTest, AWriteThatRunsOutOfRoomKeepsTheOldFileAndSaysWhy)
{
    // Failing in the write itself, in the flush of the last buffer, and at the first byte.
    const size_t limits[] = {1000, 70000, 0};
    const std::string content(80000, 'n');
    for (const size_t limit : limits) {
        put(target, "old contents");
        WriteResult result;
        {
            const FileSizeLimit full(limit);
            ASSERT_TRUE(full.active());
            FileReplacement replacement(target.string());
            replacement.write(content.data(), 500);
            replacement.write(content.data(), content.size());
            EXPECT_FALSE(replacement.commit()) << limit;
            result = replacement.result();
        }
        EXPECT_FALSE(result) << limit;
        EXPECT_TRUE(result.opened) << limit;
        EXPECT_EQ(writeFailureReason(result.error), "the file is too large for the disk") << limit;
        EXPECT_EQ(contents(target), "old contents") << limit;
        EXPECT_EQ(filesInFolder(), 1u) << limit;
    }
}

TEST(WriteFailureReason, NamesAFullDiskAsSuch)
{
    struct Row {
        std::errc error;
        const char* reason;
    };
    const Row rows[] = {
        {std::errc::no_space_on_device, "the disk is full"},
        {std::errc::file_too_large, "the file is too large for the disk"},
        {std::errc::read_only_file_system, "the disk is read-only"},
        {std::errc::permission_denied, "it is not allowed to write there"},
    };
    for (const Row& row : rows)
        EXPECT_EQ(writeFailureReason(std::make_error_code(row.error)), row.reason);
    EXPECT_EQ(writeFailureReason({EDQUOT, std::generic_category()}), "the disk is full");
}

// Makes folder refuse new files while its files stay writable: by its permissions, or, for a
// user whom permissions do not stop, by the file system's immutable flag. Undone by the
// destructor; possible() is false where neither works here.
class FolderWithoutNewFiles {
public:
    explicit FolderWithoutNewFiles(fs::path folder) : folder_(std::move(folder))
    {
        fs::permissions(folder_, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                     fs::perms::group_exec);
        if (refusesNewFiles())
            return;
        immutable_ = std::system(("chattr +i '" + folder_.string() + "' 2>/dev/null").c_str()) == 0;
    }
    ~FolderWithoutNewFiles()
    {
        if (immutable_)
            std::system(("chattr -i '" + folder_.string() + "'").c_str());
        fs::permissions(folder_, fs::perms::owner_all);
    }
    bool possible() const { return refusesNewFiles(); }

private:
    bool refusesNewFiles() const
    {
        const fs::path probe = folder_ / "probe";
        if (!std::ofstream(probe))
            return true;
        fs::remove(probe);
        return false;
    }

    fs::path folder_;
    bool immutable_ = false;
};

TEST_F(FileReplacementTest, AFolderThatTakesNoNewFileHasItsFileWrittenInPlace)
{
    put(target, "old contents, longer than the new");
    put(folder / "other.csv", "other");
    FolderWithoutNewFiles locked(folder);
    if (!locked.possible())
        GTEST_SKIP() << "no way to make a folder refuse new files here";
    {
        FileReplacement replacement(target.string());
        ASSERT_NE(replacement.file(), nullptr);
        EXPECT_TRUE(replacement.inPlace());
        replacement.write("new", 3);
        EXPECT_TRUE(replacement.commit());
    }
    EXPECT_EQ(contents(target), "new");

    FileReplacement missing((folder / "new.csv").string());
    EXPECT_EQ(missing.file(), nullptr);
    EXPECT_FALSE(missing.commit());
    EXPECT_EQ(writeFailureReason(missing.error()), "it is not allowed to write there");
    EXPECT_EQ(filesInFolder(), 2u);
}

}  // namespace
