// The settings file under real faults: damaged content, a store that cannot be written or is
// full, writers killed at random moments and two programs writing at once. Afterwards every key
// reads as its stored value or its default, and the file is the old or the new one, never torn.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <thread>

#include "platform/posix/SettingsFile.h"
#include "settings/SettingsLayout.h"
#include "tests/faults/ChildRun.h"
#include "tests/support/FailureOf.h"
#include "tests/support/TempFolder.h"

namespace quillmere::test {
namespace {

namespace fs = std::filesystem;
using namespace std::string_literals;

constexpr char kNotSaved[] = "入力内容を保存できませんでした。\n";

std::string Garbage(std::size_t size) {
    std::mt19937 random(6);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(random() & 0xFF);
    return bytes;
}

// What a damaged file reads as: the start-up reads of all five keys (positions through their
// conversion), and then one write that must work and leave the readable keys as they were.
struct DamagedCase {
    const char* name;
    std::function<std::string()> content;
    float left, top;
    const char* srcFolder;
    const char* fileType;
};

const DamagedCase kDamagedCases[] = {
    {"BinaryGarbage", [] { return Garbage(1 << 16); }, 1000, 1000, SettingsLayout::kDefaultFolder, "*.jra"},
    {"GarbageAroundReadableKeys",
     [] {
         return Garbage(4096) + "\n[MainWindow]\nLeft=\xFF\xFE\x00x\nTop=-120\n\x01\x02[LastExec\n"s + Garbage(4096);
     },
     1000, -120, SettingsLayout::kDefaultFolder, "*.jra"},
    {"HugeLine", [] { return std::string(32 << 20, 'x') + "\n[LastExec]\nFileType=*.huge\n"; }, 1000, 1000,
     SettingsLayout::kDefaultFolder, "*.huge"},
    {"SectionsWithoutKeys", [] { return std::string("[MainWindow]\n[LastExec]\n\n"); }, 1000, 1000,
     SettingsLayout::kDefaultFolder, "*.jra"},
    {"KeysWithoutValues", [] { return std::string("[LastExec]\nSrcFolder\nFileType=\n[MainWindow]\nLeft=\n"); }, 1000,
     1000, SettingsLayout::kDefaultFolder, ""},
    {"PositionsNotNumbers", [] { return std::string("[MainWindow]\nLeft=1e99\nTop=twelve\n"); }, 1000, 1000,
     SettingsLayout::kDefaultFolder, "*.jra"},
};

class DamagedSettings : public testing::TestWithParam<DamagedCase> {
protected:
    std::string Read(const std::string& section, const std::string& key, const std::string& fallback) {
        return SettingsFile(path).Read(section, key, fallback);
    }

    TempFolder dir;
    const std::string path = dir / "Quillmere.conf";
};

TEST_P(DamagedSettings, ReadsDefaultsWhereAKeyCannotBeReadAndStaysWritable) {
    const DamagedCase& row = GetParam();
    WriteFile(path, row.content());
    using namespace SettingsLayout;

    auto position = [&](const char* key) {
        return StoredPosition(Read(kSectionMainWindow, key, kDefaultPositionText));
    };
    EXPECT_EQ(position(kKeyLeft), row.left);
    EXPECT_EQ(position(kKeyTop), row.top);
    EXPECT_EQ(Read(kSectionLastExec, kKeySrcFolder, kDefaultFolder), row.srcFolder);
    EXPECT_EQ(Read(kSectionLastExec, kKeyDstFolder, kDefaultFolder), kDefaultFolder);
    EXPECT_EQ(Read(kSectionLastExec, kKeyFileType, kDefaultFileType), row.fileType);

    SettingsFile(path).Write(kSectionLastExec, kKeySrcFolder, "/new");
    EXPECT_EQ(Read(kSectionLastExec, kKeySrcFolder, kDefaultFolder), "/new");
    EXPECT_EQ(position(kKeyTop), row.top);
    EXPECT_EQ(Read(kSectionLastExec, kKeyFileType, kDefaultFileType), row.fileType);
}

INSTANTIATE_TEST_SUITE_P(SettingsFault, DamagedSettings, testing::ValuesIn(kDamagedCases),
                         [](const auto& info) { return std::string(info.param.name); });

// What stands in the file's place cannot be read as settings: both the read at start-up and a
// write say so with the path, and nothing waits on a FIFO.
TEST(SettingsFault, NoFileInPlaceOfTheFileIsReportedNotWaitedOn) {
    TempFolder dir;
    const std::string fifo = dir / "fifo.conf";
    const std::string folder = dir / "folder.conf";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    fs::create_directory(folder);
    for (const auto& [path, reason] :
         {std::pair{fifo, "通常のファイルではありません"}, std::pair{folder, "Is a directory"}}) {
        const std::string expected = path + ": " + reason;
        EXPECT_EQ(FailureOf([&] { SettingsFile(path).Read("LastExec", "SrcFolder", ""); }), expected);
        EXPECT_EQ(FailureOf([&] { SettingsFile(path).Write("LastExec", "SrcFolder", "/x"); }), expected);
    }
}

// A backup whose settings cannot be stored: the copy is made, the user is told which file could
// not be written and why, and the file that was there is still there, byte for byte.
struct UnwritableCase {
    const char* name;
    const char* mechanism;  // "nocaps": a read-only config folder; "tmpfs": a full one; "": see below
    const char* reason;
};

class UnwritableSettings : public testing::TestWithParam<UnwritableCase> {
protected:
    TempFolder dir;
    const std::string source = dir / "source";
    const std::string destination = dir / "destination";
    const std::string config = dir / "config";
    const std::string settings = config + "/Quillmere.conf";
    const std::string snapshot = dir / "snapshot";
};

TEST_P(UnwritableSettings, ReportsThePathAndReasonAndKeepsTheOldFile) {
    const std::string mechanism = GetParam().mechanism;
    for (const std::string& folder : {source, destination, config, snapshot}) fs::create_directory(folder);
    WriteFile(source + "/a.jra", "odds");
    const std::string old = "; mine\n[LastExec]\nSrcFolder=/old\n";
    Mechanism run;
    std::string kept = settings;
    if (mechanism == "nocaps") {
        WriteFile(settings, old);
        ASSERT_EQ(::chmod(config.c_str(), 0555), 0);
        run = {"nocaps"};
    } else if (mechanism == "tmpfs") {
        // The folder's files move onto a 64 KB tmpfs that the filler leaves no page of.
        WriteFile(settings, old);
        WriteFile(config + "/filler", std::string(65536 - static_cast<std::size_t>(::getpagesize()), 'f'));
        run = {"tmpfs", config, "64k", snapshot};
        kept = snapshot + "/Quillmere.conf";
    } else {
        fs::create_directory(settings);
    }

    const ChildResult result = RunChild(run, {"backup", source, destination, "*.jra", settings});
    if (result.skipReason) GTEST_SKIP() << *result.skipReason;
    ::chmod(config.c_str(), 0700);

    ASSERT_EQ(result.prompts.size(), 1U) << result.errorOutput;
    EXPECT_EQ(result.prompts[0].title, std::nullopt);
    EXPECT_EQ(result.prompts[0].style, PromptStyle::OkOnly);
    EXPECT_EQ(result.prompts[0].text, kNotSaved + settings + ": " + GetParam().reason);
    EXPECT_EQ(ReadFile(destination + "/20261207_101500/a.jra"), "odds");
    if (mechanism.empty()) {
        EXPECT_TRUE(fs::is_directory(settings));
    } else {
        EXPECT_EQ(ReadFile(kept), old);
        EXPECT_EQ(ListFolder(fs::path(kept).parent_path().string()),
                  (mechanism == "tmpfs" ? std::vector<std::string>{"Quillmere.conf", "filler"}
                                        : std::vector<std::string>{"Quillmere.conf"}));
    }
}

INSTANTIATE_TEST_SUITE_P(SettingsFault, UnwritableSettings,
                         testing::Values(UnwritableCase{"ReadOnlyFolder", "nocaps", "Permission denied"},
                                         UnwritableCase{"FullDisk", "tmpfs", "No space left on device"},
                                         UnwritableCase{"DirectoryInPlace", "", "Is a directory"}),
                         [](const auto& info) { return std::string(info.param.name); });

// These two write hundreds of times; the durability of each write (fsync) is not what they test,
// so they run on a tmpfs where the machine has one, to stay quick.
class QuickFolder {
public:
    QuickFolder() {
        std::string pattern = "/dev/shm/quillmere-fault-XXXXXX";
        if (::access("/dev/shm", W_OK) == 0 && ::mkdtemp(pattern.data())) m_shm = pattern;
    }
    ~QuickFolder() {
        if (!m_shm.empty()) fs::remove_all(m_shm);
    }
    std::string Path() const { return m_shm.empty() ? m_fallback.Path().string() : m_shm; }

private:
    TempFolder m_fallback;
    std::string m_shm;
};

// A writer killed at a random moment leaves the old or the new file: it always parses, the
// lines it does not know are there, each key holds a value that was written, and no more than
// the one temporary file of the killed write is left over. The writer
// counts up K1 then K2, so K1 is K2 or one ahead of it, and neither ever goes back.
TEST(SettingsFault, WriterKilledAtRandomMomentsNeverLeavesATornFile) {
    const QuickFolder folder;
    const std::string path = folder.Path() + "/Quillmere.conf";
    WriteFile(path, "; kept across every write\n[Count]\nK1=0\nK2=0\n");
    std::mt19937 random(200);
    long last = 0;
    for (int round = 0; round < 200; ++round) {
        ChildProcess writer({"count-up", path, "Count", "K1", "K2"});
        ASSERT_TRUE(writer.Started());
        std::this_thread::sleep_for(std::chrono::microseconds(random() % 4000));
        writer.Kill();
        const int status = writer.Wait();
        ASSERT_TRUE(WIFSIGNALED(status)) << "the writer ended by itself in round " << round;

        // The temporary file of the killed write may be there; the next write removes it.
        EXPECT_LE(ListFolder(folder.Path()).size(), 2U) << "killed writes leave their temporary files behind";
        const std::string text = ReadFile(path);
        ASSERT_TRUE(text.starts_with("; kept across every write\n[Count]\n")) << "round " << round << ":\n" << text;
        const long k1 = std::stol(SettingsFile(path).Read("Count", "K1", "-1"));
        const long k2 = std::stol(SettingsFile(path).Read("Count", "K2", "-1"));
        ASSERT_TRUE(k1 == k2 || k1 == k2 + 1) << "round " << round << ": K1=" << k1 << " K2=" << k2;
        ASSERT_GE(k2, last) << "round " << round;
        last = k2;
    }
    EXPECT_GT(last, 0) << "no write completed in 200 rounds";
}

TEST(SettingsFault, TwoProgramsWritingDifferentKeysLoseNone) {
    const QuickFolder folder;
    const std::string path = folder.Path() + "/Quillmere.conf";
    constexpr int kKeys = 500;
    const auto start = [&](const char* prefix) {
        return std::thread([&path, prefix] {
            const ChildResult result =
                RunChild({}, {"write-keys", path, "Keys", prefix, std::to_string(kKeys)}, std::chrono::seconds(90));
            EXPECT_EQ(result.exitCode, 0) << prefix << ": " << (result.errors.empty() ? "" : result.errors[0]);
        });
    };
    std::thread first = start("A");
    std::thread second = start("B");
    first.join();
    second.join();

    const SettingsFile file(path);
    int lost = 0;
    for (const char* prefix : {"A", "B"}) {
        for (int i = 0; i < kKeys; ++i) {
            if (file.Read("Keys", prefix + std::to_string(i), "<lost>") != std::to_string(i)) ++lost;
        }
    }
    EXPECT_EQ(lost, 0);
}

// The clean-up of killed writers' temporary files removes only those: the user's own files that
// merely look alike, and a temporary file that a live writer still holds, stay untouched.
TEST(SettingsFault, CleanUpRemovesOnlyDeadWritersTemporaryFiles) {
    TempFolder dir;
    const std::string path = dir / "Quillmere.conf";
    WriteFile(path, "[LastExec]\nSrcFolder=/old\n");
    const std::vector<std::string> mine = {".Quillmere.conf.backup", ".Quillmere.conf.orig12", "Quillmere.conf~",
                                           ".Quillmere.conf.quillmere-tmp-7chars7"};
    for (const std::string& name : mine) WriteFile(dir / name, "mine: " + name);
    fs::create_directory(dir / ".Quillmere.conf.quillmere-tmp-dirABC");
    fs::create_symlink(".Quillmere.conf.backup", dir / ".Quillmere.conf.quillmere-tmp-linkAB");
    const std::string live = dir / ".Quillmere.conf.quillmere-tmp-liveAB";
    WriteFile(live, "being written");
    const int held = ::open(live.c_str(), O_RDONLY | O_CLOEXEC);
    ASSERT_EQ(::flock(held, LOCK_EX), 0);
    WriteFile(dir / ".Quillmere.conf.quillmere-tmp-deadAB", "left by a killed writer");

    SettingsFile(path).Write("LastExec", "SrcFolder", "/new");
    ::close(held);

    for (const std::string& name : mine) EXPECT_EQ(ReadFile(dir / name), "mine: " + name);
    EXPECT_TRUE(fs::is_directory(dir / ".Quillmere.conf.quillmere-tmp-dirABC"));
    EXPECT_TRUE(fs::is_symlink(dir / ".Quillmere.conf.quillmere-tmp-linkAB"));
    EXPECT_EQ(ReadFile(live), "being written");
    EXPECT_FALSE(fs::exists(dir / ".Quillmere.conf.quillmere-tmp-deadAB"));
    EXPECT_EQ(SettingsFile(path).Read("LastExec", "SrcFolder", ""), "/new");
}

}  // namespace
}  // namespace quillmere::test
