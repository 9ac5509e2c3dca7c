// The Link Monitor: every frame of the main window's link, live and
// decoded, beside whatever function runs. Frames are captured on the
// link's thread and drawn in batches by a timer, so a flood of them never
// holds the window up. While the window shows it observes the link; hidden,
// it lets the link go. Its "Diagnostics log" box switches the library's log
// on or off for the tool's links.
#pragma once

#include <QWidget>
#include <string>

#include "monitor/CFrameCapture.h"

class CKorNetwork;
class CJxConfigApp;
class QCheckBox;
class CFrameTableModel;
class CFrameFilter;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QTimer;

inline constexpr int kJxMonitorDrainMs = 50;

class CLinkMonitorWnd : public QWidget {
    Q_OBJECT
public:
    // Without `app` there is no diagnostics log box (a bare link).
    explicit CLinkMonitorWnd(CKorNetwork& link, CJxConfigApp* app = nullptr, QWidget* parent = nullptr);
    ~CLinkMonitorWnd() override;

    // Takes what was captured into the table now (the timer does it every
    // kJxMonitorDrainMs).
    void Drain();
    // Writes every frame captured so far in the diagnostics log's format;
    // false when the file could not be written.
    bool SaveLog(const std::string& path) const;
    const CFrameTableModel& Model() const { return *m_model; }
    QSize sizeHint() const override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void ApplyFilter();
    void ShowSelected();
    void SaveAs();
    // The diagnostics log box or its folder changed: tell the app (which
    // keeps the choice for every later link) and the link watched now.
    void ApplyDiagnostics(bool on);
    void BrowseDiagnosticsFolder();

    CKorNetwork& m_link;
    CFrameCapture m_capture;
    CFrameTableModel* m_model;
    CFrameFilter* m_filter;
    QTableView* m_table;
    QPlainTextEdit* m_detail;
    QLineEdit* m_address;
    QLineEdit* m_command;
    QPushButton* m_pause;
    QTimer* m_timer;
    CJxConfigApp* m_app;
    QCheckBox* m_diagnostics = nullptr;
    QLineEdit* m_diagnosticsFolder = nullptr;
};
