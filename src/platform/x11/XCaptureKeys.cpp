#include "platform/x11/XCaptureKeys.h"

#include "platform/x11/XConnection.h"
#include "platform/x11/XReply.h"

#include <QSocketNotifier>

#include <xcb/xcb.h>

#include <vector>

namespace platform::x11 {

namespace {

constexpr uint32_t kPrint = 0xff61, kAltL = 0xffe9, kAltR = 0xffea, kNumLock = 0xff7f;
constexpr uint8_t kBadAccess = 10;

struct Keymap {
    uint8_t first = 0;
    int perCode = 0;
    std::vector<uint32_t> syms;

    bool gives(uint8_t code, uint32_t sym) const {
        const size_t at = size_t(code - first) * size_t(perCode);
        for (int i = 0; i < perCode && at + size_t(i) < syms.size(); ++i)
            if (syms[at + size_t(i)] == sym)
                return true;
        return false;
    }
};

Keymap readKeymap(xcb_connection_t* c) {
    const xcb_setup_t* setup = xcb_get_setup(c);
    Keymap map;
    map.first = setup->min_keycode;
    Reply<xcb_get_keyboard_mapping_reply_t> r(xcb_get_keyboard_mapping_reply(
        c,
        xcb_get_keyboard_mapping(c, setup->min_keycode,
                                 uint8_t(setup->max_keycode - setup->min_keycode + 1)),
        nullptr));
    if (!r)
        return map;
    map.perCode = r->keysyms_per_keycode;
    const xcb_keysym_t* syms = xcb_get_keyboard_mapping_keysyms(r.get());
    map.syms.assign(syms, syms + xcb_get_keyboard_mapping_keysyms_length(r.get()));
    return map;
}

// The modifier bit whose keys give one of the symbols; 0 when none does.
uint16_t modifierOf(xcb_connection_t* c, const Keymap& map, std::initializer_list<uint32_t> syms) {
    Reply<xcb_get_modifier_mapping_reply_t> r(
        xcb_get_modifier_mapping_reply(c, xcb_get_modifier_mapping(c), nullptr));
    if (!r)
        return 0;
    const xcb_keycode_t* codes = xcb_get_modifier_mapping_keycodes(r.get());
    const int per = r->keycodes_per_modifier;
    for (int mod = 0; mod < 8; ++mod)
        for (int i = 0; i < per; ++i) {
            const uint8_t code = codes[mod * per + i];
            for (uint32_t sym : syms)
                if (code && map.gives(code, sym))
                    return uint16_t(1u << mod);
        }
    return 0;
}

} // namespace

XCaptureKeys::XCaptureKeys(QObject* parent)
    : CaptureKeys(parent), m_conn(std::make_unique<XConnection>()) {
    if (!m_conn->isValid())
        return;
    xcb_connection_t* c = m_conn->get();
    const Keymap map = readKeymap(c);
    for (int code = map.first; code <= xcb_get_setup(c)->max_keycode; ++code)
        if (map.gives(uint8_t(code), kPrint))
            m_keycodes << uint8_t(code);
    m_alt = modifierOf(c, map, {kAltL, kAltR});
    if (!m_alt)
        m_alt = XCB_MOD_MASK_1;
    m_locks = XCB_MOD_MASK_LOCK | modifierOf(c, map, {kNumLock});
    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(c), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &XCaptureKeys::readEvents);
}

// The connection goes, and the server releases its grabs with it.
XCaptureKeys::~XCaptureKeys() = default;

QList<CaptureKind> XCaptureKeys::take() {
    QList<CaptureKind> held;
    if (!m_conn->isValid() || m_keycodes.isEmpty())
        return held;
    xcb_connection_t* c = m_conn->get();
    // Every combination of the lock keys, so Caps Lock or Num Lock on does not lose the key.
    QVector<uint16_t> lockSets;
    for (uint16_t set = 0; set <= m_locks; ++set)
        if ((set & ~m_locks) == 0)
            lockSets << set;
    struct Grab {
        CaptureKind kind;
        bool plain; // without lock keys: the grab that tells whether the key is ours
        xcb_void_cookie_t cookie;
    };
    std::vector<Grab> grabs;
    const std::pair<CaptureKind, uint16_t> keys[] = {{CaptureKind::Screen, 0},
                                                     {CaptureKind::Window, m_alt},
                                                     {CaptureKind::Region, XCB_MOD_MASK_SHIFT}};
    for (const auto& [kind, mods] : keys)
        for (uint8_t code : m_keycodes)
            for (uint16_t locks : lockSets)
                grabs.push_back(
                    {kind, locks == 0,
                     xcb_grab_key_checked(c, 1, m_conn->root(), uint16_t(mods | locks), code,
                                          XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)});
    for (const Grab& g : grabs) {
        xcb_generic_error_t* e = xcb_request_check(c, g.cookie);
        if (e && e->error_code == kBadAccess && g.plain && !held.contains(g.kind))
            held << g.kind;
        std::free(e);
    }
    // Events read along with the replies wait in xcb's queue, where the notifier never looks.
    readEvents();
    return held;
}

void XCaptureKeys::readEvents() {
    xcb_connection_t* c = m_conn->get();
    while (xcb_generic_event_t* e = xcb_poll_for_event(c)) {
        if ((e->response_type & 0x7f) == XCB_KEY_PRESS) {
            const auto* k = reinterpret_cast<const xcb_key_press_event_t*>(e);
            if (m_keycodes.contains(k->detail)) {
                const CaptureKind kind = (k->state & XCB_MOD_MASK_SHIFT) ? CaptureKind::Region
                                         : (k->state & m_alt)            ? CaptureKind::Window
                                                                         : CaptureKind::Screen;
                emit pressed(kind);
            }
        }
        std::free(e);
    }
    if (xcb_connection_has_error(c))
        m_notifier->setEnabled(false);
}

} // namespace platform::x11
