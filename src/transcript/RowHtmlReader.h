#pragma once

#include <QList>
#include <QString>
#include <QStringView>

// Reads a row's HTML in one pass, as the page engine reads it: text with entities decoded and blanks
// collapsed (a run of blanks is one blank, none at a line's start, a picture keeps the blanks on
// both sides), tags with their attributes (entities decoded, quoted or not); comments and the content of style, script, head and title
// are skipped. Costs time linear in the HTML's length.
class RowHtmlReader
{
public:
    struct Attribute
    {
        QString name; // in lower case
        QString value;
    };
    struct Tag
    {
        QString name; // in lower case
        bool closing = false;
        QList<Attribute> attributes;
    };
    class Handler
    {
    public:
        virtual ~Handler() = default;
        // Returning false stops the reading.
        virtual bool text(const QString &text) = 0;
        virtual bool tag(const Tag &tag) = 0;
    };

    // False when a handler stopped it.
    static bool read(QStringView html, Handler &handler);

    // Tags after which a new line starts.
    static bool isBlock(const QString &name);
};
