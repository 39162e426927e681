#pragma once

#include <QWidget>

class ClickablePicture;
class QLabel;
class QPushButton;

// The smiley picker "Smile": one picture per smiley code; a click adds the code, with a blank on
// each side, to the end of the main window's input line and hides the picker.
class frmSmile : public QWidget
{
    Q_OBJECT
public:
    static constexpr int PictureCount = 17;

    frmSmile();

    // Image1..Image17, as numbered in the picker.
    ClickablePicture *picture(int number) const;
    // The text picture `number` adds.
    static QString codeOf(int number);

    QLabel *Image18;       // the background panel
    QPushButton *Command1; // "Close"

    void Image_Click(int number);
    void Command1_Click();

protected:
    void closeEvent(QCloseEvent *event) override;
    // The arrow keys move the focus to the nearest face in their direction.
    void keyPressEvent(QKeyEvent *event) override;

private:
    ClickablePicture *nearestPicture(const QWidget *from, Qt::Key arrow) const;

    QList<ClickablePicture *> m_pictures;
};
