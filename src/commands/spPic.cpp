#include "commands/spPic.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace {
const char* const kCaption = "tolvikCaption";
constexpr std::optional<Operation> kSeparator;
QStringList texts(std::initializer_list<const char16_t*> list) {
    QStringList out;
    for (const char16_t* s : list)
        out << QString::fromUtf16(s);
    return out;
}
} // namespace

spPic::spPic(QObject* parent) : QObject(parent) {
    using O = Operation;
    popup = [](QMenu* m) { m->exec(QCursor::pos()); };
    m_items.resize(OperationRegistry::all().size(), nullptr);
    for (int i = 0; i < 3; ++i) {
        mnJb[size_t(i)] = new QMenu;
        m_owned.push_back(mnJb[size_t(i)]);
    }
    mnJb[0]->setTitle(QStringLiteral("ﾌｧｲﾙ(&F)"));
    mnJb[1]->setTitle(QStringLiteral("画像編集(&E)"));
    mnJb[2]->setTitle(QStringLiteral("設定"));

    addItems(mnJb[0], {O::Open, O::Overwrite, O::SaveAs, O::OpenInMarlo, kSeparator, O::PrintSetup,
                       O::Print, kSeparator, O::SaveToWorkFolder, O::ExploreWorkFolder,
                       O::OpenInPirra, kSeparator, O::EmptyWorkFolder, kSeparator, O::Exit});

    QMenu* edit = mnJb[1];
    addItems(edit, {O::Copy, O::CopyAndMinimize, kSeparator, O::Paste, kSeparator});
    // Every submenu of the edit popup needs a picture.
    auto sub = [&](const QString& title) {
        auto* m = new QMenu(title);
        m_owned.push_back(m);
        QAction* a = edit->addMenu(m);
        a->setProperty(kCaption, title);
        m_pictureMenus.push_back(a);
        return m;
    };
    m_rangeMenu = sub(QStringLiteral("範囲"));
    setRangeItems({});
    m_rangeSeparator = m_rangeMenu->addSeparator();
    m_rangeSeparator->setVisible(false);
    addItems(m_rangeMenu, {O::RegisterRange, O::ClearRange, kSeparator, O::EmphasizeRelative,
                           O::EmphasizeMarker});
    addItems(edit, {O::Trim});
    addItems(sub(QStringLiteral("ﾘｻｲｽﾞ")),
             {O::ShrinkToWidth, O::ShrinkToHeight, kSeparator, O::ShrinkUnevenly});
    addItems(sub(QStringLiteral("綴じ込み")), {O::FoldVertical, O::FoldHorizontal});
    addItems(sub(QStringLiteral("回転")),
             {O::MirrorHorizontal, O::MirrorVertical, kSeparator, O::RotateRight90,
              O::RotateRight180, O::RotateLeft90, O::RotateLeft180});
    edit->addSeparator();
    QMenu* colours = sub(QStringLiteral("色数"));
    mnColr.push_back(nullptr); // the colour items count from 1
    for (QAction* a : addChoices(colours, QStringLiteral("Color"),
                                 texts({u"16色(4bit)", u"ｸﾞﾚｰ(4bit)", u"256色(8bit)", u"ｸﾞﾚｰ(8bit)",
                                        u"16bit", u"24bit", u"32bit"}))) {
        a->setCheckable(true);
        mnColr.push_back(a);
    }
    addItems(edit, {O::ShowToolbar});
    item(O::ShowToolbar)->setCheckable(true);
    edit->addSeparator();
    mnZoom = addChoices(sub(QStringLiteral("ｽﾞｰﾑ")), QStringLiteral("Zoom"),
                        texts({u" 50%", u" 60%", u" 70%", u" 80%", u" 90%", u"100%", u"150%",
                               u"200%", u"300%", u"500%", u"750%", u"1000%"}));
    edit->addSeparator();
    addItems(edit, {O::EraseImage});

    const QStringList users = texts({u"ｷｬﾌﾟﾁｬ後の減色", u"ﾏｳｽﾎﾟｲﾝﾀ", u"ｺﾋﾟｰｲﾍﾞﾝﾄ"});
    for (int i = 0; i < 3; ++i) {
        mnUsr[size_t(i)] = new QMenu(users[i]);
        m_owned.push_back(mnUsr[size_t(i)]);
        mnJb[2]->addMenu(mnUsr[size_t(i)]);
    }
    mnCptC = addChoices(mnUsr[0], QStringLiteral("CptC"),
                        texts({u"減色しない", u"16色(4bit)", u"ｸﾞﾚｰ(4bit)", u"256色(8bit)",
                               u"ｸﾞﾚｰ(8bit)", u"16bit"}));
    // The pointer and copy items act at once and leave sCap empty.
    const QStringList pointer = texts({u"ｷｬﾌﾟﾁｬ画面に取り込む", u"ｷｬﾌﾟﾁｬ画面に取り込まない"});
    const QStringList copy = texts({u"ﾃｷｽﾄ・画像のｺﾋﾟｰも取込む", u"ｷｬﾌﾟﾁｬ以外は取込まない"});
    for (int i = 0; i < 2; ++i) {
        QAction* p = mnUsr[1]->addAction(pointer[i]);
        p->setProperty(kCaption, pointer[i]);
        connect(p, &QAction::triggered, this, [this, i] {
            showPointerOption(i == 0);
            if (onPointerOption)
                onPointerOption(i == 0);
        });
        mnMpnt.push_back(p);
        QAction* c = mnUsr[2]->addAction(copy[i]);
        c->setProperty(kCaption, copy[i]);
        connect(c, &QAction::triggered, this, [this, i] {
            showCopyOption(i == 0);
            if (onCopyOption)
                onCopyOption(i == 0);
        });
        mnCpyE.push_back(c);
    }
    for (QAction* a : mnCptC)
        a->setCheckable(true);
    for (QAction* a : mnMpnt)
        a->setCheckable(true);
    for (QAction* a : mnCpyE)
        a->setCheckable(true);
    QString none = QStringLiteral("減色しない");
    SetCptC(none);
    showPointerOption(true);
    showCopyOption(true);

    // Menu 1 enables its paste item from the clipboard each time it opens.
    connect(mnJb[1], &QMenu::aboutToShow, this, [this] {
        const bool picture = canPasteImage ? canPasteImage() : false;
        for (Operation op : OperationRegistry::all())
            if (m_items[size_t(op)] &&
                OperationRegistry::enabling(op) == Enabling::ClipboardPicture)
                m_items[size_t(op)]->setEnabled(picture);
    });
}

spPic::~spPic() {
    for (auto it = m_owned.rbegin(); it != m_owned.rend(); ++it)
        delete *it;
}

QAction* spPic::item(Operation op) const {
    return m_items[size_t(op)];
}

void spPic::showDepth(int depthCode) {
    static constexpr int kCodes[] = {0, 4, 40, 8, 80, 16, 24, 32};
    for (size_t i = 1; i < mnColr.size() && i < std::size(kCodes); ++i)
        mnColr[i]->setChecked(kCodes[i] == depthCode);
}

QString spPic::caption(const QAction* item) {
    return item ? item->property(kCaption).toString() : QString();
}

void spPic::addItems(QMenu* menu, std::initializer_list<std::optional<Operation>> ops) {
    for (const std::optional<Operation>& op : ops) {
        if (!op) {
            menu->addSeparator();
            continue;
        }
        // The shortcut is a label only: the keys are handled by the key table.
        QAction* a = menu->addAction(OperationRegistry::menuText(*op));
        const QString group = OperationRegistry::group(*op);
        const QString cap = OperationRegistry::caption(*op);
        a->setProperty(kCaption, cap);
        connect(a, &QAction::triggered, this, [this, group, cap] { record(group, cap); });
        m_items[size_t(*op)] = a;
    }
}

std::vector<QAction*> spPic::addChoices(QMenu* menu, const QString& group,
                                        const QStringList& captions) {
    std::vector<QAction*> out;
    for (const QString& cap : captions) {
        QAction* a = menu->addAction(cap);
        a->setProperty(kCaption, cap);
        connect(a, &QAction::triggered, this, [this, group, cap] { record(group, cap); });
        out.push_back(a);
    }
    return out;
}

void spPic::record(const QString& group, const QString& caption) {
    sGrp = group;
    sCap = caption;
}

void spPic::applyViewState(ViewState state) {
    for (Operation op : OperationRegistry::all()) {
        const Enabling rule = OperationRegistry::enabling(op);
        if (m_items[size_t(op)] && rule != Enabling::ClipboardPicture)
            m_items[size_t(op)]->setEnabled(OperationRegistry::enabledIn(rule, state));
    }
    const bool picture = OperationRegistry::enabledIn(Enabling::Picture, state);
    for (QAction* a : m_pictureMenus)
        a->setEnabled(picture);
}

void spPic::setRangeItems(const QStringList& captions) {
    // Item 0 exists from the start, captioned "?" and hidden.
    const size_t needed = std::max<size_t>(1, size_t(captions.size()));
    while (mnUsHn.size() < needed) {
        const int index = int(mnUsHn.size());
        auto* a = new QAction(QStringLiteral("?"), m_rangeMenu);
        m_rangeMenu->insertAction(m_rangeSeparator, a);
        connect(a, &QAction::triggered, this, [this, index] {
            record(QStringLiteral("UsHn"), QStringLiteral("RG:%1").arg(index));
        });
        mnUsHn.push_back(a);
    }
    for (size_t i = 0; i < mnUsHn.size(); ++i) {
        const bool used = i < size_t(captions.size());
        mnUsHn[i]->setText(used ? captions[int(i)] : QStringLiteral("?"));
        mnUsHn[i]->setProperty(kCaption, mnUsHn[i]->text());
        mnUsHn[i]->setVisible(used);
    }
    if (m_rangeSeparator)
        m_rangeSeparator->setVisible(!captions.isEmpty());
}

void spPic::SetCptC(QString& sCL) {
    if (sCL.isEmpty())
        sCL = QStringLiteral("減色しない");
    for (QAction* a : mnCptC)
        a->setChecked(caption(a) == sCL);
}

void spPic::showPointerOption(bool on) {
    mnMpnt[0]->setChecked(on);
    mnMpnt[1]->setChecked(!on);
}

void spPic::showCopyOption(bool on) {
    mnCpyE[0]->setChecked(on);
    mnCpyE[1]->setChecked(!on);
}
