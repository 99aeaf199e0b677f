// The off-screen surface and the owner-drawn button that paints through it: what reaches the
// screen, pixel by pixel, in each state of the button.
#include "controls/cmymemdc.h"
#include "controls/craisedbutton.h"

#include <QApplication>
#include <QPaintEngine>
#include <QTest>

namespace {

// Every colour the button uses is distinct, and none is black (the focus frame).
struct SystemColours {
    QColor face;
    QColor text;
    QColor highlight;  // the outer top-left edge
    QColor light3d;    // the inner top-left edge
    QColor darkShadow; // the outer bottom-right edge
    QColor shadow;     // the inner bottom-right edge, the pressed frame
};

const SystemColours kClassic{QColor(0xC0, 0xC0, 0xC0), QColor(0x10, 0x10, 0x10),
                             QColor(0xFF, 0xFF, 0xFF), QColor(0xE0, 0xE0, 0xE0),
                             QColor(0x40, 0x40, 0x40), QColor(0x80, 0x80, 0x80)};
const SystemColours kChanged{QColor(0xA0, 0xC8, 0xA0), QColor(0x00, 0x00, 0x90),
                             QColor(0xF0, 0xF0, 0x30), QColor(0x30, 0xE0, 0xE0),
                             QColor(0x90, 0x10, 0x10), QColor(0x20, 0x60, 0x20)};

QPalette PaletteOf(const SystemColours &colours)
{
    QPalette palette;
    palette.setColor(QPalette::Button, colours.face);
    palette.setColor(QPalette::ButtonText, colours.text);
    palette.setColor(QPalette::Light, colours.highlight);
    palette.setColor(QPalette::Midlight, colours.light3d);
    palette.setColor(QPalette::Shadow, colours.darkShadow);
    palette.setColor(QPalette::Dark, colours.shadow);
    return palette;
}

QColor Xor(const QColor &a, const QColor &b)
{
    return QColor::fromRgb((a.rgb() ^ b.rgb()) | 0xFF000000u);
}

// The bounding box of the pixels inside area whose colour matches.
template <typename Match> QRect BoxWhere(const QImage &image, const QRect &area, Match match)
{
    QRect box;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (match(image.pixelColor(x, y))) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return box;
}

QRect BoxOf(const QImage &image, const QColor &colour, const QRect &area)
{
    return BoxWhere(image, area, [&](const QColor &pixel) { return pixel == colour; });
}

// A target that records the pixmaps drawn on it, to count the copies to the screen.
class RecordingEngine : public QPaintEngine {
public:
    RecordingEngine()
        : QPaintEngine(QPaintEngine::AllFeatures)
    {}
    bool begin(QPaintDevice *) override { return true; }
    bool end() override { return true; }
    void updateState(const QPaintEngineState &) override {}
    void drawPixmap(const QRectF &target, const QPixmap &, const QRectF &) override
    {
        m_pixmapTargets.append(target);
    }
    Type type() const override { return User; }

    QList<QRectF> m_pixmapTargets;
};

class RecordingDevice : public QPaintDevice {
public:
    QPaintEngine *paintEngine() const override { return &m_engine; }
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth:
        case PdmHeight:
            return 40;
        case PdmDepth:
            return 32;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY:
            return 96;
        case PdmDevicePixelRatio:
            return 1;
        case PdmDevicePixelRatioScaled:
            return int(devicePixelRatioFScale());
        default:
            return 0;
        }
    }

    mutable RecordingEngine m_engine;
};

// A button in a window of its own, so that it can take the keyboard focus.
struct ButtonWindow {
    explicit ButtonWindow(const QString &caption, QSize size = QSize(100, 34))
    {
        m_button->setText(caption);
        m_button->setGeometry(QRect(QPoint(), size));
        m_window.resize(size);
    }
    bool focus()
    {
        m_window.show();
        m_window.activateWindow();
        if (!QTest::qWaitForWindowActive(&m_window)) {
            return false;
        }
        m_button->setFocus();
        return m_button->hasFocus();
    }
    QImage paint() const
    {
        return m_button->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    QWidget m_window;
    CRaisedButton *m_button = new CRaisedButton(&m_window);
};

} // namespace

class TestControls : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void surfaceReachesOnlyItsClipBox_data();
    void surfaceReachesOnlyItsClipBox();
    void surfaceCopiesOnceWhenClosed();

    void paintsEachState_data();
    void paintsEachState();
    void emptyCaptionDrawsFaceAndEdgesOnly();
    void captionIsCentredOnTheButton_data();
    void captionIsCentredOnTheButton();
    void ampersandUnderlinesTheNextCharacter();
    void edgesFollowTheSystemColoursFaceAndCaptionKeepTheirs();
    void partialRepaintMatchesTheFullPaint();
};

void TestControls::initTestCase()
{
    QFont::insertSubstitution(QStringLiteral("黑体"), QStringLiteral("Noto Sans CJK SC"));
    QApplication::setPalette(PaletteOf(kClassic));
}

void TestControls::cleanup()
{
    QApplication::setPalette(PaletteOf(kClassic));
}

void TestControls::surfaceReachesOnlyItsClipBox_data()
{
    QTest::addColumn<QRect>("clipBox");
    QTest::newRow("at the origin") << QRect(0, 0, 8, 6);
    QTest::newRow("away from the origin") << QRect(5, 3, 7, 9);
    QTest::newRow("the whole target") << QRect(0, 0, 20, 16);
}

void TestControls::surfaceReachesOnlyItsClipBox()
{
    QFETCH(QRect, clipBox);
    const QColor untouched(Qt::magenta);
    QImage target(20, 16, QImage::Format_RGB32);
    target.fill(untouched);
    const QImage before = target;

    QPainter painter(&target);
    {
        CMyMemDC dc(&painter, clipBox);
        // Drawn in the target's coordinates, over the whole target; corners marked to show
        // that each pixel lands where the target would have put it.
        dc.fillRect(target.rect(), Qt::green);
        dc.fillRect(QRect(clipBox.topLeft(), QSize(1, 1)), Qt::red);
        dc.fillRect(QRect(clipBox.bottomRight(), QSize(1, 1)), Qt::blue);
        QCOMPARE(target, before);
    }
    painter.end();

    QImage expected = before;
    QPainter(&expected).fillRect(clipBox, Qt::green);
    expected.setPixelColor(clipBox.topLeft(), Qt::red);
    expected.setPixelColor(clipBox.bottomRight(), Qt::blue);
    QCOMPARE(target, expected);
}

void TestControls::surfaceCopiesOnceWhenClosed()
{
    RecordingDevice target;
    QPainter painter(&target);
    const QRect clipBox(5, 3, 7, 9);
    {
        CMyMemDC dc(&painter, clipBox);
        dc.fillRect(clipBox, Qt::green);
        dc.drawLine(clipBox.topLeft(), clipBox.bottomRight());
        QVERIFY(target.m_engine.m_pixmapTargets.isEmpty());
    }
    QCOMPARE(target.m_engine.m_pixmapTargets, QList<QRectF>{QRectF(clipBox)});
}

void TestControls::paintsEachState_data()
{
    QTest::addColumn<bool>("focused");
    QTest::addColumn<bool>("pressed");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("rest") << false << false << true;
    QTest::newRow("focused") << true << false << true;
    QTest::newRow("pressed") << true << true << true;
    QTest::newRow("disabled") << false << false << false;
}

void TestControls::paintsEachState()
{
    QFETCH(bool, focused);
    QFETCH(bool, pressed);
    QFETCH(bool, enabled);
    const QString caption = QStringLiteral("Save As");
    const QRect inside = QRect(0, 0, 100, 34).adjusted(5, 5, -5, -5); // inside every frame
    const QRect restCaption = BoxOf(ButtonWindow(caption).paint(), kClassic.text, inside);
    QVERIFY(!restCaption.isEmpty());

    ButtonWindow item(caption);
    if (focused) {
        QVERIFY(item.focus());
    }
    item.m_button->setDown(pressed);
    item.m_button->setEnabled(enabled);
    const QImage image = item.paint();
    if (const QString dir = qEnvironmentVariable("KESTRIM_SCREENSHOT_DIR"); !dir.isEmpty()) {
        image.save(dir + QStringLiteral("/controls-%1.png").arg(QTest::currentDataTag()));
    }
    const int w = image.width();
    const int h = image.height();
    const auto at = [&](int x, int y) {
        return image.pixelColor(x, y);
    };

    // The black frame along the button's edge, only while focused.
    for (const QPoint p : {QPoint(0, 0), QPoint(w / 2, 0), QPoint(w - 2, 0), QPoint(0, h / 2),
                           QPoint(w - 1, h - 1)}) {
        QCOMPARE(at(p.x(), p.y()) == QColor(Qt::black), focused);
    }

    const int e = focused ? 1 : 0; // the edges start inside the black frame
    if (pressed) {
        for (const QPoint p : {QPoint(1, 1), QPoint(1, h / 2), QPoint(w / 2, 1),
                               QPoint(w - 2, h / 2), QPoint(w / 2, h - 2), QPoint(w - 2, h - 2)}) {
            QCOMPARE(at(p.x(), p.y()), kClassic.shadow);
        }
        QCOMPARE(at(2, h / 2), kClassic.face); // no raised edge inside the frame
        QCOMPARE(at(w - 3, h / 2), kClassic.face);
    } else {
        QCOMPARE(at(e, e), kClassic.highlight);
        QCOMPARE(at(e, h / 2), kClassic.highlight);
        QCOMPARE(at(w / 2, e), kClassic.highlight);
        QCOMPARE(at(w - 2 - e, e), kClassic.highlight); // the inner shadow stops below it
        QCOMPARE(at(e + 1, e + 1), kClassic.light3d);
        QCOMPARE(at(e + 1, h / 2), kClassic.light3d);
        QCOMPARE(at(w / 2, e + 1), kClassic.light3d);
        // The dark lines own the corners where they meet the light ones.
        QCOMPARE(at(e, h - 1 - e), kClassic.darkShadow);
        QCOMPARE(at(w - 1 - e, e), kClassic.darkShadow);
        QCOMPARE(at(w - 1 - e, h / 2), kClassic.darkShadow);
        QCOMPARE(at(w / 2, h - 1 - e), kClassic.darkShadow);
        QCOMPARE(at(w - 1 - e, h - 1 - e), kClassic.darkShadow);
        QCOMPARE(at(e + 1, h - 2 - e), kClassic.shadow);
        QCOMPARE(at(w - 2 - e, e + 1), kClassic.shadow);
        QCOMPARE(at(w - 2 - e, h / 2), kClassic.shadow);
        QCOMPARE(at(w / 2, h - 2 - e), kClassic.shadow);
        QCOMPARE(at(e + 2, h / 2), kClassic.face);
    }

    // Focus dots four pixels inside the edge: after a caption, the set pixels of the pattern
    // XOR the face with itself (black) and the others XOR it with the caption colour.
    const QColor dot = focused ? QColor(Qt::black) : kClassic.face;
    const QColor between = focused ? Xor(kClassic.face, kClassic.text) : kClassic.face;
    QCOMPARE(at(4, 4), dot);
    QCOMPARE(at(5, 4), between);
    QCOMPARE(at(4, 5), between);
    QCOMPARE(at(w - 5, h - 5), (w + h) % 2 == 0 ? dot : between);
    QCOMPARE(at(3, 4), kClassic.face);
    QCOMPARE(at(4, 3), kClassic.face);

    if (enabled) {
        const QPoint shift = pressed ? QPoint(1, 1) : QPoint();
        QCOMPARE(BoxOf(image, kClassic.text, inside), restCaption.translated(shift));
    } else {
        // Embossed: the shadow copy where the caption would be, a highlight copy beside it.
        QVERIFY(BoxOf(image, kClassic.text, inside).isEmpty());
        QCOMPARE(BoxOf(image, kClassic.shadow, inside), restCaption);
        QVERIFY(!BoxOf(image, kClassic.highlight, inside).isEmpty());
    }
}

void TestControls::emptyCaptionDrawsFaceAndEdgesOnly()
{
    ButtonWindow item(QString{});
    QVERIFY(item.focus());
    const QImage image = item.paint();
    const QRect inside = image.rect().adjusted(5, 5, -5, -5);
    QCOMPARE(BoxOf(image, kClassic.face, inside), inside);
    QCOMPARE(image.pixelColor(1, 1), kClassic.highlight);
    QCOMPARE(image.pixelColor(image.width() - 3, image.height() - 3), kClassic.shadow);
    // Without a caption the surface keeps its first colours, black on white: the focus pattern
    // inverts every other pixel and leaves the rest.
    QCOMPARE(image.pixelColor(4, 4), Xor(kClassic.face, Qt::white));
    QCOMPARE(image.pixelColor(5, 4), kClassic.face);
}

void TestControls::captionIsCentredOnTheButton_data()
{
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QSize>("size");
    QTest::newRow("fits") << QStringLiteral("Save As") << QSize(100, 34);
    QTest::newRow("wider than the button") << QStringLiteral("Save As Save As") << QSize(60, 34);
    QTest::newRow("taller than the button") << QStringLiteral("Save As") << QSize(100, 18);
}

void TestControls::captionIsCentredOnTheButton()
{
    QFETCH(QString, caption);
    QFETCH(QSize, size);
    // The same caption on a large button is the reference; the small button must show its
    // middle, give or take the pixel that halving an odd difference loses.
    const QImage reference = ButtonWindow(caption, QSize(300, 60)).paint();
    const QImage image = ButtonWindow(caption, size).paint();
    const QRect inside = image.rect().adjusted(2, 2, -2, -2);
    const QImage middle = image.copy(inside);
    const QPoint centred((300 - size.width()) / 2, (60 - size.height()) / 2);
    bool found = false;
    for (int dy = -1; dy <= 1 && !found; ++dy) {
        for (int dx = -1; dx <= 1 && !found; ++dx) {
            found = reference.copy(inside.translated(centred + QPoint(dx, dy))) == middle;
        }
    }
    QVERIFY2(found, "the caption is not centred on the button");
    QVERIFY(!BoxOf(image, kClassic.text, inside).isEmpty());
}

void TestControls::ampersandUnderlinesTheNextCharacter()
{
    const QImage plain = ButtonWindow(QStringLiteral("Save As")).paint();
    const QImage prefixed = ButtonWindow(QStringLiteral("&Save As")).paint();
    const QRect ink = BoxOf(plain, kClassic.text, plain.rect().adjusted(5, 5, -5, -5));
    QVERIFY(!ink.isEmpty());
    // Measured and drawn without the "&": the letters are where they are without it.
    const QRect letters(0, 0, plain.width(), ink.bottom() + 1);
    QCOMPARE(prefixed.copy(letters), plain.copy(letters));
    // The underline below the letters, under the first one only.
    const QRect below(ink.left() - 1, ink.bottom() + 1, ink.width() + 2, 4);
    QCOMPARE(BoxOf(plain, kClassic.face, below), below);
    const QRect underline =
        BoxWhere(prefixed, below, [](const QColor &pixel) { return pixel != kClassic.face; });
    QVERIFY(!underline.isEmpty());
    QVERIFY(underline.right() < ink.center().x());
}

void TestControls::edgesFollowTheSystemColoursFaceAndCaptionKeepTheirs()
{
    ButtonWindow before(QStringLiteral("Save As"));
    QApplication::setPalette(PaletteOf(kChanged));
    ButtonWindow after(QStringLiteral("Save As"));

    const QImage image = before.paint();
    const int w = image.width();
    const int h = image.height();
    QCOMPARE(image.pixelColor(0, h / 2), kChanged.highlight);
    QCOMPARE(image.pixelColor(1, h / 2), kChanged.light3d);
    QCOMPARE(image.pixelColor(w - 1, h / 2), kChanged.darkShadow);
    QCOMPARE(image.pixelColor(w - 2, h / 2), kChanged.shadow);
    QCOMPARE(image.pixelColor(2, h / 2), kClassic.face);
    const QRect inside = image.rect().adjusted(5, 5, -5, -5);
    QVERIFY(!BoxOf(image, kClassic.text, inside).isEmpty());
    QVERIFY(BoxOf(image, kChanged.text, inside).isEmpty());

    // A button made after the change takes the new face and caption colours.
    const QImage newer = after.paint();
    QCOMPARE(newer.pixelColor(2, h / 2), kChanged.face);
    QVERIFY(!BoxOf(newer, kChanged.text, inside).isEmpty());
}

void TestControls::partialRepaintMatchesTheFullPaint()
{
    ButtonWindow item(QStringLiteral("Save As"));
    QVERIFY(item.focus());
    const QImage full = item.paint();

    // Starts on an odd pixel sum, across the focus rectangle's corner and into the caption.
    const QRect part(3, 2, 41, 13);
    QImage image(full.size(), QImage::Format_RGB32);
    image.fill(Qt::magenta);
    item.m_button->render(&image, part.topLeft(), QRegion(part));

    QImage expected(full.size(), QImage::Format_RGB32);
    expected.fill(Qt::magenta);
    QPainter(&expected).drawImage(part.topLeft(), full.copy(part));
    QCOMPARE(image, expected);
}

QTEST_MAIN(TestControls)
#include "tst_controls.moc"
