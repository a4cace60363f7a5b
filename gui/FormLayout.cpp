#include "gui/FormLayout.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QPainter>
#include <QScreen>
#include <algorithm>

namespace tarnwick {

namespace {
constexpr double TwipsPerInch = 1440.0;
constexpr double DesignDpi = 96.0;
constexpr double DesignPointSize = 8.25;
// MS Sans Serif 8 pt averages 6 pixels a letter at 96 dpi (its dialog base unit).
constexpr double DesignAverageLetterWidth = 6.0;
constexpr int NarrowestStretch = 75;

double ScreenDpi() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen != nullptr ? screen->logicalDotsPerInch() : DesignDpi;
}

// A platform face wider than the designed one is condensed to its average letter width, so
// the captions fit the widths the windows were designed with.
int StretchToDesignWidth(const QFont& font) {
    static const QString letters =
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    const double average = QFontMetricsF(font).horizontalAdvance(letters) / letters.size();
    const double designed = DesignAverageLetterWidth * ScreenDpi() / DesignDpi;
    if (average <= designed)
        return 100;
    return std::max(NarrowestStretch, int(100.0 * designed / average));
}

} // namespace

int TwipsToPixels(int twips) {
    return qRound(twips * ScreenDpi() / TwipsPerInch);
}

QRect TwipsRect(int left, int top, int width, int height) {
    return QRect(TwipsToPixels(left), TwipsToPixels(top), TwipsToPixels(width),
                 TwipsToPixels(height));
}

void PlaceInTwips(QWidget& control, int left, int top, int width, int height) {
    control.setGeometry(TwipsRect(left, top, width, height));
}

QFont DesignFont(bool bold) {
    QFont font = QApplication::font();
    font.setPointSizeF(DesignPointSize);
    font.setWeight(QFont::Normal);
    static const int stretch = StretchToDesignWidth(font);
    font.setStretch(stretch);
    font.setWeight(bold ? QFont::Bold : QFont::Normal);
    return font;
}

LineControl::LineControl(const QString& name, int x1Twips, int x2Twips, int topRow, int penWidth,
                         const QColor& colour, QWidget* container)
    : QWidget(container), Colour(colour) {
    setObjectName(name);
    const int left = TwipsToPixels(x1Twips);
    // Both end points are drawn.
    setGeometry(left, topRow, TwipsToPixels(x2Twips) - left + 1, penWidth);
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void LineControl::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), Colour);
}

void AddEtchedRule(QWidget* container, int yTwips, const LineSpec& dark, const LineSpec& light) {
    const int row = TwipsToPixels(yTwips);
    new LineControl(dark.Name, dark.X1Twips, dark.X2Twips, row, dark.PenWidth, dark.Colour,
                    container);
    new LineControl(light.Name, light.X1Twips, light.X2Twips, row + dark.PenWidth, light.PenWidth,
                    light.Colour, container);
}

} // namespace tarnwick
