#pragma once

#include <QColor>
#include <QRect>
#include <QWidget>

namespace tarnwick {

// Both windows are designed in twips (1/1440 inch): 15 twips are one pixel at 96 dpi, and the
// design grows with the screen's logical dpi.
int TwipsToPixels(int twips);
QRect TwipsRect(int left, int top, int width, int height);
void PlaceInTwips(QWidget& control, int left, int top, int width, int height);

// The design font, "MS Sans Serif" 8.25 pt, mapped to the platform's sans font at that size.
// Weight is always set explicitly, so a bold panel caption does not pass on to the panel's
// controls.
QFont DesignFont(bool bold = false);

// A horizontal line control, `penWidth` pixel rows from `topRow` down.
class LineControl : public QWidget {
public:
    LineControl(const QString& name, int x1Twips, int x2Twips, int topRow, int penWidth,
                const QColor& colour, QWidget* container);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor Colour;
};

struct LineSpec {
    QString Name;
    int X1Twips = 0;
    int X2Twips = 0;
    int PenWidth = 1;
    QColor Colour;
};

// A dark line and a lighter, wider one laid over it at the same design height. Centred pens
// would let the light line hide the dark one entirely, so the light one takes the rows just
// below it and the pair reads as an etched rule.
void AddEtchedRule(QWidget* container, int yTwips, const LineSpec& dark, const LineSpec& light);

} // namespace tarnwick
