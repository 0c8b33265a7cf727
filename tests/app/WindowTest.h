// WindowTest: driving the windows on the offscreen platform. The fixture checks after every case
// that no window was left behind; OnNextModal acts on a modal window from inside its own loop.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QStringList>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/VolumeList.h"
#include "tests/support/FakePlatform.h"

namespace quillmere::test {

// Calls act with the next modal window once it is shown and active, then sets seen. Called
// before whatever opens the window, because that call only returns when the window has closed.
inline void OnNextModal(std::function<void(QWidget&)> act, bool& seen) {
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act = std::move(act), &seen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (modal && modal->isVisible() && QApplication::activeWindow() == modal) {
            timer->stop();
            timer->deleteLater();
            seen = true;
            act(*modal);
        } else if (++*tries > 1000) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "no modal window showed";
        }
    });
    timer->start(5);
}

class FakeVolumes final : public VolumeList {
public:
    std::vector<Volume> Volumes() const override { return volumes; }
    QString WorkingFolder() const override { return working; }

    std::vector<Volume> volumes{{QStringLiteral("/"), QString()}};
    QString working = QStringLiteral("/");
};

class WindowTest : public ::testing::Test {
protected:
    void TearDown() override {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QStringList leaked;
        for (const QWidget* widget : QApplication::topLevelWidgets()) {
            leaked << widget->objectName() + QLatin1Char(':') + QLatin1String(widget->metaObject()->className());
        }
        EXPECT_TRUE(leaked.isEmpty()) << "left behind: " << leaked.join(QStringLiteral(", ")).toStdString();
        while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    }

    template <typename T>
    static T* Find(const QWidget& window, const char* name) {
        T* control = window.findChild<T*>(QString::fromLatin1(name));
        if (!control) ADD_FAILURE() << "no control " << name;
        return control;
    }

    std::vector<std::string> log;
    FakePlatform ops{log};
    FakeVolumes volumes;
};

}  // namespace quillmere::test
