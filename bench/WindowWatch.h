#pragma once

// Watches the X server for another program's window, to time a start from outside the
// process as the user sees it: the moment a window with the given title is viewable.
// Header-only, so that each benchmark stays one source file.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QThread>

#include <memory>
#include <vector>
#include <xcb/xcb.h>

namespace Bench {

class WindowWatch final {
public:
    // The X server DISPLAY names; no server: connected() is false.
    WindowWatch()
        : m_connection(xcb_connect(nullptr, nullptr), xcb_disconnect) {
        if (connected())
            m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection.get())).data->root;
    }

    bool connected() const { return xcb_connection_has_error(m_connection.get()) == 0; }

    // Polls every millisecond until a viewable window (a top-level one, or one a window
    // manager's frame holds) has the title; false when the deadline passes first.
    bool waitFor(const QByteArray& title, QDeadlineTimer deadline) {
        while (!deadline.hasExpired()) {
            if (viewable(title))
                return true;
            QThread::msleep(1);
        }
        return false;
    }

private:
    template <class Reply> using Owned = std::unique_ptr<Reply, void (*)(void*)>;

    template <class Reply> static Owned<Reply> own(Reply* reply) { return {reply, std::free}; }

    std::vector<xcb_window_t> children(xcb_window_t parent) {
        const auto tree = own(xcb_query_tree_reply(
            m_connection.get(), xcb_query_tree(m_connection.get(), parent), nullptr));
        if (!tree)
            return {};
        const xcb_window_t* first = xcb_query_tree_children(tree.get());
        return {first, first + xcb_query_tree_children_length(tree.get())};
    }

    xcb_atom_t atom(const char* name) {
        const auto reply = own(xcb_intern_atom_reply(
            m_connection.get(),
            xcb_intern_atom(m_connection.get(), 0, uint16_t(qstrlen(name)), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }

    bool titled(xcb_window_t window, const QByteArray& title) {
        if (m_name == XCB_ATOM_NONE)
            m_name = atom("_NET_WM_NAME");
        const auto property =
            own(xcb_get_property_reply(m_connection.get(),
                                       xcb_get_property(m_connection.get(), 0, window, m_name,
                                                        XCB_GET_PROPERTY_TYPE_ANY, 0, 1024),
                                       nullptr));
        if (!property)
            return false;
        const QByteArray name(static_cast<const char*>(xcb_get_property_value(property.get())),
                              xcb_get_property_value_length(property.get()));
        return name == title;
    }

    bool shown(xcb_window_t window) {
        const auto attributes = own(xcb_get_window_attributes_reply(
            m_connection.get(), xcb_get_window_attributes(m_connection.get(), window), nullptr));
        return attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    bool viewable(const QByteArray& title) {
        for (xcb_window_t top : children(m_root)) {
            std::vector<xcb_window_t> candidates = children(top);
            candidates.push_back(top);
            for (xcb_window_t window : candidates)
                if (titled(window, title) && shown(window))
                    return true;
        }
        return false;
    }

    std::unique_ptr<xcb_connection_t, void (*)(xcb_connection_t*)> m_connection;
    xcb_window_t m_root = 0;
    xcb_atom_t m_name = XCB_ATOM_NONE;
};

} // namespace Bench
