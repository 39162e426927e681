// The bytes a server sends on one connection, through the client's reader of the framing
// extension and its side of further extensions (the offer answered, UTF-8 after the confirmation,
// invalid UTF-8 decoded), cut into reads in two different ways.
// Input: one byte that sets the size of the reads (1 to 64 bytes), then the stream.
#include "support/FuzzInput.h"

#include "net/ClientExtensions.h"
#include "net/Framing.h"
#include "net/ServerStreamReader.h"
#include "net/WireText.h"

namespace {

struct Outcome
{
    QByteArrayList framed;
    QByteArray unframedBytes;
    // What the dispatcher gets of every framed message, decoded as the agreement says.
    QStringList framedTexts;
    QByteArrayList answers;
    bool switched = false;
};

// The block goes to the client's side of further extensions, or decoded to the dispatcher.
void follow(ClientExtensions &extensions, const ServerStreamReader::Block &block, Outcome &outcome)
{
    if (block.framed && extensions.take(block.bytes)) {
        const QByteArray answer = extensions.takeAnswer();
        if (!answer.isEmpty())
            outcome.answers.append(answer);
        return;
    }
    fuzzCheck(!block.framed || !block.bytes.startsWith("Extensions "), "an Extensions message reaches the dispatcher",
              block.bytes);
    const QString text = WireText::decode(block.bytes, extensions.inputEncoding());
    fuzzCheck(text.isValidUtf16(), "decoded text holds a lone surrogate", block.bytes);
    fuzzCheck(!text.contains(QChar(0)), "decoded text holds a NUL", block.bytes);
    if (block.framed)
        outcome.framedTexts.append(text);
}

Outcome readAll(QByteArrayView stream, qsizetype readSize)
{
    ServerStreamReader reader;
    ClientExtensions extensions;
    QList<ServerStreamReader::Block> blocks;
    for (qsizetype at = 0; at < stream.size(); at += readSize) {
        reader.read(stream.sliced(at, std::min(readSize, stream.size() - at)), blocks);
        reader.takeOffer();
        fuzzCheck(reader.heldBytes() <= Framing::MaxMessageBytes + 16, "the reader holds more than a message",
                  QByteArray::number(reader.heldBytes()));
    }
    reader.finish(blocks);
    Outcome outcome;
    outcome.switched = reader.isFramed();
    for (const ServerStreamReader::Block &block : std::as_const(blocks)) {
        fuzzCheck(!block.bytes.contains('\0'), "a NUL reaches the dispatcher", block.bytes);
        fuzzCheck(!block.bytes.isEmpty(), "an empty block reaches the dispatcher");
        if (block.framed) {
            fuzzCheck(block.bytes.size() <= Framing::MaxMessageBytes, "a framed message over the limit",
                      QByteArray::number(block.bytes.size()));
            outcome.framed.append(block.bytes);
        } else {
            fuzzCheck(outcome.framed.isEmpty(), "unframed data after the first framed message", block.bytes);
            outcome.unframedBytes += block.bytes;
        }
        follow(extensions, block, outcome);
    }
    fuzzCheck(outcome.answers.size() <= 1, "the offer of extensions answered more than once");
    for (const QByteArray &answer : std::as_const(outcome.answers))
        fuzzCheck(answer == "Extensions " || answer == "Extensions UTF-8", "an answer naming what was not offered", answer);
    return outcome;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size == 0)
        return 0;
    const qsizetype readSize = 1 + data[0] % 64;
    const QByteArrayView stream(reinterpret_cast<const char *>(data) + 1, qsizetype(size) - 1);

    const Outcome inPieces = readAll(stream, readSize);
    const Outcome whole = readAll(stream, std::max<qsizetype>(stream.size(), 1));
    // Where reads end may change where unframed blocks end, never what arrives.
    fuzzCheck(inPieces.switched == whole.switched, "the switch depends on how the reads fell");
    fuzzCheck(inPieces.framed == whole.framed, "framed messages depend on how the reads fell");
    fuzzCheck(inPieces.unframedBytes == whole.unframedBytes, "unframed bytes depend on how the reads fell");
    fuzzCheck(inPieces.answers == whole.answers, "the answer depends on how the reads fell");
    fuzzCheck(inPieces.framedTexts == whole.framedTexts, "decoded framed messages depend on how the reads fell");
    return 0;
}
