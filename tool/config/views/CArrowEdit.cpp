#include "CArrowEdit.h"

#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionSpinBox>

#include "connection/views/CDLCatchEdit.h"

CArrowEdit::CArrowEdit(QWidget* parent, CDLCatchEdit* edit) : QAbstractSpinBox(parent)
{
    if (edit != nullptr) setLineEdit(edit);
    // The spin box holds no value (its type is unknown), so it neither
    // interprets nor rewrites the text; typing is not reported as it goes.
    setKeyboardTracking(false);
    setAccelerated(false);
    connect(this, &QAbstractSpinBox::editingFinished, this, &CArrowEdit::left);
}

QString CArrowEdit::Text() const { return lineEdit()->text(); }

void CArrowEdit::SetText(const QString& text)
{
    // A filtering field checks this text like typing and takes it as its
    // last accepted one; the rules only hand it texts it accepts.
    if (lineEdit()->text() != text) lineEdit()->setText(text);
}

void CArrowEdit::SetArrowsEnabled(bool enabled)
{
    m_arrows = enabled;
    update();
}

void CArrowEdit::SetCharacters(int characters)
{
    m_characters = characters;
    updateGeometry();
}

void CArrowEdit::stepBy(int steps)
{
    if (!m_arrows || isReadOnly()) return;
    const int direction = steps > 0 ? 1 : -1;
    for (int i = 0; i < (steps > 0 ? steps : -steps); ++i) emit stepped(direction);
    lineEdit()->selectAll();
}

QAbstractSpinBox::StepEnabled CArrowEdit::stepEnabled() const
{
    // Whether a step changes anything is the rules' decision.
    if (!m_arrows || isReadOnly() || !isEnabled()) return StepNone;
    return StepUpEnabled | StepDownEnabled;
}

QSize CArrowEdit::sizeHint() const
{
    // The spin box's own hint measures values this field does not have:
    // room for the characters, the frame and the arrows as the style draws
    // them.
    ensurePolished();
    const QFontMetrics metrics(font());
    QSize text(metrics.horizontalAdvance(QLatin1Char('0')) * (m_characters + 1) + 4,
               lineEdit()->sizeHint().height());
    QStyleOptionSpinBox option;
    initStyleOption(&option);
    return style()->sizeFromContents(QStyle::CT_SpinBox, &option, text, this);
}

QSize CArrowEdit::minimumSizeHint() const { return sizeHint(); }
