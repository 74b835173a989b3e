#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/file_io.h"
#include "support/scripted_port.h"
#include "support/test_files.h"

namespace avelor {
namespace {

namespace fs = std::filesystem;
using testing::read_file;
using testing::ScriptedPort;

const std::string kOriginal = "original project text\n";

class FileIoTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = fs::path(::testing::TempDir()) / "file_io_test";
        fs::remove_all(dir);
        fs::create_directories(dir);
        target = (dir / "house.prj").string();
        ASSERT_TRUE(write_file_atomically(target, kOriginal));
    }
    void TearDown() override { set_write_fault_for_testing(WriteStage::none); }

    std::vector<std::string> entries() const
    {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
        return names;
    }
    // The target as it was and nothing beside it.
    void expect_untouched() const
    {
        EXPECT_EQ(read_file(target), kOriginal);
        EXPECT_EQ(entries(), std::vector<std::string>{"house.prj"});
    }

    ScriptedPort port;
    fs::path dir;
    std::string target;
};

TEST_F(FileIoTest, WriteReplacesTheTargetAndKeepsItsPermissions)
{
    fs::permissions(target, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const std::string text(200000, 'x');
    WriteFailure failure;
    ASSERT_TRUE(write_file_atomically(target, text, &failure));
    EXPECT_EQ(failure.stage, WriteStage::none);
    EXPECT_EQ(read_file(target), text);
    EXPECT_EQ(entries(), std::vector<std::string>{"house.prj"});
    EXPECT_EQ(fs::status(target).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

// The replacement belongs to whoever owned the file before; only root can
// give a file away, so only root can test it with another owner.
TEST_F(FileIoTest, ReplacementKeepsTheOwnerAndGroup)
{
    if (::geteuid() != 0) GTEST_SKIP() << "only root can hand a file to another owner";
    ASSERT_EQ(::chown(target.c_str(), 12345, 23456), 0);
    ASSERT_TRUE(write_file_atomically(target, "replacement\n"));
    struct stat st {};
    ASSERT_EQ(::stat(target.c_str(), &st), 0);
    EXPECT_EQ(st.st_uid, 12345u);
    EXPECT_EQ(st.st_gid, 23456u);
    EXPECT_EQ(read_file(target), "replacement\n");
}

TEST_F(FileIoTest, EveryFailingStageLeavesTheTargetIntactAndNoTemporaryFile)
{
    const std::string source = (dir.parent_path() / "file_io_source.txt").string();
    ASSERT_TRUE(write_file_atomically(source, "copied text\n"));
    for (WriteStage stage : {WriteStage::open, WriteStage::write, WriteStage::flush, WriteStage::fsync,
                             WriteStage::close, WriteStage::rename}) {
        SCOPED_TRACE(std::string(write_stage_name(stage)));
        ScopedWriteFault fault(stage);
        WriteFailure written;
        EXPECT_FALSE(write_file_atomically(target, "replacement\n", &written));
        EXPECT_EQ(written.stage, stage);
        EXPECT_EQ(written.error, EIO);
        expect_untouched();

        WriteFailure copied;
        EXPECT_FALSE(file_copy(source, target, &copied));
        EXPECT_EQ(copied.stage, stage);
        expect_untouched();
    }
    ScopedWriteFault fault(WriteStage::read);
    WriteFailure copied;
    EXPECT_FALSE(file_copy(source, target, &copied));
    EXPECT_EQ(copied.stage, WriteStage::read);
    expect_untouched();
}

// Runs f in a child process and returns its exit status (-1 when it did
// not exit normally).
template <class F>
int in_child(F f)
{
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(f());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

// The rename needs only the folder's permission; a target the user may not
// write must still not be replaced, by a write or by a copy. Root may write
// every file, so as root the user is played by "nobody" in a child, in a
// folder that user can reach and write.
TEST_F(FileIoTest, ReadOnlyTargetIsRefusedAndKeptAsItWas)
{
    std::string pattern = (fs::temp_directory_path() / "avelor_rot_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path folder(pattern);
    fs::permissions(folder, fs::perms::all);
    const std::string source = (folder / "source.txt").string();
    const std::string file = (folder / "house.prj").string();
    ASSERT_TRUE(write_file_atomically(source, "copied text\n"));
    ASSERT_TRUE(write_file_atomically(file, kOriginal));
    fs::permissions(source, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    const fs::perms read_only = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
    fs::permissions(file, read_only);
    // 0 when both are refused at the rename; else the step that was not.
    auto refused = [&]() -> int {
        if (file_is_writable(file)) return 1;
        WriteFailure written;
        if (write_file_atomically(file, "replacement\n", &written)) return 2;
        if (written.stage != WriteStage::rename || written.error != EACCES) return 3;
        WriteFailure copied;
        if (file_copy(source, file, &copied)) return 4;
        if (copied.stage != WriteStage::rename || copied.error != EACCES) return 5;
        return 0;
    };
    const int result = ::geteuid() != 0 ? refused() : in_child([&] {
        constexpr uid_t kNobody = 65534;
        if (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0) return 100;
        return refused();
    });
    EXPECT_EQ(result, 0);
    EXPECT_EQ(read_file(file), kOriginal);
    EXPECT_EQ(fs::status(file).permissions(), read_only);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"house.prj", "source.txt"})) << "no temporary file is left";
    fs::remove_all(folder);
}

TEST_F(FileIoTest, FileSizeLimitFailsTheWriteAndKeepsTheOriginal)
{
    const std::string text(256 * 1024, 'y');
    const int stage = in_child([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 100;
        WriteFailure failure;
        if (write_file_atomically(target, text, &failure)) return 101;
        return failure.error == EFBIG ? static_cast<int>(failure.stage) : 102;
    });
    EXPECT_TRUE(stage == static_cast<int>(WriteStage::write) || stage == static_cast<int>(WriteStage::flush))
        << "child status " << stage;
    expect_untouched();
}

TEST_F(FileIoTest, ReadOnlyFolderFailsToOpenAndKeepsTheOriginal)
{
    // The folder must be reachable by the unprivileged user the child becomes
    // when the tests run as root.
    std::string pattern = (fs::temp_directory_path() / "avelor_ro_XXXXXX").string();
    ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
    const fs::path ro(pattern);
    const std::string file = (ro / "house.prj").string();
    ASSERT_TRUE(write_file_atomically(file, kOriginal));
    fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(ro, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                            fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);

    const int stage = in_child([&] {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) return 100;
        WriteFailure failure;
        if (write_file_atomically(file, "replacement\n", &failure)) return 101;
        return failure.error == EACCES ? static_cast<int>(failure.stage) : 102;
    });
    EXPECT_EQ(stage, static_cast<int>(WriteStage::open));
    EXPECT_EQ(read_file(file), kOriginal);
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(ro)) names.push_back(e.path().filename().string());
    EXPECT_EQ(names, std::vector<std::string>{"house.prj"});
    fs::permissions(ro, fs::perms::owner_all);
    fs::remove_all(ro);
}

TEST_F(FileIoTest, CopyOntoTheSameFileIsJudgedByIdentityNotPathText)
{
    const fs::path link = dir / "alias.prj";
    fs::create_hard_link(target, link);
    struct stat before {};
    ASSERT_EQ(::stat(target.c_str(), &before), 0);
    for (const std::string& same : {(dir / "." / "house.prj").string(), link.string()}) {
        SCOPED_TRACE(same);
        EXPECT_TRUE(file_copy(target, same));
        struct stat after {};
        ASSERT_EQ(::stat(same.c_str(), &after), 0);
        EXPECT_EQ(after.st_ino, before.st_ino) << "the file itself is kept, not replaced";
        EXPECT_EQ(read_file(same), kOriginal);
    }
}

TEST_F(FileIoTest, CopyReplacesTheDestinationAndSaysWhyItFailed)
{
    const std::string copy = (dir / "copy.prj").string();
    ASSERT_TRUE(write_file_atomically(copy, "old copy\n"));
    EXPECT_TRUE(file_copy(target, copy));
    EXPECT_EQ(read_file(copy), kOriginal);

    WriteFailure failure;
    EXPECT_FALSE(file_copy((dir / "missing.prj").string(), copy, &failure));
    EXPECT_EQ(failure.stage, WriteStage::read);
    EXPECT_EQ(failure.error, ENOENT);
    EXPECT_FALSE(file_copy(target, (dir / "no" / "copy.prj").string(), &failure));
    EXPECT_EQ(failure.stage, WriteStage::open);
    EXPECT_EQ(read_file(copy), kOriginal);
}

}  // namespace
}  // namespace avelor
