#pragma once

#include "tessaly/command_line/report.h"
#include "tessaly/command_line/scan.h"

#include <QByteArray>
#include <QGuiApplication>
#include <QPainter>
#include <QSize>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace tessaly::command_line {

// Every plot, SVG or PNG, is this many pixels: room for a scan of every index there is, and
// small enough for a README's column.
inline constexpr QSize plotSize{800, 500};

enum class PlotFormat { Svg, Png };

// The format a file name asks for by its ending (.svg or .png, in either case); none for another.
std::optional<PlotFormat> plotFormat(const QString& name);

// A scan: each index's mean seconds per cycle on a logarithmic axis, a bar from its fastest to
// its slowest cycle, and the fitted line where there is one.
void drawScanPlot(QPainter& painter, const std::vector<Outcome>& rows,
                  const std::optional<Growth>& growth);

// One index: every cycle's seconds against its number, and their mean. Beyond a dot a pixel
// column, each column shows the range of the cycles that fall in it.
void drawCyclesPlot(QPainter& painter, const Outcome& outcome);

// Draws a plot of plotSize into the file, whole or not at all (platform::writeWhole). Returns
// empty, or why it could not be written. Text needs fonts, and fonts a QGuiApplication.
QString writePlot(const QByteArray& path, PlotFormat format,
                  const std::function<void(QPainter&)>& draw);

// The application that text needs, on the plug-in that draws into memory alone, so that no
// display is needed; none where one exists already.
std::unique_ptr<QGuiApplication> plotApplication(const QString& program);

} // namespace tessaly::command_line
