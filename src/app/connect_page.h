#pragma once
// The connect page, painted while the phone is looked for and read: the step
// banner, then by the load state the loading animation, the "no phone"
// picture, the authorisation picture with its two lines, or, for a phone that
// is attached but cannot be used (no USB permission, offline, in recovery...)
// and for a missing adb helper, the warning picture with what is wrong and
// how to fix it; under every state the four tips.
#include <QPixmap>
#include <QString>

#include "phone/device_state.h"
#include "phone/transfer.h"

class QPainter;

namespace quen::app {

struct ConnectPictures {
    QPixmap background;  // mainbg1.png
    QPixmap step;        // step1.png
    QPixmap failed;      // loadfail.png
    QPixmap warning;     // loadwarn.png
    QPixmap authorise;   // rsa_tip.png
};

// Paints the whole page for `state`; `frame` is the animation's current frame
// (drawn while loading) and `status`, when not empty, replaces the frame's
// second caption line (what is being copied from the phone).
void paint_connect_page(QPainter& p, phone::LoadState state, const QPixmap& frame, const ConnectPictures& pictures,
                        const QString& status = {});

// "Copying contacts2.db: 1.2 of 5.0 MB (24%)"; empty before the first copy.
QString transfer_text(const phone::TransferProgress& progress);

// Whether a state is shown with the warning picture and its own texts.
bool has_state_texts(phone::LoadState state);

}  // namespace quen::app
