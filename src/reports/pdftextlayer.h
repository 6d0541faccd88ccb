#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

class QFont;
class QPaintDevice;
class QRawFont;

// What a PDF's text layer lacks and the painter knows. Qt writes each embedded
// face's ToUnicode map from the glyphs the Basic Multilingual Plane reaches, so
// a glyph only a character beyond it reaches (𠮷 from a fallback face, an emoji)
// copies out as nothing. The painter notes the text of such glyphs as it draws;
// completeTextLayer then gives them their characters in the written file.
class TextLayerNotes {
public:
    // A one-line text about to be drawn in `font` on `device`.
    void noteText(const QString& text, const QFont& font, const QPaintDevice& device);
    // What every GetaMark printed stands for: one character no face draws.
    void setMarkStandsFor(char32_t character) { m_markStandsFor = character; }

private:
    friend void completeTextLayer(QByteArray& pdf, const TextLayerNotes& notes);
    struct Glyph {
        quint32 index;
        QString text;
    };
    // By the face's PostScript name: the glyphs no BMP character reaches, in
    // the order they were first drawn (which is the order the file numbers them).
    std::map<QByteArray, std::vector<Glyph>> m_unmapped;
    // By PostScript name: per glyph, whether a BMP character reaches it.
    std::map<QByteArray, std::vector<bool>> m_reached;
    char32_t m_markStandsFor = 0;

    const std::vector<bool>& reachedIn(const QByteArray& face, const QRawFont& font);
};

// Gives the glyphs the notes know their characters in `pdf` as Qt wrote it: a
// new ToUnicode map for each face that needs one, appended as an update of the
// file, so nothing already written moves. A face whose glyphs do not match the
// notes is left as it is.
void completeTextLayer(QByteArray& pdf, const TextLayerNotes& notes);

// Stands in the print for a character no installed face can draw.
inline constexpr char16_t GetaMark = u'〓';
