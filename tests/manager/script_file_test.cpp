// Script files on disk: loading, CR LF line ends, and saves that either
// complete or leave the old file as it was.
#include <dirent.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ManagerPlugin.h"

namespace {

std::string ReadFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

void WriteFile(const std::string &path, const std::string &content)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << content;
}

std::vector<std::string> FolderEntries(const std::string &folder)
{
    std::vector<std::string> names;
    if (DIR *dir = ::opendir(folder.c_str())) {
        while (dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
                names.push_back(entry->d_name);
        }
        ::closedir(dir);
    }
    return names;
}

class ScriptFiles : public ManagerTest {
protected:
    void SetUp() override
    {
        ManagerTest::SetUp();
        char pattern[] = "/tmp/nbs-files-XXXXXX";
        ASSERT_NE(::mkdtemp(pattern), nullptr);
        folder_ = pattern;
    }

    void TearDown() override
    {
        for (const std::string &name : FolderEntries(folder_)) {
            const std::string path = folder_ + "/" + name;
            if (::unlink(path.c_str()) != 0)
                ::rmdir(path.c_str());
        }
        ::rmdir(folder_.c_str());
    }

    std::string Path(const char *name) const { return folder_ + "/" + name; }

    std::unique_ptr<ParticleSystem> NewParticles() const
    {
        auto record = NewRecord();
        api.newParticles(record.get(), "sprites/smoke.spr");
        return record;
    }

    std::string folder_;
};

TEST_F(ScriptFiles, SavedFilesEndEveryLineWithCrLf)
{
    auto record = NewParticles();
    const std::string path = Path("effect.nbs");
    ASSERT_EQ(api.saveFile(path.c_str(), "// made by a test\r\n// second line", record.get()), 1);
    const std::string onDisk = ReadFile(path);

    std::string expected;
    for (char c : Save(*record, "// made by a test\r\n// second line")) {
        if (c == '\n')
            expected += '\r';
        expected += c;
    }
    EXPECT_EQ(onDisk, expected);
    EXPECT_EQ(onDisk.substr(0, 32), "// made by a test\r\n// second lin");

    auto back = NewRecord();
    ASSERT_EQ(api.loadFile(path.c_str(), back.get()), 1);
    EXPECT_TRUE(SameBytes(*record, *back));
}

TEST_F(ScriptFiles, MissingOrUnreadableFilesLeaveTheRecordAlone)
{
    auto record = NewParticles();
    auto before = NewParticles();
    EXPECT_EQ(api.loadFile(Path("missing.nbs").c_str(), record.get()), 0);
    EXPECT_EQ(api.loadFile(folder_.c_str(), record.get()), 0) << "a folder is no script";
    EXPECT_EQ(api.loadFile("", record.get()), 0);
    EXPECT_TRUE(SameBytes(*record, *before));
}

TEST_F(ScriptFiles, FilesAreReadToTheirEnd)
{
    // LF and CR LF alike, a NUL byte and high bytes in the middle.
    const std::string path = Path("mixed.nbs");
    const char content[] = "particles 11\r\n\0maintype \xff"
                           "fire\n{ name a }\r\n{ name b";
    WriteFile(path, std::string(content, sizeof content - 1));
    auto record = NewRecord();
    ASSERT_EQ(api.loadFile(path.c_str(), record.get()), 1);
    EXPECT_EQ(record->particles, 11);
    EXPECT_STREQ(record->maintype, "fire");
    EXPECT_EQ(record->typeCount, 2);
    EXPECT_STREQ(record->types[1].name, "b");

    WriteFile(path, "");
    ASSERT_EQ(api.loadFile(path.c_str(), record.get()), 1);
    EXPECT_EQ(record->typeCount, 0);
    EXPECT_EQ(record->particles, 100);
}

TEST_F(ScriptFiles, SavingReplacesTheFileAndKeepsItsPermissions)
{
    const std::string path = Path("keep.nbs");
    WriteFile(path, std::string(100000, 'x'));  // longer than the new text
    ASSERT_EQ(::chmod(path.c_str(), 0640), 0);
    auto record = NewParticles();
    ASSERT_EQ(api.saveFile(path.c_str(), nullptr, record.get()), 1);
    const std::string onDisk = ReadFile(path);
    EXPECT_EQ(onDisk.substr(0, 19), "\"particles\" \"40\"\r\n\"");
    EXPECT_LT(onDisk.size(), 1000u) << "no tail of the old content";
    struct stat info;
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"keep.nbs"}) << "no temporary file is left";

    // A name at the file system's length limit still leaves room for the temporary file.
    const std::string longName = Path(std::string(255 - 4, 'n').append(".nbs").c_str());
    EXPECT_EQ(api.saveFile(longName.c_str(), nullptr, record.get()), 1);
}

TEST_F(ScriptFiles, SavingThroughALinkReplacesItsTarget)
{
    const std::string target = Path("real.nbs");
    const std::string link = Path("link.nbs");
    WriteFile(target, "old");
    ASSERT_EQ(::symlink(target.c_str(), link.c_str()), 0);
    auto record = NewParticles();
    ASSERT_EQ(api.saveFile(link.c_str(), nullptr, record.get()), 1);
    struct stat info;
    ASSERT_EQ(::lstat(link.c_str(), &info), 0);
    EXPECT_TRUE(S_ISLNK(info.st_mode));
    EXPECT_EQ(ReadFile(target).substr(0, 11), "\"particles\"");
}

TEST_F(ScriptFiles, SavesThatCannotBeginReportFailure)
{
    auto record = NewParticles();
    EXPECT_EQ(api.saveFile(Path("no/such/folder.nbs").c_str(), nullptr, record.get()), 0);
    const std::string sub = Path("sub");
    ASSERT_EQ(::mkdir(sub.c_str(), 0755), 0);
    EXPECT_EQ(api.saveFile(sub.c_str(), nullptr, record.get()), 0) << "a folder is not replaced";
    struct stat info;
    ASSERT_EQ(::stat(sub.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
}

TEST_F(ScriptFiles, AReadOnlyFileIsNotReplaced)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "the superuser may write any file";
    const std::string path = Path("locked.nbs");
    WriteFile(path, "locked");
    ASSERT_EQ(::chmod(path.c_str(), 0444), 0);
    auto record = NewParticles();
    EXPECT_EQ(api.saveFile(path.c_str(), nullptr, record.get()), 0);
    EXPECT_EQ(ReadFile(path), "locked");
}

TEST_F(ScriptFiles, AFailedWriteLeavesTheOldFileIntact)
{
    const std::string path = Path("precious.nbs");
    const std::string old = "\"particles\" \"7\"\r\n\"maintype\" \"precious\"\r\n";
    WriteFile(path, old);

    // Writes past 64 bytes fail as on a full disk.
    auto record = NewParticles();
    struct rlimit saved;
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    struct rlimit small = saved;
    small.rlim_cur = 64;
    void (*oldHandler)(int) = ::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const int32_t result = api.saveFile(path.c_str(), nullptr, record.get());
    ::setrlimit(RLIMIT_FSIZE, &saved);
    ::signal(SIGXFSZ, oldHandler);

    EXPECT_EQ(result, 0);
    EXPECT_EQ(ReadFile(path), old);
    EXPECT_EQ(FolderEntries(folder_), std::vector<std::string>{"precious.nbs"})
        << "the partial file is removed";

    // With room again the same save goes through.
    EXPECT_EQ(api.saveFile(path.c_str(), nullptr, record.get()), 1);
    EXPECT_NE(ReadFile(path), old);
}

}  // namespace
