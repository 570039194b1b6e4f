#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace kelvane::render {

// The longest side the PNG writer takes, in pixels.
inline constexpr int largestPictureSide = 1000000;

// Why a name cannot take a picture, found before anything is written: it names something other
// than a regular file or a link to one (a folder, a device, a pipe, a link that leads nowhere),
// or cannot be looked at. Empty when it can, or when it names nothing yet.
QString refusal(const QByteArray& path);

// Writes the image as PNG to path (the bytes the system names files with), whole or not at all:
// into a new file beside it, made as the umask says or with the permissions of the file it
// replaces, renamed over it only once every write, the optional flush to the disk and the close
// have succeeded. A link to a file stays a link; the file it leads to is replaced. Returns
// empty, or the reason it failed, with nothing left behind.
QString writePicture(const QByteArray& path, const QImage& image, bool toDisk);

// The calls the writer makes to the system, and for a test how one fails: the count-th call of
// that kind from now on (1 for the next) fails with the error number.
enum class SystemCall { Open, Write, Sync, Close, Rename };
void failSystemCall(SystemCall call, int count, int error);
void failNoSystemCall();

} // namespace kelvane::render
