// The main of a fuzz target built without libFuzzer: runs the target once on every file named on
// the command line, or on every file of every folder named, so a test run replays the corpus.
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);
extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv) __attribute__((weak));

namespace {

QStringList inputFiles(const QString &path)
{
    if (!QFileInfo(path).isDir())
        return {path};
    QStringList files;
    QDirIterator entries(path, QDir::Files, QDirIterator::Subdirectories);
    while (entries.hasNext())
        files.append(entries.next());
    files.sort();
    return files;
}

bool replay(const QString &file)
{
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(file));
        return false;
    }
    const QByteArray bytes = input.readAll();
    std::fprintf(stderr, "replaying %s (%lld bytes)\n", qPrintable(file), static_cast<long long>(bytes.size()));
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size()));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    int replayed = 0;
    bool readable = true;
    for (int i = 1; i < argc; ++i) {
        for (const QString &file : inputFiles(QString::fromLocal8Bit(argv[i]))) {
            readable = replay(file) && readable;
            ++replayed;
        }
    }
    std::fprintf(stderr, "%d inputs replayed\n", replayed);
    // An empty corpus is a mistake in the build, not a pass.
    return readable && replayed > 0 ? 0 : 1;
}
