#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kelvane::command_line {

// The longest side the PNG writer takes, in pixels.
inline constexpr int largestPictureSide = 1000000;

// Writes the image as PNG to path, whole or not at all, as platform::writeWhole does. Returns
// empty, or the reason it failed.
QString writePicture(const QByteArray& path, const QImage& image, bool toDisk);

} // namespace kelvane::command_line
