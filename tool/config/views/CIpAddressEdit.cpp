#include "CIpAddressEdit.h"

#include <QApplication>
#include <QFocusEvent>
#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpressionValidator>

CIpAddressEdit::CIpAddressEdit(QWidget* parent) : QWidget(parent)
{
    // One frame that looks like a single edit, four borderless numbers in it.
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* frame = new QFrame(this);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->setFrameShadow(QFrame::Sunken);
    frame->setAutoFillBackground(true);
    frame->setBackgroundRole(QPalette::Base);
    outer->addWidget(frame);
    auto* row = new QHBoxLayout(frame);
    row->setContentsMargins(2, 1, 2, 1);
    row->setSpacing(0);

    auto* validator = new QRegularExpressionValidator(QRegularExpression("[0-9]{0,3}"), this);
    const int width = QFontMetrics(font()).horizontalAdvance("0000") + 4;
    for (int i = 0; i < 4; ++i) {
        if (i > 0) row->addWidget(new QLabel(".", frame));
        auto* part = new QLineEdit(frame);
        part->setObjectName(QString("part%1").arg(i));
        part->setFrame(false);
        part->setMaxLength(3);
        part->setValidator(validator);
        part->setAlignment(Qt::AlignCenter);
        part->setFixedWidth(width);
        part->installEventFilter(this);
        connect(part, &QLineEdit::textEdited, this, [this, i] { OnEdited(i); });
        row->addWidget(part);
        m_parts[i] = part;
    }
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setFocusProxy(m_parts[0]);
    for (int i = 0; i + 1 < 4; ++i) QWidget::setTabOrder(m_parts[i], m_parts[i + 1]);
}

CIpAddressValue CIpAddressEdit::Value() const
{
    CIpAddressValue value;
    for (int i = 0; i < 4; ++i) {
        const QString text = m_parts[i]->text();
        if (text.isEmpty()) continue;
        const int n = text.toInt();
        value.parts[i] = static_cast<uint8_t>(n > 255 ? 255 : n);
    }
    return value;
}

void CIpAddressEdit::SetValue(const CIpAddressValue& value)
{
    for (int i = 0; i < 4; ++i)
        m_parts[i]->setText(value.parts[i] ? QString::number(*value.parts[i]) : QString());
}

int CIpAddressEdit::IndexOf(const QObject* part) const
{
    for (int i = 0; i < 4; ++i)
        if (m_parts[i] == part) return i;
    return -1;
}

bool CIpAddressEdit::Contains(const QWidget* widget) const { return widget != nullptr && IndexOf(widget) >= 0; }

void CIpAddressEdit::MoveTo(int index, bool atEnd)
{
    if (index < 0 || index > 3) return;
    QLineEdit* part = m_parts[index];
    part->setFocus(Qt::OtherFocusReason);
    if (atEnd) part->setCursorPosition(part->text().size());
    else part->selectAll();
}

void CIpAddressEdit::OnEdited(int index)
{
    QLineEdit* part = m_parts[index];
    if (part->text().toInt() > 255) part->setText("255");
    if (part->text().size() == 3 && part->cursorPosition() == 3) MoveTo(index + 1, false);
}

bool CIpAddressEdit::eventFilter(QObject* watched, QEvent* event)
{
    const int index = IndexOf(watched);
    if (index >= 0 && event->type() == QEvent::FocusOut) {
        // Qt names the new focus widget before it tells the old one.
        m_focusInside = Contains(QApplication::focusWidget());
    } else if (index >= 0 && event->type() == QEvent::FocusIn) {
        const bool fromOutside = !m_focusInside;
        m_focusInside = true;
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        const bool byOperator =
            reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::MouseFocusReason;
        if (fromOutside && byOperator) emit operatorEntered();
    }
    if (index < 0 || event->type() != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    QLineEdit* part = m_parts[index];
    switch (key->key()) {
    case Qt::Key_Period:
    case Qt::Key_Space:
        if (!part->text().isEmpty() && !part->hasSelectedText()) MoveTo(index + 1, false);
        return true;  // never part of a number
    case Qt::Key_Backspace:
        if (part->cursorPosition() == 0 && !part->hasSelectedText() && index > 0) {
            MoveTo(index - 1, true);
            return true;
        }
        break;
    case Qt::Key_Left:
        if (part->cursorPosition() == 0 && index > 0) {
            MoveTo(index - 1, true);
            return true;
        }
        break;
    case Qt::Key_Right:
        if (part->cursorPosition() == part->text().size() && index < 3) {
            MoveTo(index + 1, false);
            return true;
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
