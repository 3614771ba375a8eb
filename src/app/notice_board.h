#pragma once
// NoticeBoard: the results page's note of what the user should know about
// the results (no root, a disk that could not be opened or not read whole).
// It lies over the toolbar hint, shows as many notes as fit, each cut with an
// ellipsis, and says how many more there are; a click (or Enter) shows every
// note whole in a message box, and the tooltip holds them too. Hidden while
// there is nothing to say.
#include <QPixmap>
#include <QWidget>

#include <string>
#include <vector>

namespace quen::app {

class NoticeBoard final : public QWidget {
    Q_OBJECT
public:
    explicit NoticeBoard(QWidget* parent);

    void set_notes(std::vector<std::string> notes);
    void add_notes(const std::vector<std::string>& notes);
    const std::vector<std::string>& notes() const { return notes_; }
    // Every note, one per line, each after a bullet.
    QString full_text() const;

signals:
    void details_asked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mouseReleaseEvent(QMouseEvent*) override;
    void keyPressEvent(QKeyEvent*) override;

private:
    void refresh();

    std::vector<std::string> notes_;
    QPixmap icon_;
};

}  // namespace quen::app
