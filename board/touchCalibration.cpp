#include "board/touchCalibration.h"

#include <QList>
#include <QPoint>

#include <cmath>

namespace {

// Solves the 3 x 3 system a v = b by Cramer's rule; false when a is (nearly) singular.
bool solve3(const double a[3][3], const double b[3], double v[3])
{
    const auto det = [](const double m[3][3]) {
        return m[0][0] * (m[1][1] * m[2][2] - m[1][2] * m[2][1]) -
               m[0][1] * (m[1][0] * m[2][2] - m[1][2] * m[2][0]) +
               m[0][2] * (m[1][0] * m[2][1] - m[1][1] * m[2][0]);
    };
    const double d = det(a);
    // The normal matrix grows with the square of the readings; a relative bound keeps
    // collinear taps out whatever the touch controller's range.
    double scale = 0;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c)
            scale = std::max(scale, std::abs(a[r][c]));
    if (scale == 0 || std::abs(d) <= 1e-9 * scale * scale * scale)
        return false;
    for (int col = 0; col < 3; ++col) {
        double m[3][3];
        for (int r = 0; r < 3; ++r)
            for (int c = 0; c < 3; ++c)
                m[r][c] = c == col ? b[r] : a[r][c];
        v[col] = det(m) / d;
    }
    return true;
}

} // namespace

std::optional<TouchCalibration> TouchCalibration::Fit(const QVector<QPointF>& screen,
                                                      const QVector<QPointF>& readings)
{
    if (screen.size() != readings.size() || screen.size() < 3)
        return std::nullopt;
    // Normal equations of screen = c + a x + b y, one set for each screen axis, about the
    // readings' centre so that a controller's large raw values lose no precision.
    QPointF centre;
    for (const QPointF& p : readings)
        centre += p;
    centre /= readings.size();
    double n[3][3] = {};
    double bx[3] = {};
    double by[3] = {};
    for (int i = 0; i < readings.size(); ++i) {
        const QPointF r = readings[i] - centre;
        const double row[3] = {1.0, r.x(), r.y()};
        for (int j = 0; j < 3; ++j) {
            for (int k = 0; k < 3; ++k)
                n[j][k] += row[j] * row[k];
            bx[j] += row[j] * screen[i].x();
            by[j] += row[j] * screen[i].y();
        }
    }
    double vx[3];
    double vy[3];
    if (!solve3(n, bx, vx) || !solve3(n, by, vy))
        return std::nullopt;
    TouchCalibration fit;
    fit.m_m = {vx[1], vx[2], vx[0] - vx[1] * centre.x() - vx[2] * centre.y(),
               vy[1], vy[2], vy[0] - vy[1] * centre.x() - vy[2] * centre.y()};
    return fit;
}

std::optional<TouchCalibration> TouchCalibration::FromRecord(const QByteArray& text)
{
    const QList<QByteArray> fields = text.simplified().split(' ');
    if (fields.size() < 7)
        return std::nullopt;
    double c[7];
    for (int i = 0; i < 7; ++i) {
        bool ok = false;
        c[i] = fields[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    if (c[6] == 0)
        return std::nullopt;
    TouchCalibration record;
    for (int i = 0; i < 6; ++i)
        record.m_m[size_t(i)] = c[i] / c[6];
    return record;
}

TouchCalibration TouchCalibration::After(const TouchCalibration& first) const
{
    const auto& a = m_m;
    const auto& f = first.m_m;
    TouchCalibration both;
    both.m_m = {a[0] * f[0] + a[1] * f[3],        a[0] * f[1] + a[1] * f[4],
                a[0] * f[2] + a[1] * f[5] + a[2], a[3] * f[0] + a[4] * f[3],
                a[3] * f[1] + a[4] * f[4],        a[3] * f[2] + a[4] * f[5] + a[5]};
    return both;
}

QPointF TouchCalibration::Map(const QPointF& reading) const
{
    return {m_m[2] + m_m[0] * reading.x() + m_m[1] * reading.y(),
            m_m[5] + m_m[3] * reading.x() + m_m[4] * reading.y()};
}

TouchCalibration::Record TouchCalibration::ToIntegers() const
{
    Record record{};
    for (size_t i = 0; i < 6; ++i)
        record[i] = int(std::lround(m_m[i] * kScale));
    record[6] = kScale;
    return record;
}

QByteArray TouchCalibration::ToRecord() const
{
    QByteArray text;
    for (int value : ToIntegers())
        text += QByteArray::number(value) + ' ';
    text.chop(1);
    return text + '\n';
}

QPoint ApplyTouchRecord(const TouchCalibration::Record& c, const QPoint& reading)
{
    const qint64 x = reading.x();
    const qint64 y = reading.y();
    return QPoint(int((c[2] + c[0] * x + c[1] * y) / c[6]),
                  int((c[5] + c[3] * x + c[4] * y) / c[6]));
}
