#include "LogText.h"

QString LogText::quoted(const QString &text)
{
    QString result = QStringLiteral("\"");
    for (const QChar character : text) {
        if (character == QLatin1Char('"') || character == QLatin1Char('\\'))
            result += QLatin1Char('\\') + character;
        else if (character.category() == QChar::Other_Control)
            result += QStringLiteral("\\x%1").arg(character.unicode(), 2, 16, QLatin1Char('0'));
        else
            result += character;
    }
    return result + QLatin1Char('"');
}
