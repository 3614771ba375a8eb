#pragma once
// CMsgInfoItem: one message of a conversation: its time, centred above, and
// its body in a balloon drawn from nine skin pieces; received messages on the
// left in grey, sent ones on the right in green. 215 pixels wide.
#include <QRect>
#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QTextLayout;

namespace quen::ui {

enum BubbleDirection : int { kReceived = 1, kSent = 2 };

struct BubbleGeometry {
    QRect box;        // the balloon inside the bubble window (width = right - left)
    QRect text_box;   // where the body is drawn
    int height = 0;   // of the whole bubble window
};

// The balloon for a body: measured as one line in font key 512; wider than
// 160 px, the text box is 160 wide and as many lines high as that width needs
// (the line count rounded up; more when word wrapping or line breaks need
// them, so the body is never cut).
BubbleGeometry bubble_geometry(int direction, const QString& body);

// Where each line of the body starts in its text box of `width` (font key
// 256): at least the font's line spacing apart whatever scripts a line mixes.
std::vector<int> bubble_line_tops(const QString& body, int width);

class CMsgInfoItem final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kWidth = 215;

    CMsgInfoItem(int direction, const QString& body, const QString& time, QWidget* parent);
    ~CMsgInfoItem() override;
    int direction() const { return direction_; }
    const BubbleGeometry& geometry_of_bubble() const { return geometry_; }
    const QString& body() const { return body_; }
    const QString& time() const { return time_; }

protected:
    void paintEvent(QPaintEvent*) override;

private:
    int direction_;
    QString body_, time_;
    BubbleGeometry geometry_;
    std::unique_ptr<QTextLayout> body_layout_;  // laid out at the first paint, kept
};

}  // namespace quen::ui
