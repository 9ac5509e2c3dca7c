// An IP address field: four numbers 0 to 255 with dots between, each of
// them blank or filled. Typing a third digit, a dot or a space moves on to
// the next number; Backspace in an empty number and the arrow keys at the
// ends move back and forth. A number above 255 becomes 255. The field is as
// wide as its four numbers.
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
    // The operator moved into the field from outside it: Tab, Backtab or a
    // click. Not when the focus comes back to it by other means, e.g. as a
    // message box closes and its window gets the focus again.
    void operatorEntered();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int IndexOf(const QObject* part) const;
    void MoveTo(int index, bool atEnd);
    void OnEdited(int index);
    bool Contains(const QWidget* widget) const;

    std::array<QLineEdit*, 4> m_parts{};
    bool m_focusInside = false;  // one of the numbers has the focus
};
