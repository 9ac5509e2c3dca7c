// A text field that refuses every change that would make its text invalid
// (see CCatchEditFilter): the previous text comes back, selected whole.
// Enter in the field does not press the window's default button: it runs
// the owner's handling of leaving the field and selects the text.
#pragma once

#include <QLineEdit>

#include "connection/CatchEditFilter.h"

class CDLCatchEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit CDLCatchEdit(QWidget* parent = nullptr);

    void SetDecimals(int decimals);
    void SetMaxLength(int length);
    // Rebuilds the allowed set from scratch (classes kJxCatch..., then `extra`).
    void SetCharacterClasses(uint32_t classes, const std::string& extra = {});
    void SetSeveralDots(bool allowed);
    // A range the owner may check the value against; 0 and 0: none. The
    // field does not refuse typing over it, since a number is typed one
    // digit at a time through values outside any range.
    void SetRange(float minimum, float maximum);
    bool InRange() const;

    bool EnterPressed() const { return m_enterPressed; }
    void ClearEnterPressed() { m_enterPressed = false; }

signals:
    void enterPressed();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    void OnTextChanged(const QString& text);

    CCatchEditFilter m_filter;
    float m_min = 0, m_max = 0;
    bool m_enterPressed = false;
    bool m_filtering = false;
};
