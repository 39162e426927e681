// What a hostile sender can make korvani-server pay to turn its text into what the other users
// read: the CPU time to encode one message of each kind to Windows-1250 (one "?" per character as
// the user sees it) and to UTF-8, and to decode it from UTF-8, at 1, 16 and 64 KiB. Equal ratios
// between the sizes mean linear cost.
// Usage: bench_wire_text [repetitions, default 50]
#include "BenchTime.h"

#include "net/WireText.h"

#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>
#include <functional>

using namespace BenchTime;

namespace {

struct Kind
{
    const char *name;
    QString unit;
};

// `unit` repeated to `bytes` bytes of UTF-8 at most.
QString repeatedTo(const QString &unit, qsizetype bytes)
{
    const qsizetype unitBytes = unit.toUtf8().size();
    QString text;
    for (qsizetype size = 0; size + unitBytes <= bytes; size += unitBytes)
        text += unit;
    return text;
}

// One long run of marks on a single letter: one cluster as long as the message.
QString markRun(qsizetype bytes)
{
    return QStringLiteral("a") + QString((bytes - 1) / 2, QChar(0x0301));
}

double microsecondsPerRun(int repetitions, const std::function<void()> &run)
{
    const double start = cpuMilliseconds();
    for (int i = 0; i < repetitions; ++i)
        run();
    return (cpuMilliseconds() - start) * 1000 / repetitions;
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const int repetitions = argc > 1 ? std::max(1, atoi(argv[1])) : 50;
    const QList<Kind> kinds = {
        {"ASCII", QStringLiteral("hello world ")},
        {"Polish (in the code page)", QString::fromUtf8("Zażółć gęślą jaźń ")},
        {"CJK", QString::fromUtf8("日本語")},
        {"emoji", QString::fromUtf8("😀")},
        {"emoji ZWJ sequences", QString::fromUtf8("👨‍👩‍👧‍👦")},
        {"flags", QString::fromUtf8("🇵🇱")},
        {"letter and mark", QString::fromUtf8("q\u0301")},
        {"letter and mark composing", QString::fromUtf8("e\u0301")},
        {"one run of marks", QString()},
    };
    const QList<qsizetype> sizes = {1024, 16 * 1024, 64 * 1024};
    std::printf("microseconds of CPU per message (mean of %d runs), and the ratio to the size before\n",
                repetitions);
    for (const Kind &kind : kinds) {
        for (const auto encoding : {WireText::Encoding::Windows1250, WireText::Encoding::Utf8}) {
            std::printf("%-28s %-12s", kind.name, encoding == WireText::Encoding::Utf8 ? "UTF-8" : "Windows-1250");
            double previous = 0;
            for (const qsizetype size : sizes) {
                const QString text = kind.unit.isEmpty() ? markRun(size) : repeatedTo(kind.unit, size);
                QByteArray bytes;
                const double encodeUs = microsecondsPerRun(repetitions, [&] { bytes = WireText::encode(text, encoding); });
                std::printf("  %3lld KiB %8.1f us", static_cast<long long>(size / 1024), encodeUs);
                if (previous > 0)
                    std::printf(" (x%.1f)", encodeUs / previous);
                previous = encodeUs;
            }
            std::printf("\n");
        }
    }
    for (const Kind &kind : kinds) {
        std::printf("%-28s %-12s", kind.name, "decode UTF-8");
        double previous = 0;
        for (const qsizetype size : sizes) {
            const QByteArray bytes = (kind.unit.isEmpty() ? markRun(size) : repeatedTo(kind.unit, size)).toUtf8();
            const double decodeUs = microsecondsPerRun(repetitions, [&] { WireText::decode(bytes, WireText::Encoding::Utf8); });
            std::printf("  %3lld KiB %8.1f us", static_cast<long long>(size / 1024), decodeUs);
            if (previous > 0)
                std::printf(" (x%.1f)", decodeUs / previous);
            previous = decodeUs;
        }
        std::printf("\n");
    }
    return 0;
}
