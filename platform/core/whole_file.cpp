#include "platform/core/whole_file.h"

#include <QRandomGenerator>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

struct Injected {
    SystemCall call = SystemCall::Open;
    int count = 0; // 0: none
    int error = 0;
} injected;

// The system call, unless a test made this one fail.
template <typename Call> auto checked(SystemCall kind, Call call) -> decltype(call()) {
    if (injected.count > 0 && injected.call == kind && --injected.count == 0) {
        errno = injected.error;
        return -1;
    }
    return call();
}

QString reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QString kindWords(mode_t mode) {
    if (S_ISDIR(mode))
        return QStringLiteral("Filename refers to a directory");
    if (S_ISCHR(mode))
        return QStringLiteral("Filename refers to a character device, not a file");
    if (S_ISBLK(mode))
        return QStringLiteral("Filename refers to a block device, not a file");
    if (S_ISFIFO(mode))
        return QStringLiteral("Filename refers to a pipe, not a file");
    if (S_ISSOCK(mode))
        return QStringLiteral("Filename refers to a socket, not a file");
    return QStringLiteral("Filename refers to something that is not a file");
}

// The program's own standard stream the file is, if it is one: /dev/stdout and its kin lead to
// whatever the stream is, a terminal, a pipe, or a file the shell has opened and would keep
// writing after a rename had put the picture in its place.
QString standardStream(const struct stat& file) {
    const char* const names[] = {"standard input", "standard output", "standard error"};
    for (int stream = 0; stream < 3; ++stream) {
        struct stat status {};
        if (::fstat(stream, &status) == 0 && status.st_dev == file.st_dev &&
            status.st_ino == file.st_ino)
            return QString::fromLatin1(names[stream]);
    }
    return {};
}

// Where the file really goes: the name itself, or the file a link leads to, so that renaming
// over it keeps the link. An empty path, with the reason, when the name cannot take the file.
struct Destination {
    QByteArray path;
    QString problem;
    std::optional<mode_t> mode; // the permissions of the file it replaces, if there is one
};

Destination destination(const QByteArray& path) {
    const auto refused = [](const QString& problem) { return Destination{{}, problem, {}}; };
    if (path.isEmpty()) // names no file, yet would pass the checks below as one written
        return refused(reason(ENOENT));
    struct stat status {};
    if (::lstat(path.constData(), &status) != 0)
        // A missing folder is told by the open.
        return errno == ENOENT ? Destination{path, {}, {}} : refused(reason(errno));
    const bool link = S_ISLNK(status.st_mode);
    if (link && ::stat(path.constData(), &status) != 0)
        return refused(errno == ENOENT
                           ? QStringLiteral("Filename refers to a link that leads nowhere")
                           : reason(errno));
    if (!S_ISREG(status.st_mode))
        return refused(kindWords(status.st_mode));
    if (const QString stream = standardStream(status); !stream.isEmpty())
        return refused(
            QStringLiteral("Filename refers to the %1, which takes no picture: give a file")
                .arg(stream));
    // A file made read-only stays as it is, as the user meant it to.
    if (::access(path.constData(), W_OK) != 0)
        return refused(reason(errno));
    const mode_t mode = status.st_mode & 07777;
    if (!link)
        return {path, {}, mode};
    char resolved[PATH_MAX];
    if (!::realpath(path.constData(), resolved))
        return refused(reason(errno));
    return {QByteArray(resolved), {}, mode};
}

// The bytes straight to the file, every write checked: a disk that fills up fails the
// picture instead of cutting it. Unbuffered, so that no write is left for a close to fail.
class DescriptorDevice : public QIODevice {
  public:
    explicit DescriptorDevice(int descriptor) : descriptor_(descriptor) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    int error() const { return error_; }

  protected:
    qint64 readData(char*, qint64) override { return -1; }
    // After a failure the rest is let go unwritten: an encoder would print its own message for a
    // failed write, and the failure is told once, by whoever made the file.
    qint64 writeData(const char* data, qint64 size) override {
        if (error_ != 0)
            return size;
        qint64 done = 0;
        while (done < size) {
            const ssize_t written = checked(SystemCall::Write, [&] {
                return ::write(descriptor_, data + done, static_cast<size_t>(size - done));
            });
            if (written < 0 && errno == EINTR)
                continue;
            if (written <= 0) {
                error_ = written < 0 ? errno : ENOSPC;
                return size;
            }
            done += written;
        }
        return done;
    }

  private:
    int descriptor_;
    int error_ = 0;
};

// A name beside the destination that nothing else has.
int openTemporary(const Destination& target, QByteArray& name) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = target.path + '.' +
               QByteArray::number(QRandomGenerator::global()->generate64() % 0x1000000000ULL, 36);
        const int descriptor = checked(SystemCall::Open, [&] {
            return ::open(name.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                          target.mode ? *target.mode & 0600 : 0666);
        });
        if (descriptor >= 0 || errno != EEXIST)
            return descriptor;
    }
    return -1;
}

} // namespace

QString refusal(const QByteArray& path) {
    return destination(path).problem;
}

QString writeWhole(const QByteArray& path, const Encoder& encode, bool toDisk) {
    const Destination target = destination(path);
    if (target.path.isEmpty())
        return target.problem;

    QByteArray temporary;
    const int descriptor = openTemporary(target, temporary);
    if (descriptor < 0)
        return reason(errno);
    bool open = true;
    const auto fail = [&](const QString& why) {
        if (open)
            ::close(descriptor);
        ::unlink(temporary.constData());
        return why;
    };
    // The file it replaces keeps its permissions; a new one has what the umask left of 0666.
    if (target.mode && ::fchmod(descriptor, *target.mode) != 0)
        return fail(reason(errno));

    DescriptorDevice device(descriptor);
    const QString encoded = encode(device);
    if (device.error() != 0)
        return fail(reason(device.error()));
    if (!encoded.isEmpty())
        return fail(encoded);
    if (toDisk && checked(SystemCall::Sync, [&] { return ::fsync(descriptor); }) != 0)
        return fail(reason(errno));
    // A file system that writes late (over a network) tells its failure at the close, after which
    // the descriptor is gone either way.
    open = false;
    if (checked(SystemCall::Close, [&] { return ::close(descriptor); }) != 0)
        return fail(reason(errno));
    // Looked at again: something else may have been put there while the picture was made.
    struct stat status {};
    if (::lstat(target.path.constData(), &status) == 0 && !S_ISREG(status.st_mode))
        return fail(kindWords(status.st_mode));
    if (checked(SystemCall::Rename,
                [&] { return std::rename(temporary.constData(), target.path.constData()); }) != 0)
        return fail(reason(errno));
    return {};
}

void failSystemCall(SystemCall call, int count, int error) {
    injected = {call, count, error};
}

void failNoSystemCall() {
    injected = {};
}

} // namespace platform
