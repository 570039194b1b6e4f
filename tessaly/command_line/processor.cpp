#include "tessaly/command_line/processor.h"

#include <QDir>
#include <QFile>

#include <optional>

namespace tessaly::command_line {
namespace {

// The cores of Arm's own design (implementer 0x41) that Linux boards and servers carry, by part
// number. Other implementers, and parts not listed, are reported by their numbers.
struct Core {
    int part;
    const char* name;
};
constexpr Core armCores[] = {
    {0xd03, "Cortex-A53"},  {0xd04, "Cortex-A35"},  {0xd05, "Cortex-A55"},  {0xd07, "Cortex-A57"},
    {0xd08, "Cortex-A72"},  {0xd09, "Cortex-A73"},  {0xd0a, "Cortex-A75"},  {0xd0b, "Cortex-A76"},
    {0xd0c, "Neoverse-N1"}, {0xd0d, "Cortex-A77"},  {0xd40, "Neoverse-V1"}, {0xd41, "Cortex-A78"},
    {0xd44, "Cortex-X1"},   {0xd46, "Cortex-A510"}, {0xd47, "Cortex-A710"}, {0xd48, "Cortex-X2"},
    {0xd49, "Neoverse-N2"}, {0xd4b, "Cortex-A78C"}, {0xd4f, "Neoverse-V2"},
};

// The first value given to the key in cpuinfo's "key : value" lines, simplified.
std::optional<QString> firstValue(const QByteArray& cpuinfo, QByteArrayView key) {
    for (const QByteArray& line : cpuinfo.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon > 0 && line.left(colon).trimmed() == key) {
            const QString value = QString::fromUtf8(line.mid(colon + 1)).simplified();
            if (!value.isEmpty())
                return value;
        }
    }
    return std::nullopt;
}

std::optional<QString> coreName(const QByteArray& cpuinfo) {
    const auto implementer = firstValue(cpuinfo, "CPU implementer");
    const auto part = firstValue(cpuinfo, "CPU part");
    if (!implementer || !part)
        return std::nullopt;
    bool isNumber = false;
    if (implementer->toInt(&isNumber, 0) == 0x41 && isNumber) {
        const int number = part->toInt(&isNumber, 0);
        for (const Core& core : armCores)
            if (isNumber && core.part == number)
                return QString::fromLatin1(core.name);
    }
    return QStringLiteral("CPU implementer %1, part %2").arg(*implementer, *part);
}

QByteArray contents(const QString& path) {
    QFile file(path);
    // The kernel's files say they are empty: they are read to their end, not to their size.
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QString processorModel(const QByteArray& cpuinfo) {
    if (auto name = firstValue(cpuinfo, "model name"))
        return *name;
    if (auto name = coreName(cpuinfo))
        return *name;
    return QStringLiteral("unknown");
}

QString processorName(const QString& root) {
    const QDir base(root);
    // A device tree property is a string with its terminating NUL.
    QByteArray model =
        contents(base.filePath(QStringLiteral("sys/firmware/devicetree/base/model")));
    if (const qsizetype end = model.indexOf('\0'); end >= 0)
        model.truncate(end);
    const QString board = QString::fromUtf8(model).simplified();
    if (!board.isEmpty())
        return board;
    return processorModel(contents(base.filePath(QStringLiteral("proc/cpuinfo"))));
}

} // namespace tessaly::command_line
