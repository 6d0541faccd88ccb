#pragma once

#include <QFont>

// The font of every window and dialog: IPA P Gothic, 9 points.
inline QFont uiFont()
{
    QFont font(QStringLiteral("IPAPGothic"), 9);
    font.setStyleHint(QFont::SansSerif);
    return font;
}
