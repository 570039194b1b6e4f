#include "tessaly/command_line/export.h"
#include "tessaly/command_line/plot.h"
#include "tessaly/command_line/scan.h"

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace tessaly::command_line {
namespace {

const double phi = std::numbers::phi;

std::vector<double> indicesFrom(int first, int last) {
    std::vector<double> indices;
    for (int index = first; index <= last; ++index)
        indices.push_back(index);
    return indices;
}

TEST(Scan, GrowthFit) {
    struct Row {
        const char* what;
        std::vector<double> indices;
        std::vector<double> seconds;
        double perStep;
        std::optional<double> error; // none: no error can be given
        double tolerance;
    };
    std::vector<double> golden;
    std::vector<double> constant;
    for (int index = 20; index <= 34; ++index) {
        golden.push_back(3e-9 * std::pow(phi, index));
        constant.push_back(0.25);
    }
    const Row rows[] = {
        {"a golden series", indicesFrom(20, 34), golden, phi, 0, 1e-9},
        {"a constant series", indicesFrom(20, 34), constant, 1, 0, 1e-12},
        // log seconds 0, 1, 0: a flat line a third up, residuals a third and two thirds, and a
        // slope whose standard error is the root of a third.
        {"a bent series", {0, 1, 2}, {1, std::exp(1.0), 1}, 1, std::sqrt(1.0 / 3), 1e-12},
        {"two points", {5, 6}, {1, 3}, 3, std::nullopt, 1e-12},
        {"a point of no time left out", {4, 5, 6, 7}, {0, 2, 4, 8}, 2, 0, 1e-12},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const std::optional<Growth> growth = fitGrowth(row.indices, row.seconds);
        ASSERT_TRUE(growth);
        EXPECT_NEAR(growth->perStep(), row.perStep, row.tolerance);
        ASSERT_EQ(growth->perStepError().has_value(), row.error.has_value());
        if (row.error) {
            EXPECT_NEAR(*growth->perStepError(), *row.error, row.tolerance);
        }
        EXPECT_NEAR(growth->secondsAt(row.indices.back()) / row.seconds.back(), 1, 0.5);
    }
    EXPECT_FALSE(fitGrowth({20}, {1}));
    EXPECT_FALSE(fitGrowth({20, 21}, {1, 0}));
    EXPECT_FALSE(fitGrowth({20, 20, 20}, {1, 2, 3}));
}

Outcome row(int index, std::uint64_t calls, std::int64_t result, std::vector<double> seconds) {
    return {.index = double(index),
            .indexText = QString::number(index),
            .cycles = std::int64_t(seconds.size()),
            .callsPerCycle = calls,
            .seconds = std::move(seconds),
            .result = result};
}

TEST(Scan, CsvAndMarkdownShapes) {
    const Outcome run = row(4, 4, 3, {2e-6, 1e-6});
    const std::vector<Outcome> scan = {row(1, 0, 1, {0.5, 0.5}), row(2, 1, 1, {0.25, 0.75})};
    struct Shape {
        const char* what;
        QByteArray text;
        QByteArray expected;
    };
    const Shape shapes[] = {
        {"a run as CSV", cyclesCsv(run),
         "index,cycle,seconds,ns_per_call\r\n4,1,2e-06,500\r\n4,2,1e-06,250\r\n"},
        {"a run as Markdown", cyclesMarkdown(run),
         "| index | cycle | seconds | ns per call |\n| ---: | ---: | ---: | ---: |\n"
         "| 4 | 1 | 2e-06 | 500 |\n| 4 | 2 | 1e-06 | 250 |\n"},
        {"a scan as CSV", scanCsv(scan),
         "index,result,counted_calls,cycles,mean_seconds,sd_seconds,min_seconds,max_seconds,"
         "ns_per_call\r\n1,1,0,2,0.5,0,0.5,0.5,\r\n"
         "2,1,1,2,0.5,0.3535533905932738,0.25,0.75,5e+08\r\n"},
        {"a scan as Markdown", scanMarkdown(scan),
         "| index | result | counted calls | seconds, mean \xc2\xb1 sd | min seconds | max "
         "seconds | ns per call |\n| ---: | ---: | ---: | ---: | ---: | ---: | ---: |\n"
         "| 1 | 1 | 0 | 0.5 \xc2\xb1 0 | 0.5 | 0.5 | - |\n"
         "| 2 | 1 | 1 | 0.5 \xc2\xb1 0.353553 | 0.25 | 0.75 | 5e+08 |\n"},
        {"no cycle done", cyclesCsv(row(4, 4, 3, {})), "index,cycle,seconds,ns_per_call\r\n"},
    };
    for (const Shape& shape : shapes)
        EXPECT_EQ(shape.text.toStdString(), shape.expected.toStdString()) << shape.what;
}

TEST(Scan, SummaryOfTheRows) {
    const IndexRange range{20, 23};
    // Seconds in proportion to the calls: the cost per call holds, and the growth is theirs.
    const std::vector<Outcome> steady = {row(20, 10945, 6765, {10945e-9}),
                                         row(21, 17710, 10946, {17710e-9}),
                                         row(22, 28656, 17711, {28656e-9})};
    std::vector<Outcome> bumped = steady;
    bumped[1].seconds = {17710e-9 * 1.5};
    struct Case {
        const char* what;
        std::vector<Outcome> rows;
        bool cancelled;
        std::vector<QString> said;
    };
    const Case cases[] = {
        {"steady",
         steady,
         false,
         {QStringLiteral("growth per index step: 1.6181 \u00b1 0.0000 (least squares of log "
                         "seconds over 3 indices); the golden ratio: 1.6180\n"),
          QStringLiteral("median 1 ns: steady, every index within 10% of the median\n")}},
        {"a dear index",
         bumped,
         false,
         {QStringLiteral("not steady, index 21 is 50% above the median")}},
        {"cancelled after two",
         {steady[0], steady[1]},
         true,
         {QStringLiteral("cancelled after 2 of 4 indices\n"),
          QStringLiteral("over 2 indices, two points give no error)")}},
        {"cancelled after one",
         {steady[0]},
         true,
         {QStringLiteral("growth per index step: no fit, the seconds of two indices")}},
        {"cancelled before any", {}, true, {QStringLiteral("no index finished: no fit\n")}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const QString text = scanSummary(range, c.rows, c.cancelled);
        for (const QString& part : c.said)
            EXPECT_TRUE(text.contains(part)) << text.toStdString();
        EXPECT_EQ(text.startsWith(QStringLiteral("cancelled")), c.cancelled);
    }
    // The columns keep their places, whatever the numbers' lengths.
    const QString header = scanHeader(range);
    const QString line = scanRow(range, steady[0]);
    EXPECT_EQ(line.indexOf(QStringLiteral("10945")) + 5,
              header.indexOf(QStringLiteral("counted calls")) + 13);
    EXPECT_EQ(line.indexOf(QStringLiteral("1.0945e-05")),
              header.indexOf(QStringLiteral("seconds")));
}

// Pixels of the points' blue below the legend: where the series lies.
int pointPixels(const QImage& image) {
    int count = 0;
    for (int y = 130; y < 420; ++y)
        for (int x = 100; x < 770; ++x) {
            const QColor c = image.pixelColor(x, y);
            count += c.blue() > 150 && c.red() < 100;
        }
    return count;
}

TEST(Scan, PlotFiles) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    std::vector<Outcome> rows;
    for (int index = 20; index <= 30; ++index)
        rows.push_back(row(index, 1, 1, {1e-6 * std::pow(phi, index - 20), 2e-6}));
    const std::optional<Growth> growth = scanGrowth(rows);
    const Outcome run = row(30, 1, 1, {0.3, 0.5, 0.4, 0.45});
    struct Plot {
        const char* name;
        std::function<void(QPainter&)> draw;
    };
    const Plot plots[] = {
        {"scan.svg", [&](QPainter& painter) { drawScanPlot(painter, rows, growth); }},
        {"scan.PNG", [&](QPainter& painter) { drawScanPlot(painter, rows, growth); }},
        {"cycles.png", [&](QPainter& painter) { drawCyclesPlot(painter, run); }},
        {"cycles.svg", [&](QPainter& painter) { drawCyclesPlot(painter, run); }},
        {"empty.png", [](QPainter& painter) { painter.fillRect(0, 0, 800, 500, Qt::white); }},
    };
    for (const Plot& plot : plots) {
        SCOPED_TRACE(plot.name);
        const QString path = folder.filePath(QString::fromLatin1(plot.name));
        const std::optional<PlotFormat> format = plotFormat(path);
        ASSERT_TRUE(format);
        ASSERT_EQ(writePlot(QFile::encodeName(path), *format, plot.draw), QString());
        QImage image;
        if (*format == PlotFormat::Svg) {
            QSvgRenderer svg(path);
            ASSERT_TRUE(svg.isValid());
            // Its size is given in millimetres, the plot's pixels at 96 to the inch.
            EXPECT_EQ(svg.viewBox(), QRect(QPoint(0, 0), plotSize));
            image = QImage(plotSize, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            svg.render(&painter);
        } else {
            ASSERT_TRUE(image.load(path, "PNG"));
            EXPECT_EQ(image.size(), plotSize);
        }
        if (QByteArray(plot.name).startsWith("empty"))
            EXPECT_EQ(pointPixels(image), 0);
        else
            EXPECT_GT(pointPixels(image), 60);
    }
    EXPECT_FALSE(plotFormat(QStringLiteral("scan.jpg")));
    EXPECT_NE(writePlot(QFile::encodeName(folder.filePath(QStringLiteral("none/a.png"))),
                        PlotFormat::Png, plots[0].draw),
              QString());
}

} // namespace
} // namespace tessaly::command_line
