#pragma once
// CMyHyperLink: a line of text that behaves as a link. Drawn underlined in the
// link colour (blue, purple once visited), with the hand cursor and the
// target as its tooltip; a click (press and release on the text), or Enter or
// Space while it has the focus, opens the target in the user's browser.
#include <QColor>
#include <QFont>
#include <QUrl>
#include <QWidget>

namespace quen::ui {

class CMyHyperLink final : public QWidget {
    Q_OBJECT
public:
    CMyHyperLink(const QString& text, const QUrl& target, const QFont& font, QWidget* parent);

    bool visited() const { return visited_; }
    QColor link_colour() const { return visited_ ? visited_colour_ : colour_; }
    QSize sizeHint() const override;

signals:
    void opened();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    void open();

    QString text_;
    QUrl target_;
    QColor colour_{0, 0, 255};
    QColor visited_colour_{128, 0, 128};
    bool visited_ = false;
    bool pressed_ = false;
};

}  // namespace quen::ui
