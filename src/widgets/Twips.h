#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>

class QWidget;

// The program lays out its windows in twips (1440 to the inch: 15 to a pixel at 96 dpi). Every
// conversion goes through here, scaled by the screen's logical dpi.
namespace Twips {
int toPixelsX(double twips, const QWidget* widget);
int toPixelsY(double twips, const QWidget* widget);
double fromPixelsX(int pixels, const QWidget* widget);
double fromPixelsY(int pixels, const QWidget* widget);
QRect toPixels(double left, double top, double width, double height, const QWidget* widget);
void place(QWidget* widget, double left, double top, double width, double height);
// A window's outer size (borders and caption included), as layout rules measure it. A window
// without decoration (no window manager, offscreen) is taken to have the given frame.
double outerWidth(const QWidget* window, double undecoratedFrameWidth);
double outerHeight(const QWidget* window, double undecoratedFrameHeight);
} // namespace Twips
