#pragma once

#include <QFrame>

// The input panel of the slip windows. Disabling it disables every control
// inside it (none of them can then take the focus; a focused one hands the focus
// on) and greys its background, so the locked area is visible at a glance.
class TGrayPanel : public QFrame {
    Q_OBJECT

public:
    explicit TGrayPanel(QWidget* parent = nullptr);

protected:
    void changeEvent(QEvent* event) override;

private:
    void updateBackground();
};
