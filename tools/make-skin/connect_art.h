#pragma once
// The connect page's pictures, 785 x 331, drawn over the part of the page
// background they cover (the window draws them at (120, 230)): the loading
// animation (a phone on a cable, data travelling), the failed connection,
// a phone attached but not usable (no caption: the window writes the state's
// problem and fix under it), and the authorisation prompt on the phone's screen.
#include <QImage>
#include <vector>

#include "gif_writer.h"

namespace quen::skin {

QImage connect_background(qreal scale);  // the whole connect page, 984 x 674

std::vector<GifFrame> loading_frames(qreal scale);
QImage failed_connection_picture(qreal scale);
QImage device_problem_picture(qreal scale);
QImage authorisation_picture(qreal scale);

}  // namespace quen::skin
