// The "Communication Progress" window: a two-line status text, a bar and an
// "Abort" button. A link operation's worker drives it through IProgressView
// from its own thread: every call stores the value under a lock and asks the
// window thread to redraw, so the widgets are only ever touched there and
// the latest value always wins.
#pragma once

#include <QDialog>
#include <mutex>
#include <string>

#include "connection/CLinkOperation.h"

class QLabel;
class QProgressBar;
class QPushButton;

class CCommProgressDialog : public QDialog, public IProgressView {
    Q_OBJECT
public:
    // `owner` receives the abort request (may be null: Abort then does nothing).
    CCommProgressDialog(QWidget* parent, CLinkOwner* owner);
    ~CCommProgressDialog() override;

    void SetStatusText(const std::string& text) override;
    void SetProgress(int position, int range) override;
    void SetRange(int range) override;
    void StepProgress() override;
    void DisableAbort() override;
    void EnableAbort() override;

    // From any thread: ends the window if it is still up.
    void RequestClose();
    bool CloseRequested() const;

    // Shows the window without a modal loop for short exchanges that the
    // window thread makes itself; the parent takes no input meanwhile.
    bool ShowModeless();
    void CloseModeless();

    // The fields as they stand (for the window thread and tests).
    std::string StatusText() const;
    bool AbortAllowed() const;

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;  // Escape: the same as Abort

private:
    void OnAbortClicked();
    void Refresh();          // posts a redraw to the window thread
    void Redraw();

    CLinkOwner* m_owner;
    QLabel* m_status;
    QProgressBar* m_bar;
    QPushButton* m_abort;

    mutable std::mutex m_mutex;
    std::string m_text;
    int m_position = 0;
    int m_range = 1;
    bool m_abortAllowed = true;
    bool m_shown = false;
    bool m_pendingEnable = false;
    bool m_pendingDisable = false;
    bool m_closeRequested = false;
    bool m_modeless = false;
};
