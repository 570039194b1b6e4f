#include "tessaly/command_line/report.h"

#include <gtest/gtest.h>

namespace tessaly::command_line {
namespace {

TEST(ProcessorName, FromTheTextOfCpuinfo) {
    const std::pair<const char*, const char*> rows[] = {
        {"processor\t: 0\nmodel name\t: Some  CPU 9000\nflags\t: fpu\n", "Some CPU 9000"},
        {"model name\t:\nmodel name\t: Second CPU\n", "Second CPU"},
        {"processor\t: 0\nBogoMIPS\t: 50.00\n", "unknown"},
        {"model name\t:\n", "unknown"},
        {"", "unknown"},
        // arm64 kernels give the core's numbers, not a name.
        {"CPU implementer\t: 0x41\nCPU part\t: 0xd03\n", "Cortex-A53"},
        {"CPU implementer\t: 0x41\nCPU part\t: 0xd0b\n", "Cortex-A76"},
        {"CPU implementer\t: 0x41\nCPU part\t: 0xfff\n", "CPU implementer 0x41, part 0xfff"},
        {"CPU implementer\t: 0x51\nCPU part\t: 0xd08\n", "CPU implementer 0x51, part 0xd08"},
        {"CPU implementer\t: 0x41\n", "unknown"},
        {"model name\t: ARMv7 Processor rev 4 (v7l)\nCPU implementer\t: 0x41\nCPU part\t: 0xd03\n",
         "ARMv7 Processor rev 4 (v7l)"},
    };
    for (const auto& [cpuinfo, name] : rows)
        EXPECT_EQ(processorModel(cpuinfo), QString::fromLatin1(name)) << cpuinfo;
}

TEST(ProcessorName, FromAMachinesFiles) {
    const std::pair<const char*, const char*> rows[] = {
        {"pi4", "Raspberry Pi 4 Model B Rev 1.4"}, // the board's model, its NUL left out
        {"arm64_server", "Neoverse-N1"},           // no device tree: the core
        {"blank_board", "Cortex-A72"},             // a device tree with an empty model
        {"no_such_machine", "unknown"},
    };
    for (const auto& [machine, name] : rows)
        EXPECT_EQ(processorName(QStringLiteral(TESSALY_PROCESSOR_FIXTURES "/") +
                                QString::fromLatin1(machine)),
                  QString::fromLatin1(name))
            << machine;
}

} // namespace
} // namespace tessaly::command_line
