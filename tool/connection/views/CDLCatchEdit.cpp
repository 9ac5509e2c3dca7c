#include "CDLCatchEdit.h"

#include <QKeyEvent>

CDLCatchEdit::CDLCatchEdit(QWidget* parent) : QLineEdit(parent)
{
    connect(this, &QLineEdit::textChanged, this, &CDLCatchEdit::OnTextChanged);
}

void CDLCatchEdit::SetDecimals(int decimals) { m_filter.rules.decimals = decimals; }

void CDLCatchEdit::SetMaxLength(int length) { m_filter.rules.maxLength = length; }

void CDLCatchEdit::SetCharacterClasses(uint32_t classes, const std::string& extra)
{
    m_filter.rules.allowed = CatchEditCharacters(classes, extra);
}

void CDLCatchEdit::SetSeveralDots(bool allowed) { m_filter.rules.severalDots = allowed; }

void CDLCatchEdit::SetRange(float minimum, float maximum)
{
    m_min = minimum;
    m_max = maximum;
}

bool CDLCatchEdit::InRange() const
{
    if (m_min == 0 && m_max == 0) return true;
    bool ok = false;
    const float value = text().toFloat(&ok);
    return ok && value >= m_min && value <= m_max;
}

void CDLCatchEdit::OnTextChanged(const QString& text)
{
    if (m_filtering) return;
    // Characters outside Latin-1 are never in the allowed set.
    const QByteArray latin = text.toLatin1();
    std::string value = latin.toStdString();
    if (QString::fromLatin1(latin) != text) value.push_back('\0');
    const CCatchEditFilter::Result r = m_filter.Filter(value);
    if (!r.refused) return;
    m_filtering = true;
    setText(QString::fromLatin1(r.text.c_str()));
    m_filtering = false;
    selectAll();
}

void CDLCatchEdit::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter) {
        QLineEdit::keyPressEvent(event);
        return;
    }
    m_enterPressed = true;
    // Leave the field and come back, so that whatever the owner does when
    // the field loses the focus runs now; an owner that listens for the end
    // of editing hears of it even when the text did not change.
    bool finished = false;
    const auto watch = connect(this, &QLineEdit::editingFinished, this, [&finished] { finished = true; });
    QWidget* owner = window();
    if (hasFocus() && owner != nullptr && owner != this) {
        owner->setFocus(Qt::OtherFocusReason);
        setFocus(Qt::OtherFocusReason);
    }
    disconnect(watch);
    if (!finished) emit editingFinished();
    setSelection(0, std::min<int>(static_cast<int>(text().size()), m_filter.rules.maxLength));
    emit enterPressed();
    event->accept();
}
