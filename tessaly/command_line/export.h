#pragma once

#include "tessaly/command_line/report.h"
#include "tessaly/command_line/settings.h"

#include <QByteArray>
#include <QPainter>
#include <QStringList>

#include <functional>
#include <vector>

namespace tessaly::command_line {

// A run's figures as people paste them: into a spreadsheet as CSV (RFC 4180: a header row,
// lines ending in CR LF, plain numbers with every digit a double holds, nothing quoted since no
// field holds a comma or a quote) and into a README as a pipe table, numbers right-aligned and
// rounded as the printed figures are. A run of one index gives a row per cycle done; a scan a
// row per index done.
QByteArray cyclesCsv(const Outcome& outcome);
QByteArray cyclesMarkdown(const Outcome& outcome);
QByteArray scanCsv(const std::vector<Outcome>& rows);
QByteArray scanMarkdown(const std::vector<Outcome>& rows);

// What the files the settings name receive, made only for the files asked for.
struct Figures {
    std::function<void(QPainter&)> plot;
    std::function<QByteArray()> csv;
    std::function<QByteArray()> markdown;
};

// Why a file the settings name cannot be written, found before the run: the line to say, or
// empty. A name that came as bytes that are not text in this system's encoding is refused
// too: it could only be written under another name.
QString refusedFile(const Settings& settings);

// Writes every file the settings name, each whole or not at all; the line for each that could
// not be written.
QStringList writeFigures(const Settings& settings, const Figures& figures);

} // namespace tessaly::command_line
