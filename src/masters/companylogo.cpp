#include "companylogo.h"

#include <QBuffer>
#include <QImageReader>
#include <QPainter>

#include <stdexcept>

namespace CompanyLogo {

QStringList readablePatterns()
{
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    return patterns;
}

QImage loadPicture(const QString& path)
{
    QImageReader reader(path);
    reader.setAutoTransform(true);
    const QImage picture = reader.read();
    if (picture.isNull())
        throw std::runtime_error(QStringLiteral("画像ファイルを読み込めません: %1\n%2")
                                     .arg(path, reader.errorString())
                                     .toStdString());
    return picture;
}

QSize sizeOf(const QByteArray& stored)
{
    QImage logo;
    if (!stored.isEmpty())
        logo.loadFromData(stored);
    return logo.isNull() ? DefaultSize : logo.size();
}

QByteArray drawnInto(const QByteArray& stored, const QImage& picture)
{
    QImage logo(sizeOf(stored), QImage::Format_RGB16);
    logo.fill(Qt::white);
    {
        QPainter painter(&logo);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(logo.rect(), picture);
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (!logo.save(&buffer, "PNG"))
        throw std::runtime_error(QStringLiteral("会社ロゴを PNG に変換できません。").toStdString());
    return png;
}

}  // namespace CompanyLogo
