#include "platform/wayland/WlClipboardReader.h"

#include "platform/wayland/WlOffer.h"

#include <QElapsedTimer>
#include <QLoggingCategory>
#include <QStringList>

#include <wayland-client.h>
#include <wlr-data-control-unstable-v1-client-protocol.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>
#include <unordered_map>

namespace platform::wayland {

namespace {

// An owner gets this long between two pieces of its data; at the end, less.
constexpr int kStepTimeoutMs = 5000;
constexpr int kStopTimeoutMs = 1000;
// What one offer may hand over: the most any picture may take decoded.
constexpr qint64 kMaxOfferBytes = qint64(1) << 30;

Q_LOGGING_CATEGORY(lcClipboard, "tolvik.clipboard", QtWarningMsg)

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_data_control_manager_v1* manager = nullptr;
};

void onGlobal(void* data, wl_registry* registry, uint32_t name, const char* interface,
              uint32_t version) {
    auto* g = static_cast<Globals*>(data);
    if (!g->seat && std::strcmp(interface, wl_seat_interface.name) == 0)
        g->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (!g->manager &&
             std::strcmp(interface, zwlr_data_control_manager_v1_interface.name) == 0)
        g->manager = static_cast<zwlr_data_control_manager_v1*>(wl_registry_bind(
            registry, name, &zwlr_data_control_manager_v1_interface, std::min(version, 2u)));
}
void onGlobalRemove(void*, wl_registry*, uint32_t) {}
const wl_registry_listener kRegistryListener = {onGlobal, onGlobalRemove};

} // namespace

struct WlClipboardReader::State {
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    Globals globals;
    zwlr_data_control_device_v1* device = nullptr;
    // The MIME types of every offer introduced and not yet destroyed.
    std::unordered_map<zwlr_data_control_offer_v1*, QStringList> offers;
    zwlr_data_control_offer_v1* primary = nullptr;
    // The first selection event tells what was there before we looked: not an offer.
    bool seenFirst = false;
    quint32 notices = 0;
    QStringList pictureTypes;
    std::function<void(zwlr_data_control_offer_v1*)> onSelection;

    ~State() {
        for (auto& [offer, types] : offers)
            zwlr_data_control_offer_v1_destroy(offer);
        if (device)
            zwlr_data_control_device_v1_destroy(device);
        if (globals.manager)
            zwlr_data_control_manager_v1_destroy(globals.manager);
        if (globals.seat)
            wl_seat_destroy(globals.seat);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }

    void forget(zwlr_data_control_offer_v1* offer) {
        if (!offer)
            return;
        offers.erase(offer);
        zwlr_data_control_offer_v1_destroy(offer);
    }
};

namespace {

void onMimeType(void* data, zwlr_data_control_offer_v1* offer, const char* mimeType) {
    auto* s = static_cast<WlClipboardReader::State*>(data);
    s->offers[offer] << QString::fromUtf8(mimeType);
}
const zwlr_data_control_offer_v1_listener kOfferListener = {onMimeType};

void onDataOffer(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
    auto* s = static_cast<WlClipboardReader::State*>(data);
    s->offers[offer];
    zwlr_data_control_offer_v1_add_listener(offer, &kOfferListener, s);
}
void onSelection(void* data, zwlr_data_control_device_v1*, zwlr_data_control_offer_v1* offer) {
    auto* s = static_cast<WlClipboardReader::State*>(data);
    s->onSelection(offer);
}
void onFinished(void* data, zwlr_data_control_device_v1*) {
    auto* s = static_cast<WlClipboardReader::State*>(data);
    qCWarning(lcClipboard) << "the compositor ended the clipboard watch";
    zwlr_data_control_device_v1_destroy(s->device);
    s->device = nullptr;
}
void onPrimarySelection(void* data, zwlr_data_control_device_v1*,
                        zwlr_data_control_offer_v1* offer) {
    // The primary selection is no capture's road; its offers are only let go.
    auto* s = static_cast<WlClipboardReader::State*>(data);
    if (s->primary != offer)
        s->forget(s->primary);
    s->primary = offer;
}
const zwlr_data_control_device_v1_listener kDeviceListener = {onDataOffer, onSelection, onFinished,
                                                              onPrimarySelection};

// Connects and finds the seat and the data-control manager; null display on failure.
bool connect(WlClipboardReader::State& s) {
    s.display = wl_display_connect(nullptr);
    if (!s.display)
        return false;
    s.registry = wl_display_get_registry(s.display);
    wl_registry_add_listener(s.registry, &kRegistryListener, &s.globals);
    return wl_display_roundtrip(s.display) >= 0 && s.globals.seat && s.globals.manager;
}

} // namespace

bool dataControlAvailable() {
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return false; // not the default socket of some other session
    WlClipboardReader::State s;
    return connect(s);
}

WlClipboardReader::WlClipboardReader(Deliver deliver, QStringList pictureTypes)
    : m_state(std::make_unique<State>()) {
    State& s = *m_state;
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") || !connect(s))
        return;
    s.pictureTypes = std::move(pictureTypes);
    s.onSelection = [this, deliver = std::move(deliver)](zwlr_data_control_offer_v1* offer) {
        State& st = *m_state;
        // The one before is no longer the clipboard's.
        for (auto it = st.offers.begin(); it != st.offers.end();) {
            if (it->first != offer && it->first != st.primary) {
                zwlr_data_control_offer_v1_destroy(it->first);
                it = st.offers.erase(it);
            } else {
                ++it;
            }
        }
        const bool first = !st.seenFirst;
        st.seenFirst = true;
        // An owner that went away leaves nothing new behind.
        if (!offer)
            return;
        ++st.notices;
        if (first || !m_active)
            return;
        QElapsedTimer took;
        took.start();
        const int timeout = m_stop ? kStopTimeoutMs : kStepTimeoutMs;
        const auto read = [&](const QString& mimeType) -> OfferData {
            int fds[2];
            if (::pipe2(fds, O_CLOEXEC) != 0)
                return {std::nullopt, QStringLiteral("ﾃﾞｰﾀを読めませんでした")};
            zwlr_data_control_offer_v1_receive(offer, mimeType.toUtf8().constData(), fds[1]);
            ::close(fds[1]);
            wl_display_flush(st.display);
            OfferData got = readToEnd(fds[0], timeout, kMaxOfferBytes);
            ::close(fds[0]);
            return got;
        };
        std::optional<ClipboardSnapshot> snap =
            snapshotOfOffer(st.offers[offer], st.pictureTypes, read);
        if (!snap) {
            qCInfo(lcClipboard) << "offer" << st.notices << "is our own: passed over";
            return;
        }
        snap->announcement = {0, 0, st.notices};
        if (snap->lost)
            qCWarning(lcClipboard) << "offer" << st.notices << "lost:" << snap->lostReason
                                   << "after" << took.elapsed() << "ms";
        else
            qCInfo(lcClipboard) << "offer" << st.notices << "read:" << snap->formats << "value"
                                << snap->value << "picture" << snap->pictureBytes.size() << "text"
                                << snap->text.size() << "in" << took.elapsed() << "ms";
        deliver(std::move(*snap));
    };
    s.device = zwlr_data_control_manager_v1_get_data_device(s.globals.manager, s.globals.seat);
    zwlr_data_control_device_v1_add_listener(s.device, &kDeviceListener, &s);
    if (::pipe2(m_wake, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    wl_display_flush(s.display);
    m_thread = std::thread([this] { run(); });
}

WlClipboardReader::~WlClipboardReader() {
    if (m_thread.joinable()) {
        m_stop = true;
        const char wake = 1;
        [[maybe_unused]] const ssize_t n = ::write(m_wake[1], &wake, 1);
        m_thread.join();
    }
    for (int fd : m_wake)
        if (fd >= 0)
            ::close(fd);
}

void WlClipboardReader::run() {
    wl_display* d = m_state->display;
    for (;;) {
        while (wl_display_prepare_read(d) != 0)
            if (wl_display_dispatch_pending(d) < 0)
                return;
        wl_display_flush(d);
        // At the end only what has already come in is read; then the thread ends.
        pollfd p[2] = {{wl_display_get_fd(d), POLLIN, 0}, {m_wake[0], POLLIN, 0}};
        const int ready = ::poll(p, 2, m_stop ? 0 : -1);
        if (ready < 0) {
            wl_display_cancel_read(d);
            if (errno == EINTR)
                continue;
            return;
        }
        if (p[1].revents & POLLIN) {
            char drain[16];
            while (::read(m_wake[0], drain, sizeof drain) > 0) {
            }
        }
        const bool incoming = p[0].revents & POLLIN;
        if (incoming) {
            if (wl_display_read_events(d) < 0)
                return;
        } else {
            wl_display_cancel_read(d);
            if (p[0].revents & (POLLERR | POLLHUP)) {
                qCWarning(lcClipboard) << "the compositor closed the clipboard watch";
                return;
            }
        }
        if (wl_display_dispatch_pending(d) < 0)
            return;
        if (m_stop && !incoming)
            return;
    }
}

} // namespace platform::wayland
