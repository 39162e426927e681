// How the main window's input line copes with a very long message: the time to take 1 MB of text,
// to type one more character into it, to append a tag at its end, and to press Enter; and the same
// with the characters Windows-1250 lacks marked (a word in every three lost).
#include "windows/InputLine.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>

#include <cstdio>

namespace {
double millisecondsOf(const std::function<void()> &step)
{
    QElapsedTimer timer;
    timer.start();
    step();
    QCoreApplication::processEvents();
    return timer.nsecsElapsed() / 1e6;
}
} // namespace

int main(int argc, char *argv[])
{
    QApplication application(argc, argv);
    InputLine line;
    line.resize(393, 45);
    line.show();
    int enters = 0;
    QObject::connect(&line, &InputLine::enterPressed, [&] { ++enters; });

    for (const bool marks : {false, true})
    for (const qsizetype size : {qsizetype(1) << 10, qsizetype(1) << 16, qsizetype(1) << 20}) {
        // Words, as a pasted text would have them; one unbroken word is the worst case for wrapping.
        for (const bool words : {true, false}) {
            QString text;
            text.reserve(size);
            const QString word = marks ? QStringLiteral("lorem ipsum \u017C\u00F3\u0142\u0416 ") : QStringLiteral("lorem ipsum ");
            while (text.size() < size)
                text += words ? word : QStringLiteral("x");
            text.truncate(size);

            line.clear();
            line.setMarksLostCharacters(marks);
            const double set = millisecondsOf([&] { line.setText(text); });
            line.moveCursor(QTextCursor::End);
            const double type = millisecondsOf([&] { QTest::keyClick(&line, Qt::Key_A); });
            const double append = millisecondsOf([&] { line.appendText(QStringLiteral("[B][/B]")); });
            const double enter = millisecondsOf([&] { QTest::keyClick(&line, Qt::Key_Return); });
            std::printf("%-8s %8lld chars %-6s  set %8.1f ms  type %7.1f ms  append %7.1f ms  enter %6.1f ms\n",
                        marks ? "marked" : "plain", static_cast<long long>(size), words ? "words" : "1 word", set, type,
                        append, enter);
        }
    }
    std::printf("enter reported %d times\n", enters);
    return 0;
}
