#include <QGuiApplication>
#include <QStyleHints>

#include <cstdio>

// Prints the double-click interval in milliseconds as a program started here reads it from the
// desktop, for the scripts that click twice as a person does.
int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    std::printf("%d\n", QGuiApplication::styleHints()->mouseDoubleClickInterval());
    return 0;
}
