#pragma once

#include <QColor>
#include <QPainter>
#include <QRectF>

// Vector glyphs of the tool and transport buttons, each drawn into a box in one colour.
namespace Glyphs {

void play(QPainter &p, const QRectF &b, const QColor &c);
void pause(QPainter &p, const QRectF &b, const QColor &c);
void stop(QPainter &p, const QRectF &b, const QColor &c);
void previousFile(QPainter &p, const QRectF &b, const QColor &c);
void nextFile(QPainter &p, const QRectF &b, const QColor &c);
void frameBack(QPainter &p, const QRectF &b, const QColor &c);
void frameForward(QPainter &p, const QRectF &b, const QColor &c);
void zoomIn(QPainter &p, const QRectF &b, const QColor &c);
void zoomOut(QPainter &p, const QRectF &b, const QColor &c);
void actualSize(QPainter &p, const QRectF &b, const QColor &c);
void fitWindow(QPainter &p, const QRectF &b, const QColor &c);
void pan(QPainter &p, const QRectF &b, const QColor &c);
void rotate(QPainter &p, const QRectF &b, const QColor &c);
void volume(QPainter &p, const QRectF &b, const QColor &c);
void gear(QPainter &p, const QRectF &b, const QColor &c);
void camera(QPainter &p, const QRectF &b, const QColor &c);
void printer(QPainter &p, const QRectF &b, const QColor &c);
void restoreWindow(QPainter &p, const QRectF &b, const QColor &c);
void maximizeWindow(QPainter &p, const QRectF &b, const QColor &c);
void minimizeWindow(QPainter &p, const QRectF &b, const QColor &c);
void closeWindow(QPainter &p, const QRectF &b, const QColor &c);
void file(QPainter &p, const QRectF &b, const QColor &c);
void folder(QPainter &p, const QRectF &b, const QColor &c);
void swapViews(QPainter &p, const QRectF &b, const QColor &c, bool frontBig);
void trip(QPainter &p, const QRectF &b, const QColor &c);
void satellite(QPainter &p, const QRectF &b, const QColor &c);
void clock(QPainter &p, const QRectF &b, const QColor &c);
void battery(QPainter &p, const QRectF &b, const QColor &c, int bars);
void triangle(QPainter &p, const QRectF &b, const QColor &c, bool up);
void tick(QPainter &p, const QRectF &b, const QColor &c, qreal width);

} // namespace Glyphs
