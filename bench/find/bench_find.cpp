// Types into the find of a shown page of 100,000 chat rows, one keystroke at a time as the find bar
// sends them, and prints the median and the slowest time a keystroke takes to answer: the search,
// the current match selected and scrolled to, and the view painted.
#include "transcript/MessageMarkup.h"
#include "transcript/TranscriptRows.h"
#include "transcript/TranscriptView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QList>

#include <algorithm>
#include <cstdio>

namespace {

constexpr int rowCount = 100000;

const QStringList speakers = {QStringLiteral("jana"), QStringLiteral("Ondřej"), QStringLiteral("kuba_77"),
                              QStringLiteral("Zdeňka"), QStringLiteral("tom")};
const QStringList lines = {
    QStringLiteral("good morning all"),
    QStringLiteral("[B]note:[/B] maintenance tonight at ten :)"),
    QStringLiteral("did anyone see the match yesterday? lol"),
    QStringLiteral("the notes are at [URL]www.example.org/notes[/URL]here[URL/]"),
    QStringLiteral("Shall we meet on Thursday afternoon, or does Friday morning suit everybody better?"),
    QStringLiteral("[I]maybe[/I] later!!"),
    QStringLiteral("yes"),
    QStringLiteral("Příliš žluťoučký kůň úpěl ďábelské ódy"),
};

// What the find bar hands on, keystroke by keystroke: typing on, deleting, a word found nowhere,
// and the same words with the case asked for.
QList<std::pair<QString, Qt::CaseSensitivity>> keystrokes()
{
    QList<std::pair<QString, Qt::CaseSensitivity>> typed;
    for (const QString &word : {QStringLiteral("meet on thursday"), QStringLiteral("ŽLUŤOUČKÝ"), QStringLiteral("quartz")}) {
        for (qsizetype length = 1; length <= word.size(); ++length)
            typed.append({word.left(length), Qt::CaseInsensitive});
        for (qsizetype length = word.size() - 1; length >= word.size() / 2; --length)
            typed.append({word.left(length), Qt::CaseInsensitive});
    }
    for (qsizetype length = 1; length <= 8; ++length)
        typed.append({QStringLiteral("Shall we").left(length), Qt::CaseSensitive});
    return typed;
}

double median(QList<double> values)
{
    std::sort(values.begin(), values.end());
    return values.at(values.size() / 2);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    TranscriptView view;
    view.resize(640, 480);
    view.show();
    view.WritePageHead();
    for (int i = 0; i < rowCount; ++i) {
        const QString stamp = QStringLiteral("12:%1:%2").arg(i / 60 % 60, 2, 10, QLatin1Char('0')).arg(i % 60, 2, 10, QLatin1Char('0'));
        view.write(TranscriptRows::chatRow(stamp, speakers.at(i % speakers.size()),
                                           MessageMarkup::ConvertMarkup(lines.at(i % lines.size()))));
    }
    view.AppendHistory(TranscriptRows::chatRow(QStringLiteral("13:00:00"), QStringLiteral("tom"), QStringLiteral("bye")));
    QApplication::processEvents();
    view.beginFind();

    QList<double> milliseconds;
    QElapsedTimer timer;
    for (const auto &[text, sensitivity] : keystrokes()) {
        timer.start();
        view.find(text, sensitivity);
        view.viewport()->repaint();
        milliseconds.append(double(timer.nsecsElapsed()) / 1e6);
    }
    std::printf("find over %d rows, %lld keystrokes: median %.2f ms per keystroke, slowest %.2f ms, first %.2f ms\n",
                rowCount, static_cast<long long>(milliseconds.size()), median(milliseconds),
                *std::max_element(milliseconds.cbegin(), milliseconds.cend()), milliseconds.first());
    return 0;
}
