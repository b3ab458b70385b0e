#pragma once

#include <qwt_series_data.h>

// Curve data read straight from arrays the view owns and updates in place: nothing is
// copied or allocated when the values change, only the number of points in use.
class ArraySeries : public QwtSeriesData<QPointF>
{
public:
    // y values between yMin and yMax; the x values ascend or descend.
    ArraySeries(const double* x, const double* y, double yMin, double yMax)
        : m_x(x), m_y(y), m_yMin(yMin), m_yMax(yMax)
    {}

    void setSize(int size) { m_size = size; }

    size_t size() const override { return size_t(m_size); }
    QPointF sample(size_t i) const override { return QPointF(m_x[i], m_y[i]); }
    QRectF boundingRect() const override
    {
        if (m_size == 0)
            return QRectF(1, 1, -2, -2); // invalid: nothing to scale for
        const double a = m_x[0];
        const double b = m_x[m_size - 1];
        return QRectF(qMin(a, b), m_yMin, qAbs(b - a), m_yMax - m_yMin);
    }

private:
    const double* m_x;
    const double* m_y;
    double m_yMin;
    double m_yMax;
    int m_size = 0;
};
