#include "kelvane/render/render.h"
#include "platform/core/random.h"
#include "platform/core/whole_file.h"
#include "tests/kelvane/kelvane_fixture.h"
#include "tests/kelvane/render/command_line_run.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cerrno>
#include <chrono>
#include <functional>

#include <sys/stat.h>
#include <unistd.h>

namespace kelvane::testing {
namespace {

using command_line::Parameters;

class Render : public CommandLineRun {
  protected:
    // The picture the display window holds after one Simulate from a fresh program start.
    QImage windowPicture(const Parameters& parameters) {
        restart();
        control().Tnc->setText(parameters.factor);
        control().TRandom->setText(parameters.random ? "Yes" : "No");
        control().TDynamic->setText(parameters.dynamic ? "Yes" : "No");
        display().resize(parameters.size);
        simulate();
        EXPECT_TRUE(errors.empty());
        EXPECT_EQ(display().size(), parameters.size);
        return display().picture().copy(QRect(QPoint(0, 0), parameters.size));
    }

    static mode_t permissions(const QByteArray& file) {
        struct stat status {};
        return ::stat(file.constData(), &status) == 0 ? status.st_mode & 07777 : 0;
    }

    // The first words of a refusal to write a file.
    std::string pictureTo(const QString& name) const {
        return "cannot write the picture to '" + path(name).toStdString() + "': ";
    }
    std::string frame(const QString& name) const {
        return "cannot write the frame '" + path(name).toStdString() + "': ";
    }
};

TEST_F(Render, ThePictureIsTheOneTheDisplayWindowHolds) {
    const Parameters rows[] = {
        {},
        {"2.5", false, true, {300, 200}},
        {"0.5", true, false, {410, 364}},
        {"1e6", true, true, {120, 500}},
        {"3", false, false, {640, 480}}, // larger than the window's design size
        {"1", true, true, {50, 21}},     // too low for a single step
    };
    for (const Parameters& row : rows) {
        SCOPED_TRACE(row.factor.toStdString() + " " + std::to_string(row.size.width()) + "x" +
                     std::to_string(row.size.height()));
        const QImage expected = windowPicture(row);
        const QImage picture = command_line::runAnimation(row);
        EXPECT_EQ(picture.size(), row.size);
        EXPECT_TRUE(picture == expected);
        EXPECT_EQ(platform::randomDraws(), row.dynamic ? 151u : 302u); // a fresh sequence
    }
}

// Each step is seen once its pause is over on the run's own clock, which takes no time for it.
TEST_F(Render, EveryStepIsSeenAtTheEndOfItsPauseOnTheRunsClock) {
    using namespace std::chrono_literals;
    Parameters parameters;
    parameters.size = {100, 30}; // five steps
    std::vector<platform::Clock::Duration> seen;
    QImage lastSeen;
    const QImage picture = command_line::runAnimation(
        parameters, [&](const QImage& step, platform::Clock::Duration at) {
            seen.push_back(at);
            lastSeen = step.copy();
        });
    EXPECT_EQ(seen, (std::vector<platform::Clock::Duration>{300ms, 600ms, 900ms, 1200ms, 1500ms}));
    EXPECT_TRUE(lastSeen == picture);
}

TEST_F(Render, BadParametersGiveOneLineAndLeaveNoFile) {
    ASSERT_TRUE(QDir(folder.path()).mkdir("old"));
    QFile stale(path("old/frame-9.png"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    const QString picture = path("p.png");
    const std::string positive = "--factor: the expansion factor must be a number greater than 0, ";
    const std::string pixels = "--size: the width and the height must be at least 1 pixel, ";
    const std::string form =
        "--size: give the width and height in pixels as WIDTHxHEIGHT, as in 410x364, not ";
    const std::string side = "--size: a window's side can be at most 16777215 pixels, ";
    const struct {
        QStringList options;
        int status;
        std::string message; // the first line, after "kelvane: "
    } rows[] = {
        {{"factor", "0"}, 2, positive + "not '0'."},
        {{"factor", "-2"}, 2, positive + "not '-2'."},
        {{"factor", "abc"}, 2, "--factor: 'abc' is not a number."},
        {{"factor", "\u0663"}, 2, "--factor: '\u0663' is not a number."}, // an Arabic-Indic 3
        {{"factor", ""}, 2, "--factor: '' is not a number."},
        {{"factor", "1e999"}, 2, "--factor: '1e999' is too large to read as a number."},
        {{"random", "maybe"}, 2, "--random: give yes or no, not 'maybe'."},
        {{"dynamic", "1"}, 2, "--dynamic: give yes or no, not '1'."},
        {{"size", "0x364"}, 2, pixels + "not '0x364'."},
        {{"size", "410x0"}, 2, pixels + "not '410x0'."},
        {{"size", "-1x5"}, 2, form + "'-1x5'."},
        {{"size", "\u0663x3"}, 2, form + "'\u0663x3'."},
        {{"size", "410"}, 2, form + "'410'."},
        {{"size", "410x364\n"}, 2, form + "'410x364\\n'."},
        {{"size", "2x99999999999999999999"}, 2, side + "not '2x99999999999999999999'."},
        {{"size", "16777216x2"}, 2, side + "not '16777216x2'."},
        {{"size", "1000001x1"},
         1,
         "a PNG picture's side can be at most 1000000 pixels, not 1000001 \u00d7 1: give a "
         "smaller --size."},
        {{"size", "16777215x16777215"},
         1,
         "there is not enough memory for a picture of 16777215 \u00d7 16777215 pixels: give a "
         "smaller --size."},
        // Step 1 draws, step 2 overflows: the frame of step 1 goes again, with its folder.
        {{"factor", "1e308", "frames", path("new")},
         1,
         "The expansion factor you typed, \"1e308\", is too large: the distances of the animation "
         "grew past the largest number the computer can hold. Type a factor below 1e300."},
        {{"render", path("missing/p.png")},
         1,
         pictureTo("missing/p.png") + "No such file or directory"},
        {{"render", folder.path()},
         1,
         "cannot write the picture to '" + folder.path().toStdString() +
             "': Filename refers to a directory"},
        {{"frames", path("old")},
         1,
         "the folder '" + path("old").toStdString() +
             "' holds frames of another run (frame-9.png): remove them or choose another folder."},
        {{"frames", path("old/frame-9.png/f")},
         1,
         "cannot make the folder '" + path("old/frame-9.png/f").toStdString() +
             "' for the frames: Not a directory"},
        {{"render", ""}, 2, "--render: give the name of the file to write to."},
        {{"render", path("a"), "animation", path("a")},
         2,
         "--render and --animation name the same file, '" + path("a").toStdString() +
             "': give each its own."},
        {{"factor", "2"},
         2,
         "say where the pictures go: give --render FILE, --frames FOLDER, --animation FILE.gif or "
         "more than one."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options.join(' ').toStdString());
        QStringList options = row.options;
        if (!options.contains("render") && !row.message.starts_with("say where"))
            options << "render" << picture;
        std::string standardError;
        EXPECT_EQ(run(options, standardError), row.status);
        EXPECT_EQ(standardError.substr(0, standardError.find('\n')), "kelvane: " + row.message);
        EXPECT_EQ(files(), QStringList({"old"}));
        EXPECT_EQ(QDir(path("old")).entryList(QDir::Files), QStringList({"frame-9.png"}));
    }
}

// A name that is not a file is left as it is, and nothing is written anywhere.
TEST_F(Render, WhatIsNotAFileIsRefusedBeforeAnythingIsWritten) {
    ASSERT_TRUE(QDir(folder.path()).mkdir("fr"));
    const std::string pipe = "Filename refers to a pipe, not a file";
    const struct {
        std::function<bool()> make; // true once made
        QStringList options;
        std::string message; // after "kelvane: "
    } rows[] = {
        {[&] { return ::mkfifo(bytes("f.png"), 0644) == 0; },
         {"render", path("f.png")},
         pictureTo("f.png") + pipe},
        {[&] { return ::symlink("f.png", bytes("to-fifo.png")) == 0; },
         {"render", path("to-fifo.png")},
         pictureTo("to-fifo.png") + pipe},
        {[&] { return ::symlink("nowhere.png", bytes("dangling.png")) == 0; },
         {"render", path("dangling.png")},
         pictureTo("dangling.png") + "Filename refers to a link that leads nowhere"},
        {[&] { return ::mkfifo(bytes("fr/frame-07.png"), 0644) == 0; },
         {"frames", path("fr"), "render", path("p.png")},
         frame("fr/frame-07.png") + pipe},
        {[&] {
             return ::unlink(bytes("fr/frame-07.png")) == 0 &&
                    ::mkdir(bytes("fr/frame-12.png"), 0755) == 0;
         },
         {"frames", path("fr")},
         frame("fr/frame-12.png") + "Filename refers to a directory"},
        {[&] {
             return ::rmdir(bytes("fr/frame-12.png")) == 0 &&
                    ::symlink("gone.png", bytes("fr/frame-999.png")) == 0;
         },
         {"frames", path("fr")},
         "the folder '" + path("fr").toStdString() +
             "' holds frames of another run (frame-999.png): remove them or choose another "
             "folder."},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.options.join(' ').toStdString());
        ASSERT_TRUE(row.make());
        const QStringList before = files();
        const QStringList framesBefore =
            QDir(path("fr")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        std::string standardError;
        EXPECT_EQ(run(row.options + QStringList{"size", "100x60"}, standardError), 1);
        EXPECT_EQ(standardError, "kelvane: " + row.message + "\n");
        EXPECT_EQ(files(), before);
        EXPECT_EQ(
            QDir(path("fr")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot),
            framesBefore);
    }
    struct stat status {};
    ASSERT_EQ(::lstat(bytes("f.png"), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

// Every call of the writer that can fail does so in turn: the run ends with the reason, and
// leaves what was there before, with no frame and no temporary file.
TEST_F(Render, AWriteThatFailsLeavesWhatWasThere) {
    using platform::SystemCall;
    QFile old(path("old.png"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("an older picture");
    old.close();
    const QStringList newFile{"render", path("p.png")}, oldFile{"render", path("old.png")};
    const QStringList frames{"frames", path("fr")};
    const std::string toNew = pictureTo("p.png"), toOld = pictureTo("old.png");
    const std::string noSpace = "No space left on device", ioError = "Input/output error";
    const struct {
        SystemCall call;
        int count, error;
        QStringList options;
        std::string message; // after "kelvane: "
    } rows[] = {
        {SystemCall::Open, 1, EACCES, newFile, toNew + "Permission denied"},
        {SystemCall::Write, 1, ENOSPC, newFile, toNew + noSpace},
        {SystemCall::Write, 4, EIO, oldFile, toOld + ioError},
        {SystemCall::Sync, 1, EIO, newFile, toNew + ioError},
        {SystemCall::Close, 1, EDQUOT, oldFile, toOld + "Disk quota exceeded"},
        {SystemCall::Rename, 1, EXDEV, oldFile, toOld + "Invalid cross-device link"},
        {SystemCall::Open, 5, ENOSPC, frames, frame("fr/frame-05.png") + noSpace},
        {SystemCall::Write, 2, ENOSPC, frames, frame("fr/frame-01.png") + noSpace},
        {SystemCall::Close, 20, EIO, frames, frame("fr/frame-20.png") + ioError},
        {SystemCall::Rename, 3, EROFS, frames, frame("fr/frame-03.png") + "Read-only file system"},
        // The final picture fails after every frame was written: the frames go too.
        {SystemCall::Sync, 1, ENOSPC, frames + newFile, toNew + noSpace},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.message);
        platform::failSystemCall(row.call, row.count, row.error);
        std::string standardError;
        const int status = run(row.options + QStringList{"size", "100x60"}, standardError);
        platform::failNoSystemCall();
        EXPECT_EQ(status, 1);
        EXPECT_EQ(standardError, "kelvane: " + row.message + "\n");
        EXPECT_EQ(files(), QStringList({"old.png"}));
        EXPECT_EQ(contents("old.png"), "an older picture");
    }
    // And without a failure the same runs write.
    std::string standardError;
    EXPECT_EQ(
        run({"render", path("old.png"), "frames", path("fr"), "size", "100x60"}, standardError), 0)
        << standardError;
    EXPECT_TRUE(QImage(path("old.png")) == QImage(path("fr/frame-20.png")));
}

TEST_F(Render, FilesAreMadeAsTheUmaskSays) {
    QFile kept(path("kept.png"));
    ASSERT_TRUE(kept.open(QIODevice::WriteOnly));
    kept.close();
    ASSERT_EQ(::chmod(bytes("kept.png"), 0604), 0);
    const mode_t before = ::umask(022);
    for (const auto& [umask, made] : {std::pair{022, 0644}, {027, 0640}, {077, 0600}}) {
        SCOPED_TRACE(umask);
        ::umask(umask);
        QDir(path("fr")).removeRecursively();
        std::string standardError;
        ASSERT_EQ(
            run({"render", path("p.png"), "frames", path("fr"), "size", "100x24"}, standardError),
            0)
            << standardError;
        ::unlink(bytes("p.png")); // made anew at the next row
        for (const char* frame : {"fr/frame-1.png", "fr/frame-2.png"})
            EXPECT_EQ(permissions(bytes(frame)), mode_t(made)) << frame;
        // A file replaced keeps its permissions.
        ASSERT_EQ(run({"render", path("kept.png"), "size", "100x24"}, standardError), 0);
        EXPECT_EQ(permissions(bytes("kept.png")), mode_t(0604));
    }
    ::umask(before);
}

TEST_F(Render, PictureNamesAreTheBytesGiven) {
    const struct {
        std::vector<QByteArray> arguments;
        QByteArray picture, frames;
    } rows[] = {
        {{"kelvane", "--render", "caf\xe9.png"}, "caf\xe9.png", ""},
        {{"kelvane", "--render=caf\xe9.png", "--frames", "d\xe9r"}, "caf\xe9.png", "d\xe9r"},
        {{"kelvane", "--size", "10x30", "--frames=\xff\xfe/x"}, "", "\xff\xfe/x"},
        {{"kelvane", "-platform", "xcb", "--render", "caf\xc3\xa9.png"}, "caf\xc3\xa9.png", ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.picture.toStdString());
        QList<QByteArray> arguments(row.arguments.begin(), row.arguments.end());
        command_line::Parameters parameters;
        command_line::useArgumentBytes(parameters, arguments);
        EXPECT_EQ(parameters.pictureName, row.picture);
        EXPECT_EQ(parameters.framesName, row.frames);
    }
    // The program writes the file of that name: files_test.sh.
}

// The note a long run begins with: what it writes, and how long that takes.
QString takes(const QString& pictures, const QString& size, const QString& time) {
    return "writing " + pictures + " of " + size + " pixels takes about " + time +
           "; Ctrl+C stops the run and keeps nothing of it.";
}

TEST(RenderTime, ARunOfMinutesSaysSoBeforeItStarts) {
    const struct {
        QSize size;
        bool frames, picture;
        double secondsPerPixel;
        QString note;
    } rows[] = {
        {{410, 364}, true, true, 1e-6, ""}, // 172 pictures in 26 seconds
        {{20000, 5000}, false, true, 1.7e-6, ""},
        {{20000, 5000}, false, true, 1.9e-6, takes("a picture", "20000 \u00d7 5000", "4 min")},
        {{3000, 3000}, true, false, 5.5e-8, takes("1490 pictures", "3000 \u00d7 3000", "13 min")},
        {{3000, 3000}, true, true, 5e-7, takes("1491 pictures", "3000 \u00d7 3000", "1 h 52 min")},
        {{20000, 20000}, true, false, 2e-7, takes("9990 pictures", "20000 \u00d7 20000", "9 days")},
    };
    for (const auto& row : rows) {
        command_line::Parameters parameters;
        parameters.size = row.size;
        parameters.framesName = row.frames ? "fr" : "";
        parameters.pictureName = row.picture ? "p.png" : "";
        EXPECT_EQ(command_line::longRunNote(parameters, row.secondsPerPixel), row.note)
            << row.size.width() << " " << row.secondsPerPixel;
    }
}

} // namespace
} // namespace kelvane::testing
