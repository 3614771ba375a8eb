#pragma once
// DhImagePreviewBoard: the found file chosen in the list, as a picture scaled
// down to fit the panel (never up) and centred. It decodes only when the path
// changes (and once more when a preview copy is written); a
// file it cannot show as a picture, or whose copy is not there yet, is shown
// as the file icon with its name and size.
#include <QImage>
#include <QPixmap>
#include <QWidget>

#include <cstdint>
#include <string>

namespace quen::ui {

class DhImagePreviewBoard final : public QWidget {
    Q_OBJECT
public:
    explicit DhImagePreviewBoard(QWidget* parent);

    // The preview copy's path (UTF-8) and what to say when it cannot be shown.
    void set_requested(const std::string& path, const QString& name = {}, uint64_t size = 0);
    // The copy worker wrote a file (WM_PREVIEW_REDRAW): decode again (the
    // last attempt may have found nothing, or a copy half written), then
    // redraw now.
    void copy_written();

    const std::string& requested_path() const { return requested_; }
    bool has_image() const { return !image_.isNull(); }
    int decode_count() const { return decodes_; }
    // Where the picture is drawn in the panel (empty without one).
    QRect picture_rect() const;
    // The drawn rectangle for an image of `image` size in a panel of `panel` size.
    static QRect fit(QSize image, QSize panel);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    void load_if_needed();

    std::string requested_, loaded_;
    bool loaded_valid_ = false;
    QImage image_;
    QString name_;
    uint64_t size_ = 0;
    QPixmap file_icon_;
    int decodes_ = 0;
};

}  // namespace quen::ui
