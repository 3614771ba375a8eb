#pragma once
// A small GIF89a writer for the skin's animation: Qt reads GIF but cannot
// write it. Frames are reduced to one global palette of at most 256 colours
// (every colour kept when there are no more; else a median cut), each frame
// after the first is stored as the rectangle that changed, and the pixels are
// LZW-coded as the format asks. The animation loops forever.
#include <QByteArray>
#include <QImage>

#include <vector>

namespace quen::skin {

struct GifFrame {
    QImage image;       // every frame the same size, opaque
    int delay_cs = 8;   // hundredths of a second
};

QByteArray encode_gif(const std::vector<GifFrame>& frames);

// The LZW code stream of `indices` for a given minimum code size, as GIF
// image data sub-blocks (without the leading code-size byte).
QByteArray gif_lzw(const std::vector<uint8_t>& indices, int min_code_size);

}  // namespace quen::skin
