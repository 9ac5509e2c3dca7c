#include "CQtMessageSink.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QThread>

namespace {
QWidget* BoxParent()
{
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    return QApplication::activeWindow();
}

// Runs `fn` on the window thread and waits for it.
template <typename Fn>
void OnWindowThread(Fn fn)
{
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr || QThread::currentThread() == app->thread()) {
        fn();
        return;
    }
    QMetaObject::invokeMethod(app, fn, Qt::BlockingQueuedConnection);
}

QMessageBox::Icon IconOf(JxMessageKind kind)
{
    switch (kind) {
    case JxMessageKind::Information:
        return QMessageBox::Information;
    case JxMessageKind::Warning:
        return QMessageBox::Warning;
    case JxMessageKind::Critical:
        return QMessageBox::Critical;
    }
    return QMessageBox::Warning;
}
}  // namespace

std::unique_ptr<QMessageBox> JxMakeMessageBox(JxMessageKind kind, const std::string& text, QWidget* parent)
{
    auto box = std::make_unique<QMessageBox>(IconOf(kind), kJxToolName, QString::fromLatin1(text.c_str()),
                                             QMessageBox::Ok, parent);
    box->setObjectName("jxMessageBox");
    return box;
}

void CQtMessageSink::Show(JxMessageKind kind, const std::string& text)
{
    OnWindowThread([kind, &text] { JxMakeMessageBox(kind, text, BoxParent())->exec(); });
}

bool CQtMessageSink::AskYesNo(const std::string& text, bool defaultYes)
{
    bool yes = defaultYes;
    OnWindowThread([&] {
        QMessageBox box(QMessageBox::Question, kJxToolName, QString::fromLatin1(text.c_str()),
                        QMessageBox::Yes | QMessageBox::No, BoxParent());
        box.setObjectName("jxMessageBox");
        box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
        box.setEscapeButton(QMessageBox::No);
        yes = box.exec() == QMessageBox::Yes;
    });
    return yes;
}
