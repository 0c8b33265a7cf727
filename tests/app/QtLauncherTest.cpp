// Command launch: the two kinds of address reach the desktop's handler unchanged, and every
// other text is refused before anything runs.
#include <gtest/gtest.h>

#include <QDesktopServices>
#include <QObject>
#include <QUrl>

#include "app/QtLauncher.h"

namespace quillmere::test {
namespace {

// Stands in for the desktop: receives what would have been opened.
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

public slots:
    void Open(const QUrl& url) { opened << url.toString(); }
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

}  // namespace
}  // namespace quillmere::test

#include "QtLauncherTest.moc"
