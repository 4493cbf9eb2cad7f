#include "platform/x11/XSelectionReader.h"

#include "platform/ClipClassify.h"
#include "platform/x11/XActiveWindow.h"
#include "platform/x11/XClipboardOwner.h"
#include "platform/x11/XConnection.h"
#include "platform/x11/XPointer.h"
#include "platform/x11/XReply.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLoggingCategory>

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <poll.h>

namespace platform::x11 {

namespace {

// An owner gets this long to answer each step; a large offer comes in many steps.
constexpr int kStepTimeoutMs = 5000;

using Clock = std::chrono::steady_clock;

Q_LOGGING_CATEGORY(lcClipboard, "tolvik.clipboard", QtWarningMsg)

} // namespace

void XSelectionReader::EventDeleter::operator()(xcb_generic_event_t* e) const {
    std::free(e);
}

XSelectionReader::XSelectionReader(Deliver deliver, QStringList pictureTypes)
    : m_deliver(std::move(deliver)), m_pictureTypes(std::move(pictureTypes)),
      m_conn(std::make_unique<XConnection>()) {
    if (!m_conn->isValid() || !m_conn->hasXFixes())
        return;
    xcb_connection_t* c = m_conn->get();
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_xfixes_id);
    if (!ext || !ext->present)
        return;
    m_xfixesEvent = ext->first_event;
    m_clipboard = intern("CLIPBOARD");
    m_targets = intern("TARGETS");
    m_incr = intern("INCR");
    m_property = intern("_TOLVIK_SELECTION");
    m_wake = intern("_TOLVIK_WAKE");

    // An unmapped window of our own receives the data and the property changes.
    m_window = xcb_generate_id(c);
    const uint32_t mask = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(c, XCB_COPY_FROM_PARENT, m_window, m_conn->root(), 0, 0, 1, 1, 0,
                      XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &mask);
    xcb_xfixes_select_selection_input(c, m_window, m_clipboard,
                                      XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
    xcb_flush(c);
    m_thread = std::thread([this] { run(); });
}

XSelectionReader::~XSelectionReader() {
    if (!m_thread.joinable())
        return;
    m_stop = true;
    // Wakes the thread from its wait for the next event.
    xcb_client_message_event_t ev{};
    ev.response_type = XCB_CLIENT_MESSAGE;
    ev.format = 32;
    ev.window = m_window;
    ev.type = m_wake;
    xcb_send_event(m_conn->get(), 0, m_window, XCB_EVENT_MASK_NO_EVENT,
                   reinterpret_cast<const char*>(&ev));
    xcb_flush(m_conn->get());
    m_thread.join();
}

uint32_t XSelectionReader::intern(const char* name) {
    xcb_connection_t* c = m_conn->get();
    Reply<xcb_intern_atom_reply_t> r(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, uint16_t(std::strlen(name)), name), nullptr));
    return r ? r->atom : 0;
}

QString XSelectionReader::atomName(uint32_t atom) {
    if (auto it = m_atomNames.constFind(atom); it != m_atomNames.cend())
        return *it;
    xcb_connection_t* c = m_conn->get();
    Reply<xcb_get_atom_name_reply_t> r(
        xcb_get_atom_name_reply(c, xcb_get_atom_name(c, atom), nullptr));
    QString name;
    if (r)
        name = QString::fromLatin1(xcb_get_atom_name_name(r.get()),
                                   xcb_get_atom_name_name_length(r.get()));
    m_atomNames.insert(atom, name);
    return name;
}

bool XSelectionReader::isOwnerChange(const xcb_generic_event_t* e) const {
    return (e->response_type & 0x7f) == m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY;
}

XSelectionReader::Event XSelectionReader::nextEvent() {
    if (!m_pending.empty()) {
        Event e = std::move(m_pending.front());
        m_pending.pop_front();
        return e;
    }
    // At the end only what has already come in is taken; then the thread ends.
    if (m_stop)
        return Event(xcb_poll_for_event(m_conn->get()));
    return Event(xcb_wait_for_event(m_conn->get()));
}

void XSelectionReader::run() {
    for (;;) {
        Event e = nextEvent();
        if (!e)
            return;
        if (!isOwnerChange(e.get()))
            continue;
        const auto* n = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(e.get());
        ++m_notices;
        // An owner that went away leaves nothing new behind.
        if (n->owner != XCB_NONE && m_active)
            readOffer(n->owner, n->selection_timestamp);
    }
}

XSelectionReader::Event
XSelectionReader::waitFor(const std::function<bool(const xcb_generic_event_t*)>& pred,
                          int timeoutMs) {
    xcb_connection_t* c = m_conn->get();
    const auto deadline =
        Clock::now() + std::chrono::milliseconds(m_stop ? std::min(timeoutMs, 1000) : timeoutMs);
    for (;;) {
        while (xcb_generic_event_t* raw = xcb_poll_for_event(c)) {
            Event e(raw);
            if (pred(e.get()))
                return e;
            // Later offers are read after this one, in the order they came.
            if (isOwnerChange(e.get()))
                m_pending.push_back(std::move(e));
        }
        if (xcb_connection_has_error(c))
            return nullptr;
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0)
            return nullptr;
        pollfd p{xcb_get_file_descriptor(c), POLLIN, 0};
        ::poll(&p, 1, int(left.count()));
    }
}

void XSelectionReader::request(uint32_t target) {
    xcb_connection_t* c = m_conn->get();
    xcb_delete_property(c, m_window, m_property);
    // The offer's own time: an owner that keeps to the rules and has moved on refuses,
    // rather than handing over its newer content under this announcement. Not every owner
    // does (xclip answers anything), hence ownerMovedOn().
    m_requestSequence =
        xcb_convert_selection(c, m_window, m_clipboard, target, m_property, m_reading.time)
            .sequence;
    xcb_flush(c);
}

XSelectionReader::Transfer XSelectionReader::convert(uint32_t target) {
    request(target);
    return receive(target);
}

bool XSelectionReader::ownerMovedOn() const {
    // The server sends a request to whoever owns the clipboard when it gets there, and an
    // event carries the number of the last request of ours the server had taken by then.
    for (const Event& e : m_pending) {
        const auto* n = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(e.get());
        const bool beforeRequest = int32_t(e->full_sequence - m_requestSequence) < 0;
        // Before it: the request went to the next owner. After it, by the same window: the
        // owner had new content when it answered. After it, by another window: ours got the
        // request and answers from what it announced.
        if (beforeRequest || n->owner == m_reading.owner)
            return true;
    }
    return false;
}

XSelectionReader::Transfer XSelectionReader::receive(uint32_t target) {
    xcb_connection_t* c = m_conn->get();
    Transfer out;
    Event e = waitFor(
        [&](const xcb_generic_event_t* ev) {
            if ((ev->response_type & 0x7f) != XCB_SELECTION_NOTIFY)
                return false;
            const auto* s = reinterpret_cast<const xcb_selection_notify_event_t*>(ev);
            return s->requestor == m_window && s->selection == m_clipboard && s->target == target;
        },
        kStepTimeoutMs);
    if (!e) {
        out.failure = QStringLiteral("応答がありません");
        return out;
    }
    if (reinterpret_cast<const xcb_selection_notify_event_t*>(e.get())->property == XCB_NONE) {
        out.failure = QStringLiteral("ﾃﾞｰﾀを渡されませんでした");
        return out;
    }
    if (ownerMovedOn()) {
        out.failure = QStringLiteral("読み取る前に次のﾃﾞｰﾀに替わりました");
        return out;
    }

    auto readProperty = [&](uint32_t* type) -> std::optional<QByteArray> {
        // Deleting as it is read tells an incremental sender to go on.
        Reply<xcb_get_property_reply_t> r(
            xcb_get_property_reply(c,
                                   xcb_get_property(c, 1, m_window, m_property,
                                                    XCB_GET_PROPERTY_TYPE_ANY, 0, UINT32_MAX / 4),
                                   nullptr));
        if (!r)
            return std::nullopt;
        *type = r->type;
        return QByteArray(static_cast<const char*>(xcb_get_property_value(r.get())),
                          xcb_get_property_value_length(r.get()));
    };

    uint32_t type = 0;
    std::optional<QByteArray> first = readProperty(&type);
    xcb_flush(c);
    if (!first) {
        out.failure = QStringLiteral("ﾃﾞｰﾀを読めませんでした");
        return out;
    }
    if (type != m_incr) {
        out.data = std::move(first);
        return out;
    }
    // Incremental transfer: each new value of the property is the next piece; an empty
    // one ends it.
    QByteArray all;
    if (first->size() >= 4) {
        uint32_t announced = 0;
        std::memcpy(&announced, first->constData(), 4);
        all.reserve(qsizetype(std::min<uint32_t>(announced, 1u << 30)));
    }
    for (;;) {
        Event piece = waitFor(
            [&](const xcb_generic_event_t* ev) {
                if ((ev->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
                    return false;
                const auto* p = reinterpret_cast<const xcb_property_notify_event_t*>(ev);
                return p->window == m_window && p->atom == m_property &&
                       p->state == XCB_PROPERTY_NEW_VALUE;
            },
            kStepTimeoutMs);
        if (!piece) {
            out.failure = QStringLiteral("転送が途中で止まりました");
            return out;
        }
        std::optional<QByteArray> chunk = readProperty(&type);
        xcb_flush(c);
        if (!chunk) {
            out.failure = QStringLiteral("ﾃﾞｰﾀを読めませんでした");
            return out;
        }
        if (chunk->isEmpty())
            break;
        all += *chunk;
    }
    out.data = std::move(all);
    return out;
}

void XSelectionReader::readOffer(uint32_t ownerWindow, uint32_t timestamp) {
    QElapsedTimer took;
    took.start();
    ClipboardSnapshot s;
    s.announcement = {ownerWindow, timestamp, m_notices};
    m_reading = s.announcement;
    // Where the pointer was when the offer came, not when it has been read.
    s.pointer = readPointer(*m_conn);
    const ClipboardOwner owner = ownerOfWindow(*m_conn, ownerWindow);
    if (owner.pid && owner.pid == QCoreApplication::applicationPid())
        return;
    // A clipboard manager only hands back what another program offered: nothing was
    // captured or copied. Who owns decides, never what is offered.
    if (ownerKind(owner.names) == OwnerKind::ClipboardManager) {
        qCInfo(lcClipboard) << "offer" << timestamp << "from a clipboard manager" << owner.names
                            << "passed over";
        return;
    }
    // The owner answers while we look for the active window.
    request(m_targets);
    s.activeWindow = activeWindowRect(*m_conn);
    const Transfer targets = receive(m_targets);
    if (!targets.data) {
        s.lost = true;
        s.lostReason = targets.failure;
        qCWarning(lcClipboard) << "offer" << timestamp << "lost at its formats:" << s.lostReason
                               << "after" << took.elapsed() << "ms";
        m_deliver(std::move(s));
        return;
    }
    QHash<QString, uint32_t> byFormat;
    QHash<QString, uint32_t> byName;
    const auto* atoms = reinterpret_cast<const uint32_t*>(targets.data->constData());
    for (qsizetype i = 0; i < targets.data->size() / 4; ++i) {
        const QString name = atomName(atoms[i]);
        if (name.isEmpty())
            continue;
        byName.insert(name, atoms[i]);
        const QString format = formatOfTarget(name);
        if (!byFormat.contains(format)) {
            byFormat.insert(format, atoms[i]);
            s.formats << format;
        }
    }
    s.value = classifyChange(s.formats, owner.names);
    s.richText = std::any_of(s.formats.begin(), s.formats.end(), isRichTextFormat);

    uint32_t pictureTarget = 0;
    for (const QString& type : m_pictureTypes)
        if (byFormat.contains(type)) {
            pictureTarget = byFormat.value(type);
            s.pictureFormat = type.toLatin1();
            break;
        }
    uint32_t textTarget = 0;
    QString textName;
    for (const char* t : {"UTF8_STRING", "text/plain;charset=utf-8", "text/plain;charset=UTF-8",
                          "text/plain", "STRING"})
        if (byName.contains(QLatin1String(t))) {
            textName = QLatin1String(t);
            textTarget = byName.value(textName);
            break;
        }
    Transfer data;
    if (pictureTarget) {
        data = convert(pictureTarget);
        if (data.data)
            s.pictureBytes = *data.data;
    } else if (textTarget) {
        data = convert(textTarget);
        if (data.data && !data.data->isEmpty()) {
            s.hasText = true;
            s.text = textName == QLatin1String("STRING") ? QString::fromLatin1(*data.data)
                                                         : QString::fromUtf8(*data.data);
        }
    } else {
        m_deliver(std::move(s)); // nothing we store, but classified all the same
        return;
    }
    if (!data.data || data.data->isEmpty()) {
        s.lost = true;
        s.lostReason = data.data ? QStringLiteral("空のﾃﾞｰﾀでした") : data.failure;
        qCWarning(lcClipboard) << "offer" << timestamp << "lost:" << s.lostReason << "after"
                               << took.elapsed() << "ms";
    } else {
        qCInfo(lcClipboard) << "offer" << timestamp << "of" << ownerWindow << "read:" << s.formats
                            << "value" << s.value << "picture" << s.pictureBytes.size() << "text"
                            << s.text.size() << "in" << took.elapsed() << "ms";
    }
    m_deliver(std::move(s));
}

} // namespace platform::x11
