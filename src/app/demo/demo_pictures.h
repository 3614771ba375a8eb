#pragma once
// Pictures for the demo card: a few painted photos, encoded as a camera app
// would store them, so the picture preview has something to show.
#include <QByteArray>
#include <QString>

#include <vector>

namespace quen::app {

struct DemoPicture {
    QString format;  // "jpg" or "png"
    QByteArray bytes;
};

std::vector<DemoPicture> paint_demo_pictures();

}  // namespace quen::app
