#include "tessaly/command_line/plot.h"

#include "platform/core/whole_file.h"

#include <QImage>
#include <QImageWriter>
#include <QSvgGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>

namespace tessaly::command_line {
namespace {

// Beyond this many cycles a dot each would blot the plot out.
constexpr std::size_t mostDots = 400;

// The plot's own area; the margins hold the title, the tick labels and the axes' names.
constexpr QRectF area{92, 56, 678, 364};

const QColor ink(0x20, 0x20, 0x20);
const QColor gridColour(0xdc, 0xdc, 0xdc);
const QColor pointColour(0x1f, 0x5f, 0xaf);
const QColor fitColour(0xd0, 0x5a, 0x10);
const QColor meanColour(0x2a, 0x8a, 0x3a);

// Where a value falls along an axis, as a fraction from its low end.
struct Axis {
    double low = 0;
    double high = 1;
    bool logarithmic = false;

    double fraction(double value) const {
        if (logarithmic)
            return std::log10(value / low) / std::log10(high / low);
        return (value - low) / (high - low);
    }
    bool holds(double value) const { return value >= low && value <= high; }
};

double xAt(const Axis& axis, double value) {
    return area.left() + axis.fraction(value) * area.width();
}

double yAt(const Axis& axis, double value) {
    return area.bottom() - axis.fraction(value) * area.height();
}

// Seconds in the unit that reads best: "20 µs", "1.5 ms", "2 s".
QString secondsLabel(double seconds, double unitOf) {
    if (seconds == 0)
        return QStringLiteral("0");
    struct Unit {
        double size;
        const char16_t* name;
    };
    static constexpr Unit units[] = {{1, u"s"}, {1e-3, u"ms"}, {1e-6, u"\u00b5s"}, {1e-9, u"ns"}};
    for (const Unit& unit : units)
        if (unitOf >= unit.size * 0.9999 || unit.size == 1e-9)
            return QString::number(seconds / unit.size, 'g', 3) + QLatin1Char(' ') +
                   QString::fromUtf16(unit.name);
    return {};
}

// 1, 2 or 5 times a power of ten, the least that divides the span into at most that many steps.
double niceStep(double span, int steps) {
    const double rough = span / steps;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (const double multiple : {1.0, 2.0, 5.0})
        if (multiple * power >= rough)
            return multiple * power;
    return 10 * power;
}

void setFont(QPainter& painter, int pixels, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    painter.setFont(font);
}

void drawFrame(QPainter& painter, const QString& title, const QString& xName,
               const QString& yName) {
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(QRectF(QPointF(0, 0), QSizeF(plotSize)), Qt::white);
    painter.setPen(ink);
    setFont(painter, 16, true);
    painter.drawText(QRectF(0, 10, plotSize.width(), 30), Qt::AlignCenter, title);
    setFont(painter, 13);
    painter.drawText(QRectF(area.left(), plotSize.height() - 48, area.width(), 24), Qt::AlignCenter,
                     xName);
    painter.save();
    painter.translate(18, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRectF(-area.height() / 2, -10, area.height(), 22), Qt::AlignCenter, yName);
    painter.restore();
}

void drawBorder(QPainter& painter) {
    painter.setPen(QPen(ink, 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(area);
}

void drawXTick(QPainter& painter, const Axis& axis, double value) {
    const double x = xAt(axis, value);
    painter.setPen(QPen(gridColour, 1));
    painter.drawLine(QPointF(x, area.top()), QPointF(x, area.bottom()));
    painter.setPen(ink);
    painter.drawLine(QPointF(x, area.bottom()), QPointF(x, area.bottom() + 5));
    setFont(painter, 12);
    painter.drawText(QRectF(x - 30, area.bottom() + 7, 60, 18), Qt::AlignHCenter | Qt::AlignTop,
                     QString::number(value));
}

void drawYTick(QPainter& painter, const Axis& axis, double value, const QString& label) {
    const double y = yAt(axis, value);
    painter.setPen(QPen(gridColour, 1));
    painter.drawLine(QPointF(area.left(), y), QPointF(area.right(), y));
    painter.setPen(ink);
    painter.drawLine(QPointF(area.left() - 5, y), QPointF(area.left(), y));
    setFont(painter, 12);
    painter.drawText(QRectF(area.left() - 88, y - 9, 80, 18), Qt::AlignRight | Qt::AlignVCenter,
                     label);
}

// Whole ticks along the x axis, at most about fifteen of them.
void drawWholeTicks(QPainter& painter, const Axis& axis, double first, double last) {
    const double step = std::max(1.0, niceStep(last - first, 15));
    for (double value = std::ceil(first / step) * step; value <= last; value += step)
        drawXTick(painter, axis, value);
}

// The legend's lines, at the plot area's top left, where a rising series leaves room.
class Legend {
  public:
    explicit Legend(QPainter& painter) : painter_(painter) { setFont(painter_, 12); }

    // The sample is drawn in the 24 pixels before the text, centred on the line.
    void add(const QString& text, const std::function<void(QPointF)>& sample) {
        const QPointF centre(area.left() + 22, area.top() + 16 + 18 * lines_++);
        sample(centre);
        painter_.setPen(ink);
        painter_.drawText(QRectF(centre.x() + 16, centre.y() - 9, area.width() - 50, 18),
                          Qt::AlignLeft | Qt::AlignVCenter, text);
    }

  private:
    QPainter& painter_;
    int lines_ = 0;
};

void drawDot(QPainter& painter, QPointF centre, double radius, const QColor& colour) {
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawEllipse(centre, radius, radius);
}

// A vertical bar with short caps, from low to high.
void drawSpread(QPainter& painter, double x, double low, double high) {
    painter.setPen(QPen(pointColour, 1.5));
    painter.drawLine(QPointF(x, low), QPointF(x, high));
    painter.drawLine(QPointF(x - 4, low), QPointF(x + 4, low));
    painter.drawLine(QPointF(x - 4, high), QPointF(x + 4, high));
}

// Decades that hold every value, one more where they all fall in one.
Axis logarithmicAxis(const std::vector<double>& values) {
    double lowest = 0;
    double highest = 0;
    for (const double value : values)
        if (value > 0 && std::isfinite(value)) {
            lowest = lowest > 0 ? std::min(lowest, value) : value;
            highest = std::max(highest, value);
        }
    if (!(lowest > 0))
        return {1e-9, 1e-8, true};
    Axis axis{std::pow(10.0, std::floor(std::log10(lowest))),
              std::pow(10.0, std::ceil(std::log10(highest))), true};
    if (axis.high <= axis.low)
        axis.high = axis.low * 10;
    return axis;
}

void drawDecadeTicks(QPainter& painter, const Axis& axis) {
    const int decades = int(std::lround(std::log10(axis.high / axis.low)));
    // Over a few decades the 2 and 5 between them say where a point lies.
    const std::vector<double> multiples =
        decades <= 3 ? std::vector<double>{1, 2, 5} : std::vector<double>{1};
    for (int decade = 0; decade <= decades; ++decade)
        for (const double multiple : multiples) {
            const double value = axis.low * std::pow(10.0, decade) * multiple;
            if (value <= axis.high * 1.0001)
                drawYTick(painter, axis, value, secondsLabel(value, value));
        }
}

// Qt's notes on the desktop that the plot does without (no runtime folder, no session bus) are
// none of the user's business; its failures are.
void failuresOnly(QtMsgType type, const QMessageLogContext& context, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        std::fputs((qFormatLogMessage(type, context, text) + QLatin1Char('\n')).toLocal8Bit(),
                   stderr);
}

QString plural(std::size_t count, const QString& one, const QString& many) {
    return QStringLiteral("%1 %2").arg(count).arg(count == 1 ? one : many);
}

} // namespace

std::optional<PlotFormat> plotFormat(const QString& name) {
    if (name.endsWith(QStringLiteral(".svg"), Qt::CaseInsensitive))
        return PlotFormat::Svg;
    if (name.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive))
        return PlotFormat::Png;
    return std::nullopt;
}

void drawScanPlot(QPainter& painter, const std::vector<Outcome>& rows,
                  const std::optional<Growth>& growth) {
    if (rows.empty())
        return;
    const double first = rows.front().index;
    const double last = rows.back().index;
    const std::size_t cycles = rows.front().seconds.size();
    drawFrame(painter,
              QStringLiteral("Tessaly: seconds per cycle of indices %1 to %2, %3 each")
                  .arg(first)
                  .arg(last)
                  .arg(plural(cycles, QStringLiteral("cycle"), QStringLiteral("cycles"))),
              QStringLiteral("index"), QStringLiteral("seconds per cycle (logarithmic scale)"));

    std::vector<double> values;
    for (const Outcome& row : rows) {
        const Statistics s = *statistics(row.seconds);
        values.insert(values.end(), {s.min, s.max});
    }
    if (growth)
        values.insert(values.end(), {growth->secondsAt(first), growth->secondsAt(last)});
    const Axis x{first - 0.5, last + 0.5};
    const Axis y = logarithmicAxis(values);
    drawWholeTicks(painter, x, first, last);
    drawDecadeTicks(painter, y);
    drawBorder(painter);

    painter.save();
    painter.setClipRect(area);
    if (growth) {
        painter.setPen(QPen(fitColour, 2));
        painter.drawLine(QPointF(xAt(x, first), yAt(y, growth->secondsAt(first))),
                         QPointF(xAt(x, last), yAt(y, growth->secondsAt(last))));
    }
    for (const Outcome& row : rows) {
        const Statistics s = *statistics(row.seconds);
        const double at = xAt(x, row.index);
        const auto place = [&](double seconds) {
            return seconds > 0 ? yAt(y, seconds) : area.bottom() + 10;
        };
        if (row.seconds.size() > 1)
            drawSpread(painter, at, place(s.min), place(s.max));
        drawDot(painter, QPointF(at, place(s.mean)), 3.5, pointColour);
    }
    painter.restore();

    Legend legend(painter);
    legend.add(
        cycles > 1
            ? QStringLiteral("mean of %1 cycles, bar from the fastest to the slowest").arg(cycles)
            : QStringLiteral("seconds of the one cycle"),
        [&](QPointF at) {
            if (cycles > 1)
                drawSpread(painter, at.x(), at.y() + 7, at.y() - 7);
            drawDot(painter, at, 3.5, pointColour);
        });
    if (growth) {
        const std::optional<double> error = growth->perStepError();
        legend.add(QStringLiteral("least-squares fit: \u00d7 %1%2 per index step (golden ratio "
                                  "%3)")
                       .arg(QString::number(growth->perStep(), 'f', 4),
                            error ? QStringLiteral(" \u00b1 ") + QString::number(*error, 'f', 4)
                                  : QString(),
                            QString::number(std::numbers::phi, 'f', 4)),
                   [&](QPointF at) {
                       painter.setPen(QPen(fitColour, 2));
                       painter.drawLine(at - QPointF(10, -5), at + QPointF(10, -5));
                   });
    }
}

void drawCyclesPlot(QPainter& painter, const Outcome& outcome) {
    const std::vector<double>& seconds = outcome.seconds;
    if (seconds.empty())
        return;
    const Statistics s = *statistics(seconds);
    const auto count = double(seconds.size());
    drawFrame(painter,
              QStringLiteral("Tessaly: seconds of each cycle of index %1, %2")
                  .arg(outcome.indexText,
                       plural(seconds.size(), QStringLiteral("cycle"), QStringLiteral("cycles"))),
              QStringLiteral("cycle"), QStringLiteral("seconds"));

    const double top = s.max > 0 ? s.max * 1.05 : 1e-9;
    const double step = niceStep(top, 6);
    const Axis x{0.5, count + 0.5};
    const Axis y{0, std::ceil(top / step) * step};
    for (double value = 0; value <= y.high * 1.0001; value += step)
        drawYTick(painter, y, value, secondsLabel(value, y.high));
    drawWholeTicks(painter, x, 1, count);
    drawBorder(painter);

    painter.save();
    painter.setClipRect(area);
    painter.setPen(QPen(meanColour, 1.5, Qt::DashLine));
    painter.drawLine(QPointF(area.left(), yAt(y, s.mean)), QPointF(area.right(), yAt(y, s.mean)));
    if (seconds.size() <= mostDots) {
        const double radius = seconds.size() <= 100 ? 3.5 : 2;
        for (std::size_t cycle = 0; cycle < seconds.size(); ++cycle)
            drawDot(painter, QPointF(xAt(x, double(cycle + 1)), yAt(y, seconds[cycle])), radius,
                    pointColour);
    } else {
        // Each pixel column from the lowest to the highest of the cycles that fall in it.
        const int columns = int(area.width());
        std::vector<std::pair<double, double>> spans(columns, {INFINITY, -INFINITY});
        for (std::size_t cycle = 0; cycle < seconds.size(); ++cycle) {
            const int column =
                std::clamp(int(xAt(x, double(cycle + 1)) - area.left()), 0, columns - 1);
            spans[column].first = std::min(spans[column].first, seconds[cycle]);
            spans[column].second = std::max(spans[column].second, seconds[cycle]);
        }
        painter.setPen(QPen(pointColour, 1));
        for (int column = 0; column < columns; ++column)
            if (spans[column].first <= spans[column].second) {
                const double at = area.left() + column + 0.5;
                painter.drawLine(QPointF(at, yAt(y, spans[column].first) + 0.5),
                                 QPointF(at, yAt(y, spans[column].second) - 0.5));
            }
    }
    painter.restore();

    Legend legend(painter);
    legend.add(seconds.size() <= mostDots
                   ? QStringLiteral("a cycle's seconds")
                   : QStringLiteral("the cycles' seconds, a pixel column from the lowest to the "
                                    "highest of its cycles"),
               [&](QPointF at) { drawDot(painter, at, 3.5, pointColour); });
    legend.add(QStringLiteral("mean %1 \u00b1 %2 (standard deviation)")
                   .arg(secondsLabel(s.mean, s.mean), secondsLabel(s.standardDeviation, s.mean)),
               [&](QPointF at) {
                   painter.setPen(QPen(meanColour, 1.5, Qt::DashLine));
                   painter.drawLine(at - QPointF(10, 0), at + QPointF(10, 0));
               });
}

QString writePlot(const QByteArray& path, PlotFormat format,
                  const std::function<void(QPainter&)>& draw) {
    return platform::writeWhole(
        path,
        [&](QIODevice& device) -> QString {
            if (format == PlotFormat::Svg) {
                QSvgGenerator generator;
                generator.setOutputDevice(&device);
                generator.setSize(plotSize);
                generator.setViewBox(QRect(QPoint(0, 0), plotSize));
                generator.setResolution(96);
                generator.setTitle(QStringLiteral("Tessaly"));
                generator.setDescription(QStringLiteral("Seconds per cycle of the counted "
                                                        "recursion"));
                QPainter painter;
                if (!painter.begin(&generator))
                    return QStringLiteral("cannot draw the SVG picture");
                draw(painter);
                painter.end();
                return {};
            }
            QImage image(plotSize, QImage::Format_RGB32);
            image.fill(Qt::white);
            QPainter painter(&image);
            draw(painter);
            painter.end();
            QImageWriter writer(&device, "PNG");
            return writer.write(image) ? QString() : writer.errorString();
        },
        true);
}

std::unique_ptr<QGuiApplication> plotApplication(const QString& program) {
    if (QCoreApplication::instance())
        return nullptr;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // No desktop, so no session bus to look for.
    if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        qputenv("DBUS_SESSION_BUS_ADDRESS", "disabled:");
    static QByteArray name;
    static char* argv[2] = {};
    static int argc = 1;
    name = program.toLocal8Bit();
    argv[0] = name.data();
    qInstallMessageHandler(failuresOnly);
    return std::make_unique<QGuiApplication>(argc, argv);
}

} // namespace tessaly::command_line
