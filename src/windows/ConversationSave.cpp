#include "ConversationSave.h"

#include "app/Dialogs.h"
#include "app/FileReplacement.h"
#include "transcript/PageExport.h"

#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

const QString ConversationSave::htmlType = QStringLiteral("Web page (*.html *.htm)");
const QString ConversationSave::textType = QStringLiteral("Plain text (*.txt)");

namespace {

QString suffixOf(const QString &fileName)
{
    return QFileInfo(fileName).suffix().toLower();
}

// Without a suffix, so the file type chosen in the dialog gives it one.
QString proposedName()
{
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QFileInfo(folder).isDir())
        folder = QDir::homePath();
    return QDir(folder).filePath(QStringLiteral("Korvani %1").arg(QDate::currentDate().toString(Qt::ISODate)));
}

} // namespace

ConversationSave::Format ConversationSave::formatFor(const QString &fileName, const QString &chosenType)
{
    const QString suffix = suffixOf(fileName);
    if (suffix == QLatin1String("txt"))
        return Format::PlainText;
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return Format::Html;
    return chosenType == textType ? Format::PlainText : Format::Html;
}

QString ConversationSave::withSuffix(const QString &fileName, Format format)
{
    const QString suffix = suffixOf(fileName);
    if (suffix == QLatin1String("txt") || suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return fileName;
    return fileName + (format == Format::PlainText ? QStringLiteral(".txt") : QStringLiteral(".html"));
}

bool ConversationSave::run(QWidget *parent, const TranscriptPage &page)
{
    QString chosenType = htmlType;
    const QString chosen = Dialogs::current().saveFileName(parent, QStringLiteral("Save the conversation"), proposedName(),
                                                           htmlType + QStringLiteral(";;") + textType, &chosenType);
    if (chosen.isEmpty())
        return false;
    const Format format = formatFor(chosen, chosenType);
    const QByteArray bytes = format == Format::Html ? PageExport::html(page) : PageExport::plainText(page);
    QString error;
    if (FileReplacement::replace(withSuffix(chosen, format), bytes, &error))
        return true;
    Dialogs::current().messageBox(parent, QMessageBox::Warning, QStringLiteral("Save"),
                                  QStringLiteral("The conversation was not saved.\n") + error, QMessageBox::Ok,
                                  QMessageBox::Ok);
    return false;
}
