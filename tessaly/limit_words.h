#pragma once

#include <QString>

namespace tessaly {

// "the largest index it can compute is 92", with the bound of an index with a fraction where the
// index has one.
QString largestIndexWords(double index);

// What the calculator says of an index whose Fibonacci number needs more than 64 bits, in the
// window and on the command line alike.
QString beyond64BitsWords(double index);

// What it says of an index typed with more digits than a number holds.
QString unreadableIndexWords(const QString& typed);

} // namespace tessaly
