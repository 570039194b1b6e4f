#include "kelvane/render/picture_file.h"

#include "platform/core/whole_file.h"

#include <QImageWriter>

namespace kelvane::command_line {

QString writePicture(const QByteArray& path, const QImage& image, bool toDisk) {
    return platform::writeWhole(
        path,
        [&](QIODevice& device) {
            QImageWriter writer(&device, "PNG");
            return writer.write(image) ? QString() : writer.errorString();
        },
        toDisk);
}

} // namespace kelvane::command_line
