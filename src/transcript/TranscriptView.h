#pragma once

#include <QPoint>
#include <QString>
#include <QTextBrowser>

class QPrinter;

// The conversation page: kept as its HTML source (the head fragments, then every appended fragment
// in order) and shown by rendering each fragment on its own, so an append costs the same at any
// length. Sits in the main window as txtHistory.
class TranscriptView : public QTextBrowser
{
    Q_OBJECT
public:
    explicit TranscriptView(QWidget *parent = nullptr);

    // The page source: the concatenation of everything written since the last clearPage().
    QString pageSource() const;

    // Writes the 24 fixed head fragments (style sheet). No scrolling.
    void WritePageHead();
    // Writes one fragment at the end of the page, without scrolling.
    void write(const QString &fragment);
    // Writes one fragment and brings the end of the page into view.
    void AppendHistory(const QString &html);
    // Empties the page (source and view).
    void clearPage();
    // Prints the whole page as rendered.
    void printPage(QPrinter *printer) const;

signals:
    // A right click or context-menu key in the view: the main window shows mnuHistory there.
    void contextMenuRequested(const QPoint &globalPosition);
};
