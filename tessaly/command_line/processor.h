#pragma once

#include <QByteArray>
#include <QString>

namespace tessaly::command_line {

// The processor's name in the text of /proc/cpuinfo: its model name where the kernel gives one
// (x86), else the name of the core its implementer and part numbers stand for (arm64), else
// "unknown".
QString processorModel(const QByteArray& cpuinfo);

// What a person comparing machines knows this one's processor by: the board's model from the
// device tree (a single-board computer says which board it is), else processorModel of
// /proc/cpuinfo. The files are read under root, which tests point at a fixture.
QString processorName(const QString& root = QStringLiteral("/"));

} // namespace tessaly::command_line
