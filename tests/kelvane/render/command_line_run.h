#pragma once

#include "kelvane/render/render.h"
#include "tests/kelvane/kelvane_fixture.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>

#include <string>

namespace kelvane::testing {

// The command-line mode in this process, writing into a folder of the test's own.
class CommandLineRun : public KelvaneTest {
  protected:
    // The mode given its options as name, value, name, value: its status, with what it wrote to
    // the standard error.
    int run(const QStringList& options, std::string& standardError) {
        platform::ProgramArguments arguments{QStringLiteral("kelvane"), {}};
        for (qsizetype i = 0; i + 1 < options.size(); i += 2)
            arguments.values.insert(options[i], options[i + 1]);
        ::testing::internal::CaptureStderr();
        const int status = command_line::commandLineMode(arguments);
        standardError = ::testing::internal::GetCapturedStderr();
        return status;
    }

    // What the folder holds, hidden names too.
    QStringList files() const {
        return QDir(folder.path())
            .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    QString path(const QString& name) const { return folder.filePath(name); }
    QByteArray bytes(const QString& name) const { return QFile::encodeName(path(name)); }
    QByteArray contents(const QString& name) const {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir folder;
};

} // namespace kelvane::testing
