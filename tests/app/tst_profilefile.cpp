#include "app/ProfileFile.h"

#include <QTest>

class tst_ProfileFile : public QObject
{
    Q_OBJECT
private slots:
    void readsCaseInsensitiveNames()
    {
        const QString text = QStringLiteral("[sounds]\r\nvalue=On\r\n");
        QCOMPARE(ProfileFile::value(text, QStringLiteral("Sounds"), QStringLiteral("Value")), QStringLiteral("On"));
    }
};

QTEST_GUILESS_MAIN(tst_ProfileFile)
#include "tst_profilefile.moc"
