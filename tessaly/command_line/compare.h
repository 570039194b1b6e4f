#pragma once

#include "tessaly/command_line/report.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace tessaly::command_line {

// A run read back from the JSON document --json wrote: its figures, and where it ran.
struct SavedRun {
    QString name = {}; // the file's name as given, for the words
    Outcome outcome = {};
    QString version = {};
    QString processor = {};
};

// The run of a document, or in problem the one line that says why it is refused: a document not
// of ours, one cut short, one of a newer format. The counted calls are the index's own.
std::optional<SavedRun> savedRun(const QByteArray& text, const QString& name, QString& problem);

// The run saved in the file, or why it is refused, as savedRun; a file that cannot be read, or is
// not a regular file, is refused too.
std::optional<SavedRun> readSavedRun(const QString& path, QString& problem);

// Why two runs cannot be compared: another index, or a baseline without a finished cycle.
// Empty where they can.
QString comparableProblem(const SavedRun& baseline, double index);

// A run set against a baseline of the same index.
struct Comparison {
    std::optional<SpeedRatio> speed; // none where a mean is not above 0
    WelchOutcome test;               // the run first
};
Comparison compare(const Outcome& baseline, const Outcome& run);

// The lines of a comparison: both runs side by side, which is faster and by how much, and whether
// significantly. subject names the run ("this run", or its file).
QString comparisonText(const SavedRun& baseline, const QString& subject, const Outcome& run,
                       const QString& version, const QString& processor);

// The JSON document of a comparison: the run's own, with the baseline's beside it and the
// comparison, whose words name the run as subject.
QByteArray comparisonJson(const SavedRun& baseline, const QString& subject, const Outcome& run,
                          const QString& version, const QString& processor);

} // namespace tessaly::command_line
