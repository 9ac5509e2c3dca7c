#include "JxProgramIcon.h"

#include <QPainter>
#include <QPixmap>

namespace {
QPixmap Draw(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(24, 24, 28));
    p.drawRoundedRect(QRectF(0, size * 0.12, size, size * 0.76), size * 0.08, size * 0.08);
    // "Jx" lit on a 7 x 5 grid of LEDs.
    static const char* const kRows[5] = {"..#.#.#", "..#..#.", "..#.#.#", "#.#....", ".#.....",};
    const double pitch = size / 8.0;
    const double top = size * 0.12 + (size * 0.76 - pitch * 5) / 2;
    for (int r = 0; r < 5; ++r) {
        for (int c = 0; c < 7; ++c) {
            const bool lit = kRows[r][c] == '#';
            p.setBrush(lit ? QColor(255, 170, 0) : QColor(70, 50, 20));
            p.drawEllipse(QPointF(pitch * (c + 1), top + pitch * (r + 0.5)), pitch * 0.36, pitch * 0.36);
        }
    }
    return pixmap;
}
}  // namespace

QIcon JxProgramIcon()
{
    QIcon icon;
    for (int size : {16, 32, 48, 64}) icon.addPixmap(Draw(size));
    return icon;
}
