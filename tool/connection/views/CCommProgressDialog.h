// The "Communication Progress" window: a two-line status text, a bar and an
// "Abort" button. A link operation's worker drives its CProgressState from
// its own thread; every change asks the window thread to redraw from a
// snapshot, so the widgets are only ever touched there and the latest value
// always wins.
#pragma once

#include <QDialog>
#include <string>

#include "connection/CProgressState.h"

class QLabel;
class QProgressBar;
class QPushButton;

class CCommProgressDialog : public QDialog, public IProgressView {
    Q_OBJECT
public:
    // `owner` receives the abort request (may be null: Abort then does nothing).
    CCommProgressDialog(QWidget* parent, CLinkOwner* owner);
    ~CCommProgressDialog() override;

    CProgressState& State() { return m_state; }

    // IProgressView, passed on to the state.
    void SetStatusText(const std::string& text) override { m_state.SetStatusText(text); }
    void SetProgress(int position, int range) override { m_state.SetProgress(position, range); }
    void SetRange(int range) override { m_state.SetRange(range); }
    void StepProgress() override { m_state.StepProgress(); }
    void DisableAbort() override { m_state.DisableAbort(); }
    void EnableAbort() override { m_state.EnableAbort(); }

    // From any thread: ends the window if it is still up.
    void RequestClose() { m_state.RequestClose(); }
    bool CloseRequested() const { return m_state.Snapshot().closeRequested; }

    // Shows the window without a modal loop for short exchanges that the
    // window thread makes itself; the parent takes no input meanwhile.
    bool ShowModeless();
    void CloseModeless();

    // The fields as they stand (for the window thread and tests).
    std::string StatusText() const { return m_state.Snapshot().text; }
    bool AbortAllowed() const { return m_state.Snapshot().abortAllowed; }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Escape: the same as Abort

private:
    void OnAbortClicked();
    void Refresh();          // posts a redraw to the window thread
    void Redraw();

    CLinkOwner* m_owner;
    CProgressState m_state;
    QLabel* m_status;
    QProgressBar* m_bar;
    QPushButton* m_abort;
    bool m_modeless = false;  // window thread only
};
