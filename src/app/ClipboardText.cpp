#include "ClipboardText.h"

#include "transcript/UserWrittenText.h"

#include <QGuiApplication>

namespace {

bool isLineEndOrTab(const QString &text, qsizetype index)
{
    const QChar c = text.at(index);
    if (c == u'\n' || c == u'\t')
        return true;
    return c == u'\r' && index + 1 < text.size() && text.at(index + 1) == u'\n';
}

bool isControl(char16_t c)
{
    return c < 0x20 || (c >= 0x7f && c <= 0x9f) || UserWrittenText::isBidirectionalControl(c);
}

} // namespace

QString ClipboardText::withoutControls(const QString &text)
{
    QString copied = text;
    for (qsizetype i = 0; i < copied.size(); ++i) {
        if (isControl(copied.at(i).unicode()) && !isLineEndOrTab(copied, i))
            copied[i] = QChar::ReplacementCharacter;
    }
    return copied;
}

void ClipboardText::copy(const QString &text, QClipboard::Mode mode)
{
    QGuiApplication::clipboard()->setText(withoutControls(text), mode);
}
