#include "shell/startup.h"

#include <QApplication>

// The device program: the board's own paths, no options of its own.
int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    return RunInstrument(app);
}
