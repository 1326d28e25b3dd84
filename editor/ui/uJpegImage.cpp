#include "uJpegImage.h"

#include <QFile>

#include "uJpegDecode.h"

QImage JpegImage(const QByteArray &data)
{
    RgbPicture picture;
    if (!DecodeJpeg(reinterpret_cast<const uint8_t *>(data.constData()), static_cast<size_t>(data.size()),
                    picture))
        return {};
    QImage image(picture.width, picture.height, QImage::Format_RGB888);
    const size_t stride = static_cast<size_t>(picture.width) * 3;
    for (int y = 0; y < picture.height; ++y)
        std::copy_n(picture.pixels.data() + stride * static_cast<size_t>(y), stride, image.scanLine(y));
    return image;
}

QImage JpegImageFromFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return JpegImage(file.readAll());
}

QImage SideStripPicture()
{
    return JpegImageFromFile(QStringLiteral(":/sidestrip.jpg"));
}
