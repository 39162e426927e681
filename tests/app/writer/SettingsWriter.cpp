// One of two programs that write one settings file at the same moment: settings_writer FILE SECTION
// COUNT. Says "ready", starts at the line "go" on its input, and ends with the number of failed
// writes as its exit code.
#include "NumberedKeys.h"

#include <QCoreApplication>

#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 4)
        return 100;
    std::puts("ready");
    std::fflush(stdout);
    std::string line;
    std::getline(std::cin, line);
    return writeNumberedKeys(arguments.at(1), arguments.at(2), arguments.at(3).toInt());
}
