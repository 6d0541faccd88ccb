#pragma once

#include <QProxyStyle>

// The platform style with a visible focus frame on drop-down boxes: without it a
// clerk moving through a window with Tab cannot see that a list has the focus.
class FocusFrameStyle : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option, QPainter* painter,
                            const QWidget* widget = nullptr) const override;
};

// Puts FocusFrameStyle over the application's style.
void installFocusFrameStyle();
