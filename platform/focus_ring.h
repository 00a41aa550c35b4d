#pragma once

#include <QWidget>

// A clear frame in the highlight colour around the control that has the keyboard focus in
// window, drawn over every control of the window. The styles' own focus marks are faint or
// missing on some controls (a flat image button, a list, a tool button). As the styles do, it
// shows once the focus has moved by the keyboard (Tab, a mnemonic), so that a window used
// with the mouse alone looks as it always did.
class FocusRing : public QWidget {
    Q_OBJECT

public:
    explicit FocusRing(QWidget* window);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void Follow(QWidget* focus);
};
