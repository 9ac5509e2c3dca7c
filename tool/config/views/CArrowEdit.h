// A text field with up and down arrows (the arrow keys and the wheel step
// too) that holds no number of its own: each step and the end of an edit
// (leaving the field, Enter) are reported, and the owner's rules answer with
// the text to show. The limits and the size of a step belong to those rules,
// not to the field.
#pragma once

#include <QAbstractSpinBox>

class CDLCatchEdit;

class CArrowEdit : public QAbstractSpinBox {
    Q_OBJECT
public:
    // `edit` (owned from here on) is the field that takes the typing: a
    // filtering CDLCatchEdit where the rules allow only some characters; null
    // gives a plain one.
    explicit CArrowEdit(QWidget* parent = nullptr, CDLCatchEdit* edit = nullptr);

    QString Text() const;
    // Shows `text` without reporting an edit; the field's filter takes it as
    // its last accepted text.
    void SetText(const QString& text);
    // Arrows off: no steps from the buttons, the keys or the wheel.
    void SetArrowsEnabled(bool enabled);
    bool ArrowsEnabled() const { return m_arrows; }
    // Room for this many characters of text besides the arrows.
    void SetCharacters(int characters);

    void stepBy(int steps) override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    // One arrow step: +1 up, -1 down.
    void stepped(int direction);
    // The operator left the field or pressed Enter in it.
    void left();

protected:
    StepEnabled stepEnabled() const override;

private:
    bool m_arrows = true;
    int m_characters = 5;
};
