#pragma once
// The behaviour every skinned dialog shares: it takes its size from its
// background picture, has no frame and slightly rounded corners, is centred
// over its owner (within the owner's screen), can be dragged by any point of
// its own surface, and draws its background, then the program's title in
// white in the title band, then its own texts.
#include <QDialog>
#include <QFont>
#include <QPixmap>
#include <QPoint>

namespace quen::ui {

class SkinnedDialog : public QDialog {
    Q_OBJECT
public:
    SkinnedDialog(const QString& background, QWidget* owner);

    // Grows the dialog downwards to `height` (never shrinks below the
    // picture): the background's middle band is stretched, its top and
    // bottom kept.
    void grow_to_height(int height);

protected:
    // Where and in which font the title is drawn.
    void set_title_place(QPoint at, const QFont& font);
    // The dialog's own texts, drawn after the background and title.
    virtual void paint_texts(QPainter&) {}

    void paintEvent(QPaintEvent*) override;
    void showEvent(QShowEvent*) override;
    void resizeEvent(QResizeEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseMoveEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;

    QPixmap background_;

private:
    void centre_over_owner();

    QPoint title_at_{40, 7};
    QFont title_font_;
    bool dragging_ = false;
    QPoint drag_offset_;
};

}  // namespace quen::ui
