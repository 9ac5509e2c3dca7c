// The folder picker: a title, a folder to start in, and a question when the
// operator typed a folder that does not exist.
#pragma once

#include <QString>

class QWidget;

// Browse flags the callers pass (file-system folders only, an edit box);
// the picker always behaves that way.
inline constexpr unsigned kJxBrowseFileSystemOnly = 0x1;
inline constexpr unsigned kJxBrowseEditBox = 0x10;

inline constexpr const char* kJxPathNotValid = "The path entered is not valid! Continue ?";

class CFolderDialog {
public:
    enum { kOk = 1, kCancel = 2, kNoChoice = 0 };

    CFolderDialog(const QString& title, const QString& preselected, QWidget* owner, unsigned flags);

    // kOk with Path() set; kCancel when the chosen folder's path cannot be
    // had; kNoChoice when the operator cancelled.
    int ChooseFolder();
    const QString& Path() const { return m_path; }
    unsigned Flags() const { return m_flags; }

private:
    QString m_title;
    QString m_preselected;
    QWidget* m_owner;
    unsigned m_flags;
    QString m_path;
};
