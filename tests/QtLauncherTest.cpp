// Command launch: the two kinds of address reach the desktop's handler unchanged, and every
// other text is refused before anything runs.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include "platform/OpenFileLimit.h"
#include "platform/qt/QtLauncher.h"

namespace quillmere::test {
namespace {

rlim_t SoftOpenFileLimit() {
    rlimit files{};
    EXPECT_EQ(::getrlimit(RLIMIT_NOFILE, &files), 0);
    return files.rlim_cur;
}

// Stands in for the desktop: receives what would have been opened, and the open-file limit the
// desktop's handler would have started with.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    UrlCatcher() {
        for (const char* scheme : {"http", "https", "mailto", "file", "javascript", "ftp"}) {
            QDesktopServices::setUrlHandler(QString::fromLatin1(scheme), this, "Open");
        }
    }
    ~UrlCatcher() override {
        for (const char* scheme : {"http", "https", "mailto", "file", "javascript", "ftp"}) {
            QDesktopServices::unsetUrlHandler(QString::fromLatin1(scheme));
        }
    }
    QStringList opened;
    std::vector<rlim_t> limits;

public slots:
    void Open(const QUrl& url) {
        opened << url.toString();
        limits.push_back(SoftOpenFileLimit());
    }
};

struct LaunchCase {
    std::string name;
    std::string command;
    QString opened;  // empty: refused
};

const LaunchCase kLaunchCases[] = {
    {"HomePage", "start https://quillmere.example.jp/", QStringLiteral("https://quillmere.example.jp/")},
    {"PlainHttpPage", "start http://quillmere.example.jp/index.html",
     QStringLiteral("http://quillmere.example.jp/index.html")},
    {"NewMail", "start mailto:support@quillmere.example.jp", QStringLiteral("mailto:support@quillmere.example.jp")},
    {"NoStart", "https://quillmere.example.jp/", {}},
    {"OtherProgram", "calc.exe", {}},
    {"StartAlone", "start", {}},
    {"StartWithNothing", "start ", {}},
    {"UpperCaseStart", "START https://quillmere.example.jp/", {}},
    {"SecondCommandAfterTheAddress", "start https://quillmere.example.jp/ & touch pwned", {}},
    {"ShellSubstitution", "start $(touch pwned)", {}},
    {"Backticks", "start `touch pwned`", {}},
    {"LocalFile", "start file:///etc/passwd", {}},
    {"Script", "start javascript:alert(1)", {}},
    {"OtherScheme", "start ftp://quillmere.example.jp/", {}},
    {"PageWithoutHost", "start https:///path", {}},
    {"MailWithoutAddress", "start mailto:", {}},
    {"MailWithHost", "start mailto://attacker.example/", {}},
    {"LineBreakInside", "start https://quillmere.example.jp/\nrm", {}},
    {"RelativeName", "start quillmere.example.jp", {}},
};

class QtLauncherTest : public testing::TestWithParam<LaunchCase> {};

TEST_P(QtLauncherTest, OpensOnlyPagesAndMail) {
    const LaunchCase& c = GetParam();
    UrlCatcher desktop;
    const bool launched = QtLauncher::Launch(c.command);
    if (c.opened.isEmpty()) {
        EXPECT_FALSE(launched);
        EXPECT_TRUE(desktop.opened.isEmpty()) << desktop.opened.join(' ').toStdString();
    } else {
        EXPECT_TRUE(launched);
        EXPECT_EQ(desktop.opened, QStringList{c.opened});
    }
}

INSTANTIATE_TEST_SUITE_P(QtLauncher, QtLauncherTest, testing::ValuesIn(kLaunchCases),
                         [](const testing::TestParamInfo<LaunchCase>& info) { return info.param.name; });

TEST(QtLauncher, TheHandlerStartsWithTheLimitTheProgramStartedWith) {
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit starting = saved;
    starting.rlim_cur = std::min<rlim_t>(saved.rlim_max, 512);
    ASSERT_EQ(::setrlimit(RLIMIT_NOFILE, &starting), 0);

    OpenFileLimit::RaiseForCopies();
    const rlim_t raised = SoftOpenFileLimit();
    EXPECT_EQ(raised, std::min<rlim_t>(saved.rlim_max, OpenFileLimit::kForCopies));
    UrlCatcher desktop;
    EXPECT_TRUE(QtLauncher::Launch("start https://quillmere.example.jp/"));
    EXPECT_EQ(desktop.limits, std::vector<rlim_t>{starting.rlim_cur});
    EXPECT_EQ(SoftOpenFileLimit(), raised);

    ::setrlimit(RLIMIT_NOFILE, &saved);
}

}  // namespace
}  // namespace quillmere::test

#include "QtLauncherTest.moc"
