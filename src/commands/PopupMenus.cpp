#include "commands/PopupMenus.h"

#include "core/DepthCaptions.h"
#include "core/NumRules.h"

#include <QAction>
#include <QCursor>
#include <QMenu>

namespace {
constexpr std::optional<Operation> kSeparator;
QStringList texts(std::initializer_list<const char16_t*> list) {
    QStringList out;
    for (const char16_t* s : list)
        out << QString::fromUtf16(s);
    return out;
}
} // namespace

double zoomFactorOfCaption(const QString& caption) {
    // The leading number up to "%", in single precision; no number is 100%.
    const float factor = float(numrules::leadingNumber(caption.trimmed())) / 100.0f;
    return factor == 0.0f ? 1.0 : double(factor);
}

PopupMenus::PopupMenus(OperationRegistry& operations, QObject* parent)
    : QObject(parent), m_operations(operations) {
    using O = Operation;
    popup = [](QMenu* m) { m->exec(QCursor::pos()); };
    m_items.resize(OperationRegistry::all().size(), nullptr);
    for (QMenu*& m : popups) {
        m = new QMenu;
        m_owned.push_back(m);
    }
    popups[FileMenu]->setTitle(QStringLiteral("ﾌｧｲﾙ(&F)"));
    popups[EditMenu]->setTitle(QStringLiteral("画像編集(&E)"));
    popups[SettingsMenu]->setTitle(QStringLiteral("設定"));

    addItems(popups[FileMenu],
             {O::Open, O::Overwrite, O::SaveAs, O::OpenInMarlo, kSeparator, O::PrintSetup, O::Print,
              kSeparator, O::SaveToWorkFolder, O::ExploreWorkFolder, O::OpenInPirra, kSeparator,
              O::EmptyWorkFolder, kSeparator, O::Exit});

    QMenu* edit = popups[EditMenu];
    addItems(edit, {O::Copy, O::CopyAndMinimize, kSeparator, O::Paste, kSeparator});
    // Every submenu of the edit popup needs a picture.
    auto sub = [&](const QString& title) {
        auto* m = new QMenu(title);
        m_owned.push_back(m);
        m_pictureMenus.push_back(edit->addMenu(m));
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
    for (const depthcaptions::DepthCaption& d : depthcaptions::kDepths) {
        QAction* a = addChoice(colours, QString::fromUtf16(d.caption),
                               [this, code = d.code] { emit depthChosen(code); });
        a->setCheckable(true);
        depthItems.push_back(a);
    }
    addItems(edit, {O::ShowToolbar});
    item(O::ShowToolbar)->setCheckable(true);
    edit->addSeparator();
    QMenu* zoom = sub(QStringLiteral("ｽﾞｰﾑ"));
    for (const QString& caption : texts({u" 50%", u" 60%", u" 70%", u" 80%", u" 90%", u"100%",
                                         u"150%", u"200%", u"300%", u"500%", u"750%", u"1000%"}))
        zoomItems.push_back(addChoice(
            zoom, caption, [this, f = zoomFactorOfCaption(caption)] { emit zoomChosen(f); }));
    edit->addSeparator();
    addItems(edit, {O::EraseImage});

    const QStringList users = texts({u"ｷｬﾌﾟﾁｬ後の減色", u"ﾏｳｽﾎﾟｲﾝﾀ", u"ｺﾋﾟｰｲﾍﾞﾝﾄ"});
    for (size_t i = 0; i < settingsMenus.size(); ++i) {
        settingsMenus[i] = new QMenu(users[int(i)]);
        m_owned.push_back(settingsMenus[i]);
        popups[SettingsMenu]->addMenu(settingsMenus[i]);
    }
    // The colour reduction is a choice that holds until changed.
    auto reduction = [this](const QString& caption, int code) {
        QAction* a = addChoice(settingsMenus[0], caption, [this, code] {
            showReduction(code);
            emit reductionChosen(code);
        });
        a->setCheckable(true);
        reductionItems.push_back(a);
    };
    reduction(QString::fromUtf16(depthcaptions::kNoReduction), 0);
    for (int i = 0; i < depthcaptions::kReductions; ++i)
        reduction(QString::fromUtf16(depthcaptions::kDepths[size_t(i)].caption),
                  depthcaptions::kDepths[size_t(i)].code);
    // The pointer and copy options act at once.
    const QStringList pointer = texts({u"ｷｬﾌﾟﾁｬ画面に取り込む", u"ｷｬﾌﾟﾁｬ画面に取り込まない"});
    const QStringList copy = texts({u"ﾃｷｽﾄ・画像のｺﾋﾟｰも取込む", u"ｷｬﾌﾟﾁｬ以外は取込まない"});
    for (int i = 0; i < 2; ++i) {
        QAction* p = settingsMenus[1]->addAction(pointer[i]);
        connect(p, &QAction::triggered, this, [this, on = i == 0] {
            showPointerOption(on);
            emit pointerOptionChosen(on);
        });
        p->setCheckable(true);
        pointerItems.push_back(p);
        QAction* c = settingsMenus[2]->addAction(copy[i]);
        connect(c, &QAction::triggered, this, [this, on = i == 0] {
            showCopyOption(on);
            emit copyOptionChosen(on);
        });
        c->setCheckable(true);
        copyItems.push_back(c);
    }
    showReduction(0);
    showPointerOption(true);
    showCopyOption(true);

    // The edit popup enables its paste item from the clipboard each time it opens.
    connect(popups[EditMenu], &QMenu::aboutToShow, this, [this] {
        const bool picture = canPasteImage ? canPasteImage() : false;
        for (Operation op : OperationRegistry::all())
            if (m_items[size_t(op)] &&
                OperationRegistry::enabling(op) == Enabling::ClipboardPicture)
                m_items[size_t(op)]->setEnabled(picture);
    });
}

PopupMenus::~PopupMenus() {
    for (auto it = m_owned.rbegin(); it != m_owned.rend(); ++it)
        delete *it;
}

QAction* PopupMenus::item(Operation op) const {
    return m_items[size_t(op)];
}

void PopupMenus::showPopup(int index) {
    if (index < 0 || index >= int(popups.size()))
        return;
    // Check marks that follow the picture and the toolbar are not the user's to flip by
    // clicking.
    QAction* toolbar = item(Operation::ShowToolbar);
    std::vector<std::pair<QAction*, bool>> marks{{toolbar, toolbar->isChecked()}};
    for (QAction* a : depthItems)
        marks.emplace_back(a, a->isChecked());
    popup(popups[size_t(index)]);
    for (const auto& [a, checked] : marks)
        a->setChecked(checked);
}

void PopupMenus::addItems(QMenu* menu, std::initializer_list<std::optional<Operation>> ops) {
    for (const std::optional<Operation>& op : ops) {
        if (!op) {
            menu->addSeparator();
            continue;
        }
        // The shortcut is a label only: the keys are handled by the key table. The item is the
        // menu's own; picking it triggers the operation's action, which runs and logs it.
        QAction* a = menu->addAction(OperationRegistry::menuText(*op));
        connect(a, &QAction::triggered, m_operations.action(*op), &QAction::trigger);
        m_items[size_t(*op)] = a;
    }
}

QAction* PopupMenus::addChoice(QMenu* menu, const QString& caption, std::function<void()> chosen) {
    QAction* a = menu->addAction(caption);
    connect(a, &QAction::triggered, this, [caption, chosen = std::move(chosen)] {
        logCommand(caption, true);
        chosen();
    });
    return a;
}

void PopupMenus::applyViewState(ViewState state) {
    for (Operation op : OperationRegistry::all()) {
        const Enabling rule = OperationRegistry::enabling(op);
        if (m_items[size_t(op)] && rule != Enabling::ClipboardPicture)
            m_items[size_t(op)]->setEnabled(OperationRegistry::enabledIn(rule, state));
    }
    const bool picture = OperationRegistry::enabledIn(Enabling::Picture, state);
    for (QAction* a : m_pictureMenus)
        a->setEnabled(picture);
}

void PopupMenus::setRangeItems(const QStringList& captions) {
    // Item 0 exists from the start, captioned "?" and hidden.
    const size_t needed = std::max<size_t>(1, size_t(captions.size()));
    while (rangeItems.size() < needed) {
        const int index = int(rangeItems.size());
        auto* a = new QAction(QStringLiteral("?"), m_rangeMenu);
        m_rangeMenu->insertAction(m_rangeSeparator, a);
        connect(a, &QAction::triggered, this, [this, index] {
            logCommand(QStringLiteral("RG:%1").arg(index), true);
            emit rangeChosen(index);
        });
        rangeItems.push_back(a);
    }
    for (size_t i = 0; i < rangeItems.size(); ++i) {
        const bool used = i < size_t(captions.size());
        rangeItems[i]->setText(used ? captions[int(i)] : QStringLiteral("?"));
        rangeItems[i]->setVisible(used);
    }
    if (m_rangeSeparator)
        m_rangeSeparator->setVisible(!captions.isEmpty());
}

void PopupMenus::showDepth(int depthCode) {
    for (size_t i = 0; i < depthItems.size(); ++i)
        depthItems[i]->setChecked(depthcaptions::kDepths[i].code == depthCode);
}

void PopupMenus::showReduction(int depthCode) {
    for (size_t i = 0; i < reductionItems.size(); ++i)
        reductionItems[i]->setChecked((i == 0 ? 0 : depthcaptions::kDepths[i - 1].code) ==
                                      depthCode);
}

void PopupMenus::showPointerOption(bool on) {
    pointerItems[0]->setChecked(on);
    pointerItems[1]->setChecked(!on);
}

void PopupMenus::showCopyOption(bool on) {
    copyItems[0]->setChecked(on);
    copyItems[1]->setChecked(!on);
}
