#include "widgets/Twips.h"

#include <QWidget>
#include <cmath>

namespace {
constexpr double kTwipsPerInch = 1440.0;
}

namespace Twips {

int toPixelsX(double twips, const QWidget* w)
{
    return static_cast<int>(std::lround(twips * w->logicalDpiX() / kTwipsPerInch));
}

int toPixelsY(double twips, const QWidget* w)
{
    return static_cast<int>(std::lround(twips * w->logicalDpiY() / kTwipsPerInch));
}

double fromPixelsX(int pixels, const QWidget* w)
{
    return pixels * kTwipsPerInch / w->logicalDpiX();
}

double fromPixelsY(int pixels, const QWidget* w)
{
    return pixels * kTwipsPerInch / w->logicalDpiY();
}

QRect toPixels(double left, double top, double width, double height, const QWidget* w)
{
    return QRect(toPixelsX(left, w), toPixelsY(top, w), toPixelsX(width, w), toPixelsY(height, w));
}

void place(QWidget* widget, double left, double top, double width, double height)
{
    widget->setGeometry(toPixels(left, top, width, height, widget));
}

namespace {
bool decorated(const QWidget* w)
{
    return w->frameGeometry().size() != w->geometry().size();
}
} // namespace

double outerWidth(const QWidget* w, double undecoratedFrameWidth)
{
    return fromPixelsX(w->frameGeometry().width(), w) + (decorated(w) ? 0 : undecoratedFrameWidth);
}

double outerHeight(const QWidget* w, double undecoratedFrameHeight)
{
    return fromPixelsY(w->frameGeometry().height(), w) + (decorated(w) ? 0 : undecoratedFrameHeight);
}

} // namespace Twips
