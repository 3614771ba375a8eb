#pragma once
// The skin: every picture the window draws is a file in the folder "image"
// beside the program, so the look can be changed without building anything.
#include <QPainter>
#include <QPixmap>
#include <QString>

namespace quen::ui {

// "<program folder>/image/" unless set_skin_folder() chose another.
QString skin_folder();
// For the tests and tools, which do not run from the program's folder.
void set_skin_folder(const QString& folder);

// The full path of a skin file.
QString skin_path(const QString& name);

// The picture `name` from the skin folder. On a screen scaled 1.5 times or
// more, "<base>@2x.<ext>" is taken when it exists and marked with a device
// pixel ratio of 2, so the picture keeps its logical size and stays sharp.
// A missing or undecodable picture gives a null pixmap: drawing goes on
// without it.
QPixmap load_skin_picture(const QString& name);

// The picture's size in window coordinates (device pixels / ratio).
QSize logical_size(const QPixmap& pixmap);

// The size of one frame of a strip of `frames` equal frames side by side.
QSize frame_size(const QPixmap& strip, int frames);
// Draws frame `frame` of the strip with its top left at `at`, at its own size.
void draw_frame(QPainter& painter, const QPixmap& strip, int frames, int frame, QPointF at);

}  // namespace quen::ui
