// Qt windows in tests: one QApplication for the whole program (offscreen),
// folders of their own for the settings and the data of each test, and a
// way to act on a modal window once it is up.
#pragma once

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <cstdlib>
#include <functional>
#include <memory>

#include "../shell/MessageRecorder.h"
#include "TempDir.h"

// A test with its own settings and data folders and a message recorder.
class GuiTest : public ::testing::Test {
protected:
    TempDir dir;
    CMessageRecorder messages;

    void SetUp() override
    {
        setenv("JXCONFIG_CONFIG_DIR", dir.File("config").c_str(), 1);
        setenv("JXCONFIG_DATA_DIR", dir.File("data").c_str(), 1);
    }
    void TearDown() override
    {
        unsetenv("JXCONFIG_CONFIG_DIR");
        unsetenv("JXCONFIG_DATA_DIR");
    }
    // Short link waits for the tests (KorConfig.xml in the data folder).
    void ShortLinkWaits();
};

// Runs `act` on the first visible top-level window of type T as soon as it
// is up and `ready` says so (from the event loop of whatever modal window
// runs meanwhile). A window that never comes fails the test and ends the
// modal loop.
template <class T>
void WhenShown(std::function<void(T*)> act, std::function<bool(T*)> ready = {})
{
    auto* timer = new QTimer;
    auto polls = std::make_shared<int>(0);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, [timer, polls, act, ready] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* window = qobject_cast<T*>(w);
            if (window != nullptr && window->isVisible() && (!ready || ready(window))) {
                timer->stop();
                timer->deleteLater();
                act(window);
                return;
            }
        }
        if (++*polls > 6000) {
            timer->stop();
            timer->deleteLater();
            ADD_FAILURE() << "the window never showed";
            if (QWidget* modal = QApplication::activeModalWidget()) modal->close();
        }
    });
    timer->start();
}

// Lets queued calls and posted events run.
inline void Settle()
{
    for (int i = 0; i < 3; ++i) QApplication::processEvents();
}

// The child `name` of a window, failing the test when there is none.
template <class T>
T* Find(QWidget& w, const char* name)
{
    T* found = w.findChild<T*>(name);
    EXPECT_NE(found, nullptr) << name;
    return found;
}

// Replaces a field's text as the operator does: select, delete, type.
inline void Retype(QLineEdit* edit, const QString& text)
{
    edit->setFocus();
    edit->selectAll();
    QTest::keyClick(edit, Qt::Key_Backspace);
    QTest::keyClicks(edit, text);
}
