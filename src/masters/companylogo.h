#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

// The company logo: a picture stored as PNG in 会社ロゴ. A newly chosen picture
// is drawn into the logo that is there, stretched to its width and height, so
// the logo keeps its pixel size whatever picture is chosen; a row without a logo
// gets a white one of DefaultSize to draw into.
namespace CompanyLogo {

inline constexpr QSize DefaultSize{256, 128};

// The file-name patterns of every picture format the program can read
// ("*.bmp", "*.jpg" ...), for the file dialog.
QStringList readablePatterns();

// Reads the picture file at `path`. Throws std::runtime_error with a message for
// the user when it cannot be read (missing, not a picture, damaged).
QImage loadPicture(const QString& path);

// The pixel size of the stored logo, or DefaultSize when nothing readable is stored.
QSize sizeOf(const QByteArray& stored);

// Draws `picture` stretched over the whole of the stored logo's area, at 16 bits
// per pixel, and returns the new logo as PNG. What the picture leaves
// transparent is white, not the old logo.
QByteArray drawnInto(const QByteArray& stored, const QImage& picture);

}  // namespace CompanyLogo
