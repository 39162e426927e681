#include "support/ChatWindowTestCase.h"

#include "app/FocusFrame.h"
#include "app/Form.h"
#include "options/frmOptions.h"
#include "windows/ClickablePicture.h"
#include "windows/frmChat.h"
#include "windows/frmPM.h"
#include "windows/frmSignon.h"
#include "windows/frmSmile.h"
#include "windows/frmUrl.h"

#include <QImage>
#include <QTest>

#include <cmath>

// The keyboard focus is seen on every control of every window, the chat window in every skin: the
// pixels that change as a control takes the focus stand out from the window around the control.
class tst_FocusRings : public ChatWindowTestCase
{
    Q_OBJECT

    using Loader = std::function<QWidget *()>;

    template <typename Window>
    static Loader loader()
    {
        return [] { return static_cast<QWidget *>(Form<Window>::get()); };
    }

    static double relativeLuminance(const QColor &colour)
    {
        const auto linear = [](double channel) {
            return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(colour.redF()) + 0.7152 * linear(colour.greenF()) + 0.0722 * linear(colour.blueF());
    }

    // The lighter colour's relative luminance to the darker one's, each plus 0.05: 1 for equal
    // colours up to 21 for black on white.
    static double contrast(const QColor &one, const QColor &other)
    {
        const double a = relativeLuminance(one) + 0.05;
        const double b = relativeLuminance(other) + 0.05;
        return a > b ? a / b : b / a;
    }

    static QList<QWidget *> reachableControls(QWidget *window)
    {
        QList<QWidget *> controls;
        for (QWidget *widget : window->findChildren<QWidget *>()) {
            if ((widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(window) && widget->window() == window
                && !(widget->parentWidget() && widget->parentWidget()->focusProxy() == widget))
                controls.append(widget);
        }
        return controls;
    }

    // The point distance pixels outside rect beyond the edge nearest to inside.
    static QPoint outsideNear(const QRect &rect, const QPoint &inside, int distance)
    {
        const int toLeft = inside.x() - rect.left();
        const int toRight = rect.right() - inside.x();
        const int toTop = inside.y() - rect.top();
        const int toBottom = rect.bottom() - inside.y();
        const int nearest = std::min({toLeft, toRight, toTop, toBottom});
        if (nearest == toLeft)
            return {rect.left() - distance, inside.y()};
        if (nearest == toRight)
            return {rect.right() + distance, inside.y()};
        if (nearest == toTop)
            return {inside.x(), rect.top() - distance};
        return {inside.x(), rect.bottom() + distance};
    }

    // How many pixels of control differ between the two pictures of window and stand out 3:1 from
    // the window just outside the control.
    static int visibleRingPixels(const QImage &before, const QImage &after, QWidget *window, QWidget *control)
    {
        const qreal scale = before.devicePixelRatio();
        const QRect rect(control->mapTo(window, QPoint(0, 0)) * scale, control->size() * scale);
        int visible = 0;
        for (int y = rect.top(); y <= rect.bottom(); ++y) {
            for (int x = rect.left(); x <= rect.right(); ++x) {
                if (before.pixel(x, y) == after.pixel(x, y))
                    continue;
                const QPoint outside = outsideNear(rect, {x, y}, 2);
                if (before.rect().contains(outside)
                    && contrast(after.pixelColor(x, y), before.pixelColor(outside)) >= 3.0)
                    ++visible;
            }
        }
        return visible;
    }

    // A ring along at least a third of the control's edge.
    static bool isSeen(int visiblePixels, QWidget *control)
    {
        return visiblePixels >= 2 * (control->width() + control->height()) / 3;
    }

    static bool showActive(QWidget *window)
    {
        window->show();
        window->activateWindow();
        return QTest::qWaitForWindowActive(window);
    }

private slots:
    void init() { FocusFrame::install(); }

    void cleanup()
    {
        Form<frmSignon>::unload();
        Form<frmOptions>::unload();
        Form<frmPM>::unload();
        Form<frmSmile>::unload();
        Form<frmUrl>::unload();
        Form<frmChat>::unload();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void focusIsSeenOnEveryControl_data()
    {
        QTest::addColumn<Loader>("load");
        QTest::addColumn<QString>("skin");
        QTest::newRow("sign-on") << loader<frmSignon>() << QString();
        for (const char *skin : {"Blue Skin", "Green Skin", "Yellow Skin", "Rad Skin", "Black Skin"})
            QTest::newRow(qPrintable(QStringLiteral("chat, ") + QLatin1String(skin))) << loader<frmChat>() << QString::fromLatin1(skin);
        QTest::newRow("options") << loader<frmOptions>() << QString();
        QTest::newRow("private message") << loader<frmPM>() << QString();
        QTest::newRow("smileys") << loader<frmSmile>() << QString();
        QTest::newRow("link") << loader<frmUrl>() << QString();
    }

    void focusIsSeenOnEveryControl()
    {
        QFETCH(Loader, load);
        QFETCH(QString, skin);
        fakes.choices.skin = skin;
        QWidget *window = load();
        QVERIFY(showActive(window));
        // As after a Tab: the style draws some focus marks only once the keyboard moved the focus.
        window->setAttribute(Qt::WA_KeyboardFocusChange);

        const QList<QWidget *> controls = reachableControls(window);
        QVERIFY(controls.size() >= 2);
        QStringList unseen;
        for (QWidget *control : controls) {
            QWidget *other = control == controls.first() ? controls.last() : controls.first();
            other->setFocus(Qt::TabFocusReason);
            const QImage before = window->grab().toImage();
            control->setFocus(Qt::TabFocusReason);
            const int visible = visibleRingPixels(before, window->grab().toImage(), window, control);
            if (!isSeen(visible, control))
                unseen << QStringLiteral("%1 %2 (%3 pixels)")
                              .arg(QLatin1String(control->metaObject()->className()), control->objectName())
                              .arg(visible);
        }
        QVERIFY2(unseen.isEmpty(), qPrintable(unseen.join(QStringLiteral(", "))));
    }

    // The arrow keys move the focus among the faces of the smiley picker, where it is seen too; no
    // Tab came first.
    void arrowsShowTheFocusInTheSmileyPicker_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<Qt::Key>("arrow");
        QTest::newRow("right") << 1 << Qt::Key_Right;
        QTest::newRow("down") << 1 << Qt::Key_Down;
        QTest::newRow("left") << 2 << Qt::Key_Left;
        QTest::newRow("up") << 17 << Qt::Key_Up;
    }

    void arrowsShowTheFocusInTheSmileyPicker()
    {
        QFETCH(int, from);
        QFETCH(Qt::Key, arrow);
        frmSmile *smile = Form<frmSmile>::get();
        QVERIFY(showActive(smile));
        smile->picture(from)->setFocus(Qt::OtherFocusReason);
        const QImage before = smile->grab().toImage();

        QTest::keyClick(smile->picture(from), arrow);

        QWidget *reached = smile->focusWidget();
        QVERIFY(reached && reached != smile->picture(from));
        QVERIFY(isSeen(visibleRingPixels(before, smile->grab().toImage(), smile, reached), reached));
    }
};

QTEST_MAIN(tst_FocusRings)
#include "tst_focusrings.moc"
