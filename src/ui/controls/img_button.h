#pragma once
// CImgButton: a button drawn from a horizontal strip of state pictures,
//   frame 0 normal, 1 hover, 2 pressed, 3 disabled,
// each frame picture width / frame count wide; the button takes one frame's
// size. A click needs the press and the release on the button (dragging off a
// pressed button shows the normal look again and releasing there does
// nothing); a disabled button shows frame 3 and ignores the mouse. The hand
// cursor shows over an enabled button. With the keyboard focus (Tab), Space
// or Enter clicks, and a focus ring shows.
#include <QAbstractButton>
#include <QPixmap>

namespace quen::ui {

class CImgButton final : public QAbstractButton {
    Q_OBJECT
public:
    CImgButton(int id, const QString& accessible_name, QWidget* parent);

    // Loads the strip from the skin folder, sizes the button to one frame and
    // places it at (x, y) in its parent; a negative x or y counts from the
    // parent's right or bottom edge (x += parent width - frame width). Shows
    // the button. False when the picture is missing: the button then has no
    // size and cannot be clicked.
    bool attach(const QString& picture, int x, int y, int frames = 4);

    int id() const { return id_; }
    // The frame the next paint draws: 0 normal, 1 hover, 2 pressed, 3 disabled.
    int current_frame() const;
    QSize frame_size() const { return frame_size_; }
    QSize sizeHint() const override { return frame_size_; }

protected:
    void paintEvent(QPaintEvent*) override;
    void enterEvent(QEnterEvent*) override;
    void leaveEvent(QEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;
    void changeEvent(QEvent*) override;
    void focusInEvent(QFocusEvent*) override;
    void focusOutEvent(QFocusEvent*) override;

private:
    int id_;
    QPixmap strip_;
    int frames_ = 4;
    QSize frame_size_{0, 0};
    bool hover_ = false;
    bool keyboard_focus_ = false;
};

}  // namespace quen::ui
