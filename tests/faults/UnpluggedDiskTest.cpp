// A backup disk unplugged from a fixed mount point (a /mnt/usb of fstab) leaves an ordinary empty
// folder on the system disk. A run of the stored inputs, as a timer starts it, must refuse that
// folder rather than fill the system disk with a backup that looks complete; --yes accepts it.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>

#include "platform/posix/SettingsFile.h"
#include "tests/faults/ChildRun.h"
#include "tests/support/TempFolder.h"

namespace quillmere::test {
namespace {

namespace fs = std::filesystem;

struct Outcome {
    int status = -1;
    std::string out, err;
};

class UnpluggedDisk : public testing::Test {
protected:
    void SetUp() override {
        fs::create_directories(source);
        fs::create_directories(mountPoint);
        WriteFile(source + "/a.jra", "odds");
        const auto [status, output] = RunHelper("ext4-mount '" + (folder / "disk.img") + "' '" + mountPoint + "'");
        if (status == 77) GTEST_SKIP() << output;
        ASSERT_EQ(status, 0) << output;
        m_loop = output.substr(0, output.find('\n'));
    }
    void TearDown() override { Unplug(); }

    // Unmounts the disk; its mount point stays, as an empty folder.
    void Unplug() {
        if (m_loop.empty()) return;
        EXPECT_EQ(RunHelper("exfat-unmount '" + mountPoint + "' '" + m_loop + "'").first, 0);
        m_loop.clear();
    }

    // quillmere-backup with the arguments, its settings in the test's own folder.
    Outcome Run(const std::vector<std::string>& args) {
        std::string line = "XDG_CONFIG_HOME='" + config + "' '" QUILLMERE_BACKUP_PROGRAM "'";
        for (const std::string& arg : args) line += " '" + arg + "'";
        line += " >'" + (folder / "out") + "' 2>'" + (folder / "err") + "' </dev/null";
        const int wait = std::system(line.c_str());
        return {WIFEXITED(wait) ? WEXITSTATUS(wait) : -1, ReadFile(folder / "out"), ReadFile(folder / "err")};
    }

    std::string StoredVolume() const {
        return SettingsFile(config + "/Quillmere/Quillmere.conf").Read("LastExec", "DstVolume", "<absent>");
    }

    TempFolder folder;
    const std::string source = folder / "source";
    const std::string mountPoint = folder / "usb";
    const std::string config = folder / "config";

private:
    std::string m_loop;
};

TEST_F(UnpluggedDisk, RunOfTheStoredInputsRefusesTheLeftMountPointUntilAccepted) {
    const Outcome first = Run({source, mountPoint});
    ASSERT_EQ(first.status, 0) << first.err;
    const std::string onDisk = StoredVolume();
    ASSERT_NE(onDisk, "<absent>");
    ASSERT_NE(onDisk, "");
    // While the disk is there, the stored inputs are backed up as ever. (The first stamp folder
    // moves aside: the next run may come in the same second.)
    fs::rename(first.out.substr(0, first.out.size() - 1), mountPoint + "/first");
    const Outcome plugged = Run({});
    ASSERT_EQ(plugged.status, 0) << plugged.err;

    Unplug();
    ASSERT_TRUE(fs::is_empty(mountPoint));
    const Outcome unplugged = Run({});
    EXPECT_EQ(unplugged.status, 3);
    EXPECT_EQ(unplugged.out, "");
    EXPECT_NE(unplugged.err.find("別のファイルシステム"), std::string::npos) << unplugged.err;
    EXPECT_NE(unplugged.err.find(mountPoint + "\n前回: " + onDisk + "\n今回: "), std::string::npos) << unplugged.err;
    EXPECT_TRUE(fs::is_empty(mountPoint)) << "the refused run created something on the system disk";
    EXPECT_EQ(StoredVolume(), onDisk);

    // --yes takes the folder as it now is, and stores its file system for the runs after it.
    const Outcome accepted = Run({"--yes"});
    ASSERT_EQ(accepted.status, 0) << accepted.err;
    EXPECT_EQ(ListFolder(mountPoint).size(), 1U);
    EXPECT_NE(StoredVolume(), onDisk);
}

}  // namespace
}  // namespace quillmere::test
