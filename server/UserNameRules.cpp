#include "UserNameRules.h"

#include "net/Windows1250.h"

namespace {
// ":" and "|" separate the fields of "Message" and "PMMessage", so a name holding them could not
// be told apart from the text. U+FFFD stands for bytes that were no text: such a name could not
// be sent back as the bytes the user chose. Controls, format characters (soft hyphen, zero-width
// characters, bidirectional controls) and blanks other than the plain one are invisible or look
// like it, so a name holding one looks like another user's.
bool isForbidden(QChar character)
{
    switch (character.category()) {
    case QChar::Other_Control:
    case QChar::Other_Format:
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    case QChar::Separator_Space:
        return character != QLatin1Char(' ');
    default:
        return character == QLatin1Char(':') || character == QLatin1Char('|') || character == QChar::ReplacementCharacter;
    }
}

bool isInCodePage(const QString &name)
{
    return Windows1250::decode(Windows1250::encode(name)) == name;
}
}

UserNameRules::Problem UserNameRules::check(const QString &name)
{
    if (name.isEmpty())
        return Problem::Empty;
    // First, so that the checks after it cost no more than a short name's.
    if (name.size() > MaxLength)
        return Problem::TooLong;
    for (const QChar character : name) {
        if (isForbidden(character))
            return Problem::ForbiddenCharacter;
    }
    if (name.normalized(QString::NormalizationForm_C) != name)
        return Problem::NotNormalized;
    if (!isInCodePage(name))
        return Problem::NotInCodePage;
    if (name.front().isSpace() || name.back().isSpace())
        return Problem::BlankAtEnd;
    return Problem::None;
}

QString UserNameRules::describe(Problem problem)
{
    switch (problem) {
    case Problem::None:
        return QStringLiteral("accepted");
    case Problem::Empty:
        return QStringLiteral("empty");
    case Problem::TooLong:
        return QStringLiteral("longer than %1 characters").arg(MaxLength);
    case Problem::ForbiddenCharacter:
        return QStringLiteral("holds a forbidden character");
    case Problem::NotNormalized:
        return QStringLiteral("not in NFC");
    case Problem::NotInCodePage:
        return QStringLiteral("not writable in Windows-1250");
    case Problem::BlankAtEnd:
        return QStringLiteral("blank at an end");
    case Problem::InUse:
        return QStringLiteral("in use");
    }
    return {};
}
