#pragma once

#include <QImage>

// The program's picture: a pipe with the diagonal ultrasonic path of a
// transit-time flowmeter and the pulse it sends. The about box shows it and
// the desktop icons are rendered from it.
QImage RenderEmblem(int size, qreal devicePixelRatio = 1.0);
