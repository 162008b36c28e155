// SPDX-License-Identifier: GPL-3.0-or-later
#include "X11Desktop.h"

#include <QGuiApplication>
#include <QHash>
#include <QRect>
#include <QWindow>

#include <xcb/xcb.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

namespace x11desktop {

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

xcb_connection_t* connection() {
    // Qt's offscreen platform offers the same interface without an X server of its own.
    const auto* x11 = QGuiApplication::platformName() == QLatin1String("xcb")
                          ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>()
                          : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The native window of a shown window, 0 when there is none or the program is not on X11.
xcb_window_t nativeWindow(const QWindow& window) {
    return connection() != nullptr && window.handle() != nullptr
               ? static_cast<xcb_window_t>(window.winId())
               : xcb_window_t{XCB_WINDOW_NONE};
}

xcb_atom_t atom(xcb_connection_t* c, const char* name) {
    static QHash<QByteArray, xcb_atom_t> known;
    const QByteArray key(name);
    if (const auto found = known.constFind(key); found != known.cend())
        return *found;
    const Reply<xcb_intern_atom_reply_t> reply(xcb_intern_atom_reply(
        c, xcb_intern_atom(c, 0, static_cast<uint16_t>(key.size()), name), nullptr));
    const xcb_atom_t value = reply ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    if (value != XCB_ATOM_NONE)
        known.insert(key, value);
    return value;
}

xcb_window_t rootOf(xcb_connection_t* c, xcb_window_t window) {
    const Reply<xcb_get_geometry_reply_t> reply(
        xcb_get_geometry_reply(c, xcb_get_geometry(c, window), nullptr));
    return reply ? reply->root : xcb_window_t{XCB_WINDOW_NONE};
}

std::vector<uint32_t> cardinals(xcb_connection_t* c, xcb_get_property_cookie_t cookie) {
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(c, cookie, nullptr));
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply.get()));
    return {values, values + xcb_get_property_value_length(reply.get()) / 4};
}

xcb_get_property_cookie_t askProperty(xcb_connection_t* c, xcb_window_t window, const char* name,
                                      xcb_atom_t type, uint32_t longs) {
    return xcb_get_property(c, 0, window, atom(c, name), type, 0, longs);
}

// A window's frame on the root window, or nothing when it is not viewable. The requests of
// all windows go out before the first answer is read: one round trip for them all.
struct FrameQuery {
    xcb_get_window_attributes_cookie_t attributes;
    xcb_get_geometry_cookie_t geometry;
    xcb_translate_coordinates_cookie_t origin;
    xcb_get_property_cookie_t extents;
};

FrameQuery askFrame(xcb_connection_t* c, xcb_window_t window, xcb_window_t root) {
    return {xcb_get_window_attributes(c, window), xcb_get_geometry(c, window),
            xcb_translate_coordinates(c, window, root, 0, 0),
            askProperty(c, window, "_NET_FRAME_EXTENTS", XCB_ATOM_CARDINAL, 4)};
}

std::optional<QRect> frameOf(xcb_connection_t* c, const FrameQuery& query) {
    const Reply<xcb_get_window_attributes_reply_t> attributes(
        xcb_get_window_attributes_reply(c, query.attributes, nullptr));
    const Reply<xcb_get_geometry_reply_t> geometry(
        xcb_get_geometry_reply(c, query.geometry, nullptr));
    const Reply<xcb_translate_coordinates_reply_t> origin(
        xcb_translate_coordinates_reply(c, query.origin, nullptr));
    std::vector<uint32_t> extents = cardinals(c, query.extents);
    if (!attributes || !geometry || !origin || attributes->map_state != XCB_MAP_STATE_VIEWABLE)
        return std::nullopt;
    extents.resize(4, 0); // left, right, top, bottom
    return QRect(origin->dst_x - static_cast<int>(extents[0]),
                 origin->dst_y - static_cast<int>(extents[2]),
                 geometry->width + static_cast<int>(extents[0] + extents[1]),
                 geometry->height + static_cast<int>(extents[2] + extents[3]));
}

void sendToRoot(xcb_connection_t* c, xcb_window_t root, const xcb_client_message_event_t& event,
                uint32_t mask) {
    xcb_send_event(c, 0, root, mask, reinterpret_cast<const char*>(&event));
}

xcb_client_message_event_t message(xcb_connection_t* c, xcb_window_t window, const char* type,
                                   uint8_t format) {
    xcb_client_message_event_t event{};
    event.response_type = XCB_CLIENT_MESSAGE;
    event.format = format;
    event.window = window;
    event.type = atom(c, type);
    return event;
}

// The children of the root window that hold `windows` (the managers' frames around them), or
// XCB_WINDOW_NONE where a window is gone. One round trip for each level of nesting.
std::vector<xcb_window_t> topLevels(xcb_connection_t* c, std::vector<xcb_window_t> windows,
                                    xcb_window_t root) {
    std::vector<xcb_window_t> tops(windows.size(), XCB_WINDOW_NONE);
    for (int level = 0; level < 8; ++level) {
        std::vector<std::pair<std::size_t, xcb_query_tree_cookie_t>> asked;
        for (std::size_t i = 0; i < windows.size(); ++i) {
            if (tops[i] == XCB_WINDOW_NONE && windows[i] != XCB_WINDOW_NONE)
                asked.emplace_back(i, xcb_query_tree(c, windows[i]));
        }
        if (asked.empty())
            break;
        for (const auto& [i, cookie] : asked) {
            const Reply<xcb_query_tree_reply_t> reply(xcb_query_tree_reply(c, cookie, nullptr));
            if (!reply || reply->parent == XCB_WINDOW_NONE)
                windows[i] = XCB_WINDOW_NONE;
            else if (reply->parent == root)
                tops[i] = windows[i];
            else
                windows[i] = reply->parent;
        }
    }
    return tops;
}

} // namespace

std::optional<quint32> coveringWindow(const QWindow& window, const QList<const QWindow*>& own) {
    const xcb_window_t id = nativeWindow(window);
    if (id == XCB_WINDOW_NONE)
        return std::nullopt;
    xcb_connection_t* const c = connection();
    const xcb_window_t root = rootOf(c, id);
    const std::vector<uint32_t> clients =
        cardinals(c, askProperty(c, root, "_NET_CLIENT_LIST_STACKING", XCB_ATOM_WINDOW, 4096));
    if (std::find(clients.begin(), clients.end(), id) == clients.end())
        return std::nullopt;
    // The windows over the clock's frame, in whatever order the list gives them.
    const FrameQuery ours = askFrame(c, id, root);
    std::vector<std::pair<xcb_window_t, FrameQuery>> others;
    for (const uint32_t other : clients) {
        const bool mine = other == id || std::any_of(own.begin(), own.end(), [&](const QWindow* w) {
                              return w->handle() != nullptr && w->winId() == other;
                          });
        if (!mine)
            others.emplace_back(other, askFrame(c, other, root));
    }
    const std::optional<QRect> frame = frameOf(c, ours);
    std::vector<xcb_window_t> over{id};
    for (const auto& [other, query] : others) { // every answer is read
        const std::optional<QRect> rect = frameOf(c, query);
        if (frame && rect && frame->intersects(*rect))
            over.push_back(other);
    }
    if (over.size() == 1)
        return std::nullopt;
    // Which of them lie above it: the order of the frames on the root window is what shows (one
    // manager keeps its list in the order the windows came, not as they are stacked).
    const std::vector<xcb_window_t> tops = topLevels(c, over, root);
    const Reply<xcb_query_tree_reply_t> tree(
        xcb_query_tree_reply(c, xcb_query_tree(c, root), nullptr));
    if (!tree)
        return std::nullopt;
    const xcb_window_t* const first = xcb_query_tree_children(tree.get());
    const xcb_window_t* const last = first + xcb_query_tree_children_length(tree.get());
    const auto height = [&](xcb_window_t top) { return std::find(first, last, top) - first; };
    std::optional<quint32> covering;
    auto highest = height(tops.front());
    for (std::size_t i = 1; i < over.size(); ++i) {
        if (tops[i] != XCB_WINDOW_NONE && height(tops[i]) > highest &&
            height(tops[i]) < last - first) {
            highest = height(tops[i]);
            covering = over[i];
        }
    }
    return covering;
}

void resize(const QWindow& window, QSize nativeSize) {
    const xcb_window_t id = nativeWindow(window);
    if (id == XCB_WINDOW_NONE)
        return;
    xcb_connection_t* const c = connection();
    const uint32_t size[] = {static_cast<uint32_t>(std::max(1, nativeSize.width())),
                             static_cast<uint32_t>(std::max(1, nativeSize.height()))};
    xcb_configure_window(c, id, XCB_CONFIG_WINDOW_WIDTH | XCB_CONFIG_WINDOW_HEIGHT, size);
    xcb_flush(c);
}

RestackWay restackWay(bool restackListed, const QString& managerName) {
    // Fluxbox lists the request but restacks within a layer only as the person asks.
    if (managerName.contains(QLatin1String("Fluxbox"), Qt::CaseInsensitive))
        return RestackWay::ReenterLayer;
    if (restackListed)
        return RestackWay::PagerRequest;
    // The managers of the Metacity line take a stacking request of an application that is not
    // in front for a wish to be seen, and flag the window for attention instead.
    for (const char* family : {"Metacity", "Marco", "Mutter", "GNOME Shell"}) {
        if (managerName.contains(QLatin1String(family), Qt::CaseInsensitive))
            return RestackWay::None;
    }
    return RestackWay::ConfigureRequest;
}

void restackAbove(const QWindow& window, quint32 sibling) {
    const xcb_window_t id = nativeWindow(window);
    if (id == XCB_WINDOW_NONE)
        return;
    xcb_connection_t* const c = connection();
    const xcb_window_t root = rootOf(c, id);
    const std::vector<uint32_t> check =
        cardinals(c, askProperty(c, root, "_NET_SUPPORTING_WM_CHECK", XCB_ATOM_WINDOW, 1));
    const std::vector<uint32_t> supported =
        cardinals(c, askProperty(c, root, "_NET_SUPPORTED", XCB_ATOM_ATOM, 4096));
    QString name;
    if (!check.empty()) {
        const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
            c, askProperty(c, check.front(), "_NET_WM_NAME", atom(c, "UTF8_STRING"), 64), nullptr));
        if (reply)
            name = QString::fromUtf8(static_cast<const char*>(xcb_get_property_value(reply.get())),
                                     xcb_get_property_value_length(reply.get()));
    }
    const bool listed = std::find(supported.begin(), supported.end(),
                                  atom(c, "_NET_RESTACK_WINDOW")) != supported.end();
    const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    switch (restackWay(listed, name)) {
    case RestackWay::PagerRequest: {
        xcb_client_message_event_t event = message(c, id, "_NET_RESTACK_WINDOW", 32);
        event.data.data32[0] = 2; // source: a pager, which managers obey without side effects
        event.data.data32[1] = sibling;
        event.data.data32[2] = XCB_STACK_MODE_ABOVE;
        sendToRoot(c, root, event, mask);
        break;
    }
    case RestackWay::ConfigureRequest: {
        // The sibling is no sibling of the framed window: the request goes to the manager as
        // a synthetic one (ICCCM 4.1.5).
        xcb_configure_request_event_t event{};
        event.response_type = XCB_CONFIGURE_REQUEST;
        event.stack_mode = XCB_STACK_MODE_ABOVE;
        event.parent = root;
        event.window = id;
        event.sibling = sibling;
        event.value_mask = XCB_CONFIG_WINDOW_SIBLING | XCB_CONFIG_WINDOW_STACK_MODE;
        xcb_send_event(c, 0, root, mask, reinterpret_cast<const char*>(&event));
        break;
    }
    case RestackWay::ReenterLayer:
        for (const uint32_t action : {0u, 1u}) { // remove, add
            xcb_client_message_event_t event = message(c, id, "_NET_WM_STATE", 32);
            event.data.data32[0] = action;
            event.data.data32[1] = atom(c, "_NET_WM_STATE_ABOVE");
            event.data.data32[3] = 2; // source: a pager
            sendToRoot(c, root, event, mask);
        }
        break;
    case RestackWay::None:
        break;
    }
    xcb_flush(c);
}

bool activateForLaunch(const QWindow& window, const QString& startupId) {
    const xcb_window_t id = nativeWindow(window);
    if (id == XCB_WINDOW_NONE || startupId.isEmpty())
        return false;
    xcb_connection_t* const c = connection();
    const xcb_window_t root = rootOf(c, id);
    const QByteArray utf8 = startupId.toUtf8();
    // The manager finds the launch (and its time) by the id the window carries.
    xcb_change_property(c, XCB_PROP_MODE_REPLACE, id, atom(c, "_NET_STARTUP_ID"),
                        atom(c, "UTF8_STRING"), 8, static_cast<uint32_t>(utf8.size()),
                        utf8.constData());
    const std::optional<quint32> time = launchTime(startupId);
    if (time) {
        const std::vector<uint32_t> active =
            cardinals(c, askProperty(c, root, "_NET_ACTIVE_WINDOW", XCB_ATOM_WINDOW, 1));
        xcb_client_message_event_t event = message(c, id, "_NET_ACTIVE_WINDOW", 32);
        event.data.data32[0] = 1; // source: an application, for the person's launch
        event.data.data32[1] = *time;
        event.data.data32[2] = active.empty() ? uint32_t{XCB_WINDOW_NONE} : active.front();
        sendToRoot(c, root, event,
                   XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY);
    }
    // The launch is over: its busy pointer and task-bar entry go.
    const QByteArray text = launchEndMessage(startupId);
    for (qsizetype at = 0; at < text.size(); at += 20) {
        xcb_client_message_event_t part =
            message(c, id, at == 0 ? "_NET_STARTUP_INFO_BEGIN" : "_NET_STARTUP_INFO", 8);
        std::memcpy(part.data.data8, text.constData() + at,
                    static_cast<std::size_t>(std::min<qsizetype>(20, text.size() - at)));
        sendToRoot(c, root, part, XCB_EVENT_MASK_PROPERTY_CHANGE);
    }
    xcb_flush(c);
    return time.has_value();
}

std::optional<quint32> launchTime(const QString& startupId) {
    const qsizetype at = startupId.lastIndexOf(QLatin1String("_TIME"));
    if (at < 0)
        return std::nullopt;
    bool ok = false;
    const quint32 time = startupId.mid(at + 5).toUInt(&ok);
    return ok ? std::optional<quint32>(time) : std::nullopt;
}

QByteArray launchEndMessage(const QString& startupId) {
    QByteArray quoted;
    for (const char ch : startupId.toUtf8()) {
        if (ch == '"' || ch == '\\')
            quoted += '\\';
        quoted += ch;
    }
    return "remove: ID=\"" + quoted + "\"" + QByteArray(1, '\0');
}

QByteArray autolaunchedBusAddress(const QByteArray& user, const QByteArray& machineId) {
    xcb_connection_t* const c = connection();
    if (!c || user.isEmpty() || machineId.isEmpty())
        return {};
    const QByteArray selection = "_DBUS_SESSION_BUS_SELECTION_" + user + '_' + machineId;
    const Reply<xcb_get_selection_owner_reply_t> owner(xcb_get_selection_owner_reply(
        c, xcb_get_selection_owner(c, atom(c, selection.constData())), nullptr));
    if (!owner || owner->owner == XCB_WINDOW_NONE)
        return {};
    const Reply<xcb_get_property_reply_t> reply(xcb_get_property_reply(
        c, askProperty(c, owner->owner, "_DBUS_SESSION_BUS_ADDRESS", XCB_ATOM_STRING, 1024),
        nullptr));
    if (!reply)
        return {};
    return QByteArray(static_cast<const char*>(xcb_get_property_value(reply.get())),
                      xcb_get_property_value_length(reply.get()));
}

} // namespace x11desktop
