#include "RunLinkOperation.h"

#include <atomic>
#include <thread>

#include "CCommProgressDialog.h"
#include "connection/LinkOperation.h"

namespace {
std::function<void(CCommProgressDialog&)> g_observer;
}

void SetProgressWindowObserver(std::function<void(CCommProgressDialog&)> observer) { g_observer = std::move(observer); }

bool RunLinkOperation(QWidget* parent, CLinkOwner& owner, const std::function<bool()>& work)
{
    std::atomic<bool> result{false};
    CCommProgressDialog dialog(parent, &owner);
    // An operation may run inside another one's (the File Transfer window's
    // jobs inside its connection's): the outer window gets the texts back.
    IProgressView* const enclosing = owner.ProgressView();
    owner.SetProgressView(&dialog.State());
    if (g_observer) g_observer(dialog);

    std::thread worker([&] {
        bool ok = false;
        try {
            ok = work();
        } catch (...) {
            // Nothing may escape a worker; the operation simply failed.
            ok = false;
        }
        result.store(ok);
        dialog.State().RequestClose();
        owner.ClearCancel();
    });
    // The close request is handled by the window's own loop; if it came
    // before the loop started, it is waiting in the queue.
    dialog.exec();
    worker.join();
    owner.SetProgressView(enclosing);
    return result.load();
}
