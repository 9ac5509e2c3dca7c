// An IP address field: four numbers 0 to 255 with dots between, each of
// them blank or filled. Typing a third digit, a dot or a space moves on to
// the next number; Backspace in an empty number and the arrow keys at the
// ends move back and forth. A number above 255 becomes 255.
#pragma once

#include <QWidget>
#include <array>

#include "config/CIpAddressValue.h"

class QLineEdit;

class CIpAddressEdit : public QWidget {
    Q_OBJECT
public:
    explicit CIpAddressEdit(QWidget* parent = nullptr);

    CIpAddressValue Value() const;
    void SetValue(const CIpAddressValue& value);
    // The edit of number `index` (0..3), for the window's tab order and tests.
    QLineEdit* Part(int index) const { return m_parts[index]; }

signals:
    // The focus came into the field from outside it.
    void focusEntered();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int IndexOf(const QObject* part) const;
    void MoveTo(int index, bool atEnd);
    void OnEdited(int index);
    bool Contains(const QWidget* widget) const;

    std::array<QLineEdit*, 4> m_parts{};
};
