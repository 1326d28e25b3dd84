// JPEG pictures as Qt images, decoded by our own libjpeg unit.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

// A null image when the data is no decodable JPEG.
QImage JpegImage(const QByteArray &data);

// Reads and decodes a JPEG file (also a Qt resource path); null image on failure.
QImage JpegImageFromFile(const QString &path);

// The picture of the main window's decorative side strip (a resource of the program).
QImage SideStripPicture();
