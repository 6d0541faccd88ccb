#pragma once

#include <QLabel>

class Dataset;
class FieldLink;

// The company logo on screen: the picture of a PNG column of the current row,
// stretched to the view's size, bound like the other data-aware fields. It is
// no tab stop; a click on it asks for another picture (clicked).
class LogoView : public QLabel {
    Q_OBJECT

public:
    explicit LogoView(QWidget* parent = nullptr);

    void bind(Dataset& dataset, const QString& field);
    FieldLink& link() const { return *m_link; }

    // The picture shown now; null when the row has no readable logo.
    QImage shownImage() const;

signals:
    void clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    FieldLink* m_link;
};
