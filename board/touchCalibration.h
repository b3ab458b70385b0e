#pragma once

#include <QByteArray>
#include <QPointF>
#include <QVector>

#include <array>
#include <optional>

// An affine map from touch-screen readings to screen pixels, in the form tslib's linear
// filter applies it: x' = (c2 + c0 x + c1 y) / c6, y' = (c5 + c3 x + c4 y) / c6, with the
// seven integers c0..c6 in that order as the "pointercal" record.
class TouchCalibration
{
public:
    // tslib's fixed-point divisor: the coefficients keep 16 fractional bits.
    static constexpr int kScale = 65536;
    using Record = std::array<int, 7>;

    // Readings pass unchanged.
    TouchCalibration() = default;

    // The least-squares affine map that takes each reading to its screen point (at least
    // three pairs, not all on one line); nullopt when the readings cannot fix one.
    static std::optional<TouchCalibration> Fit(const QVector<QPointF>& screen,
                                               const QVector<QPointF>& readings);
    // A record as tslib reads it: seven integers separated by white space, more may follow
    // (screen size); nullopt for anything shorter or with a zero divisor.
    static std::optional<TouchCalibration> FromRecord(const QByteArray& text);

    // This map applied after first: what a reading becomes when first has already been
    // applied to it and this one follows.
    TouchCalibration After(const TouchCalibration& first) const;

    QPointF Map(const QPointF& reading) const;
    // The coefficients rounded to tslib's fixed point, and the record's text.
    Record ToIntegers() const;
    QByteArray ToRecord() const;

private:
    // x' = m[2] + m[0] x + m[1] y, y' = m[5] + m[3] x + m[4] y
    std::array<double, 6> m_m{1, 0, 0, 0, 1, 0};
};

// What tslib does with a record: its integer arithmetic, truncating as it does.
QPoint ApplyTouchRecord(const TouchCalibration::Record& record, const QPoint& reading);
