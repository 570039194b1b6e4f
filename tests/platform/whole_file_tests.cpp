#include "platform/core/whole_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

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
        bool succeeds;
        QByteArray after; // what reading the name gives afterwards
        QStringList folder;
    };
    const Row rows[] = {
        {"no name at all", "", false, "(none)", {"kept"}},
        {"a new file", "new", true, "new", {"kept", "new"}},
        {"a file", "kept", true, "new", {"kept"}},
        {"a link to a file, which stays a link", "link", true, "new", {"kept", "link"}},
        {"a name in a missing folder", "missing/new", false, "(none)", {"kept"}},
        {"a folder", "folder", false, "(none)", {"folder", "kept"}},
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

        const QString problem = writeNew(path);
        EXPECT_EQ(problem.isEmpty(), row.succeeds) << problem.toStdString();
        EXPECT_EQ(platform::refusal(QFile::encodeName(path)).isEmpty(),
                  row.succeeds || name == "missing/new");
        if (!name.isEmpty()) {
            EXPECT_EQ(contents(path), row.after);
        }
        if (name == "link") {
            EXPECT_TRUE(QFileInfo(path).isSymLink());
            EXPECT_EQ(contents(kept.fileName()), "new");
        }
        EXPECT_EQ(
            QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System),
            row.folder);
    }
}

TEST(WholeFile, AReplacedFileKeepsItsPermissions) {
    QTemporaryDir dir;
    const QString path = dir.filePath("picture");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0640), 0);
    ASSERT_EQ(writeNew(path), QString());
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(path).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0640u);
}

} // namespace
