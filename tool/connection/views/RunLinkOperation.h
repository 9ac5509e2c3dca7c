// A link operation: `work` runs on a worker thread while the window thread
// shows the modal "Communication Progress" window, whose Abort button
// cancels the link. Returns what `work` returned. Run inside another link
// operation on the same owner, it hands the status texts back to the
// enclosing progress window when it ends.
#pragma once

#include <functional>

class QWidget;
class CLinkOwner;
class CCommProgressDialog;

bool RunLinkOperation(QWidget* parent, CLinkOwner& owner, const std::function<bool()>& work);

// Called with each progress window right after it is created (before the
// worker starts); tests use it to reach the window. Null: none.
void SetProgressWindowObserver(std::function<void(CCommProgressDialog&)> observer);
