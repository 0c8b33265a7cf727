// The benchmark driver: makes the work sets, then measures ours and the baseline alternately,
// several runs each, and prints the medians side by side with their ratio and target.
//
// Usage: quillmere_bench --bin BUILD-FOLDER [--dir FOLDER] [--runs N] [--no-window]
//   --dir     where the work sets and copies go (default $TMPDIR, else /tmp); put it on the file
//             system the figures are wanted for.
//   --runs    runs of each side per figure (default 5).
//   --no-window  skip the start-up figures (they need an X display in DISPLAY).
//   --window-only  only the start-up figures.
//   --keep    leave the work sets and copies in place at the end (for a file system that is
//             thrown away afterwards, where removing a million files would only cost time).
// Exits 0 when every target is met, 1 when one is not, 2 when the benchmark itself failed.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/ChildProcess.h"
#include "bench/ResultTable.h"
#include "bench/WindowProbe.h"
#include "bench/WorkSets.h"
#include "platform/SystemFiles.h"
#include "platform/Wildcard.h"

namespace quillmere::bench {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Options {
    std::string bin;
    std::string dir;
    int runs = 5;
    bool window = true;
    bool files = true;
    bool keep = false;
};

Options ParseOptions(int argc, char* argv[]) {
    Options options;
    const char* tmp = std::getenv("TMPDIR");
    options.dir = tmp && *tmp ? tmp : "/tmp";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--bin" && hasValue) {
            options.bin = argv[++i];
        } else if (arg == "--dir" && hasValue) {
            options.dir = argv[++i];
        } else if (arg == "--runs" && hasValue) {
            options.runs = std::max(1, std::atoi(argv[++i]));
        } else if (arg == "--no-window") {
            options.window = false;
        } else if (arg == "--window-only") {
            options.files = false;
        } else if (arg == "--keep") {
            options.keep = true;
        } else {
            throw std::invalid_argument("unknown or incomplete option " + arg);
        }
    }
    if (options.bin.empty()) throw std::invalid_argument("--bin BUILD-FOLDER is required");
    return options;
}

// Flushes whatever is still dirty before a run (the work sets, what other programs wrote), so that no run pays
// for another's write-back.
void SettleDisk(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::syncfs(fd);
        ::close(fd);
    }
}

// The one folder the command made in destination: its stamp folder.
std::string OnlyFolderIn(const std::string& destination) {
    std::vector<fs::path> folders;
    for (const auto& entry : fs::directory_iterator(destination)) folders.push_back(entry.path());
    if (folders.size() != 1) throw std::runtime_error(destination + " does not hold exactly one stamp folder");
    return folders.front().string();
}

// The whole backup as users run it, the command-line program from its checks to its stored
// settings, against cp and a sync of the destination's file system (which is what our copy's
// durability costs). Each run copies into a folder of its own and nothing is deleted until all
// runs are done: on ext4 a file created soon after many were deleted waits for their freed
// inodes, and a deleting benchmark would measure that instead of either copier.
struct CopyFigures {
    double ours, baseline, oursPeakKiB, baselinePeakKiB;
};

CopyFigures MeasureCopy(const Options& options, const std::string& root, const WorkSet& set) {
    const std::string program = options.bin + "/cli/quillmere-backup";
    const Environment settings{"XDG_CONFIG_HOME=" + root + "/config-command"};
    // A folder of matching files only is copied by cp as a folder, one process however many
    // files; a glob of 100 000 names would not fit one command line.
    const std::string baselineCommand = set.entries == set.matching
                                            ? "cp -r --preserve=timestamps \"$1\"/. \"$2\"/ && sync -f \"$2\""
                                            : "cp --preserve=timestamps \"$1\"/*.jra \"$2\"/ && sync -f \"$2\"";
    std::vector<double> ours, baseline, oursPeaks, baselinePeaks;
    auto runOne = [&](bool oursSide, int run) {
        const std::string destination = root + "/out-" + fs::path(set.folder).filename().string() + "-" +
                                        std::to_string(run) + (oursSide ? "-ours" : "-cp");
        fs::create_directory(destination);
        SettleDisk(root);
        const Sample sample = oursSide ? Run({program, "--yes", set.folder, destination, "*.jra"}, settings)
                                       : Run({"sh", "-c", baselineCommand, "sh", set.folder, destination});
        if (CountEntries(oursSide ? OnlyFolderIn(destination) : destination) != set.matching) {
            throw std::runtime_error((oursSide ? "our copy of " : "the baseline copy of ") + set.label +
                                     " is incomplete");
        }
        (oursSide ? ours : baseline).push_back(sample.seconds);
        (oursSide ? oursPeaks : baselinePeaks).push_back(static_cast<double>(sample.peakKiB));
    };
    std::fprintf(stderr, "copying %s\n", set.label.c_str());
    for (int run = 0; run < options.runs; ++run) {
        // Alternating who goes first cancels what one side leaves behind for the other.
        runOne(run % 2 == 0, run);
        runOne(run % 2 != 0, run);
    }
    return {Median(ours), Median(baseline), Median(oursPeaks), Median(baselinePeaks)};
}

// The cost of progress reporting: our copier with a window-like monitor against the same copier
// without one, alternately. Every run copies into a folder of its own and nothing is deleted
// until all runs are done: freshly freed inodes would slow the creates of the runs after.
void MeasureProgressCost(const Options& options, const std::string& root, const WorkSet& set, ResultTable& table) {
    const std::string copier = options.bin + "/bench/quillmere_copy_once";
    std::vector<double> with, without;
    std::fprintf(stderr, "copying %s with and without progress\n", set.label.c_str());
    for (int run = 0; run < options.runs; ++run) {
        for (const bool progress : {run % 2 == 0, run % 2 != 0}) {
            const std::string destination = root + "/progress-" + fs::path(set.folder).filename().string() + "-" +
                                            std::to_string(run) + (progress ? "-with" : "-without");
            fs::create_directory(destination);
            SettleDisk(root);
            std::vector<std::string> command{copier, set.folder, destination, "*.jra"};
            if (progress) command.insert(command.begin() + 1, "--progress");
            const Sample sample = Run(command);
            if (CountEntries(destination) != set.matching) {
                throw std::runtime_error("a copy of " + set.label + " is incomplete");
            }
            (progress ? with : without).push_back(sample.seconds);
        }
    }
    table.Add("copy " + set.label + " with progress, vs without", Median(with), Median(without), "s", 1.03);
}

double SecondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The plain directory read the search is held against: every entry, no matching, no stat.
void ReadWholeFolder(const std::string& folder) {
    if (CountEntries(folder) == 0) throw std::runtime_error(folder + " is empty");
}

void MeasureSearch(const WorkSet& set, ResultTable& table) {
    std::fprintf(stderr, "searching %s\n", set.label.c_str());
    const std::string pattern = set.folder + "/*.jra";
    if (SystemFiles::FindFirstEntry(pattern, EntryAttributes::Normal).empty())
        throw std::runtime_error("the search found nothing");
    std::vector<double> ours, baseline;
    // Both are short and read a cached folder, so many runs smooth out the machine's other work.
    for (int run = 0; run < 41; ++run) {
        if (run % 2 == 0) {
            ours.push_back(SecondsOf([&] { SystemFiles::FindFirstEntry(pattern, EntryAttributes::Normal); }));
            baseline.push_back(SecondsOf([&] { ReadWholeFolder(set.folder); }));
        } else {
            baseline.push_back(SecondsOf([&] { ReadWholeFolder(set.folder); }));
            ours.push_back(SecondsOf([&] { SystemFiles::FindFirstEntry(pattern, EntryAttributes::Normal); }));
        }
    }
    table.Add("input check FindFirstEntry, 100000 entries, vs one directory read", Median(ours), Median(baseline), "s",
              1.1, true);
}

// The matcher on the hardest kind of pattern: 50 stars, each before a letter the name is full of,
// and an ending the name lacks, so that a matcher that backtracks would try every way of sharing
// the name among the stars. Held against the same pattern on half the name: a matcher linear in
// the name's length takes twice as long.
void MeasureWildcard(ResultTable& table) {
    std::fprintf(stderr, "matching a 50-star wildcard\n");
    std::string text;
    for (int star = 0; star < 50; ++star) text += "*a";
    const Wildcard::Pattern pattern(text + "b");
    auto microsecondsPerMatch = [&](const std::string& name) {
        constexpr int kMatches = 2000;
        bool matched = false;
        const double seconds = SecondsOf([&] {
            for (int i = 0; i < kMatches; ++i) matched = pattern.Matches(name) || matched;
        });
        if (matched) throw std::runtime_error("the 50-star wildcard matched a name without a \"b\"");
        return seconds / kMatches * 1e6;
    };
    const std::string name(200, 'a');
    const std::string half(100, 'a');
    std::vector<double> ours, baseline;
    for (int run = 0; run < 21; ++run) {
        ours.push_back(microsecondsPerMatch(name));
        baseline.push_back(microsecondsPerMatch(half));
    }
    table.Add("wildcard match, 50 stars, 200-character name vs 100 characters", Median(ours), Median(baseline), " us",
              2.5);
}

void MeasureStartUp(const Options& options, const std::string& root, ResultTable& table) {
    std::fprintf(stderr, "starting the program and the bare window\n");
    WindowProbe probe;
    const std::string program = options.bin + "/app/quillmere";
    const std::string bare = options.bin + "/bench/quillmere_bare_window";
    std::vector<double> oursTime, bareTime, oursPeak, barePeak;
    for (int run = 0; run < 2 * options.runs; ++run) {
        for (const bool oursSide : {run % 2 == 0, run % 2 != 0}) {
            // A fresh settings folder each time: the program starts as on a new account.
            const std::string config = root + "/config-" + std::to_string(run) + (oursSide ? "-ours" : "-bare");
            const std::string runtime = config + "/runtime";
            fs::create_directories(runtime);
            fs::permissions(runtime, fs::perms::owner_all);
            const Sample sample =
                probe.Measure({oursSide ? program : bare},
                              {"XDG_CONFIG_HOME=" + config, "XDG_RUNTIME_DIR=" + runtime, "QT_QPA_PLATFORM=xcb"});
            (oursSide ? oursTime : bareTime).push_back(sample.seconds);
            (oursSide ? oursPeak : barePeak).push_back(static_cast<double>(sample.peakKiB));
        }
    }
    table.Add("start-up to the main window shown, vs a bare Qt window", Median(oursTime), Median(bareTime), "s", 1.2);
    table.Add("start-up peak memory, vs a bare Qt window", Median(oursPeak), Median(barePeak), "KiB", 1.2);
}

void MeasureFiles(const Options& options, const std::string& root, ResultTable& table) {
    const WorkSets sets = MakeWorkSets(root);
    std::vector<CopyFigures> figures;
    for (const WorkSet& set : sets.copies) {
        figures.push_back(MeasureCopy(options, root, set));
        table.Add("backup command, " + set.label + ", vs cp and sync", figures.back().ours, figures.back().baseline,
                  "s", set.matching >= 2000 || set.fileSize >= (std::size_t{256} << 20) ? 1.0 : 1.3);
    }
    // Ten times the entries (and matching files) should take ten times as long. Held against the
    // same growth of cp and sync, measured alongside, the figure is free of the fixed costs and of
    // what the rest of the machine writes meanwhile.
    const CopyFigures& hundredThousand = figures[kMany];
    const CopyFigures tenThousand = MeasureCopy(options, root, sets.tenThousand);
    table.Add("growth from 10000 to 100000 entries, vs cp and sync", hundredThousand.ours / tenThousand.ours,
              hundredThousand.baseline / tenThousand.baseline, "x", 1.3);
    for (const CopySet set : {kSmall, kTiny100k, kLarge}) {
        table.Add("peak memory, " + sets.copies[set].label + ", vs cp", figures[set].oursPeakKiB,
                  figures[set].baselinePeakKiB, "KiB", 4.0);
    }
    table.Add("peak memory growth from 2000 to 100000 files, vs cp's",
              figures[kTiny100k].oursPeakKiB / figures[kSmall].oursPeakKiB,
              figures[kTiny100k].baselinePeakKiB / figures[kSmall].baselinePeakKiB, "x", 2.0);

    MeasureSearch(sets.copies[kMany], table);
    MeasureProgressCost(options, root, sets.copies[kSmall], table);
    MeasureProgressCost(options, root, sets.copies[kLarge], table);
}

int Main(int argc, char* argv[]) {
    const Options options = ParseOptions(argc, argv);
    std::string root = options.dir + "/quillmere-bench-XXXXXX";
    if (!::mkdtemp(root.data())) throw std::runtime_error(root + ": " + std::strerror(errno));
    struct Cleanup {
        std::string root;
        bool keep;
        ~Cleanup() {
            std::error_code ignored;
            if (!keep) fs::remove_all(root, ignored);
        }
    } cleanup{root, options.keep};
    // Every run's copies stay until here; see MeasureCopy.

    ResultTable table;
    if (options.files) {
        MeasureFiles(options, root, table);
        MeasureWildcard(table);
    }
    if (options.window) MeasureStartUp(options, root, table);
    table.Print();
    return table.AllMet() ? 0 : 1;
}

}  // namespace
}  // namespace quillmere::bench

int main(int argc, char* argv[]) {
    try {
        return quillmere::bench::Main(argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "quillmere_bench: %s\n", e.what());
        return 2;
    }
}
