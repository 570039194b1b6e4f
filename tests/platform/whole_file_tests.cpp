#include "platform/core/whole_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

QString writeNew(const QString& path) {
    return platform::writeWhole(
        QFile::encodeName(path),
        [](QIODevice& device) {
            device.write("new");
            return QString();
        },
        false);
}

// What stands at a name before the write, and what the name and the folder hold after it.
TEST(WholeFile, ReplacesOnlyWhatCanTakeTheFileAndLeavesNothingBehind) {
    struct Row {
        const char* what;
        const char* name;
        bool refusedBeforehand; // a missing folder is found only by the write
        bool succeeds;
        QByteArray after; // what reading the name gives afterwards
        QStringList folder;
    };
    const Row rows[] = {
        {"no name at all", "", true, false, "(none)", {"kept"}},
        {"a new file", "new", false, true, "new", {"kept", "new"}},
        {"a file", "kept", false, true, "new", {"kept"}},
        {"a link to a file, which stays a link", "link", false, true, "new", {"kept", "link"}},
        {"a name in a missing folder", "missing/new", false, false, "(none)", {"kept"}},
        {"a folder", "folder", true, false, "(none)", {"folder", "kept"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        QTemporaryDir dir;
        ASSERT_TRUE(dir.isValid());
        QFile kept(dir.filePath("kept"));
        ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
        kept.write("old");
        kept.close();
        const QString name = QString::fromLatin1(row.name);
        if (name == "link") {
            ASSERT_TRUE(QFile::link("kept", dir.filePath(name)));
        } else if (name == "folder") {
            ASSERT_TRUE(QDir(dir.path()).mkdir(name));
        }
        const QString path = name.isEmpty() ? QString() : dir.filePath(name);

        EXPECT_EQ(!platform::refusal(QFile::encodeName(path)).isEmpty(), row.refusedBeforehand);
        const QString problem = writeNew(path);
        EXPECT_EQ(problem.isEmpty(), row.succeeds) << problem.toStdString();
        EXPECT_EQ(contents(path), row.after);
        if (name == "link") {
            EXPECT_TRUE(QFileInfo(path).isSymLink());
            EXPECT_EQ(contents(kept.fileName()), "new");
        }
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
            row.folder);
    }
}

} // namespace
