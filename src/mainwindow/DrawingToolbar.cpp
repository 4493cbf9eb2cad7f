#include "mainwindow/DrawingToolbar.h"

#include "imaging/DrawingSession.h"
#include "mainwindow/ToolbarPlacement.h"

#include <QButtonGroup>
#include <QCloseEvent>
#include <QColorDialog>
#include <QComboBox>
#include <QPainter>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

using imaging::DrawTool;
using imaging::Shape;

constexpr int kIcon = 24;

// The tool's icon: a small shape drawn the way the tool draws it.
QIcon toolIcon(DrawTool tool, const QImage& stamp) {
    QPixmap pm(kIcon, kIcon);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    Shape s;
    s.tool = tool;
    s.colour = QColor(200, 30, 30);
    s.width = 2;
    switch (tool) {
    case DrawTool::Select:
        p.setPen(QPen(Qt::black, 1, Qt::DashLine));
        p.drawRect(4, 4, 15, 15);
        return QIcon(pm);
    case DrawTool::Pen:
        s.points = {{3, 17}, {7, 8}, {11, 15}, {15, 6}, {20, 13}};
        break;
    case DrawTool::Line:
    case DrawTool::Arrow:
        s.points = {{3, 20}, {20, 3}};
        s.width = tool == DrawTool::Arrow ? 1 : 2;
        break;
    case DrawTool::Rectangle:
    case DrawTool::Ellipse:
        s.points = {{3, 6}, {20, 17}};
        break;
    case DrawTool::Highlighter:
        p.fillRect(pm.rect(), Qt::white);
        s.points = {{2, 12}, {21, 12}};
        break;
    case DrawTool::Text:
        s.points = {{5, 1}};
        s.text = QStringLiteral("A");
        s.fontSize = 20;
        s.colour = Qt::black;
        break;
    case DrawTool::Number:
        s.points = {{11, 11}};
        s.width = 0;
        s.number = 1;
        break;
    case DrawTool::Pixelate:
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 4; ++x)
                p.fillRect(2 + x * 5, 2 + y * 5, 5, 5, (x + y) % 2 ? Qt::gray : Qt::darkGray);
        return QIcon(pm);
    case DrawTool::Stamp:
        if (!stamp.isNull())
            p.drawImage(QRect(2, 2, 20, 20), stamp);
        else
            p.drawEllipse(3, 3, 17, 17);
        return QIcon(pm);
    }
    imaging::paintShape(p, s);
    return QIcon(pm);
}

QImage loadStamp(const QString& path) {
    QImage img(path);
    if (img.isNull())
        return {};
    img = img.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = img.pixel(0, 0);
    for (int y = 0; y < img.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if (line[x] == key)
                line[x] = qRgba(0, 0, 0, 0);
    }
    return img;
}

} // namespace

DrawingToolbar::DrawingToolbar(imaging::DrawingSession& session, const QString& stampPath,
                               QWidget* parent)
    : QWidget(parent, Qt::Tool), m_session(session) {
    setWindowTitle(QStringLiteral("ToolBar"));
    setObjectName(QStringLiteral("DrawingToolbar"));
    setAccessibleName(QStringLiteral("ToolBar"));
    setFixedWidth(kDrawingToolbarWidth);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(4, 4, 4, 4);
    layout->setSpacing(2);

    m_session.stamp = loadStamp(stampPath);
    m_group = new QButtonGroup(this);
    m_group->setExclusive(true);
    const std::pair<DrawTool, const char16_t*> tools[] = {
        {DrawTool::Select, u"選択"},         {DrawTool::Pen, u"ﾍﾟﾝ"},
        {DrawTool::Line, u"直線"},           {DrawTool::Arrow, u"矢印"},
        {DrawTool::Rectangle, u"四角形"},    {DrawTool::Ellipse, u"楕円"},
        {DrawTool::Highlighter, u"蛍光ﾍﾟﾝ"}, {DrawTool::Text, u"文字"},
        {DrawTool::Number, u"番号"},         {DrawTool::Pixelate, u"ﾓｻﾞｲｸ"},
        {DrawTool::Stamp, u"ｽﾀﾝﾌﾟ"},
    };
    for (const auto& [tool, name] : tools) {
        auto* b = new QToolButton(this);
        QString tip = QString::fromUtf16(name);
        if (tool == DrawTool::Stamp && m_session.stamp.isNull()) {
            tip += QStringLiteral("（Stamp.bmp がありません）");
            b->setEnabled(false);
        }
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        b->setIcon(toolIcon(tool, m_session.stamp));
        b->setIconSize(QSize(kIcon, kIcon));
        b->setCheckable(true);
        b->setAutoRaise(true);
        b->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        m_group->addButton(b, int(tool));
        m_buttons[tool] = b;
        layout->addWidget(b);
        connect(b, &QToolButton::clicked, this, [this, tool = tool] { selectTool(tool); });
    }

    m_colour = new QToolButton(this);
    m_colour->setToolTip(QStringLiteral("色"));
    m_colour->setAccessibleName(QStringLiteral("色"));
    m_colour->setIconSize(QSize(kIcon, kIcon));
    m_colour->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_colour, &QToolButton::clicked, this, &DrawingToolbar::chooseColour);
    layout->addWidget(m_colour);

    auto choice = [&](const QString& name, std::initializer_list<int> values, int current) {
        auto* c = new QComboBox(this);
        c->setToolTip(name);
        c->setAccessibleName(name);
        for (int v : values)
            c->addItem(QString::number(v), v);
        c->setCurrentIndex(c->findData(current));
        layout->addWidget(c);
        return c;
    };
    m_width = choice(QStringLiteral("線の太さ"), {1, 2, 3, 5, 8, 12}, m_session.width);
    connect(m_width, &QComboBox::currentIndexChanged, this,
            [this] { m_session.width = m_width->currentData().toInt(); });
    m_textSize =
        choice(QStringLiteral("文字の大きさ"), {12, 16, 20, 28, 40, 60}, m_session.fontSize);
    connect(m_textSize, &QComboBox::currentIndexChanged, this,
            [this] { m_session.fontSize = m_textSize->currentData().toInt(); });
    layout->addStretch(1);

    setColour(m_session.colour);
    selectTool(m_session.tool());
}

void DrawingToolbar::selectTool(DrawTool tool) {
    if (!m_buttons.at(tool)->isEnabled())
        tool = DrawTool::Select;
    m_buttons.at(tool)->setChecked(true);
    m_session.setTool(tool);
}

void DrawingToolbar::setColour(const QColor& colour) {
    m_session.colour = colour;
    QPixmap pm(kIcon, kIcon);
    pm.fill(colour);
    m_colour->setIcon(QIcon(pm));
}

void DrawingToolbar::chooseColour() {
    const QColor c = QColorDialog::getColor(m_session.colour, this, QStringLiteral("色の選択"));
    if (c.isValid())
        setColour(c);
}

void DrawingToolbar::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    emit closed();
}
