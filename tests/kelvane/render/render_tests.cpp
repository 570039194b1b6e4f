#include "kelvane_fixture.h"
#include "random.h"
#include "render.h"

#include <QDir>
#include <QTemporaryDir>

namespace kelvane::testing {
namespace {

using render::Parameters;

class Render : public KelvaneTest {
  protected:
    // The picture the display window holds after one Simulate from a fresh program start.
    QImage windowPicture(const Parameters& parameters) {
        TearDown();
        SetUp();
        control().Tnc->setText(parameters.factor);
        control().TRandom->setText(parameters.random ? "Yes" : "No");
        control().TDynamic->setText(parameters.dynamic ? "Yes" : "No");
        display().resize(parameters.size);
        simulate();
        EXPECT_TRUE(errors.empty());
        EXPECT_EQ(display().size(), parameters.size);
        return display().picture().copy(QRect(QPoint(0, 0), parameters.size));
    }

    // The command-line mode in this process, with what it writes to the standard error.
    int run(const QStringList& options, std::string& standardError) {
        platform::ProgramArguments arguments{QStringLiteral("kelvane"), {}};
        for (qsizetype i = 0; i + 1 < options.size(); i += 2)
            arguments.values.insert(options[i], options[i + 1]);
        ::testing::internal::CaptureStderr();
        const int status = render::commandLineMode(arguments);
        standardError = ::testing::internal::GetCapturedStderr();
        return status;
    }

    QStringList files() const {
        return QDir(folder.path())
            .entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden);
    }
    QString path(const QString& name) const { return folder.filePath(name); }

    QTemporaryDir folder;
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
        const QImage picture = render::runAnimation(row);
        EXPECT_EQ(picture.size(), row.size);
        EXPECT_TRUE(picture == expected);
        EXPECT_EQ(platform::randomDraws(), row.dynamic ? 151u : 302u); // a fresh sequence
    }
}

TEST_F(Render, FramesAreEveryStepAndTheLastIsThePicture) {
    const struct {
        QString size;
        int count;
        QString first, last;
    } rows[] = {
        {"100x60", 20, "frame-01.png", "frame-20.png"},
        {"100x24", 2, "frame-1.png", "frame-2.png"},
        {"60x240", 110, "frame-001.png", "frame-110.png"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.size.toStdString());
        const QString frames = path("frames-" + row.size);
        std::string standardError;
        ASSERT_EQ(
            run({"frames", frames, "render", path("picture.png"), "size", row.size}, standardError),
            0)
            << standardError;
        EXPECT_EQ(standardError, "");
        const QStringList written = QDir(frames).entryList(QDir::Files, QDir::Name);
        ASSERT_EQ(written.size(), row.count);
        EXPECT_EQ(written.first(), row.first);
        EXPECT_EQ(written.last(), row.last);
        EXPECT_TRUE(QImage(QDir(frames).filePath(row.last)) == QImage(path("picture.png")));
        // The same run again replaces its own frames.
        EXPECT_EQ(run({"frames", frames, "size", row.size}, standardError), 0) << standardError;
    }
}

TEST_F(Render, BadParametersGiveOneLineAndLeaveNoFile) {
    ASSERT_TRUE(QDir(folder.path()).mkdir("old"));
    QFile stale(path("old/frame-9.png"));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.close();
    const QString picture = path("p.png");
    const struct {
        QStringList options;
        int status;
        std::string message; // the first line, after "kelvane: "
    } rows[] = {
        {{"factor", "0"},
         2,
         "--factor: the expansion factor must be a number greater than 0, not '0'."},
        {{"factor", "-2"},
         2,
         "--factor: the expansion factor must be a number greater than 0, not '-2'."},
        {{"factor", "abc"}, 2, "--factor: 'abc' is not a number."},
        {{"factor", "\u0663"}, 2, "--factor: '\u0663' is not a number."}, // an Arabic-Indic 3
        {{"factor", "2x"}, 2, "--factor: '2x' is not a number."},
        {{"factor", ""}, 2, "--factor: '' is not a number."},
        {{"factor", "1e999"}, 2, "--factor: '1e999' is too large to read as a number."},
        {{"random", "maybe"}, 2, "--random: give yes or no, not 'maybe'."},
        {{"dynamic", "1"}, 2, "--dynamic: give yes or no, not '1'."},
        {{"size", "0x364"},
         2,
         "--size: the width and the height must be at least 1 pixel, not '0x364'."},
        {{"size", "410x0"},
         2,
         "--size: the width and the height must be at least 1 pixel, not '410x0'."},
        {{"size", "-1x5"},
         2,
         "--size: give the width and height in pixels as WIDTHxHEIGHT, as in 410x364, not '-1x5'."},
        {{"size", "\u0663x3"},
         2,
         "--size: give the width and height in pixels as WIDTHxHEIGHT, as in 410x364, not "
         "'\u0663x3'."},
        {{"size", "410"},
         2,
         "--size: give the width and height in pixels as WIDTHxHEIGHT, as in 410x364, not '410'."},
        {{"size", "2x99999999999999999999"},
         2,
         "--size: a window's side can be at most 16777215 pixels, not '2x99999999999999999999'."},
        {{"size", "16777216x2"},
         2,
         "--size: a window's side can be at most 16777215 pixels, not '16777216x2'."},
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
         "cannot write the picture to '" + path("missing/p.png").toStdString() +
             "': No such file or directory"},
        {{"render", folder.path()},
         1,
         "cannot write the picture to '" + folder.path().toStdString() +
             "': Filename refers to a directory"},
        {{"frames", path("old")},
         1,
         "the folder '" + path("old").toStdString() +
             "' holds frames of another run (frame-9.png): remove them or choose another folder."},
        {{"render", ""}, 2, "--render: give the name of the file to write to."},
        {{"factor", "2"},
         2,
         "say where the pictures go: give --render FILE, --frames FOLDER or both."},
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

} // namespace
} // namespace kelvane::testing
