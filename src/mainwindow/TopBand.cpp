#include "mainwindow/TopBand.h"

#include "core/Twips.h"

#include <QCheckBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QRegularExpression>
#include <QShortcut>

#include <algorithm>

namespace {
void place(QWidget* w, int left, int top, int width, int height) {
    w->setGeometry(twips::toPx(left), twips::toPx(top), twips::toPx(width), twips::toPx(height));
}
} // namespace

TopBand::TopBand(QWidget* parent) : QWidget(parent) {
    setFixedHeight(twips::toPx(kHeightTwips));
    const char16_t* captions[] = {u"ﾌｧｲﾙ(&F)", u"編集(&E)", u"設定(&U)", u"ﾍﾙﾌﾟ(&H)"};
    const int lefts[] = {75, 860, 1645, 2430};
    for (int i = 0; i < 4; ++i) {
        menuLabels[size_t(i)] = new QLabel(QString::fromUtf16(captions[i]), this);
        menuLabels[size_t(i)]->setObjectName(QStringLiteral("lbCom%1").arg(i));
        QString shown = QString::fromUtf16(captions[i]);
        shown.replace(QRegularExpression(QStringLiteral("&(.)")), QStringLiteral("<u>\\1</u>"));
        menuLabels[size_t(i)]->setText(shown);
        menuLabels[size_t(i)]->setTextFormat(Qt::RichText);
        menuLabels[size_t(i)]->setCursor(Qt::PointingHandCursor);
        menuLabels[size_t(i)]->setAccessibleName(QString::fromUtf16(captions[i]).remove(u'&'));
        place(menuLabels[size_t(i)], lefts[i], 45, 750, 255);
        menuLabels[size_t(i)]->installEventFilter(this);
        // The underlined letter opens the menu, as a menu bar's would.
        auto* key = new QShortcut(QKeySequence::mnemonic(QString::fromUtf16(captions[i])), this);
        connect(key, &QShortcut::activated, this, [this, i] { emit menuRequested(i); });
    }
    buttonArea = new QWidget(this);
    buttonArea->setObjectName(QStringLiteral("imBtnArea"));
    // Wide enough for all eight buttons; a narrower area would clip the last ones away.
    place(buttonArea, kButtonAreaLeftTwips, 0, kButtonAreaWidthTwips, kHeightTwips);

    m_line = new QFrame(this);
    m_line->setFrameShape(QFrame::VLine);
    m_line->setStyleSheet(QStringLiteral("color: grey"));
    place(m_line, kLineLeftTwips, 15, 15, 300);

    scaleDisplay = new QCheckBox(QStringLiteral("ｽｹｰﾙ表示"), this);
    scaleDisplay->setObjectName(QStringLiteral("chDsp0"));
    scaleDisplay->setAccessibleName(scaleDisplay->text());
    place(scaleDisplay, 6045, 15, 1200, 255);
    scaleDisplay->setChecked(true); // designed checked; the loaded settings decide
    captureWait = new QCheckBox(QStringLiteral("ｷｬﾌﾞﾁｬｰ待機"), this);
    captureWait->setObjectName(QStringLiteral("chDsp1"));
    captureWait->setAccessibleName(captureWait->text());
    place(captureWait, 7335, 15, 1395, 255);

    prefixLabel = new QLabel(QStringLiteral("ﾌﾟﾚﾌｨｯｸｽ"), this);
    prefixLabel->setAccessibleName(prefixLabel->text());
    place(prefixLabel, 8850, 45, 750, 195);
    prefixBox = new QLineEdit(this);
    prefixBox->setObjectName(QStringLiteral("Text1"));
    prefixBox->setAccessibleName(QStringLiteral("ﾌﾟﾚﾌｨｯｸｽ"));
    prefixLabel->setBuddy(prefixBox);
    prefixBox->setToolTip(QStringLiteral("画像を連番で保存時の連番の前部分"));
    place(prefixBox, 9645, 15, 585, 270);
    layOut();
}

QList<QWidget*> TopBand::secondRow() const {
    return {scaleDisplay, captureWait, prefixLabel, prefixBox};
}

void TopBand::layOut() {
    const bool wrapped = m_twoRows;
    if (wrapped) { // back to one row; wrapped again below with the new widths
        for (QWidget* w : secondRow())
            w->move(w->pos() - m_wrapShift);
        m_twoRows = false;
    }
    // The designed places are where each control starts at the least; a text wider than its
    // designed width (another font, another size) gets its room and pushes the rest right.
    int right = 0;
    auto next = [&right](QWidget* w, int leftTwips, int widthPx) {
        const int left = std::max(twips::toPx(leftTwips), right + kGapPx);
        w->setGeometry(left, w->y(), widthPx, w->height());
        right = left + widthPx;
        return left - twips::toPx(leftTwips);
    };
    auto fitted = [](QWidget* w) { return std::max(w->width(), w->sizeHint().width()); };
    const int lefts[] = {75, 860, 1645, 2430};
    for (size_t i = 0; i < menuLabels.size(); ++i) {
        menuLabels[i]->resize(twips::toPx(750), menuLabels[i]->height());
        next(menuLabels[i], lefts[i], fitted(menuLabels[i]));
    }
    const int shift = next(buttonArea, kButtonAreaLeftTwips, twips::toPx(kButtonAreaWidthTwips));
    m_line->move(twips::toPx(kLineLeftTwips) + shift, m_line->y());
    scaleDisplay->resize(twips::toPx(1200), scaleDisplay->height());
    next(scaleDisplay, 6045, fitted(scaleDisplay));
    captureWait->resize(twips::toPx(1395), captureWait->height());
    next(captureWait, 7335, fitted(captureWait));
    prefixLabel->resize(twips::toPx(750), prefixLabel->height());
    next(prefixLabel, 8850, fitted(prefixLabel));
    // The box scrolls its text; its designed width is enough.
    next(prefixBox, 9645, twips::toPx(585));
    m_oneRowWidth = prefixBox->geometry().right() + 1 + twips::toPx(75); // margin as on the left
    if (wrapped)
        fitTo(m_fitWidth);
}

void TopBand::fitTo(int width) {
    m_fitWidth = width;
    const bool twoRows = width < m_oneRowWidth;
    if (twoRows != m_twoRows) {
        // The second row starts at the band's left margin, one row further down.
        if (twoRows)
            m_wrapShift = QPoint(twips::toPx(75) - scaleDisplay->x(), twips::toPx(kHeightTwips));
        for (QWidget* w : secondRow())
            w->move(twoRows ? w->pos() + m_wrapShift : w->pos() - m_wrapShift);
        m_twoRows = twoRows;
    }
    setFixedHeight(twips::toPx(kHeightTwips) * (m_twoRows ? 2 : 1));
}

int TopBand::neededWidth() const {
    return m_oneRowWidth;
}

void TopBand::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        layOut();
}

bool TopBand::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        for (size_t i = 0; i < menuLabels.size(); ++i)
            if (watched == menuLabels[i]) {
                emit menuRequested(int(i));
                return true;
            }
    return QWidget::eventFilter(watched, event);
}
