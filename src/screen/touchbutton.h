#pragma once

#include <QColor>
#include <QPushButton>

// Colours of the cadastre are Windows colour values: red in the low byte, blue in the high.
inline QColor colorFromBgr(qint64 value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

// Paints a touch button of the grid: caption colour, background and caption size (bold Arial),
// with the design's pressed (red) and disabled ($CCCCCC) looks.
void styleTouchButton(QPushButton *button, const QColor &text, const QColor &back, int pointSize);
