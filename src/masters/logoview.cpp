#include "logoview.h"

#include <QMouseEvent>

#include "fieldlink.h"

LogoView::LogoView(QWidget* parent)
    : QLabel(parent),
      m_link(new FieldLink(
          this,
          [this](const Field& value) {
              QPixmap picture;
              if (!value.isNull())
                  picture.loadFromData(value.asBytes());
              if (picture.isNull())
                  clear();
              else
                  setPixmap(picture);
          },
          // The logo is set by the window, never typed: there is nothing to read back.
          [this] { return m_link->field().value(); }))
{
    setFrameShape(QFrame::Panel);
    setFrameShadow(QFrame::Sunken);
    setScaledContents(true);
    setFocusPolicy(Qt::NoFocus);
    setCursor(Qt::PointingHandCursor);
}

void LogoView::bind(Dataset& dataset, const QString& field)
{
    m_link->bind(dataset, field);
}

QImage LogoView::shownImage() const
{
    const QPixmap shown = pixmap();
    return shown.isNull() ? QImage() : shown.toImage();
}

void LogoView::mouseReleaseEvent(QMouseEvent* event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && isEnabled())
        emit clicked();
}
