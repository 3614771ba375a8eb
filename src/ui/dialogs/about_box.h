#pragma once
// CAboutBox: the program's name, version, a short notice and a link to the
// maker's home page. Ends with kClose (the close button) or kOk.
#include "ui/dialogs/skinned_dialog.h"

namespace quen::ui {

class CAboutBox final : public SkinnedDialog {
    Q_OBJECT
public:
    enum Result { kClose = 1024, kOk = 1027 };

    explicit CAboutBox(QWidget* owner);
    static int show_box(QWidget* owner);

    static QString notice_text();

protected:
    void paint_texts(QPainter&) override;
    void reject() override;
};

}  // namespace quen::ui
