#include "pdftextlayer.h"

#include <QFont>
#include <QGlyphRun>
#include <QRawFont>
#include <QRegularExpression>
#include <QTextLayout>
#include <QtEndian>

#include <algorithm>
#include <cctype>

namespace {

// The face's PostScript name (name record 6), as Qt names the embedded face.
QByteArray postscriptName(const QRawFont& font)
{
    const QByteArray table = font.fontTable("name");
    const auto* d = reinterpret_cast<const uchar*>(table.constData());
    if (table.size() < 6)
        return {};
    const int count = qFromBigEndian<quint16>(d + 2);
    const int strings = qFromBigEndian<quint16>(d + 4);
    for (int i = 0; i < count && 6 + 12 * (i + 1) <= table.size(); ++i) {
        const uchar* record = d + 6 + 12 * i;
        const int platform = qFromBigEndian<quint16>(record);
        const int length = qFromBigEndian<quint16>(record + 8);
        const int start = strings + qFromBigEndian<quint16>(record + 10);
        if (qFromBigEndian<quint16>(record + 6) != 6 || start + length > table.size())
            continue;
        QByteArray name;
        if (platform == 1) {
            name = table.mid(start, length);
        } else {
            for (int at = start; at + 1 < start + length; at += 2)
                name += char(qFromBigEndian<quint16>(d + at));
        }
        return name.replace(' ', '_');
    }
    return {};
}

// A code point as the hex digits of its UTF-16 units, as a CMap writes it.
QByteArray utf16Hex(const QString& text)
{
    QByteArray hex;
    for (QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return hex;
}

// The objects of a PDF as Qt writes it: one cross-reference table, objects of
// generation 0.
class PdfFile {
public:
    explicit PdfFile(const QByteArray& pdf) : m_pdf(pdf)
    {
        const qsizetype mark = pdf.lastIndexOf("startxref");
        if (mark < 0)
            return;
        m_startxref = pdf.mid(mark + 9, 24).trimmed().split('\n').value(0).trimmed().toLongLong();
        qsizetype at = m_startxref;
        if (pdf.mid(at, 4) != "xref")
            return;
        at = pdf.indexOf('\n', at) + 1;
        while (at > 0 && at < pdf.size() && pdf.at(at) != 't') {
            const qsizetype eol = pdf.indexOf('\n', at);
            const QList<QByteArray> head = pdf.mid(at, eol - at).simplified().split(' ');
            if (eol < 0 || head.size() != 2)
                return;
            const int first = head[0].toInt();
            const int entries = head[1].toInt();
            at = eol + 1;
            for (int i = 0; i < entries; ++i, at += 20) {
                const QByteArray entry = pdf.mid(at, 20);
                if (entry.size() < 18)
                    return;
                if (entry.at(17) == 'n')
                    m_offsets[first + i] = entry.left(10).toLongLong();
            }
        }
        const qsizetype trailer = pdf.indexOf("trailer", at);
        if (trailer >= 0)
            m_trailer = pdf.mid(trailer, mark - trailer);
    }

    bool valid() const { return !m_offsets.empty() && !m_trailer.isEmpty(); }
    const std::map<int, qsizetype>& offsets() const { return m_offsets; }
    qsizetype startxref() const { return m_startxref; }
    QByteArray trailerEntry(const char* key) const
    {
        static const QRegularExpression value(QStringLiteral("^\\s*(\\d+(?: \\d+ R)?)"));
        const qsizetype at = m_trailer.indexOf(key);
        if (at < 0)
            return {};
        return value.match(QString::fromLatin1(m_trailer.mid(at + qstrlen(key), 40))).captured(1).toLatin1();
    }

    // The start of an object's dictionary: enough for a font's or a descriptor's.
    QByteArray head(int object) const
    {
        const auto found = m_offsets.find(object);
        if (found == m_offsets.end())
            return {};
        const QByteArray start = QByteArray::number(object) + " 0 obj";
        if (m_pdf.mid(found->second, start.size()) != start)
            return {};
        const qsizetype end = m_pdf.indexOf("stream", found->second);
        const qsizetype endobj = m_pdf.indexOf("endobj", found->second);
        return m_pdf.mid(found->second, (end >= 0 && end < endobj ? end : endobj) - found->second);
    }

    // A stream's bytes, of a stream whose length is written in its dictionary.
    QByteArray stream(int object) const
    {
        const QByteArray dictionary = head(object);
        if (dictionary.contains("/Filter"))
            return {};
        const qsizetype length = reference(dictionary, "/Length ", false);
        const qsizetype at = m_pdf.indexOf("stream\n", m_offsets.at(object));
        if (length <= 0 || at < 0)
            return {};
        return m_pdf.mid(at + 7, length);
    }

    // The number after `key` in `dictionary`: an object reference or a plain number.
    static qsizetype reference(const QByteArray& dictionary, const char* key, bool isReference = true)
    {
        const qsizetype at = dictionary.indexOf(key);
        if (at < 0)
            return -1;
        const QByteArray rest = dictionary.mid(at + qstrlen(key)).trimmed();
        qsizetype digits = 0;
        while (digits < rest.size() && std::isdigit(uchar(rest.at(digits))))
            ++digits;
        if (digits == 0 || (isReference && !rest.mid(digits).startsWith(" 0 R")))
            return -1;
        return rest.left(digits).toLongLong();
    }

private:
    const QByteArray& m_pdf;
    std::map<int, qsizetype> m_offsets;
    QByteArray m_trailer;
    qsizetype m_startxref = -1;
};

// The destinations of a ToUnicode map, by code (CID).
std::map<int, QByteArray> mappedCodes(const QByteArray& cmap)
{
    std::map<int, QByteArray> mapped;
    static const QRegularExpression hex(QStringLiteral("<([0-9A-Fa-f]*)>"));
    for (const char* kind : {"bfrange", "bfchar"}) {
        const QByteArray begin = QByteArray("begin") + kind;
        const QByteArray end = QByteArray("end") + kind;
        for (qsizetype at = cmap.indexOf(begin); at >= 0; at = cmap.indexOf(begin, at + 1)) {
            const qsizetype stop = cmap.indexOf(end, at);
            if (stop < 0)
                break;
            for (const QByteArray& line : cmap.mid(at + begin.size(), stop - at - begin.size()).split('\n')) {
                QList<QByteArray> codes;
                for (const auto& m : hex.globalMatch(QString::fromLatin1(line)))
                    codes << m.captured(1).toUpper().toLatin1();
                if (codes.size() < 2)
                    continue;
                const int first = codes[0].toInt(nullptr, 16);
                if (qstrcmp(kind, "bfchar") == 0) {
                    mapped[first] = codes[1];
                } else if (line.contains('[')) {
                    for (qsizetype i = 2; i < codes.size(); ++i)
                        mapped[first + int(i) - 2] = codes[i];
                } else if (codes.size() >= 3) {
                    const int last = codes[1].toInt(nullptr, 16);
                    const uint destination = codes[2].toUInt(nullptr, 16);
                    for (int code = first; code <= last; ++code)
                        mapped[code] = QByteArray::number(destination + uint(code - first), 16)
                                           .rightJustified(codes[2].size(), '0')
                                           .toUpper();
                }
            }
        }
    }
    return mapped;
}

}  // namespace

const std::vector<bool>& TextLayerNotes::reachedIn(const QByteArray& face, const QRawFont& font)
{
    auto found = m_reached.find(face);
    if (found != m_reached.end())
        return found->second;
    QString plane;
    plane.reserve(0x10000);
    for (uint code = 1; code < 0x10000; ++code) {
        if (!QChar::isSurrogate(code))
            plane += QChar(char16_t(code));
    }
    std::vector<bool> reached;
    for (quint32 glyph : font.glyphIndexesForString(plane)) {
        if (glyph >= reached.size())
            reached.resize(glyph + 1);
        reached[glyph] = true;
    }
    return m_reached.emplace(face, std::move(reached)).first->second;
}

void TextLayerNotes::noteText(const QString& text, const QFont& font, const QPaintDevice& device)
{
    if (std::none_of(text.begin(), text.end(), [](QChar c) { return c.isSurrogate(); }))
        return;
    QTextLayout layout(text, font, &device);
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    layout.setTextOption(option);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    const QList<QGlyphRun> runs = layout.glyphRuns();
    for (const char32_t code : text.toUcs4()) {
        if (!QChar::requiresSurrogates(code))
            continue;
        const QString character = QString::fromUcs4(&code, 1);
        // The run whose face has the character drew it.
        for (const QGlyphRun& run : runs) {
            const QRawFont raw = run.rawFont();
            const QList<quint32> glyph = raw.glyphIndexesForString(character);
            if (glyph.size() != 1 || glyph[0] == 0 || !run.glyphIndexes().contains(glyph[0]))
                continue;
            const QByteArray face = postscriptName(raw);
            const std::vector<bool>& reached = reachedIn(face, raw);
            if (glyph[0] < reached.size() && reached[glyph[0]])
                break;
            std::vector<Glyph>& glyphs = m_unmapped[face];
            if (std::none_of(glyphs.begin(), glyphs.end(),
                             [&](const Glyph& g) { return g.index == glyph[0]; }))
                glyphs.push_back({glyph[0], character});
            break;
        }
    }
}

void completeTextLayer(QByteArray& pdf, const TextLayerNotes& notes)
{
    if (notes.m_unmapped.empty() && notes.m_markStandsFor == 0)
        return;
    const PdfFile file(pdf);
    if (!file.valid())
        return;
    // The composite fonts Qt wrote: their face and ToUnicode map; a face named
    // twice is not completed (which glyph is whose would be a guess).
    struct Face {
        QByteArray name;
        int toUnicode;
        int descendant;
    };
    std::vector<Face> faces;
    std::map<QByteArray, int> named;
    for (const auto& [object, offset] : file.offsets()) {
        const QByteArray dictionary = file.head(object);
        if (!dictionary.contains("/Subtype /Type0"))
            continue;
        const qsizetype at = dictionary.indexOf("/BaseFont /");
        if (at < 0)
            continue;
        qsizetype end = at + 11;
        while (end < dictionary.size() && !std::isspace(uchar(dictionary.at(end))) &&
               dictionary.at(end) != '/')
            ++end;
        const QByteArray name = dictionary.mid(at + 11, end - at - 11);
        faces.push_back({name, int(PdfFile::reference(dictionary, "/ToUnicode ")),
                         int(PdfFile::reference(dictionary, "/DescendantFonts ["))});
        ++named[name];
    }

    QByteArray update;
    const qsizetype base = pdf.endsWith('\n') ? pdf.size() : pdf.size() + 1;
    std::vector<std::pair<int, qsizetype>> written;
    const QByteArray mark = utf16Hex(QString(GetaMark));
    for (const Face& face : faces) {
        const QByteArray cmap = file.stream(face.toUnicode);
        const qsizetype endcmap = cmap.indexOf("endcmap");
        if (face.toUnicode < 0 || endcmap < 0)
            continue;
        const std::map<int, QByteArray> mapped = mappedCodes(cmap);
        std::vector<std::pair<int, QByteArray>> added;
        // The glyphs without a character are numbered in the order they were
        // first drawn; the notes hold them in that order.
        const auto unmapped = notes.m_unmapped.find(face.name);
        if (unmapped != notes.m_unmapped.end() && named[face.name] == 1) {
            const QByteArray present = file.stream(int(PdfFile::reference(
                file.head(int(PdfFile::reference(file.head(face.descendant), "/FontDescriptor "))),
                "/CIDSet ")));
            std::vector<int> missing;
            for (int code = 1; code < present.size() * 8; ++code) {
                const bool drawn = uchar(present.at(code / 8)) & (0x80 >> (code % 8));
                const auto entry = mapped.find(code);
                if (drawn && (entry == mapped.end() || entry->second.isEmpty() ||
                              entry->second.toUInt(nullptr, 16) == 0))
                    missing.push_back(code);
            }
            if (missing.size() == unmapped->second.size()) {
                for (size_t i = 0; i < missing.size(); ++i)
                    added.emplace_back(missing[i], utf16Hex(unmapped->second[i].text));
            }
        }
        if (notes.m_markStandsFor != 0) {
            const char32_t stands = notes.m_markStandsFor;
            for (const auto& [code, destination] : mapped) {
                if (destination == mark)
                    added.emplace_back(code, utf16Hex(QString::fromUcs4(&stands, 1)));
            }
        }
        if (added.empty())
            continue;
        QByteArray completed = cmap.left(endcmap);
        for (size_t i = 0; i < added.size(); i += 100) {
            const size_t n = std::min<size_t>(100, added.size() - i);
            completed += QByteArray::number(qulonglong(n)) + " beginbfchar\n";
            for (size_t k = i; k < i + n; ++k)
                completed += '<' + QByteArray::number(added[k].first, 16).rightJustified(4, '0').toUpper() +
                             "> <" + added[k].second + ">\n";
            completed += "endbfchar\n";
        }
        completed += cmap.mid(endcmap);
        written.emplace_back(face.toUnicode, base + update.size());
        update += QByteArray::number(face.toUnicode) + " 0 obj\n<< /Length " +
                  QByteArray::number(completed.size()) + " >>\nstream\n" + completed +
                  "\nendstream\nendobj\n";
    }
    if (written.empty())
        return;
    // An update section: the new maps replace the old by their object numbers.
    const QByteArray info = file.trailerEntry("/Info");
    const qsizetype xref = base + update.size();
    update += "xref\n";
    for (const auto& [object, offset] : written)
        update += QByteArray::number(object) + " 1\n" + QByteArray::number(offset).rightJustified(10, '0') +
                  " 00000 n \n";
    update += "trailer\n<<\n/Size " + file.trailerEntry("/Size") + "\n/Root " + file.trailerEntry("/Root") +
              (info.isEmpty() ? QByteArray() : "\n/Info " + info) + "\n/Prev " +
              QByteArray::number(file.startxref()) + "\n>>\nstartxref\n" + QByteArray::number(xref) +
              "\n%%EOF\n";
    if (!pdf.endsWith('\n'))
        pdf += '\n';
    pdf += update;
}
