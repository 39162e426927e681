// The bytes a server sends on one connection, through the client's reader of the framing
// extension, cut into reads in two different ways.
// Input: one byte that sets the size of the reads (1 to 64 bytes), then the stream.
#include "support/FuzzInput.h"

#include "net/Framing.h"
#include "net/ServerStreamReader.h"

namespace {

struct Outcome
{
    QByteArrayList framed;
    QByteArray unframedBytes;
    bool switched = false;
};

Outcome readAll(QByteArrayView stream, qsizetype readSize)
{
    ServerStreamReader reader;
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
    }
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
    return 0;
}
