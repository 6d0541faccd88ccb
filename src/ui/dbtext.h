#pragma once

#include <QLabel>

#include "field.h"

class Dataset;
class FieldLink;

// Read-only text showing a field of the current row in a display format (the
// customer's name beside its code, a money total). It is empty while the
// dataset is closed or has no row. A frame, where wanted, is the window's
// choice (setFrameShape).
class DbText : public QLabel {
    Q_OBJECT

public:
    explicit DbText(QWidget* parent = nullptr);

    void bind(Dataset& dataset, const QString& field, DisplayFormat format = DisplayFormat::Text);
    FieldLink& link() const { return *m_link; }

private:
    FieldLink* m_link;
    DisplayFormat m_format = DisplayFormat::Text;
};
