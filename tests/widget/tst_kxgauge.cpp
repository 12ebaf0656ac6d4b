#include "ui/KXGauge.h"

#include "ScriptedDialogs.h"

#include <QEvent>
#include <QFont>
#include <QImage>
#include <QPalette>
#include <QTest>

namespace {

constexpr QRgb Black = 0xff000000;
constexpr QRgb White = 0xffffffff;
constexpr QRgb Red = 0xffff0000;
constexpr QRgb Blue = 0xff0000ff;
constexpr QRgb Green = 0xff00ff00;
constexpr QRgb Magenta = 0xffff00ff;

// Counts paint events so a test can tell "repainted at once" from "repainted later".
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Font colour red and no anti-aliasing, so every text pixel has exactly one of the colours.
void makeTextCrisp(TKXGauge &gauge)
{
    QPalette palette = gauge.palette();
    palette.setColor(QPalette::WindowText, QColor::fromRgb(Red));
    gauge.setPalette(palette);
    QFont font = gauge.font();
    font.setStyleStrategy(QFont::NoAntialias);
    font.setPixelSize(13);
    gauge.setFont(font);
}

int countColour(const QImage &image, const QRect &area, QRgb colour)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (image.pixel(x, y) == colour)
                ++count;
        }
    }
    return count;
}

int countOther(const QImage &image, const QRect &area, std::initializer_list<QRgb> allowed)
{
    int others = area.width() * area.height();
    for (QRgb colour : allowed)
        others -= countColour(image, area, colour);
    return others;
}

// Leftmost column inside `area` that holds a pixel of `colour`, -1 when none.
int firstColumnWith(const QImage &image, const QRect &area, QRgb colour)
{
    for (int x = area.left(); x <= area.right(); ++x) {
        for (int y = area.top(); y <= area.bottom(); ++y) {
            if (image.pixel(x, y) == colour)
                return x;
        }
    }
    return -1;
}

} // namespace

class TestKXGauge : public QObject
{
    Q_OBJECT

private slots:
    void startsWithTheDocumentedValues();
    void refusesProgressOutsideTheBoundsInOrder();
    void refusesBadBounds();
    void changedBoundsDoNotTouchProgress();
    void progressRepaintsAtOnceAndBoundsLater();
    void textIsTwoColouredAtTheBarEnd();
    void textFollowsTheAlignment();
    void noTextWithoutCaptionAndPercent();
    void flatAnd3DFramesUseTheirColours();
    void transparentGaugeLeavesTheBackground();
    void lowerBoundAboveZeroRunsFromEmptyToFull();
    void accessibleTextsFollowCaptionAndValue();
};

void TestKXGauge::startsWithTheDocumentedValues()
{
    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);
    QCOMPARE(gauge.size(), QSize(300, 24));
    QCOMPARE(gauge.OutLine(), TKXGauge::olFLAT);
    QCOMPARE(gauge.TxtAlign(), TKXGauge::ttaCENTER);
    QVERIFY(!gauge.Transparent());
    QVERIFY(gauge.ShowText());
    QVERIFY(gauge.ShowPercent());
    QCOMPARE(gauge.Progress(), 0);
    QCOMPARE(gauge.MinValue(), 0);
    QCOMPARE(gauge.MaxValue(), 100);
    QCOMPARE(gauge.FrontColor(), QColor(Qt::black));
    QCOMPARE(gauge.BackColor(), QColor(Qt::white));
    QCOMPARE(gauge.BorderColor(), QColor(Qt::black));
    QCOMPARE(gauge.Frame3DTopColor(), gauge.palette().color(QPalette::Shadow));
    QCOMPARE(gauge.Frame3DBottomColor(), QColor(Qt::white));
    QCOMPARE(gauge.focusPolicy(), Qt::NoFocus);
    QVERIFY(!gauge.Caption().isEmpty());
}

void TestKXGauge::refusesProgressOutsideTheBoundsInOrder()
{
    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);
    QVERIFY(gauge.setProgress(50));

    QVERIFY(!gauge.setProgress(-1));
    QVERIFY(!gauge.setProgress(101));
    QCOMPARE(gauge.Progress(), 50);
    QCOMPARE(dialogs.texts(ScriptedDialogs::Kind::Error),
             QStringList({"Value must be greater than 0.", "Value is greater than MaxValue."}));
    QCOMPARE(dialogs.calls().constLast().title, QString("Error"));

    // With a lower bound of 10, -1 still gets the first message; 5 gets the second.
    QVERIFY(gauge.setMinValue(10));
    dialogs.clear();
    QVERIFY(!gauge.setProgress(-1));
    QVERIFY(!gauge.setProgress(5));
    QCOMPARE(dialogs.texts(ScriptedDialogs::Kind::Error),
             QStringList({"Value must be greater than 0.", "Value is less than MinValue."}));
    QCOMPARE(gauge.Progress(), 50);

    // 0 and both ends of the range are accepted without a word.
    QVERIFY(gauge.setMinValue(0));
    dialogs.clear();
    QVERIFY(gauge.setProgress(0));
    QCOMPARE(gauge.Progress(), 0);
    QVERIFY(gauge.setProgress(100));
    QCOMPARE(gauge.Progress(), 100);
    QCOMPARE(dialogs.count(), 0);
}

void TestKXGauge::refusesBadBounds()
{
    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);

    QVERIFY(!gauge.setMaxValue(0)); // equal to MinValue
    QVERIFY(!gauge.setMaxValue(-5));
    QVERIFY(!gauge.setMinValue(100)); // equal to MaxValue
    QVERIFY(!gauge.setMinValue(150));
    QVERIFY(!gauge.setMinValue(-1));
    QCOMPARE(dialogs.texts(ScriptedDialogs::Kind::Error),
             QStringList(
                 {"Value is less than or equal to MinValue.", "Value must be greater than 0.",
                  "Value is greater than or equal to MaxValue.",
                  "Value is greater than or equal to MaxValue.", "Value must be greater than 0."}));
    for (const ScriptedDialogs::Call &call : dialogs.calls())
        QCOMPARE(call.title, QString("Error"));
    QCOMPARE(gauge.MinValue(), 0);
    QCOMPARE(gauge.MaxValue(), 100);

    dialogs.clear();
    QVERIFY(gauge.setMaxValue(1));
    QVERIFY(gauge.setMinValue(0));
    QVERIFY(gauge.setMaxValue(1)); // unchanged
    QCOMPARE(gauge.MaxValue(), 1);
    QCOMPARE(dialogs.count(), 0);
}

void TestKXGauge::changedBoundsDoNotTouchProgress()
{
    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);
    makeTextCrisp(gauge);
    QVERIFY(gauge.setProgress(80));
    QVERIFY(gauge.setMaxValue(50));
    QCOMPARE(gauge.Progress(), 80);

    // The value now lies beyond the range: the bar stays inside the frame and the text at
    // 100%.
    QCOMPARE(gauge.percent(), 100);
    QCOMPARE(gauge.displayText(), QString("KXGauge 100%"));
    const QImage image = gauge.renderToImage();
    QCOMPARE(countColour(image, QRect(1, 1, 298, 1), Black), 298);
    QCOMPARE(image.pixel(299, 1), Black); // the frame
}

void TestKXGauge::progressRepaintsAtOnceAndBoundsLater()
{
    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);
    gauge.show();
    QVERIFY(QTest::qWaitForWindowExposed(&gauge));
    QCoreApplication::processEvents();
    PaintCounter counter;
    gauge.installEventFilter(&counter);

    QVERIFY(gauge.setProgress(37));
    QCOMPARE(counter.paints, 1);
    QVERIFY(gauge.setProgress(37));
    QCOMPARE(counter.paints, 1);
    QVERIFY(!gauge.setProgress(101));
    QCOMPARE(counter.paints, 1);

    QVERIFY(gauge.setMaxValue(200));
    gauge.setCaption("Upgrade progress");
    QCOMPARE(counter.paints, 1);
    QTRY_COMPARE(counter.paints, 2);

    // Unchanged text and colours ask for nothing.
    gauge.setCaption("Upgrade progress");
    gauge.setFrontColor(Qt::black);
    gauge.setShowPercent(true);
    QCoreApplication::processEvents();
    QCOMPARE(counter.paints, 2);
}

void TestKXGauge::textIsTwoColouredAtTheBarEnd()
{
    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);
    makeTextCrisp(gauge);
    gauge.setCaption("Upgrade progress");
    QVERIFY(gauge.setProgress(37));
    QCOMPARE(gauge.displayText(), QString("Upgrade progress 37%"));

    const QImage image = gauge.renderToImage();
    // Inside the frame (298 pixels wide) the bar covers 298 * 37 / 100 = 110 columns.
    const int barEnd = 1 + 110;
    const QRect overBar(1, 1, 110, 22);
    const QRect pastBar(barEnd, 1, 298 - 110, 22);

    // The top row inside the frame is free of text: bar exactly up to its end.
    QCOMPARE(countColour(image, QRect(1, 1, 110, 1), Black), 110);
    QCOMPARE(countColour(image, QRect(barEnd, 1, 188, 1), White), 188);

    // Over the bar the text is in the background colour, past it in the font colour.
    QCOMPARE(countOther(image, overBar, {Black, White}), 0);
    QVERIFY(countColour(image, overBar, White) > 20);
    QCOMPARE(countOther(image, pastBar, {White, Red}), 0);
    QVERIFY(countColour(image, pastBar, Red) > 20);

    // Centred: the text runs across the bar end and has about as much room on each side.
    const int textLeft = firstColumnWith(image, overBar, White);
    QVERIFY(textLeft > 1);
    int textRight = -1;
    for (int x = 298; x >= barEnd && textRight < 0; --x) {
        if (countColour(image, QRect(x, 1, 1, 22), Red) > 0)
            textRight = x;
    }
    QVERIFY(textRight > barEnd);
    QVERIFY(qAbs((textLeft - 1) - (298 - textRight)) <= 3);
}

void TestKXGauge::textFollowsTheAlignment()
{
    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);
    makeTextCrisp(gauge);
    gauge.resize(220, 24);
    gauge.setCaption("Searching TCP control device ... |");
    gauge.setShowPercent(false);
    const QRect inside(1, 1, 218, 22);

    gauge.setTxtAlign(TKXGauge::ttaLEFT);
    const int left = firstColumnWith(gauge.renderToImage(), inside, Red);
    gauge.setTxtAlign(TKXGauge::ttaRIGHT);
    const int right = firstColumnWith(gauge.renderToImage(), inside, Red);
    QVERIFY(left >= 1 && left <= 3);
    QVERIFY(right > left);

    gauge.setShowText(false);
    QCOMPARE(countColour(gauge.renderToImage(), inside, Red), 0);
}

void TestKXGauge::noTextWithoutCaptionAndPercent()
{
    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);
    makeTextCrisp(gauge);
    gauge.setCaption(QString());
    gauge.setShowPercent(false);
    QVERIFY(gauge.setProgress(37));
    QVERIFY(gauge.displayText().isEmpty());

    const QImage image = gauge.renderToImage();
    QCOMPARE(countColour(image, QRect(1, 1, 110, 22), Black), 110 * 22);
    QCOMPARE(countColour(image, QRect(111, 1, 188, 22), White), 188 * 22);

    // An empty caption with the percentage shows the number alone.
    gauge.setShowPercent(true);
    QCOMPARE(gauge.displayText(), QString("37%"));
    QVERIFY(countColour(gauge.renderToImage(), QRect(111, 1, 188, 22), Red) > 0);
}

void TestKXGauge::flatAnd3DFramesUseTheirColours()
{
    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);
    gauge.setShowText(false);
    gauge.setBorderColor(QColor::fromRgb(Blue));
    gauge.setFrame3DTopColor(QColor::fromRgb(Green));
    gauge.setFrame3DBottomColor(QColor::fromRgb(Magenta));

    QImage flat = gauge.renderToImage();
    for (const QPoint &p : {QPoint(0, 0), QPoint(299, 0), QPoint(0, 23), QPoint(299, 23),
                            QPoint(150, 0), QPoint(150, 23), QPoint(0, 12), QPoint(299, 12)})
        QCOMPARE(flat.pixel(p), Blue);
    QCOMPARE(flat.pixel(1, 1), White);
    QCOMPARE(flat.pixel(298, 22), White);

    gauge.setOutLine(TKXGauge::ol3D);
    const QImage raised = gauge.renderToImage();
    for (const QPoint &p :
         {QPoint(0, 0), QPoint(298, 0), QPoint(150, 0), QPoint(0, 12), QPoint(0, 22)})
        QCOMPARE(raised.pixel(p), Green);
    for (const QPoint &p :
         {QPoint(299, 0), QPoint(299, 12), QPoint(299, 23), QPoint(0, 23), QPoint(150, 23)})
        QCOMPARE(raised.pixel(p), Magenta);
    QCOMPARE(raised.pixel(1, 1), White);
    QCOMPARE(countColour(raised, raised.rect(), Blue), 0);
}

void TestKXGauge::transparentGaugeLeavesTheBackground()
{
    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);
    gauge.setShowText(false);
    gauge.setTransparent(true);
    QVERIFY(!gauge.testAttribute(Qt::WA_OpaquePaintEvent));
    QVERIFY(gauge.setProgress(50));

    const QImage image = gauge.renderToImage();
    QCOMPARE(image.pixel(0, 0), Black);                                  // outline still drawn
    QCOMPARE(countColour(image, QRect(1, 1, 149, 22), Black), 149 * 22); // bar still filled
    QCOMPARE(qAlpha(image.pixel(200, 12)), 0);                           // background left alone

    gauge.setTransparent(false);
    QVERIFY(gauge.testAttribute(Qt::WA_OpaquePaintEvent));
    QCOMPARE(gauge.renderToImage().pixel(200, 12), White);
}

void TestKXGauge::lowerBoundAboveZeroRunsFromEmptyToFull()
{
    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);
    gauge.setShowText(false);
    QVERIFY(gauge.setMinValue(50));
    QVERIFY(gauge.setProgress(75));
    QCOMPARE(gauge.percent(), 50);
    QImage image = gauge.renderToImage();
    QCOMPARE(countColour(image, QRect(1, 12, 298, 1), Black), 149);

    QVERIFY(gauge.setProgress(100));
    QCOMPARE(gauge.percent(), 100);
    QVERIFY(gauge.setProgress(50));
    QCOMPARE(gauge.percent(), 0);
    image = gauge.renderToImage();
    QCOMPARE(countColour(image, QRect(1, 1, 298, 22), Black), 0);
}

void TestKXGauge::accessibleTextsFollowCaptionAndValue()
{
    ScriptedDialogs dialogs;
    TKXGauge gauge(dialogs);
    gauge.setCaption("Upgrade progress");
    QVERIFY(gauge.setProgress(37));
    QCOMPARE(gauge.accessibleName(), QString("Upgrade progress"));
    QCOMPARE(gauge.accessibleDescription(), QString("37%"));

    QVERIFY(gauge.setMaxValue(74));
    QCOMPARE(gauge.accessibleDescription(), QString("50%"));
    gauge.setCaption(QString());
    QVERIFY(!gauge.accessibleName().isEmpty());
}

QTEST_MAIN(TestKXGauge)
#include "tst_kxgauge.moc"
