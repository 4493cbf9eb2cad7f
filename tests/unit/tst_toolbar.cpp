#include "commands/KeyTable.h"
#include "commands/Operations.h"
#include "commands/Toolbar.h"
#include "core/Twips.h"
#include "mainwindow/TopBand.h"
#include "windowfixture.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QIcon>
#include <QImage>
#include <QKeySequence>
#include <QLabel>
#include <QPixmap>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QToolButton>

class TestToolbar : public QObject {
    Q_OBJECT
private slots:
    void init();
    void cleanup();
    void buttons_data();
    void buttons();
    void sameScreenPositionsInsideAnOffsetHost();
    void outOfRangeIndexes();
    void clickTriggersItsAction();
    void tooltipNamesTheKeyThatWorks();
    void pictures();
    void wholeInTheWindow_data();
    void wholeInTheWindow();

private:
    OperationRegistry ops_;
    QWidget* band_ = nullptr;
    Toolbar* bar_ = nullptr;
};

void TestToolbar::init() {
    band_ = new QWidget;
    band_->resize(700, twips::toPx(340));
    bar_ = new Toolbar(band_, ops_);
}

void TestToolbar::cleanup() {
    delete band_; // owns the toolbar and its buttons
    band_ = nullptr;
    bar_ = nullptr;
}

void TestToolbar::buttons_data() {
    QTest::addColumn<int>("index");
    QTest::addColumn<QRect>("geometry");
    QTest::addColumn<QString>("tip");
    // Left edges 3270, 3600, 3930, 4275, 4710, 5040, 5370, 5715 twips; top 15; 240 square.
    QTest::newRow("0 open") << 0 << QRect(218, 1, 16, 16) << u"Ctrl+O 画像ﾌｧｲﾙを開きます"_qs;
    QTest::newRow("1 save") << 1 << QRect(240, 1, 16, 16) << u"Ctrl+S 上書き保存"_qs;
    QTest::newRow("2 save to work folder")
        << 2 << QRect(262, 1, 16, 16) << u"Ctrl+W 作業ﾌｫﾙﾀﾞに保存"_qs;
    QTest::newRow("3 explore") << 3 << QRect(285, 1, 16, 16)
                               << u"Ctrl+E 作業ﾌｫﾙﾀﾞをｴｸｽﾌﾟﾛｰﾗｰで開きます"_qs;
    QTest::newRow("4 paste") << 4 << QRect(314, 1, 16, 16)
                             << u"Ctrl+V 現在の画像をｸﾘｯﾌﾟﾎﾞｰﾄﾞに貼り付けます"_qs;
    QTest::newRow("5 trim") << 5 << QRect(336, 1, 16, 16) << u"Ctrl+T 画像をﾄﾘﾐﾝｸﾞします"_qs;
    QTest::newRow("6 fold rows") << 6 << QRect(358, 1, 16, 16) << u"縦方向に綴じこめます"_qs;
    QTest::newRow("7 fold columns") << 7 << QRect(381, 1, 16, 16) << u"横方向に綴じこめます"_qs;
}

void TestToolbar::buttons() {
    QFETCH(int, index);
    QFETCH(QRect, geometry);
    QFETCH(QString, tip);

    QToolButton* b = bar_->button(index);
    QVERIFY(b);
    QCOMPARE(band_->findChild<QToolButton*>(QStringLiteral("imBtn%1").arg(index)), b);
    QCOMPARE(b->parentWidget(), band_);
    QCOMPARE(b->geometry(), geometry);
    QVERIFY(b->geometry().bottom() < band_->height()); // fits the 23-px band
    QCOMPARE(b->toolTip(), tip);
    QVERIFY(b->autoRaise());
    QVERIFY(b->text().isEmpty());
    QCOMPARE(b->iconSize(), QSize(16, 16));
    QVERIFY(b->isEnabled());
}

void TestToolbar::sameScreenPositionsInsideAnOffsetHost() {
    // The band may hand over a sub-area that starts at 3240 twips instead of itself.
    QWidget band;
    auto* area = new QWidget(&band);
    area->setGeometry(twips::toPx(3240), 0, twips::toPx(1305), twips::toPx(340));
    Toolbar inArea(area, ops_, 3240);
    for (int i = 0; i < Toolbar::kCount; ++i) {
        QToolButton* b = inArea.button(i);
        QCOMPARE(b->parentWidget(), area);
        QCOMPARE(QRect(b->mapTo(&band, QPoint(0, 0)), b->size()), bar_->button(i)->geometry());
    }
}

void TestToolbar::outOfRangeIndexes() {
    for (int i : {-1, Toolbar::kCount}) {
        QCOMPARE(bar_->button(i), nullptr);
        QVERIFY(!Toolbar::operation(i));
        QVERIFY(Toolbar::toolTip(i).isEmpty());
    }
}

void TestToolbar::clickTriggersItsAction() {
    band_->show();
    QVERIFY(QTest::qWaitForWindowExposed(band_));
    QList<QAction*> triggered;
    QObject watch;
    for (Operation op : OperationRegistry::all())
        connect(ops_.action(op), &QAction::triggered, &watch,
                [&triggered, a = ops_.action(op)] { triggered << a; });
    // The operations of the buttons, left to right.
    using O = Operation;
    const O ops[] = {O::Open,  O::Overwrite, O::SaveToWorkFolder, O::ExploreWorkFolder,
                     O::Paste, O::Trim,      O::FoldVertical,     O::FoldHorizontal};
    for (int i : {3, 0, 7, 4, 1, 2, 5, 6}) {
        triggered.clear();
        QTest::mouseClick(bar_->button(i), Qt::LeftButton);
        QCOMPARE(triggered, QList<QAction*>{ops_.action(ops[i])});
    }
    // Nothing is triggered by a press dragged off the button.
    triggered.clear();
    QTest::mousePress(bar_->button(1), Qt::LeftButton);
    QTest::mouseRelease(band_, Qt::LeftButton, {}, QPoint(5, 5));
    QVERIFY(triggered.isEmpty());
}

void TestToolbar::tooltipNamesTheKeyThatWorks() {
    for (int i = 0; i < Toolbar::kCount; ++i) {
        const QString tip = bar_->button(i)->toolTip();
        const Operation op = *Toolbar::operation(i);
        static const QRegularExpression keyFirst(
            QStringLiteral("^((?:Ctrl\\+|Shift\\+|Alt\\+)*(?:F\\d+|[A-Z])) "));
        const QRegularExpressionMatch key = keyFirst.match(tip);
        if (!key.hasMatch()) {
            // No key named: none runs this work.
            QVERIFY2(OperationRegistry::keys(op).empty(), qPrintable(tip));
            continue;
        }
        const QKeySequence named = QKeySequence::fromString(key.captured(1));
        QCOMPARE(named.count(), 1);
        const std::optional<Operation> run =
            keytable::operation(int(named[0].key()), named[0].keyboardModifiers());
        QVERIFY2(run, qPrintable(tip));
        // Pasting's key is the picture paste, the same work while a picture is shown.
        QVERIFY2(*run == op || (op == Operation::Paste && *run == Operation::PasteImage),
                 qPrintable(tip));
    }
}

void TestToolbar::pictures() {
    QList<QImage> seen;
    for (int i = 0; i < Toolbar::kCount; ++i) {
        const QString path = OperationRegistry::iconPath(*Toolbar::operation(i));
        QVERIFY2(path.startsWith(QStringLiteral(":/icons/")), qPrintable(path));
        const QPixmap pm(path);
        QVERIFY2(!pm.isNull(), qPrintable(path));
        QCOMPARE(pm.size(), QSize(16, 16));
        const QImage img = pm.toImage();
        QVERIFY2(img.hasAlphaChannel(), qPrintable(path)); // the band shows through
        QVERIFY2(!seen.contains(img), qPrintable(path + " repeats another picture"));
        seen << img;

        const QIcon icon = bar_->button(i)->icon();
        QVERIFY(!icon.isNull());
        QCOMPARE(icon.pixmap(16, 16).toImage().convertToFormat(img.format()), img);
    }
}

void TestToolbar::wholeInTheWindow_data() {
    QTest::addColumn<bool>("smallest");
    QTest::addColumn<int>("fontPixels");  // 0: the default font
    QTest::addColumn<int>("forcedWidth"); // a window manager ignoring the minimum; 0: none
    QTest::newRow("designed size") << false << 0 << 0;
    QTest::newRow("smallest size") << true << 0 << 0;
    QTest::newRow("smallest size, large font") << true << 20 << 0;
    QTest::newRow("narrower than asked") << false << 0 << 480;
}

void TestToolbar::wholeInTheWindow() {
    QFETCH(bool, smallest);
    QFETCH(int, fontPixels);
    QFETCH(int, forcedWidth);
    const QFont appFont = QApplication::font();
    const auto restoreFont = qScopeGuard([&] { QApplication::setFont(appFont); });
    if (fontPixels > 0) {
        QFont large = appFont;
        large.setPixelSize(fontPixels);
        QApplication::setFont(large);
    }
    WindowFixture win;
    fmMain& w = *win.w;
    if (smallest)
        w.resize(1, 1); // held at the minimum
    if (forcedWidth > 0) {
        w.setMinimumSize(0, 0);
        w.resize(forcedWidth, 500);
    }
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    QWidget& band = win.band();
    if (forcedWidth > 0) {
        QCOMPARE(w.width(), forcedWidth);
        QCOMPARE(band.height(), 2 * twips::toPx(TopBand::kHeightTwips)); // a second row
        for (QWidget* below :
             {static_cast<QWidget*>(&win.list()), static_cast<QWidget*>(&win.view())})
            QCOMPARE(below->y(), band.height());
    } else {
        QVERIFY(w.width() >= twips::toPx(TopBand::kWidthTwips));
        QCOMPARE(w.width(), smallest ? w.minimumWidth() : twips::toPx(11400));
        QCOMPARE(band.height(), twips::toPx(TopBand::kHeightTwips));
    }
    // The band's other controls fit too, each with room for its whole text.
    for (QWidget* c : band.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        QVERIFY2(band.geometry().contains(QRect(c->mapTo(&w, QPoint()), c->size())),
                 qPrintable(c->objectName()));
        QVERIFY2(w.rect().contains(QRect(c->mapTo(&w, QPoint()), c->size())),
                 qPrintable(c->objectName()));
        if (qobject_cast<QLabel*>(c) || qobject_cast<QCheckBox*>(c))
            QVERIFY2(c->width() >= c->sizeHint().width(),
                     qPrintable(c->accessibleName() + u' ' + QString::number(c->width())));
    }
    const QList<QToolButton*> buttons = w.findChildren<QToolButton*>();
    QCOMPARE(buttons.size(), Toolbar::kCount);
    for (QToolButton* b : buttons) {
        const QByteArray name = b->objectName().toLatin1();
        QVERIFY2(b->isVisible(), name);
        QVERIFY2(b->parentWidget()->rect().contains(b->geometry()), name);
        QCOMPARE(b->visibleRegion(), QRegion(b->rect())); // nothing clips it
        const QRect inWindow(b->mapTo(&w, QPoint()), b->size());
        QVERIFY2(w.rect().contains(inWindow), name);
        // A click anywhere on it reaches it, not a control lying over it.
        for (QPoint p : {inWindow.topLeft(), inWindow.center(), inWindow.bottomRight()})
            QCOMPARE(w.childAt(p), b);
        for (QWidget* c : band.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (c != b->parentWidget())
                QVERIFY2(!QRect(c->mapTo(&w, QPoint()), c->size()).intersects(inWindow),
                         qPrintable(c->objectName() + " overlaps " + name));
    }
}

QTEST_MAIN(TestToolbar)
#include "tst_toolbar.moc"
