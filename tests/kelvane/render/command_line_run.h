#pragma once

#include "kelvane/render/render.h"

#include <gtest/gtest.h>

#include <QStringList>

#include <string>

namespace kelvane::testing {

// The command-line mode in this process, given its options as name, value, name, value: returns
// its status, with what it wrote to the standard error.
inline int runCommandLine(const QStringList& options, std::string& standardError) {
    platform::ProgramArguments arguments{QStringLiteral("kelvane"), {}};
    for (qsizetype i = 0; i + 1 < options.size(); i += 2)
        arguments.values.insert(options[i], options[i + 1]);
    ::testing::internal::CaptureStderr();
    const int status = command_line::commandLineMode(arguments);
    standardError = ::testing::internal::GetCapturedStderr();
    return status;
}

} // namespace kelvane::testing
