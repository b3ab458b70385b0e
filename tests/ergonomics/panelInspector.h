#pragma once

#include <QRect>
#include <QStringList>

class QWidget;

// Checks one page of the panel as it is shown, for a gloved finger at arm's length: every
// text fits its widget and stays clear of other controls, reads against its ground and is
// large enough; every control can be hit and overlaps no sibling; dialogs are framed boxes.
// Each finding is one line "page | object | what, with the figure".
namespace PanelInspector {

constexpr int kMinTouch = 40;     // px, both ways
constexpr int kEdgeClearance = 6; // px from a control's text to its outer edge: border and air
constexpr int kTextGap = 2;       // px between a text and another control
constexpr int kMinTextPx = 11;    // widget texts
constexpr double kMinPictureTextPx = 8.0; // texts drawn into pictures (scale figures, captions)
constexpr double kMinContrast = 4.5;
constexpr double kMinLargeContrast = 3.0; // 14 pt bold or 18 pt
constexpr double kMinMarkContrast = 3.0;  // marks that carry meaning: markers, checked dots

double Luminance(unsigned rgb);
double Contrast(double luminanceA, double luminanceB);

// Everything found on the visible widgets under top, which is shown; panel in global
// coordinates.
QStringList Inspect(const QString& page, QWidget* top, const QRect& panel);

// Texts drawn into a picture, from its SVG source: the text, its box in the picture's
// pixels and its size in pixels.
struct PictureText
{
    QString text;
    QRectF box;
    double pixelSize = 0;
};
QVector<PictureText> PictureTexts(const QString& svgPath);

} // namespace PanelInspector
