#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QFlags>

// The further extensions a connection framed both ways may agree to (docs/protocol.md), and the one
// message that offers, answers and confirms them: "Extensions", a blank, and the names separated by
// single blanks. A new extension is one more name here; offer, answer and confirmation stay as they
// are.
class Extensions
{
public:
    enum Extension {
        // Text is UTF-8 instead of Windows-1250.
        Utf8 = 0x1,
    };
    Q_DECLARE_FLAGS(Set, Extension)

    // Every extension this program knows.
    static Set known();
    // The message naming `set`, in the order the server offers them.
    static QByteArray message(Set set);
    // True when `message` is an Extensions message; the names in it that this program knows go to
    // `named`, any others are skipped.
    static bool read(QByteArrayView message, Set *named);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(Extensions::Set)
