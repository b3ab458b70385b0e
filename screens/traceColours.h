#pragma once

#include <QColor>

// The colours of the readings wherever they are traced (chart, scan, spectrum): the 2nd
// harmonic red, the 3rd yellow, the transmit power green. The operator learns them once.
namespace TraceColours {
inline QColor Harmonic2nd()
{
    return QColor(255, 0, 0);
}
inline QColor Harmonic3rd()
{
    return QColor(255, 255, 0);
}
inline QColor TxPower()
{
    return QColor(0, 159, 0);
}
} // namespace TraceColours
