#pragma once

#include <QByteArray>
#include <QIODevice>
#include <QString>

#include <functional>

namespace platform {

// Why a name cannot take a file, found before anything is written: it names something other
// than a regular file or a link to one (a folder, a device, a pipe, a link that leads nowhere),
// or cannot be looked at. Empty when it can, or when it names nothing yet.
QString refusal(const QByteArray& path);

// Writes what the encoder puts on the device it is given. It returns empty, or why it could not
// encode; a failed write is seen by the device, so the encoder need not check its writes.
using Encoder = std::function<QString(QIODevice&)>;

// Writes a file to path (the bytes the system names files with), whole or not at all: into a
// new file beside it, made as the umask says or with the permissions of the file it replaces,
// renamed over it only once every write, the optional flush to the disk and the close have
// succeeded. A link to a file stays a link; the file it leads to is replaced. Returns empty, or
// the reason it failed, with nothing left behind.
QString writeWhole(const QByteArray& path, const Encoder& encode, bool toDisk);

// The calls the writer makes to the system, and for a test how one fails: the count-th call of
// that kind from now on (1 for the next) fails with the error number.
enum class SystemCall { Open, Write, Sync, Close, Rename };
void failSystemCall(SystemCall call, int count, int error);
void failNoSystemCall();

} // namespace platform
