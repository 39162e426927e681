#pragma once

#include <QList>
#include <QPair>
#include <QString>

// The tags of an HTML text as a browser's tokenizer would see them: a "<" followed by a name (or
// "/" and a name) opens a tag; attributes are read with quoted and unquoted values until ">".
// Used to check that text from other users never produces a tag or attribute of its own.
struct HtmlTag
{
    QString name; // lower case, with a leading "/" for a closing tag
    QList<QPair<QString, QString>> attributes; // lower-case name, value as written (unquoted)
};

QList<HtmlTag> htmlTags(const QString &html);

// The markup a transcript row may carry: tag name -> the attributes that tag may have.
// A row breaks it when it has another tag, or another attribute on one of these.
class HtmlAllowList
{
public:
    HtmlAllowList &allow(const QString &tag, const QStringList &attributes = {});
    // The first tag or attribute of `html` outside the list, described; "" when there is none.
    QString firstViolation(const QString &html) const;

private:
    QList<QPair<QString, QStringList>> m_tags;
};
