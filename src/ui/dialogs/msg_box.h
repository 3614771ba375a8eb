#pragma once
// CMsgBox: the program's modal message box. An icon by kind, the text, and up
// to two of the buttons OK, Yes, No, Cancel; the box ends with the identifier
// of the button that closed it (the close button at the top right gives
// kClose). Enter answers with the first button (OK or Yes), Escape as the
// close button does.
#include <QString>
#include <vector>

#include "ui/dialogs/skinned_dialog.h"

namespace quen::ui {

class CImgButton;

class CMsgBox final : public SkinnedDialog {
    Q_OBJECT
public:
    enum Kind { kWarning = 0, kError = 1, kInformation = 2, kSuccess = 3 };
    enum ButtonBits { kOkButton = 1, kYesButton = 2, kCancelButton = 4, kNoButton = 8 };
    enum Result { kClose = 1010, kOk = 1011, kYes = 1012, kNo = 1014, kCancel = 1015 };

    CMsgBox(int kind, int buttons, const QString& text, QWidget* owner);

    // Shows the box modally and returns the identifier of the button that
    // closed it. With no owner, the active window owns it.
    static int show_box(int kind, int buttons, const QString& text, QWidget* owner = nullptr);

    // The layout, for the tests.
    QRect text_rect() const { return text_rect_; }
    bool one_line() const { return one_line_; }
    int line_count() const { return lines_; }
    CImgButton* button(int id) const;

protected:
    void paint_texts(QPainter&) override;
    void keyPressEvent(QKeyEvent*) override;
    void reject() override;

private:
    void lay_out_text();
    void lay_out_buttons(int buttons);

    QString text_;
    QPixmap icon_;
    QFont text_font_;
    QRect text_rect_;
    bool one_line_ = true;
    int lines_ = 1;
    std::vector<CImgButton*> buttons_;  // children; the requested ones in order, then close
};

}  // namespace quen::ui
